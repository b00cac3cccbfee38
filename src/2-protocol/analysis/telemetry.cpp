#include "analysis/telemetry.h"

#include <algorithm>

#include "reports/report_types.h"

namespace zelkon {
namespace {

constexpr int64_t kGpsEpochUnix = 315964800;  // 1980-01-06 00:00:00 UTC
constexpr int64_t kSecondsPerWeek = 604800;
// Gap lines the live stability keeps.
constexpr size_t kGapLines = 100;

}  // namespace

std::optional<int64_t> ReceiverUtcSeconds(const TimingPrimary& r) {
  if (r.week == 0) return std::nullopt;
  return kGpsEpochUnix + static_cast<int64_t>(r.week) * kSecondsPerWeek + r.timeOfWeek -
         r.utcOffset;
}

void Telemetry::CountPacket(uint8_t id, std::span<const uint8_t> payload, PacketOutcome outcome) {
  const ReportKey key = ReportKey::Of(id, payload);
  PacketCount* count = &unknownReceived_;
  if (outcome != PacketOutcome::UnknownId) {
    if (newestCount_.count == nullptr || newestCount_.key != key) {
      newestCount_.key = key;
      newestCount_.count = &received_[key];
    }
    count = newestCount_.count;
  }
  ++count->packets;
  count->bytes += payload.size() + 1;
  if (outcome == PacketOutcome::BadLength) ++badLength_;
  if (outcome == PacketOutcome::UnknownId) ++unknownId_;
}

uint64_t Telemetry::Dropped(PacketOutcome outcome) const {
  switch (outcome) {
    case PacketOutcome::BadLength:
      return badLength_;
    case PacketOutcome::UnknownId:
      return unknownId_;
    case PacketOutcome::Decoded:
      break;
  }
  return 0;
}

void Telemetry::Add(const TimingPrimary& report, int64_t nowMs) {
  if (!primary_ || primary_->week != report.week || primary_->timeOfWeek != report.timeOfWeek) {
    ++timingSeconds_;
  }
  primary_ = report;
  lastTimingMs_ = nowMs;
  utcSecond_ = ReceiverUtcSeconds(report);
  secondSampled_ = !utcSecond_.has_value();
  phase_.AddPrimary(report);
  AddTimeReading(ReadingOf(report));
}

void Telemetry::Add(const GpsTime& report) { AddTimeReading(ReadingOf(report)); }

void Telemetry::AddTimeReading(const TimeReading& reading) {
  evidence_.previousGps = newestGps_;
  newestGps_ = reading.GpsSeconds();
}

void Telemetry::Add(const PrimaryUtcTime& report, int64_t nowMs) {
  evidence_.utcTime = report;
  evidence_.utcTimeMs = nowMs;
}

void Telemetry::Add(const TimingSupplemental& report, int64_t nowMs) {
  supplemental_ = report;
  evidence_.status = report;
  evidence_.statusMs = nowMs;
  lastTimingMs_ = nowMs;
  phase_.AddSupplemental(report);
  phase_.KeepNewest(kStabilitySamples, kGapLines);
  // One sample of each history per second of receiver time: the second of the primary report
  // sent before it.
  if (secondSampled_) return;
  secondSampled_ = true;
  const int64_t second = *utcSecond_;
  ppsOffsetNs_.Add(second, report.ppsOffset);
  oscillatorOffsetPpb_.Add(second, report.oscillatorOffset);
  quantizationErrorNs_.Add(second, report.quantizationError);
  tracked_.Add(second, SatellitesTracked());
  used_.Add(second, SatellitesUsed());
}

void Telemetry::Add(const TrackingStatus& report) {
  const int channel = report.Channel();
  if (channel < 0 || channel >= kChannels) return;
  channels_[static_cast<size_t>(channel)] = TrackedSatellite{report, timingSeconds_};
  if (report.acquisition == 1) AddTrackPoint(report);
}

void Telemetry::AddTrackPoint(const TrackingStatus& report) {
  if (!utcSecond_) return;
  const int64_t now = *utcSecond_;
  std::deque<SkyPoint>& track = tracks_[report.prn];
  if (!track.empty() && now < track.back().second) track.clear();
  // A point a minute, and the newest point where the satellite is now: the newest point moves on
  // until it is a minute after the one before it.
  const size_t n = track.size();
  const SkyPoint point{now, report.azimuth, report.elevation};
  if (n >= 2 && track[n - 1].second - track[n - 2].second < kTrackPointSeconds) {
    track.back() = point;
  } else if (n == 0 || track.back().second != now) {
    track.push_back(point);
  } else {
    track.back() = point;
  }
  // An hour of every satellite: older points and satellites not seen for an hour go. Once a
  // second is enough: until the time moves on, the tracks only gain points of this second.
  if (tracksTrimmedAt_ == now) return;
  tracksTrimmedAt_ = now;
  for (auto it = tracks_.begin(); it != tracks_.end();) {
    std::deque<SkyPoint>& points = it->second;
    while (!points.empty() && points.front().second < now - kTrackSeconds)
      points.pop_front();
    it = points.empty() ? tracks_.erase(it) : std::next(it);
  }
}

void Telemetry::Add(const SatelliteSelection& report) { selectedPrns_ = report.prns; }

void Telemetry::Add(const ManufacturingParams& report) { boardSerial_ = report.boardSerialNumber; }

void Telemetry::Add(const ProductionParams& report) { caseSerial_ = report.caseSerialNumber; }

void Telemetry::Add(const UtcParams& report) {
  const int change = static_cast<int>(report.deltaTlsf) - static_cast<int>(report.deltaTls);
  leapChange_ = change > 0 ? 1 : change < 0 ? -1 : 0;
}

std::optional<uint32_t> Telemetry::SerialNumber() const {
  return caseSerial_ ? caseSerial_ : boardSerial_;
}

int Telemetry::SatellitesTracked() const {
  return static_cast<int>(std::count_if(channels_.begin(), channels_.end(), [this](const auto& c) {
    return c && c->status.acquisition == 1 && Fresh(*c);
  }));
}

int Telemetry::SatellitesUsed() const {
  return static_cast<int>(std::count_if(selectedPrns_.begin(), selectedPrns_.end(),
                                        [](int8_t prn) { return prn > 0; }));
}

}  // namespace zelkon

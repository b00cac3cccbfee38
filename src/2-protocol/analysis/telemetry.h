// What the monitor has learnt of its receiver from the reports it decoded: the newest values, the
// packets counted by report, and the histories the charts and the sky view draw. Fed by the
// decoders' display steps and the report dispatcher on the user-interface thread; read by the
// charts window and the metrics endpoint. Times are the receiver's own (UTC seconds since 1970,
// from its primary timing reports), so a replay draws the recording's times; a satellite's age is
// counted in the receiver's seconds too, so the last state of a replay stays what it was; the time
// of the last timing report is the monitor's clock (milliseconds).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "analysis/bucket_series.h"
#include "analysis/stability.h"
#include "analysis/vouched_time.h"
#include "reports/position.h"
#include "reports/product.h"
#include "reports/report_types.h"
#include "reports/status.h"
#include "reports/system_data.h"
#include "reports/timing.h"

namespace zelkon {

struct PacketCount {
  uint64_t packets = 0;
  uint64_t bytes = 0;  // the id and the payload, before byte stuffing
};

// One satellite as the channel that tracks it last reported it.
struct TrackedSatellite {
  TrackingStatus status;
  int64_t atSecond = 0;  // Telemetry::TimingSeconds() when reported
};

// A point of a satellite's track across the sky.
struct SkyPoint {
  int64_t second = 0;   // receiver UTC
  float azimuth = 0;    // radians
  float elevation = 0;  // radians
};

class Telemetry {
 public:
  // Channels of the receiver.
  static constexpr int kChannels = 12;
  // A channel's report older than this many seconds of receiver time no longer counts as
  // tracking.
  static constexpr int64_t kTrackingFreshSeconds = 10;
  // The sky view's tracks: one point a minute for an hour.
  static constexpr int64_t kTrackPointSeconds = 60;
  static constexpr int64_t kTrackSeconds = 3600;
  // The live stability: the newest two days of one-second PPS offsets.
  static constexpr size_t kStabilitySamples = 2 * 86400;

  // ---- Fed by the dispatcher: every packet counted, then each report it parsed ---------------
  void CountPacket(uint8_t id, std::span<const uint8_t> payload, PacketOutcome outcome);
  void Add(const TimingPrimary& report, int64_t nowMs);
  void Add(const TimingSupplemental& report, int64_t nowMs);
  void Add(const PrimaryUtcTime& report, int64_t nowMs);
  void Add(const GpsTime& report);
  void Add(const TrackingStatus& report);
  void Add(const SatelliteSelection& report);
  void Add(const ManufacturingParams& report);
  void Add(const ProductionParams& report);
  void Add(const UtcParams& report);

  // ---- Newest values ----------------------------------------------------------------------------
  const std::optional<TimingPrimary>& Primary() const { return primary_; }
  const std::optional<TimingSupplemental>& Supplemental() const { return supplemental_; }
  // Monitor clock of the newest timing report (primary or supplemental); nullopt before one.
  std::optional<int64_t> LastTimingReportMs() const { return lastTimingMs_; }
  // The receiver's UTC of its newest primary timing report (seconds since 1970); nullopt while
  // it has no time (week 0) or before one.
  std::optional<int64_t> ReceiverUtc() const { return utcSecond_; }
  // The change of the UTC offset at the next leap second, by the newest UTC parameters (0x4F):
  // +1 a second inserted, -1 one deleted, 0 none; nullopt before any.
  std::optional<int> LeapChange() const { return leapChange_; }
  // Seconds of receiver time so far: primary timing reports of a new second, with or without a
  // valid time.
  int64_t TimingSeconds() const { return timingSeconds_; }
  // The channel's newest report is at most kTrackingFreshSeconds old.
  bool Fresh(const TrackedSatellite& channel) const {
    return timingSeconds_ - channel.atSecond <= kTrackingFreshSeconds;
  }
  // Channels whose fresh newest report says the satellite is acquired.
  int SatellitesTracked() const;
  // Satellites of the newest selection the receiver uses (excluded ones not counted).
  int SatellitesUsed() const;
  const std::array<std::optional<TrackedSatellite>, kChannels>& Channels() const {
    return channels_;
  }
  // PRNs of the newest selection, excluded ones negative.
  const std::vector<int8_t>& SelectedPrns() const { return selectedPrns_; }
  // The case serial number (0x8F-42), else the board's (0x8F-41); nullopt before either.
  std::optional<uint32_t> SerialNumber() const;
  // What the reports say about the receiver's time, for JudgeReceiverTime: the newest status
  // reports and the time of the time report (0x8F-AB or 0x41) before the newest.
  const TimeEvidence& Evidence() const { return evidence_; }

  // ---- Counts -----------------------------------------------------------------------------------
  // Packets of the reports the monitor knows, by report, those of a length it does not accept
  // included. Packets of ids it has no decoder for are counted together in UnknownReceived(): on a
  // noisy line most are corrupted ids, and one count each would grow without purpose.
  const std::map<ReportKey, PacketCount>& Received() const { return received_; }
  const PacketCount& UnknownReceived() const { return unknownReceived_; }
  uint64_t Dropped(PacketOutcome outcome) const;

  // ---- Histories --------------------------------------------------------------------------------
  const BucketSeries& PpsOffsetNs() const { return ppsOffsetNs_; }
  const BucketSeries& OscillatorOffsetPpb() const { return oscillatorOffsetPpb_; }
  const BucketSeries& QuantizationErrorNs() const { return quantizationErrorNs_; }
  const BucketSeries& SatellitesTrackedSeries() const { return tracked_; }
  const BucketSeries& SatellitesUsedSeries() const { return used_; }
  // The track of every PRN seen in the last hour, oldest point first.
  const std::map<int, std::deque<SkyPoint>>& Tracks() const { return tracks_; }
  // One-second PPS offsets (seconds; NaN where a second is missing), the newest two days.
  const PpsPhaseSeries& PpsPhase() const { return phase_; }

  // Forgets everything (a new port).
  void Clear() { *this = Telemetry(); }

 private:
  void AddTrackPoint(const TrackingStatus& report);
  void AddTimeReading(const TimeReading& reading);

  std::optional<TimingPrimary> primary_;
  std::optional<TimingSupplemental> supplemental_;
  std::optional<int64_t> lastTimingMs_;
  std::optional<int64_t> utcSecond_;
  int64_t timingSeconds_ = 0;
  // The primary report's second already has its history sample.
  bool secondSampled_ = true;
  std::array<std::optional<TrackedSatellite>, kChannels> channels_;
  std::vector<int8_t> selectedPrns_;
  std::optional<uint32_t> caseSerial_;
  std::optional<uint32_t> boardSerial_;
  TimeEvidence evidence_;
  std::optional<double> newestGps_;

  std::map<ReportKey, PacketCount> received_;
  // The count of the report of the newest packet, found again without a search for a run of
  // packets of one report (the channels' tracking reports). A copied or moved telemetry starts
  // without it: it points into the counts it came with.
  struct NewestCount {
    NewestCount() = default;
    NewestCount(const NewestCount&) {}
    NewestCount& operator=(const NewestCount&) {
      count = nullptr;
      return *this;
    }
    ReportKey key;
    PacketCount* count = nullptr;
  };
  NewestCount newestCount_;
  std::optional<int> leapChange_;
  PacketCount unknownReceived_;
  uint64_t badLength_ = 0;
  uint64_t unknownId_ = 0;

  BucketSeries ppsOffsetNs_;
  BucketSeries oscillatorOffsetPpb_;
  BucketSeries quantizationErrorNs_;
  BucketSeries tracked_;
  BucketSeries used_;
  std::map<int, std::deque<SkyPoint>> tracks_;
  std::optional<int64_t> tracksTrimmedAt_;  // the second of the newest trim of the tracks
  PpsPhaseSeries phase_;
};

// The receiver's UTC (seconds since 1970) of a primary timing report; nullopt for week 0.
std::optional<int64_t> ReceiverUtcSeconds(const TimingPrimary& report);

}  // namespace zelkon

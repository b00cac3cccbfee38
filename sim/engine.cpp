#include "sim/engine.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "link/codec.h"
#include "sim/gps_time.h"
#include "sim/reports.h"

namespace zelkon::sim {
namespace {

constexpr uint8_t kSuperpacketCommand = 0x8E;

// A geodetic position (WGS-84) from earth-centred coordinates.
Fix FixOfEcef(double x, double y, double z) {
  constexpr double a = 6378137.0;
  constexpr double e2 = 6.69437999014e-3;
  const double p = std::hypot(x, y);
  double latitude = std::atan2(z, p * (1 - e2));
  double altitude = 0;
  for (int i = 0; i < 6; ++i) {
    const double sinLat = std::sin(latitude);
    const double n = a / std::sqrt(1 - e2 * sinLat * sinLat);
    altitude = p / std::cos(latitude) - n;
    latitude = std::atan2(z, p * (1 - e2 * n / (n + altitude)));
  }
  return {latitude, std::atan2(y, x), altitude};
}

uint16_t QueryKey(const Packet& command) {
  const bool hasSubCode = command.id == kSuperpacketCommand || command.id == 0x3F;
  const int sub = hasSubCode && !command.payload.empty() ? command.payload[0] : 0;
  return static_cast<uint16_t>((command.id << 8) | sub);
}

}  // namespace

Engine::Engine(const SimOptions& options, double startGps)
    : options_(options),
      receiver_(options, startGps),
      commands_(std::make_unique<PacketReceiver>()),
      faults_(options.seed ^ 0xFA017ULL),
      startGps_(startGps),
      lastSecond_(std::floor(startGps)),
      nextFatal_(options.fatalEvery > 0 ? startGps + options.fatalEvery * options.speed : 0) {}

bool Engine::Silent() const {
  if (options_.silentAfter < 0) return false;
  return (receiver_.TrueGps() - startGps_) / options_.speed >= options_.silentAfter;
}

void Engine::Advance(double gps) {
  receiver_.AdvanceTo(gps);
  const double second = std::floor(receiver_.TrueGps());
  if (second <= lastSecond_) return;
  lastSecond_ = second;
  Broadcast(second);
}

void Engine::Broadcast(double second) {
  const PacketIoSegment& io = receiver_.config.io;
  if (io.broadcastMask2 & 0x40) Reply(TimingPrimaryReport(receiver_));
  if (io.broadcastMask2 & 0x80) Reply(TimingSupplementalReport(receiver_));
  if (io.broadcastMask1 & SyncComprehensiveBit()) {
    Reply(ComprehensiveTimeReport(receiver_, std::nullopt));
  }
  if (io.broadcastMask1 & SyncUtcTimeBit()) Reply(PrimaryUtcTimeReport(receiver_, std::nullopt));
  if ((io.broadcastMask2 & 0x20) && options_.port == 'B') SendAutomaticOutputs();

  if (options_.fatalEvery > 0 && second >= nextFatal_) {
    nextFatal_ = second + options_.fatalEvery * options_.speed;
    SendFatal(second);
  }
  if (fatalAfterResetAt_ && second >= *fatalAfterResetAt_) {
    fatalAfterResetAt_.reset();
    SendFatal(second);
  }
}

void Engine::SendFatal(double second) {
  ++fatalCount_;
  char text[80];
  std::snprintf(text, sizeof text, "Simulated fault %d at TOW %lld", fatalCount_,
                static_cast<long long>(std::fmod(second, kSecondsPerWeek)));
  Reply(FatalReport(fatalCount_ % 2 == 0, text));
}

void Engine::ResetCommanded() {
  if (options_.fatalAfterReset > 0) {
    fatalAfterResetAt_ = receiver_.TrueGps() + options_.fatalAfterReset * options_.speed;
  }
}

// Port B sends these on its own, once a second, as its automatic output mask says.
void Engine::SendAutomaticOutputs() {
  const uint32_t mask = receiver_.config.io.autoOutputMask;
  if (mask & (1u << 0)) {  // one satellite's almanac each second, in turn
    almanacCursor_ = almanacCursor_ % kPrnCount + 1;
    if (auto almanac = AlmanacReport(receiver_, almanacCursor_)) Reply(*almanac);
  }
  if (mask & (1u << 1)) {
    for (const Channel& channel : receiver_.sky.Channels()) {
      if (channel.prn != 0) Reply(EphemerisStatusReport(receiver_, channel.prn));
    }
  }
  if (mask & (1u << 2)) Reply(UtcParamsReport(receiver_));
  if (mask & (1u << 4)) {
    PayloadWriter message;
    for (char c : std::string("ZELKON SIMULATED RCVR "))
      message.U8(c);
    Reply(message.Build(0x48));
  }
  if (mask & (1u << 5)) Reply(AlmanacHealthReport(receiver_));
  if (mask & (1u << 8)) Reply(GpsTimeReport(receiver_));
  if (mask & (1u << 11)) {
    Reply(SatelliteSelectionReport(receiver_));
    Reply(HealthReport(receiver_));
    Reply(PayloadWriter().U8(0x5A).U8(0).U8(0).Build(0x4B));  // machine status
    Reply(PayloadWriter().U8(0).Build(0x82));                 // no differential fix
  }
  if (mask & (1u << 30)) {
    for (const Packet& report : PositionVelocityReports(receiver_))
      Reply(report);
  }
  if (mask & (1u << 31)) {
    for (const Channel& channel : receiver_.sky.Channels()) {
      if (channel.prn != 0) Reply(RawMeasurementReport(receiver_, channel.prn));
    }
  }
}

uint8_t Engine::SyncComprehensiveBit() const { return options_.port == 'A' ? 0x01 : 0x08; }
uint8_t Engine::EventComprehensiveBit() const { return options_.port == 'A' ? 0x02 : 0x04; }
uint8_t Engine::SyncUtcTimeBit() const { return options_.port == 'A' ? 0x10 : 0x80; }
uint8_t Engine::EventUtcTimeBit() const { return options_.port == 'A' ? 0x20 : 0x40; }

void Engine::Event() {
  receiver_.CountEvent(receiver_.ReportedGps());
  SendEventReports();
}

void Engine::SendEventReports() {
  const uint8_t mask = receiver_.config.io.broadcastMask1;
  const bool comprehensive = mask & EventComprehensiveBit();
  const bool utcTime = mask & EventUtcTimeBit();
  if (!comprehensive && !utcTime) return;  // the event waits for a query
  const auto event = receiver_.TakeEvent();
  if (comprehensive) Reply(ComprehensiveTimeReport(receiver_, event));
  if (utcTime) Reply(PrimaryUtcTimeReport(receiver_, event));
}

void Engine::Receive(const uint8_t* bytes, size_t length) {
  while (length > 0) {
    const size_t n = std::min<size_t>(length, kReadBufferSize);
    std::copy(bytes, bytes + n, commands_->readBuffer);
    commands_->readPosition = 0;
    commands_->bytesRemaining = static_cast<uint32_t>(n);
    FeedReadBuffer(*commands_, [this](const PacketReceiver& r) {
      Handle(Packet{r.Id(), std::vector<uint8_t>(r.Payload().begin(), r.Payload().end())});
    });
    bytes += n;
    length -= n;
  }
}

void Engine::Reply(const Packet& report) {
  if (Silent() || faults_.Chance(options_.dropFraction)) return;
  std::vector<uint8_t> frame(2 * (report.payload.size() + 1) + 3);
  std::vector<uint8_t> packet{report.id};
  packet.insert(packet.end(), report.payload.begin(), report.payload.end());
  frame.resize(static_cast<size_t>(FrameBytes(packet, frame.data())));
  for (uint8_t& byte : frame) {
    if (faults_.Chance(options_.corruptFraction)) {
      byte = static_cast<uint8_t>(byte ^ (1 + faults_.Next() % 255));
    }
  }
  output_.insert(output_.end(), frame.begin(), frame.end());
}

std::vector<uint8_t> Engine::TakeOutput() {
  std::vector<uint8_t> bytes;
  bytes.swap(output_);
  return bytes;
}

std::optional<PortSettings> Engine::TakePortChange() {
  auto change = portChange_;
  portChange_.reset();
  return change;
}

std::string Engine::BreakText() const {
  if (!options_.breakText->empty()) {
    std::string text = *options_.breakText;
    if (text.find('\n') == std::string::npos) text += "\r\n";
    return text;
  }
  const PortSettings& s =
      options_.port == 'A' ? receiver_.config.ports.a : receiver_.config.ports.b;
  static constexpr char kParity[] = {'N', 'O', 'E'};
  return std::string("PR;") + options_.port + "," + std::to_string(s.portIndex) + ",RXBIN," +
         BaudText(s.baudCode) + "," + DataBitsText(s.dataBitsCode) + "," +
         StopBitsText(s.stopBitsCode) + "," + (s.parityCode < 3 ? kParity[s.parityCode] : 'N') +
         ",\r\n";
}

void Engine::Handle(const Packet& command) {
  if (options_.refused.contains(QueryKey(command))) return;
  const std::vector<uint8_t>& p = command.payload;
  const size_t n = p.size();
  Receiver& r = receiver_;
  switch (command.id) {
    case 0x1E:  // resets
      if (n != 1) return;
      ResetCommanded();
      switch (p[0]) {
        case 'K':
          r.Reset(ResetKind::Cold);
          break;
        case 'F':
          r.Reset(ResetKind::FactoryAll);
          break;
        case 'N':
          r.Reset(ResetKind::FactoryNavigation);
          break;
        case 'R':
          r.Reset(ResetKind::FactoryConfig);
          break;
        default:
          break;
      }
      return;
    case 0x1F:
      return Reply(SoftwareVersionReport(r));
    case 0x20:
      if (n == 1) {
        if (auto almanac = AlmanacReport(r, p[0])) Reply(*almanac);
      }
      return;
    case 0x21:
      return Reply(GpsTimeReport(r));
    case 0x24:
      return Reply(SatelliteSelectionReport(r));
    case 0x25:
      ResetCommanded();
      return r.Reset(ResetKind::Warm);
    case 0x26:
      Reply(HealthReport(r));
      return Reply(PayloadWriter().U8(0x5A).U8(0).U8(0).Build(0x4B));  // machine status
    case 0x29:
      return Reply(AlmanacHealthReport(r));
    case 0x2A:
      if (n == 0) return Reply(ReferenceAltitudeReport(r));
      if (n == 4) {
        r.config.receiver.referenceAltitude = ReadSingle(p.data());
        r.config.receiver.referenceAltitudeSet = true;
      } else if (n == 1 && p[0] == 0xFF) {
        r.config.receiver.referenceAltitudeSet = false;
      }
      return;
    case 0x2E:
      if (n != 6) return;
      return Reply(TimeAcceptedReport(
          r.OfferTime(ReadU16(p.data() + 4) * double{kSecondsPerWeek} + ReadSingle(p.data()))));
    case 0x2F:
      return Reply(UtcParamsReport(r));
    case 0x31:
      if (n == 12) {
        r.SetAccuratePosition(
            FixOfEcef(ReadSingle(p.data()), ReadSingle(p.data() + 4), ReadSingle(p.data() + 8)));
      }
      return;
    case 0x32:
      if (n == 12) {
        r.SetAccuratePosition(
            {ReadSingle(p.data()), ReadSingle(p.data() + 4), ReadSingle(p.data() + 8)});
      }
      return;
    case 0x34:
      if (n == 1) r.config.receiver.oneSatellite = p[0];
      return;
    case 0x35:
      if (n == 0) return Reply(IoOptionsReport(r));
      if (n == 4) std::copy(p.begin(), p.end(), r.config.io.ioOptions);
      return;
    case 0x38:
      if (n == 3 && p[0] == 1) return Reply(SystemDataReport(r, p[1], p[2]));
      if (n >= 4 && p[0] == 2 && n == 4u + p[3]) {
        const bool accepted = r.LoadSystemData(p[1], p[2], {p.begin() + 4, p.end()});
        return Reply(SystemDataLoadReport(accepted, p[1], p[2]));
      }
      return;
    case 0x3A:
      if (n == 1) Reply(RawMeasurementReport(r, p[0]));
      return;
    case 0x3B:
      if (n == 1) Reply(EphemerisStatusReport(r, p[0]));
      return;
    case 0x3C:
      if (n != 1) return;
      for (const Packet& report : TrackingStatusReports(r)) {
        if (p[0] == 0 || report.payload[0] == p[0]) Reply(report);
      }
      return;
    case 0x3F:
      if (n == 1 && p[0] == 0x11) Reply(SegmentStatusReport(r));
      return;
    case 0x7A:
      if (n == 1 && p[0] == 0) return Reply(NmeaConfigReport(r));
      if (n == 6 && p[0] == 0) {
        r.config.nmea.interval = p[1];
        r.config.nmea.mask = ReadU32(p.data() + 2);
      }
      return;
    case 0xBB:
      if (n == 1 && p[0] == 0) return Reply(ReceiverConfigReport(r));
      if (n == 43 && p[0] == 0) {
        ReceiverSegment& rx = r.config.receiver;
        rx.mode = p[1];
        rx.dgpsMode = p[2];
        rx.dynamics = p[3];
        rx.elevationMask = ReadSingle(p.data() + 5);
        rx.signalMask = ReadSingle(p.data() + 9);
        rx.pdopMask = ReadSingle(p.data() + 13);
        rx.pdopSwitch = ReadSingle(p.data() + 17);
        rx.dgpsAgeLimit = p[21];
      }
      return;
    case 0xBC:
      if (n == 1) return Reply(PortConfigReport(r, p[0]));
      if (n == 10) {
        const PortSettings settings{p[0], p[1], p[3], p[4], p[5], p[7], p[8]};
        const bool portA = p[0] == 0;
        (portA ? r.config.ports.a : r.config.ports.b) = settings;
        if (portA == (options_.port == 'A')) portChange_ = settings;
        if (options_.breakText && !breakTextSent_ && !Silent()) {
          breakTextSent_ = true;
          const std::string text = BreakText();
          output_.insert(output_.end(), text.begin(), text.end());
        }
      }
      return;
    case kSuperpacketCommand:
      if (n >= 1) HandleSuperpacket(command);
      return;
    default:
      return;  // not a command this receiver knows
  }
}

void Engine::HandleSuperpacket(const Packet& command) {
  const std::vector<uint8_t>& p = command.payload;
  const size_t n = p.size();
  Receiver& r = receiver_;
  PacketIoSegment& io = r.config.io;
  TimingSegment& timing = r.config.timing;
  switch (p[0]) {
    case 0x0B:
    case 0xAD: {
      const bool comprehensive = p[0] == 0x0B;
      if (n == 1) {
        const auto event = r.TakeEvent();
        return Reply(comprehensive ? ComprehensiveTimeReport(r, event)
                                   : PrimaryUtcTimeReport(r, event));
      }
      if (n == 2 && p[1] <= 3) {  // port A output: 0 on request, 1 at PPS, 2 at events, 3 both
        const uint8_t sync = comprehensive ? 0x01 : 0x10;
        const uint8_t event = comprehensive ? 0x02 : 0x20;
        io.broadcastMask1 = static_cast<uint8_t>(io.broadcastMask1 & ~(sync | event));
        if (p[1] & 1) io.broadcastMask1 |= sync;
        if (p[1] & 2) io.broadcastMask1 |= event;
      }
      return;
    }
    case 0x0C:
      if (n == 6 && p[1] == 0x02) r.premiumOptions = static_cast<uint16_t>(ReadU32(p.data() + 2));
      return;
    case 0x15:
      if (n == 1) return Reply(DatumReport(r));
      if (n == 3) io.datum = ReadU16(p.data() + 1);
      return;
    case 0x26:
      if (n == 1) r.SaveSegments();
      return;
    case 0x41:
      return Reply(ManufacturingParamsReport(r));
    case 0x42:
      return Reply(ProductionParamsReport(r));
    case 0x45:
      if (n == 2) r.RevertSegment(p[1]);
      return;
    case 0x4A:
      if (n == 1) return Reply(PpsCharacteristicsReport(r));
      if (n == 16) {
        timing.ppsSwitch = p[1];
        timing.timeBase = p[2];
        timing.polarity = p[3];
        timing.ppsOffset = ReadDouble(p.data() + 4);
        timing.biasThreshold = ReadSingle(p.data() + 12);
      }
      return;
    case 0x4B:
      if (n == 1) return Reply(SurveyLimitReport(r));
      if (n == 5) r.config.survey.limit = ReadU32(p.data() + 1);
      return;
    case 0x4D:
      if (n == 1) return Reply(AutoOutputMaskReport(r));
      if (n == 5) io.autoOutputMask = ReadU32(p.data() + 1);
      return;
    case 0x4E:
      if (n == 1) return Reply(PpsOutputOptionReport(r));
      if (n == 2) timing.ppsOption = p[1];
      return;
    case 0x4F:
      if (n == 1) return Reply(PpsWidthReport(r));
      if (n == 9) timing.ppsWidth = ReadDouble(p.data() + 1);
      return;
    case 0xA4:
      if (n == 2 && p[1] == 0) r.ExitTestMode();
      if (n == 8 && p[1] == 1) r.EnterUserTime(ReadU16(p.data() + 2), ReadU32(p.data() + 4));
      if (n == 24 && p[1] == 3) {
        UtcSegment utc;
        utc.a0 = ReadSingle(p.data() + 2);
        utc.a1 = ReadSingle(p.data() + 6);
        utc.deltaTls = ReadI16(p.data() + 10);
        utc.tot = static_cast<float>(ReadU32(p.data() + 12));
        utc.wnT = ReadU16(p.data() + 16);
        utc.wnLsf = ReadU16(p.data() + 18);
        utc.dn = ReadU16(p.data() + 20);
        utc.deltaTlsf = ReadI16(p.data() + 22);
        r.EnterUtcTest(utc);
      }
      return;
    case 0xA5:
      if (n == 1) return Reply(BroadcastMaskReport(r));
      if (n == 5) {
        io.broadcastMask1 = p[1];
        io.broadcastMask2 = p[2];
      }
      return;
    case 0xA6:
      if (n == 2) r.RestartSurvey();
      return;
    case 0xA9:
      if (n == 1) return Reply(SelfSurveyParamsReport(r));
      if (n == 11) {
        r.config.survey.enable = p[1];
        r.config.survey.save = p[2];
        r.config.survey.limit = ReadU32(p.data() + 3);
      }
      return;
    case 0xAB:
      Reply(TimingPrimaryReport(r));
      return Reply(TimingSupplementalReport(r));
    case 0xAF:
      return;  // engineering codes: accepted, nothing to show
    default:
      return;
  }
}

}  // namespace zelkon::sim

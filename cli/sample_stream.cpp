#include "sample_stream.h"

#include <chrono>
#include <numbers>

#include "link/codec.h"
#include "link/framing.h"

namespace zelkon {
namespace {

// The receiver sits near 48.14 N 11.58 E and has been tracking for a while. The stream starts on
// Sunday 16 June 2013 at 16:15:58 UTC (GPS week 1745), two seconds before the minute turns 16, with
// GPS time 16 s ahead of UTC. Together with PRN 16 on channel 2 (channel byte 0x10) this puts
// plenty of 0x10 bytes into the payloads, as real traffic has.
constexpr int kUtcOffset = 16;
constexpr int64_t kSecondsPerWeek = 604800;
constexpr int64_t kStartGpsSeconds = 1745 * kSecondsPerWeek + 16 * 3600 + 15 * 60 + 58 + kUtcOffset;
constexpr std::chrono::sys_days kGpsEpoch{std::chrono::year{1980} / std::chrono::January / 6};

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
constexpr double kLatitude = 48.137154 * kRadiansPerDegree;
constexpr double kLongitude = 11.575490 * kRadiansPerDegree;
constexpr double kAltitude = 519.27;

struct Satellite {
  uint8_t prn;
  float elevation;  // degrees at the start of the stream
  float azimuth;    // degrees
  float amu;        // signal level
};

// Channel i tracks kSky[i]; the last one is low and excluded from the fix.
constexpr int kChannels = 12;
constexpr Satellite kSky[kChannels] = {
    {5, 71.2f, 301.5f, 19.6f},  {12, 43.8f, 64.0f, 15.2f},  {16, 66.4f, 211.9f, 18.7f},
    {2, 38.1f, 148.3f, 13.9f},  {21, 27.5f, 282.6f, 11.4f}, {25, 52.0f, 95.7f, 16.8f},
    {29, 18.9f, 17.2f, 9.0f},   {31, 33.3f, 243.0f, 12.6f}, {10, 12.7f, 186.4f, 7.9f},
    {18, 57.6f, 328.8f, 17.3f}, {26, 22.1f, 121.5f, 10.2f}, {14, 6.4f, 40.9f, 4.8f},
};
constexpr int kExcludedChannel = kChannels - 1;

struct Epoch {
  int round;
  uint16_t week;
  uint32_t tow;                                // GPS seconds into the week
  int year, month, day, hour, minute, second;  // UTC calendar
};

Epoch MakeEpoch(int round) {
  const int64_t gps = kStartGpsSeconds + round;
  const int64_t utc = gps - kUtcOffset;
  const std::chrono::year_month_day date{kGpsEpoch + std::chrono::days{utc / 86400}};
  const int secondOfDay = static_cast<int>(utc % 86400);
  return {round,
          static_cast<uint16_t>(gps / kSecondsPerWeek),
          static_cast<uint32_t>(gps % kSecondsPerWeek),
          static_cast<int>(date.year()),
          static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          secondOfDay / 3600,
          secondOfDay / 60 % 60,
          secondOfDay % 60};
}

// A deterministic wobble in -1 .. +1, repeating every `period` rounds, for values that drift.
float Wobble(int round, int salt, int period) {
  const int phase = (round * 7 + salt * 13) % period;
  return static_cast<float>(2 * phase - (period - 1)) / static_cast<float>(period - 1);
}

uint8_t* Add(std::vector<SamplePacket>& out, uint8_t id, size_t length) {
  out.push_back({id, std::vector<uint8_t>(length, 0)});
  return out.back().payload.data();
}

void WriteI16(int v, uint8_t* p) { WriteU16(static_cast<uint16_t>(v), p); }

float SignalLevel(const Epoch& e, int channel) {
  return kSky[channel].amu + 0.3f * Wobble(e.round, channel, 9);
}

void AddPrimaryTiming(std::vector<SamplePacket>& out, const Epoch& e) {
  uint8_t* p = Add(out, 0x8F, 17);
  p[0] = 0xAB;
  WriteU32(e.tow, p + 1);
  WriteU16(e.week, p + 5);
  WriteI16(kUtcOffset, p + 7);
  p[9] = 0x01;  // calendar fields are UTC
  p[10] = static_cast<uint8_t>(e.second);
  p[11] = static_cast<uint8_t>(e.minute);
  p[12] = static_cast<uint8_t>(e.hour);
  p[13] = static_cast<uint8_t>(e.day);
  p[14] = static_cast<uint8_t>(e.month);
  WriteU16(static_cast<uint16_t>(e.year), p + 15);
}

void AddSupplementalTiming(std::vector<SamplePacket>& out, const Epoch& e) {
  // A self-survey that started with the stream and completes after 100 rounds.
  const int survey = e.round < 100 ? e.round : 100;
  uint8_t* p = Add(out, 0x8F, 68);
  p[0] = 0xAC;
  p[1] = 7;  // overdetermined clock
  p[3] = static_cast<uint8_t>(survey);
  WriteU16(survey < 100 ? 0x0020 : 0x0000, p + 10);  // self-survey activity alarm
  p[12] = 0;                                         // doing fixes
  WriteSingle(1.85f * Wobble(e.round, 1, 17), p + 16);
  WriteSingle(0.031f * Wobble(e.round, 2, 23), p + 20);
  // Not shown by the monitor, but filled as the receiver does: DAC value, DAC volts, temperature.
  WriteU32(0x8010A2C4u + static_cast<uint32_t>(e.round % 64), p + 24);
  WriteSingle(0.1284f + 0.0002f * Wobble(e.round, 3, 11), p + 28);
  WriteSingle(36.03f + 0.02f * Wobble(e.round, 4, 29), p + 32);
  WriteDouble(kLatitude, p + 36);
  WriteDouble(kLongitude, p + 44);
  WriteDouble(kAltitude, p + 52);
  WriteSingle(2.4f * Wobble(e.round, 5, 19), p + 60);
  p[64] = 1;  // PPS generated
}

void AddTrackingStatus(std::vector<SamplePacket>& out, const Epoch& e, int channel) {
  const Satellite& sat = kSky[channel];
  const float drift = 0.004f * static_cast<float>(e.round);
  uint8_t* p = Add(out, 0x5C, 24);
  p[0] = sat.prn;
  p[1] = static_cast<uint8_t>(channel << 3);
  p[2] = 1;  // acquired
  p[3] = 1;  // good ephemeris
  WriteSingle(SignalLevel(e, channel), p + 4);
  WriteSingle(static_cast<float>(e.tow) - 0.068f, p + 8);
  WriteSingle(static_cast<float>((sat.elevation + drift) * kRadiansPerDegree), p + 12);
  WriteSingle(static_cast<float>((sat.azimuth + drift) * kRadiansPerDegree), p + 16);
}

void AddSatelliteSelection(std::vector<SamplePacket>& out, const Epoch& e) {
  uint8_t* p = Add(out, 0x6D, 17 + kChannels);
  p[0] = 0x04;  // not read by the monitor
  const float hdop = 0.84f + 0.02f * Wobble(e.round, 6, 13);
  const float vdop = 1.31f + 0.03f * Wobble(e.round, 7, 13);
  WriteSingle(1.56f + 0.03f * Wobble(e.round, 8, 13), p + 1);
  WriteSingle(hdop, p + 5);
  WriteSingle(vdop, p + 9);
  WriteSingle(0.77f + 0.02f * Wobble(e.round, 9, 13), p + 13);
  for (int i = 0; i < kChannels; ++i) {
    const int prn = i == kExcludedChannel ? -kSky[i].prn : kSky[i].prn;
    p[17 + i] = static_cast<uint8_t>(prn);
  }
}

void AddGpsTime(std::vector<SamplePacket>& out, const Epoch& e) {
  uint8_t* p = Add(out, 0x41, 10);
  WriteSingle(static_cast<float>(e.tow), p);
  WriteU16(e.week, p + 4);
  WriteSingle(static_cast<float>(kUtcOffset), p + 6);
}

void AddComprehensiveTime(std::vector<SamplePacket>& out, const Epoch& e) {
  uint8_t* p = Add(out, 0x8F, 74);
  p[0] = 0x0B;
  WriteDouble(static_cast<double>(e.tow) - kUtcOffset, p + 3);  // UTC, the offset being positive
  p[11] = static_cast<uint8_t>(e.day);
  p[12] = static_cast<uint8_t>(e.month);
  WriteU16(static_cast<uint16_t>(e.year), p + 13);
  p[15] = 6;  // overdetermined clock
  WriteI16(kUtcOffset, p + 16);
  WriteDouble(-2.714 + 0.35 * Wobble(e.round, 10, 31), p + 18);
  WriteDouble(0.0093 * Wobble(e.round, 11, 37), p + 26);
  WriteSingle(3.72f, p + 34);
  WriteSingle(0.061f, p + 38);
  WriteDouble(kLatitude, p + 42);
  WriteDouble(kLongitude, p + 50);
  WriteDouble(kAltitude, p + 58);
  // Eight slots: seven satellites of the fix and, negative, the one that is tracked but not used.
  for (int i = 0; i < 7; ++i)
    p[66 + i] = kSky[i].prn;
  p[73] = static_cast<uint8_t>(-kSky[kExcludedChannel].prn);
}

void AddRawMeasurement(std::vector<SamplePacket>& out, const Epoch& e) {
  const int channel = e.round % kChannels;
  const Satellite& sat = kSky[channel];
  uint8_t* p = Add(out, 0x5A, 25);
  p[0] = sat.prn;
  WriteSingle(20.0f, p + 1);
  WriteSingle(SignalLevel(e, channel), p + 5);
  WriteSingle(static_cast<float>((sat.prn * 977 + e.round * 131) % 16368) + 0.25f, p + 9);
  WriteSingle(static_cast<float>(sat.prn * 613 % 9000 - 4500) + 0.37f * e.round, p + 13);
  WriteDouble(static_cast<double>(e.tow) - 0.068, p + 17);
}

void AddEphemerisStatus(std::vector<SamplePacket>& out, const Epoch& e) {
  const Satellite& sat = kSky[(e.round + 5) % kChannels];
  const uint32_t toe = (e.tow / 7200 + 1) * 7200;  // next even two hours
  uint8_t* p = Add(out, 0x5B, 16);
  p[0] = sat.prn;
  WriteSingle(static_cast<float>(toe - 7200 + 18 * sat.prn), p + 1);
  p[5] = 0;  // healthy
  p[6] = static_cast<uint8_t>(toe / 7200 * 8 + sat.prn);
  WriteSingle(static_cast<float>(toe), p + 7);
  p[11] = 0;
  WriteSingle(2.4f, p + 12);
}

}  // namespace

std::vector<SamplePacket> SampleReportPackets(int seconds) {
  std::vector<SamplePacket> out;
  out.reserve(static_cast<size_t>(seconds > 0 ? seconds : 0) * (9 + kChannels));
  for (int round = 0; round < seconds; ++round) {
    const Epoch e = MakeEpoch(round);
    AddPrimaryTiming(out, e);
    AddSupplementalTiming(out, e);
    for (int channel = 0; channel < kChannels; ++channel)
      AddTrackingStatus(out, e, channel);
    AddSatelliteSelection(out, e);
    uint8_t* health = Add(out, 0x46, 2);
    health[0] = 0;  // doing fixes
    AddGpsTime(out, e);
    AddComprehensiveTime(out, e);
    AddRawMeasurement(out, e);
    AddEphemerisStatus(out, e);
  }
  return out;
}

std::vector<uint8_t> FramePackets(const std::vector<SamplePacket>& packets) {
  std::vector<uint8_t> stream;
  std::vector<uint8_t> bytes;
  std::vector<uint8_t> frame;
  for (const SamplePacket& packet : packets) {
    bytes.assign(1, packet.id);
    bytes.insert(bytes.end(), packet.payload.begin(), packet.payload.end());
    frame.resize(2 * bytes.size() + 3);
    const int length = FrameBytes(bytes, frame.data());
    stream.insert(stream.end(), frame.begin(), frame.begin() + length);
  }
  return stream;
}

std::vector<uint8_t> SampleReportStream(int seconds) {
  return FramePackets(SampleReportPackets(seconds));
}

}  // namespace zelkon

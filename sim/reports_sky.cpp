// Satellite, measurement, system-data and position reports.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/gps_time.h"
#include "sim/reports.h"

namespace zelkon::sim {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

double TimeOfWeek(double gps) { return gps - std::floor(gps / kSecondsPerWeek) * kSecondsPerWeek; }

// The almanac the receiver holds for a satellite, as the 0x40 report carries it.
std::vector<uint8_t> GeneratedAlmanac(const Receiver& r, int prn) {
  Random orbit(r.options.seed * 1000003ULL + static_cast<uint64_t>(prn));
  const double t = r.TrueGps();
  const double week = std::floor(t / kSecondsPerWeek);
  const double toa = std::floor(TimeOfWeek(t) / 61440.0) * 61440.0;
  PayloadWriter p;
  p.U8(prn)
      .Single(toa)
      .U16(static_cast<int>(week))
      .Single(orbit.Uniform(0.001, 0.02))                           // eccentricity
      .Single(toa)                                                  // T_oa
      .Single(orbit.Uniform(0.94, 0.98))                            // i_o
      .Single(orbit.Uniform(-8.6e-9, -7.8e-9))                      // OMEGA_dot
      .Single(orbit.Uniform(5153.5, 5153.8))                        // square root of A
      .Single(orbit.Uniform(-std::numbers::pi, std::numbers::pi))   // OMEGA 0
      .Single(orbit.Uniform(-std::numbers::pi, std::numbers::pi))   // omega
      .Single(orbit.Uniform(-std::numbers::pi, std::numbers::pi));  // M 0
  return p.Build(0x40).payload;
}

std::vector<uint8_t> GeneratedSystemData(const Receiver& r, int type, int sv) {
  switch (type) {
    case 2:
      return GeneratedAlmanac(r, sv);
    case 3: {  // health page, t_oa (4096 s units), week of the almanac
      PayloadWriter p;
      for (int prn = 1; prn <= kPrnCount; ++prn)
        p.U8(r.sky.Active(prn) ? 0x00 : 0x3F);
      const double t = r.TrueGps();
      return p.U8(static_cast<int>(TimeOfWeek(t) / 4096.0))
          .U8(static_cast<int>(t / kSecondsPerWeek) & 0xFF)
          .Build(0)
          .payload;
    }
    case 4:  // ionosphere: alpha 0..3, beta 0..3
      return PayloadWriter()
          .Single(1.1176e-8)
          .Single(7.4506e-9)
          .Single(-5.9605e-8)
          .Single(-5.9605e-8)
          .Single(90112.0)
          .Single(16384.0)
          .Single(-196608.0)
          .Single(-65536.0)
          .Build(0)
          .payload;
    case 5:
      return UtcParamsReport(r).payload;
    default:
      return {};
  }
}

// Earth-centred coordinates of a geodetic position (WGS-84).
struct Ecef {
  double x, y, z;
};

Ecef EcefOf(const Fix& p) {
  constexpr double a = 6378137.0;
  constexpr double e2 = 6.69437999014e-3;
  const double sinLat = std::sin(p.latitude);
  const double n = a / std::sqrt(1 - e2 * sinLat * sinLat);
  return {(n + p.altitude) * std::cos(p.latitude) * std::cos(p.longitude),
          (n + p.altitude) * std::cos(p.latitude) * std::sin(p.longitude),
          (n * (1 - e2) + p.altitude) * sinLat};
}

}  // namespace

std::vector<Packet> TrackingStatusReports(const Receiver& r) {
  std::vector<Packet> reports;
  const double t = r.TrueGps();
  for (size_t i = 0; i < r.sky.Channels().size(); ++i) {
    const Channel& channel = r.sky.Channels()[i];
    if (channel.prn == 0) continue;
    reports.push_back(PayloadWriter()
                          .U8(channel.prn)
                          .U8(static_cast<int>(i) << 3)
                          .U8(1)  // acquired
                          .U8(r.sky.HasEphemeris(channel, t) ? 1 : 0)
                          .Single(channel.amu)
                          .Single(TimeOfWeek(std::floor(t)))  // last measurement
                          .Single(r.sky.Elevation(channel.prn, t) * kDegree)
                          .Single(r.sky.Azimuth(channel.prn, t) * kDegree)
                          .Zeros(4)
                          .Build(0x5C));
  }
  return reports;
}

Packet SatelliteSelectionReport(const Receiver& r) {
  const std::vector<int> selection =
      r.Acquired() ? r.sky.Selection(r.TrueGps()) : std::vector<int>{};
  const int used = static_cast<int>(
      std::count_if(selection.begin(), selection.end(), [](int prn) { return prn > 0; }));
  const Dops dops = Sky::DopsFor(used);
  PayloadWriter p;
  p.U8((used << 4) | (used >= 4 ? 4 : 3))
      .Single(dops.pdop)
      .Single(dops.hdop)
      .Single(dops.vdop)
      .Single(dops.tdop);
  for (int prn : selection)
    p.U8(prn);
  return p.Build(0x6D);
}

Packet RawMeasurementReport(const Receiver& r, int prn) {
  const double t = r.TrueGps();
  const Channel* channel = r.sky.ChannelOf(prn);
  PayloadWriter p;
  p.U8(prn).Single(20.0);  // sample length, ms
  if (channel == nullptr) return p.Single(0).Single(0).Single(0).Double(0).Build(0x5A);
  const double codePhase = std::fmod(t * 1000.0 + prn * 977.0, 16368.0);  // 1/16 chip
  return p.Single(channel->amu)
      .Single(codePhase)
      .Single(r.sky.Doppler(prn, t))
      .Double(TimeOfWeek(std::floor(t)))
      .Build(0x5A);
}

Packet EphemerisStatusReport(const Receiver& r, int prn) {
  const double t = r.TrueGps();
  const Channel* channel = r.sky.ChannelOf(prn);
  const bool collected = channel != nullptr && r.sky.HasEphemeris(*channel, t);
  const double toe = std::floor(TimeOfWeek(t) / 7200.0) * 7200.0 + 7200.0;
  return PayloadWriter()
      .U8(prn)
      .Single(collected ? TimeOfWeek(channel->since + kEphemerisSeconds) : 0.0)
      .U8(r.sky.Active(prn) ? 0x00 : 0x3F)
      .U8(collected ? static_cast<int>(toe / 7200.0) & 0xFF : 0)  // IODE
      .Single(collected ? toe : 0.0)
      .U8(0)                          // fit interval flag
      .Single(collected ? 2.8 : 0.0)  // URA, metres
      .Build(0x5B);
}

std::optional<Packet> AlmanacReport(const Receiver& r, int prn) {
  if (prn < 1 || prn > kPrnCount) return std::nullopt;
  if (const auto* loaded = r.LoadedSystemData(2, prn); loaded != nullptr && loaded->size() == 39) {
    Packet packet{0x40, *loaded};
    packet.payload[0] = static_cast<uint8_t>(prn);
    return packet;
  }
  if (!r.AlmanacComplete()) return std::nullopt;
  return Packet{0x40, GeneratedAlmanac(r, prn)};
}

Packet AlmanacHealthReport(const Receiver& r) {
  PayloadWriter p;
  for (int prn = 1; prn <= kPrnCount; ++prn)
    p.U8(r.sky.Active(prn) ? 0x00 : 0x3F);
  return p.Build(0x49);
}

Packet UtcParamsReport(const Receiver& r) {
  const UtcSegment utc = r.UtcParameters();
  return PayloadWriter()
      .Double(utc.a0)
      .Single(utc.a1)
      .U16(utc.deltaTls)
      .Single(utc.tot)
      .U16(utc.wnT)
      .U16(utc.wnLsf)
      .U16(utc.dn)
      .U16(utc.deltaTlsf)
      .Build(0x4F);
}

Packet SystemDataReport(const Receiver& r, int type, int sv) {
  std::vector<uint8_t> data;
  if (const auto* loaded = r.LoadedSystemData(type, sv)) {
    data = *loaded;
  } else if (r.AlmanacComplete() && type >= 2 && type <= 5 &&
             (type != 2 || (sv >= 1 && sv <= kPrnCount))) {
    data = GeneratedSystemData(r, type, sv);
  } else {
    return PayloadWriter().U8(0).U8(type).U8(sv).U8(0).Build(0x58);  // not available
  }
  return PayloadWriter()
      .U8(2)
      .U8(type)
      .U8(sv)
      .U8(static_cast<int>(data.size()))
      .Bytes(data)
      .Build(0x58);
}

Packet SystemDataLoadReport(bool accepted, int type, int sv) {
  return PayloadWriter().U8(accepted ? 1 : 0).U8(type).U8(sv).U8(0).Build(0x58);
}

std::vector<Packet> PositionVelocityReports(const Receiver& r) {
  std::vector<Packet> reports;
  const Fix fix = r.Position();
  const Ecef ecef = EcefOf(fix);
  const double bias = r.PpsOffsetNs() * 0.299792458;
  const double biasRate = r.OscillatorOffsetPpb() * 0.299792458;
  const float fixTime = static_cast<float>(TimeOfWeek(std::floor(r.TrueGps())));
  const uint8_t* io = r.config.io.ioOptions;
  const bool doublePrecision = (io[0] & 0x10) != 0;
  if (io[0] & 0x01) {
    reports.push_back(
        doublePrecision
            ? PayloadWriter()
                  .Double(ecef.x)
                  .Double(ecef.y)
                  .Double(ecef.z)
                  .Double(bias)
                  .Single(fixTime)
                  .Build(0x83)
            : PayloadWriter().Single(ecef.x).Single(ecef.y).Single(ecef.z).Single(fixTime).Build(
                  0x42));
  }
  if (io[0] & 0x02) {
    reports.push_back(doublePrecision ? PayloadWriter()
                                            .Double(fix.latitude)
                                            .Double(fix.longitude)
                                            .Double(fix.altitude)
                                            .Double(bias)
                                            .Single(fixTime)
                                            .Build(0x84)
                                      : PayloadWriter()
                                            .Single(fix.latitude)
                                            .Single(fix.longitude)
                                            .Single(fix.altitude)
                                            .Single(bias)
                                            .Single(fixTime)
                                            .Build(0x4A));
  }
  if (io[1] & 0x01) {
    reports.push_back(
        PayloadWriter().Single(0).Single(0).Single(0).Single(biasRate).Single(fixTime).Build(0x43));
  }
  if (io[1] & 0x02) {
    reports.push_back(
        PayloadWriter().Single(0).Single(0).Single(0).Single(biasRate).Single(fixTime).Build(0x56));
  }
  reports.push_back(PayloadWriter().Single(bias).Single(biasRate).Single(fixTime).Build(0x54));
  return reports;
}

}  // namespace zelkon::sim

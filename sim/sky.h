// The emulated sky: a constellation whose satellites rise, cross and set, and the twelve receiver
// channels that track the highest of them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sim/random.h"

namespace zelkon::sim {

inline constexpr int kPrnCount = 32;
inline constexpr int kChannels = 12;
// Satellites used in a fix at most.
inline constexpr int kMaxSelected = 8;
// Seconds of tracking until a satellite's ephemeris is collected.
inline constexpr double kEphemerisSeconds = 18;

struct Channel {
  int prn = 0;       // 0: free
  double since = 0;  // GPS time the satellite was acquired
  float amu = 0;     // signal level
};

struct Dops {
  float pdop = 0;
  float hdop = 0;
  float vdop = 0;
  float tdop = 0;
};

class Sky {
 public:
  explicit Sky(uint64_t seed);

  // Whether a PRN (1..32) is part of the constellation (the others are reported unhealthy).
  bool Active(int prn) const;
  // Degrees above the horizon (negative below) and degrees from north, at GPS time t.
  double Elevation(int prn, double t) const;
  double Azimuth(int prn, double t) const;
  // Hz, from the satellite's motion.
  double Doppler(int prn, double t) const;

  // One second of tracking at time t: channels whose satellite went below the mask are freed,
  // risen satellites take free channels, highest first; signal levels move.
  void Update(double t, double maskDegrees, Random& noise);
  // Tracking lost (a reset): every channel is freed.
  void LoseTracking();

  const std::array<Channel, kChannels>& Channels() const { return channels_; }
  int TrackedCount() const;
  bool HasEphemeris(const Channel& channel, double t) const {
    return channel.prn != 0 && t - channel.since >= kEphemerisSeconds;
  }
  // The channel tracking a PRN, or nullptr.
  const Channel* ChannelOf(int prn) const;

  // The satellites of the fix at time t, highest first: positive when used, negative when
  // excluded by the integrity check (the lowest one, for a few seconds now and then).
  std::vector<int> Selection(double t) const;
  static Dops DopsFor(int usedCount);

 private:
  struct Orbit {
    bool active = false;
    double amplitude = 0;  // peak elevation as a fraction of 90 degrees
    double phase = 0;      // 0..1 of the pass cycle
    double azimuth = 0;    // degrees at t = 0
    double azimuthRate = 0;
  };
  std::array<Orbit, kPrnCount + 1> orbits_{};  // index = PRN
  std::array<Channel, kChannels> channels_{};
};

}  // namespace zelkon::sim

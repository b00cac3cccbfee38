#include "sim/sky.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zelkon::sim {
namespace {

// Half a sidereal day: a satellite passes over about twice a day.
constexpr double kCycleSeconds = 43082.0;
constexpr int kActiveCount = 24;

double Cycle(double phase, double t) { return 2 * std::numbers::pi * (t / kCycleSeconds + phase); }

}  // namespace

Sky::Sky(uint64_t seed) {
  Random random(seed ^ 0x5C5C5C5CULL);
  // 24 of the 32 PRNs fly; which ones depends on the seed.
  std::array<int, kPrnCount> prns{};
  for (int i = 0; i < kPrnCount; ++i)
    prns[static_cast<size_t>(i)] = i + 1;
  for (int i = kPrnCount - 1; i > 0; --i) {
    std::swap(prns[static_cast<size_t>(i)], prns[random.Next() % static_cast<uint64_t>(i + 1)]);
  }
  for (int i = 0; i < kActiveCount; ++i) {
    Orbit& orbit = orbits_[static_cast<size_t>(prns[static_cast<size_t>(i)])];
    orbit.active = true;
    orbit.amplitude = random.Uniform(0.55, 1.0);
    // Spread evenly over the cycle so that the sky always holds about the same number.
    orbit.phase = (i + random.Uniform(0.0, 0.8)) / kActiveCount;
    orbit.azimuth = random.Uniform(0.0, 360.0);
    orbit.azimuthRate = random.Uniform(4.0, 12.0) / 3600.0 * (random.Uniform() < 0.5 ? -1 : 1);
  }
}

bool Sky::Active(int prn) const {
  return prn >= 1 && prn <= kPrnCount && orbits_[static_cast<size_t>(prn)].active;
}

double Sky::Elevation(int prn, double t) const {
  if (!Active(prn)) return -90;
  const Orbit& orbit = orbits_[static_cast<size_t>(prn)];
  return 90.0 * orbit.amplitude * std::sin(Cycle(orbit.phase, t));
}

double Sky::Azimuth(int prn, double t) const {
  if (!Active(prn)) return 0;
  const Orbit& orbit = orbits_[static_cast<size_t>(prn)];
  const double azimuth = std::fmod(orbit.azimuth + orbit.azimuthRate * t, 360.0);
  return azimuth < 0 ? azimuth + 360.0 : azimuth;
}

double Sky::Doppler(int prn, double t) const {
  if (!Active(prn)) return 0;
  const Orbit& orbit = orbits_[static_cast<size_t>(prn)];
  return -4200.0 * std::cos(Cycle(orbit.phase, t));  // approaching while rising
}

void Sky::Update(double t, double maskDegrees, Random& noise) {
  for (Channel& channel : channels_) {
    if (channel.prn != 0 && Elevation(channel.prn, t) < maskDegrees) channel = Channel{};
  }
  std::vector<std::pair<double, int>> risen;
  for (int prn = 1; prn <= kPrnCount; ++prn) {
    const double elevation = Elevation(prn, t);
    if (elevation >= maskDegrees && ChannelOf(prn) == nullptr) risen.emplace_back(elevation, prn);
  }
  std::sort(risen.rbegin(), risen.rend());
  auto next = risen.begin();
  for (Channel& channel : channels_) {
    if (channel.prn == 0 && next != risen.end()) {
      channel.prn = (next++)->second;
      channel.since = t;
    }
  }
  for (Channel& channel : channels_) {
    if (channel.prn == 0) continue;
    const double sine = std::max(0.0, std::sin(Elevation(channel.prn, t) * std::numbers::pi / 180));
    channel.amu =
        static_cast<float>(std::max(1.0, 4.0 + 14.0 * std::sqrt(sine) + 0.3 * noise.Normal()));
  }
}

void Sky::LoseTracking() { channels_.fill(Channel{}); }

int Sky::TrackedCount() const {
  return static_cast<int>(std::count_if(channels_.begin(), channels_.end(),
                                        [](const Channel& c) { return c.prn != 0; }));
}

const Channel* Sky::ChannelOf(int prn) const {
  for (const Channel& channel : channels_) {
    if (channel.prn == prn && prn != 0) return &channel;
  }
  return nullptr;
}

std::vector<int> Sky::Selection(double t) const {
  std::vector<std::pair<double, int>> usable;
  for (const Channel& channel : channels_) {
    if (HasEphemeris(channel, t)) usable.emplace_back(Elevation(channel.prn, t), channel.prn);
  }
  std::sort(usable.rbegin(), usable.rend());
  if (usable.size() > static_cast<size_t>(kMaxSelected)) usable.resize(kMaxSelected);
  std::vector<int> prns;
  for (const auto& [elevation, prn] : usable)
    prns.push_back(prn);
  // For 7 seconds of every 97, the integrity check rejects the lowest satellite.
  if (prns.size() >= 5 && std::fmod(t, 97.0) < 7.0) prns.back() = -prns.back();
  return prns;
}

Dops Sky::DopsFor(int usedCount) {
  if (usedCount < 4) return Dops{99.0f, 99.0f, 99.0f, 99.0f};
  const float pdop = 1.0f + 6.0f / static_cast<float>(usedCount);
  return Dops{pdop, pdop * 0.55f, pdop * 0.83f, pdop * 0.48f};
}

}  // namespace zelkon::sim

// A small seeded generator whose stream is the same on every platform and library (the standard
// distributions are not), so that one seed always gives one receiver.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>

namespace zelkon::sim {

class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}

  // splitmix64.
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  double Uniform(double low, double high) { return low + (high - low) * Uniform(); }
  // Standard normal (Box-Muller).
  double Normal() {
    const double u = 1.0 - Uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * Uniform());
  }
  bool Chance(double probability) { return probability > 0 && Uniform() < probability; }

 private:
  uint64_t state_;
};

}  // namespace zelkon::sim

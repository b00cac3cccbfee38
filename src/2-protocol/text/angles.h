// Radians and degrees.
#pragma once

#include <numbers>

namespace zelkon {

// 180 / 3.14159 and its inverse: every angle the windows show or send is converted with these, not
// with pi, and their texts depend on it (a latitude shown differs in the sixth decimal).
inline constexpr double DegreesPerRadian = 57.295827908797776;
inline constexpr double RadiansPerDegree = 0.017453277777777776;

// The exact conversion, for values handed to other programs (the decode tool's JSON).
constexpr double DegreesOf(double radians) { return radians * (180.0 / std::numbers::pi); }

}  // namespace zelkon

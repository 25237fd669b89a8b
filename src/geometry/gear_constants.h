#pragma once

namespace kelvo {

// The program's value of pi. Every computation uses this decimal constant rather than the
// full-precision value, so results (and the 20-degree pressure angle derived from it) agree
// with the reference figures of the gear tables this tool reproduces.
inline constexpr double kPi = 3.1415926;
inline constexpr double kTwoPi = 6.2831852;

// Normal pressure angle of the 20-degree standard rack: 20 degrees converted with kPi.
inline constexpr double kNormalPressureAngle = 62.831852 / 180;

// Reference profile proportions, in modules.
inline constexpr double kAddendumCoefficient = 1.0;
inline constexpr double kDedendumCoefficient = 1.25;

// Degrees typed by the user to radians, the multiplication first.
inline constexpr double DegreesToRadians(double degrees) {
  return degrees * kPi / 180;
}

}  // namespace kelvo

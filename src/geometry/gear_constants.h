#pragma once

namespace kelvo {

// The program's pi, the one name for it in the gear formulas (the solver, the rack cutter, the
// rolling plan, degrees to radians): the decimal 3.1415926, not the full-precision value, so that
// every derived figure (the 20-degree pressure angle included) agrees to the last digit with the
// gear tables this tool reproduces. A full turn is 2 * kPi, exactly 6.2831852 in a double.
// Measuring a solid, which reads angles off the modeller's exact geometry, uses the exact
// std::numbers::pi instead (occt_gear_measurement.cpp).
inline constexpr double kPi = 3.1415926;

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

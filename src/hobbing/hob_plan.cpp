#include "hobbing/hob_plan.h"

#include <cmath>

#include "geometry/rounding.h"
#include "hobbing/checked_arithmetic.h"

namespace kelvo {
namespace {

const double kTanAlpha = std::tan(kNormalPressureAngle);

}  // namespace

CutGear GearToCut(const GearPairData& pair, std::int16_t gearNo) {
  if (gearNo == 1) return {pair.z1, pair.x1, pair.d1, pair.h1, pair.da1};
  return {pair.z2, pair.x2, pair.d2, pair.h2, pair.da2};
}

RackProfile RackProfilePoints(double m) {
  const double a_x = Finite(-kPi * m / 4);
  const double b_x = Finite(a_x - 1.25 * m * kTanAlpha);
  const double c_x = Finite(a_x + m * kTanAlpha);
  const double c_y = -m;
  const double tip_radius = Finite(0.38 * m);
  const double d_x = Finite(c_x + tip_radius * std::cos(kNormalPressureAngle));
  const double d_y = Finite(c_y + tip_radius * std::sin(kNormalPressureAngle));
  const double top = Finite(1.25 * m);
  return {tip_radius, {b_x, top, 0}, {-b_x, top, 0}, {d_x, d_y, 0}, {-d_x, d_y, 0}};
}

double HalfTravel(const GearPairData& pair, std::int16_t gearNo) {
  const CutGear gear = GearToCut(pair, gearNo);
  const double tip_radius = Finite(gear.da / 2);
  const double root_radius = Finite(tip_radius - gear.h);
  const double half_chord = Sqr(Finite(std::pow(tip_radius, 2)) - Finite(std::pow(root_radius, 2)));
  const double half_tip_width =
      Div(Finite(pair.m * kPi / 4) - Finite(1.25 * pair.m * kTanAlpha), std::cos(pair.beta));
  const double helix_reach = Finite(pair.b * std::tan(pair.beta) / 2);
  return Finite(half_chord + half_tip_width + helix_reach);
}

double RoundedStepsPerPitch(double fineness, std::int16_t z) {
  return RoundHalfEven(Finite(fineness * Sqr(Div(20, z))));
}

double CappedStepsPerPitch(double stepsPerPitch, std::int16_t gearNo) {
  if (stepsPerPitch < 1) stepsPerPitch = 1;
  const double cap = gearNo == 1 ? 12 : 6;
  if (stepsPerPitch > cap) stepsPerPitch = cap;
  return stepsPerPitch;
}

double RollStep(double m, double stepsPerPitch, double beta) {
  return Div(Finite(kPi * m), Finite(stepsPerPitch * std::cos(beta)));
}

double RollAngle(std::int16_t z, double stepsPerPitch) {
  return Div(2 * kPi, Finite(z * stepsPerPitch));
}

std::int32_t PositionCount(double halfTravel, double rollStep) {
  return IntPlusOne(Div(Finite(2 * halfTravel), rollStep));
}

double PolarFillAngle(std::int16_t z) {
  return 2 * kPi - Div(2 * kPi, z);
}

}  // namespace kelvo

namespace kelvo {

double FirstSpaceAngle(const GearPairData& pair, std::int16_t gearNo, double fineness) {
  const CutGear gear = GearToCut(pair, gearNo);
  // As HobGear: a fineness it cannot use counts as 0, raised to the least of one position.
  double rounded = 0;
  try {
    rounded = RoundedStepsPerPitch(fineness, gear.z);
  } catch (const HobbingError&) {
  }
  const double stepsPerPitch = CappedStepsPerPitch(rounded, gearNo);
  const double halfTravel = HalfTravel(pair, gearNo);
  const double rollStep = RollStep(pair.m, stepsPerPitch, pair.beta);
  const double rollAngle = RollAngle(gear.z, stepsPerPitch);
  const std::int32_t positionCount = PositionCount(halfTravel, rollStep);
  const double rollingRadius = Div(rollStep, rollAngle);
  return Finite(kPi / 2 + Div(halfTravel, rollingRadius) - positionCount * rollAngle);
}

}  // namespace kelvo

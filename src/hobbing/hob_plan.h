#pragma once

#include <cstdint>

#include "cad/cad_application.h"
#include "geometry/gear_constants.h"
#include "geometry/gear_pair_data.h"

namespace kelvo {

// The arithmetic of cutting one gear by hobbing, free of any CAD call. Every function checks
// its steps (checked_arithmetic.h) and throws HobbingError where a step fails.

// The gear of the pair that is cut: gearNo 1 is the small gear, every other value the large.
struct CutGear {
  std::int16_t z;  // number of teeth
  double x;        // normal profile-shift coefficient
  double d;        // reference diameter
  double h;        // whole depth
  double da;       // tip diameter
};
CutGear GearToCut(const GearPairData& pair, std::int16_t gearNo);

// One tooth of the 20-degree standard rack in its own frame: origin on the datum line in the
// middle of the tooth, +y into the cutter body, the tip towards -y, in the plane z = 0. The
// flanks run from 1.25 m above the datum line down to 1 m below it, where tip arcs of 0.38 m
// take over; the arcs generate the gear's root fillet.
struct RackProfile {
  double tipRadius;           // 0.38 m
  cad::Point leftTop;         // upper end of the left flank
  cad::Point rightTop;        // its mirror image
  cad::Point leftArcCentre;   // centre of the left tip arc
  cad::Point rightArcCentre;  // its mirror image
};
RackProfile RackProfilePoints(double m);

// The tip arcs' angles, with the program's pi: the left arc runs counter-clockwise from the
// flank's normal (pi + alpha) down to its lowest point (3 pi / 2), the right arc on from its
// lowest point to the right flank's normal (-alpha).
inline constexpr double kLeftTipArcStart = (20.0 / 180 + 1) * kPi;
inline constexpr double kTipArcBottom = 1.5 * kPi;
inline constexpr double kRightTipArcEnd = -kNormalPressureAngle;

// Half the cutter's travel along X: half the chord that the root line cuts from the tip
// circle, plus the transverse half-width of the cutter at its tip, plus the sideways reach of
// the tilted cutter over half the face width.
double HalfTravel(const GearPairData& pair, std::int16_t gearNo);

// Generating positions per pitch before the caps: fineness x Sqr(20 / z), half to even. Fewer
// teeth need finer steps for the same flank, more teeth fewer.
double RoundedStepsPerPitch(double fineness, std::int16_t z);
// At least one position per pitch; at most 12 for the small gear and 6 for the large one,
// whose many teeth would otherwise make the rolling cut long for little gain.
double CappedStepsPerPitch(double stepsPerPitch, std::int16_t gearNo);
// The cutter's advance per position: the transverse pitch pi m / cos beta over the steps.
double RollStep(double m, double stepsPerPitch, double beta);
// The blank's turn per position: one angular pitch 2 pi / z over the steps.
double RollAngle(std::int16_t z, double stepsPerPitch);
// Positions that carry the cutter from its parked start across the whole travel.
std::int32_t PositionCount(double halfTravel, double rollStep);
// The angle the polar array of z blanks fills: every pitch but the blank's own.
double PolarFillAngle(std::int16_t z);

}  // namespace kelvo

namespace kelvo {

// Where the cut of gear gearNo of pair leaves its first space, at the given fineness: the angle
// (from +X, counter-clockwise, with the program's pi) of the middle of that space in the middle
// plane z = 0 of the finished gear, as HobGear leaves it about the origin. The other spaces
// follow at whole pitches 2 pi / z.
//
// The cutter's tooth rolls with the blank: at position i it stands at x = -halfTravel + i rollStep
// while the blank has turned clockwise by i rollAngle, and rollStep / rollAngle is the rolling
// radius d / 2. So the tooth stood over the axis (x = 0), cutting the space at +Y, when the blank
// had turned by halfTravel / (d / 2); the cut ends turned by positionCount rollAngle. The space
// therefore lies at pi / 2 + halfTravel / (d / 2) - positionCount rollAngle. HobbingError where a
// step of the plan fails (as it fails in HobGear).
double FirstSpaceAngle(const GearPairData& pair, std::int16_t gearNo, double fineness);

}  // namespace kelvo

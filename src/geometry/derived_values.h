#pragma once

#include <cstdint>

#include "geometry/gear_pair_data.h"

namespace kelvo {

// The values of one gear that a designer needs beside the solver's 36, for the cutter the program
// hobs with (20-degree basic rack, dedendum 1.25 m, straight flank ending 1 m below the datum,
// tip arcs of 0.38 m). Diameters and thicknesses in mm, transverse section unless said otherwise.
struct GearDerivedValues {
  double db = 0;  // base diameter
  double df = 0;  // root diameter: the circle the cutter's flat tip cuts
  double dw = 0;  // working pitch diameter, at the working centre distance
  // Root form diameter: where the involute begins. Without undercut, the point the end of the
  // cutter's straight flank generates; with undercut, where the root fillet crosses the involute,
  // the lowest point of involute the cutter leaves.
  double dFf = 0;
  // Normal tooth thickness on the tip circle; at or below 0 the flanks meet below the tip circle
  // (the value then says by how much the tip circle overshoots the point).
  double san = 0;
  double xmin = 0;        // least normal profile shift without undercut (a coefficient)
  double c = 0;           // tip clearance between this gear's tip circle and the mate's root circle
  bool undercut = false;  // x below xmin: the fillet cuts into the involute
};

struct DerivedValues {
  GearDerivedValues gear1;  // the small gear
  GearDerivedValues gear2;  // the large gear

  const GearDerivedValues& Of(std::int16_t gearNo) const { return gearNo == 1 ? gear1 : gear2; }
};

// The derived values of both gears of a pair the solver returned (m > 0, z1 and z2 at least 1).
DerivedValues DeriveValues(const GearPairData& pair);

// The least normal shift coefficient without undercut of a gear of `teeth` teeth cut by a rack
// whose straight flank ends flank_end_depth modules below its datum (1 for the program's cutter),
// at helix angle beta and transverse pressure angle alpha_t.
double LeastShiftWithoutUndercut(double teeth, double beta, double alpha_t, double flank_end_depth);

// Root form diameter of one gear of the pair (see GearDerivedValues::dFf).
double RootFormDiameter(const GearPairData& pair, std::int16_t gearNo);

}  // namespace kelvo

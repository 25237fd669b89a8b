#pragma once

#include <cstdint>

#include "geometry/gear_pair_data.h"
#include "geometry/generating_rack.h"
#include "geometry/plane.h"

namespace kelvo {

// The transverse profile that the cutter gives one gear of the pair: the counter-clockwise side
// of a tooth space, from the middle of its root outward, in the space's frame (the gear's axis at
// the origin, the space centred on the +x axis, mm). Three pieces, each with a parameter of its
// own, follow one another without a gap: the root circle (from the cutter's flat tip), the root
// fillet (from its tip arc) and the involute (from its straight flank). The space's clockwise
// side is the mirror image in the x axis; the next space lies 2 pi / z further on, pi being the
// program's constant as in the tooth thickness of the tables, so that the teeth drawn mesh
// exactly as the solver's shift sum makes them.
//
// Undercut: when the straight flank reaches below the interference point (x < xmin) the fillet
// cuts into the involute. The profile then runs along the fillet up to where the fillet crosses
// the involute and along the involute from there; the loop of the envelope between them (the end
// of the fillet and the involute's far branch) is what the cutter takes away.
class GeneratedToothSpace {
 public:
  // gearNo 1 is the small gear, any other value the large; for a pair the solver returned.
  GeneratedToothSpace(const GearPairData& pair, std::int16_t gearNo);

  Point2 RootLand(double u) const;  // u from 0 (the root's middle) to 1 (the fillet's start)
  Point2 Fillet(double phi) const;  // phi from TransverseRack::kTipArcLowest down to FilletEnd()
  Point2 Flank(double y) const;     // y from FlankStart() up to FlankEnd()

  double FilletEnd() const { return fillet_end_; }
  double FlankStart() const { return flank_start_; }
  // At the tip circle, or lower where the flank reaches the tooth's middle (a pointed tooth).
  double FlankEnd() const { return flank_end_; }

  bool Undercut() const { return undercut_; }
  bool Pointed() const { return pointed_; }
  // Radius where the involute begins: its first point above the fillet.
  double FormRadius() const { return Length(Flank(flank_start_)); }
  double BaseRadius() const { return base_radius_; }
  double TipRadius() const { return tip_radius_; }
  // Polar angle of the tooth's middle line next to this side: half the angular pitch.
  double ToothMiddleAngle() const { return tooth_middle_; }
  // Polar angle of the involute of this side at radius radius (at least the base radius): the
  // angle where it leaves the base circle plus inv of its pressure angle there.
  double InvoluteAngle(double radius) const;
  // The flank height y that generates the involute's point at radius radius.
  double FlankHeightAt(double radius) const;

 private:
  void TrimUndercut();
  void EndAtTipOrMiddle();

  TransverseRack rack_;
  RollingGear rolling_;
  double sin_alpha_t_;
  double base_radius_;
  double tip_radius_;
  double tooth_middle_;
  double involute_start_angle_;  // where the involute leaves the base circle
  bool undercut_;
  bool pointed_ = false;
  double fillet_end_;
  double flank_start_;
  double flank_end_ = 0;
};

}  // namespace kelvo

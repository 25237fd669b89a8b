#pragma once

#include <numbers>

#include "geometry/plane.h"

namespace kelvo {

// A point of the cutter's outline and its unit normal pointing out of the cutter, in the rack's
// frame: origin on the datum line in the middle of the tooth, x along the cutter's travel, y away
// from the gear's axis (the tooth points to -y).
struct RackPoint {
  Point2 at;
  Point2 normal;
};

// The rack cutter as a plane normal to the gear's axis cuts it: the 20-degree tooth of the basic
// rack, its straight flank ending 1 m below the datum in tip arcs of 0.38 m, tilted by the helix
// angle. The tilt stretches the normal section by 1 / cos(beta) along the travel, so in this
// section the flank leans at the transverse pressure angle and the tip arcs are elliptic arcs
// (semi-axes 0.38 m / cos(beta) along the travel and 0.38 m across it). Only the left half of the
// tooth (x < 0) is described; the right half is its mirror image.
class TransverseRack {
 public:
  // m the normal module, beta the helix angle, alpha_t the transverse pressure angle of the pair.
  TransverseRack(double m, double beta, double alpha_t);

  // The flat tip, u from 0 (the tooth's middle) to 1 (where the tip arc begins).
  RackPoint TipLine(double u) const;
  // The tip arc by the angle phi of the normal section's circle about its centre: from
  // kTipArcLowest (its lowest point, on the flat tip) down to TipArcTop() (pi + alpha_n, where it
  // runs into the straight flank, tangent to it).
  RackPoint TipArc(double phi) const;
  // The straight flank at height y above the datum; FlankEnd() (-m) is where it meets the arc.
  RackPoint Flank(double y) const;

  double FlankEnd() const { return -m_; }
  double TipArcTop() const;
  static constexpr double kTipArcLowest = 1.5 * std::numbers::pi;

 private:
  double m_;
  double cos_beta_;
  double tan_alpha_t_;
  Point2 flank_normal_;
  Point2 flank_end_;   // C: where the straight flank ends, in this section
  Point2 arc_centre_;  // D: the tip arc's centre, in this section
  double arc_radius_;  // 0.38 m, across the travel
};

// The gear being generated as the rack sees it: its reference circle (radius r, mm) rolls without
// slip on the rack's rolling line, which runs shift = x m below the datum (a positive shift keeps
// the cutter away from the axis).
struct RollingGear {
  double reference_radius = 0;
  double shift = 0;
};

// The point of the gear that a rack point cuts: the rack stands where the point's normal passes
// through the pitch point (the condition of contact between a generating rack and the profile it
// envelopes), and the point is carried into the gear's own frame. In that frame the gear's axis
// is the origin, the tooth space the rack tooth cuts is centred on the +x axis, and the left half
// of the rack tooth cuts the space's counter-clockwise side. The straight flank gives the
// involute, the tip arc the trochoidal root fillet, the flat tip the root circle; the points of
// an undercut flank come out on the involute's far branch, cut away by the fillet.
Point2 GeneratedPoint(const RollingGear& gear, const RackPoint& point);

}  // namespace kelvo

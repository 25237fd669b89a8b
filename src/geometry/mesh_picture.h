#pragma once

#include <string_view>
#include <vector>

#include "geometry/gear_pair_data.h"
#include "geometry/plane.h"

namespace kelvo {

// What a piece of the mesh picture is.
enum class MeshRole {
  // Pieces of a gear's outline.
  kFlank,     // involute, from the cutter's straight flank
  kFillet,    // root fillet, from the cutter's tip arc
  kTipLand,   // tip circle between the flanks of a tooth (none on a pointed tooth)
  kRootLand,  // root circle, from the cutter's flat tip
  // Circles of each gear.
  kReferenceCircle,
  kBaseCircle,
  kTipCircle,
  kRootCircle,
  kWorkingPitchCircle,
  // The path of contact on the line of action.
  kLineOfAction,
};

// A stable English name ("flank", "reference-circle", ...) and the Chinese for a legend.
std::string_view RoleName(MeshRole role);
std::string_view RoleChinese(MeshRole role);

// A polyline; gear 1 or 2, 0 for the line of action.
struct MeshPath {
  MeshRole role;
  int gear;
  std::vector<Point2> points;
};

struct MeshCircle {
  MeshRole role;
  int gear;
  Point2 centre;
  double radius;
};

// The two gears in mesh in the transverse plane, in mm. Frame: the small gear's axis at the
// origin, the large gear's at (a', 0); y up. The pitch point lies on the line of centres, where
// the involute of a flank of the small gear (of its tooth on the +y side) touches the involute of
// a flank of the large gear (of its tooth on the -y side); both pairs of flanks of a tooth touch,
// as the pair meshes without backlash. (On a pair whose working pitch circle lies below a root
// form circle those involutes are cut short before the pitch point, and the teeth touch only
// elsewhere on the line of action, or overlap where they interfere.) Each gear shows `teeth` teeth
// around the pitch point: its outline runs from the middle of the space before the first tooth to
// the middle of the space after the last, as consecutive paths (each starts where the one before
// ended), counter-clockwise about the gear's own axis, so that the gear's material lies on the
// left. The line of action is the one tangent to the small gear's base circle at +y (the small gear
// driving clockwise): from where the large gear's tip circle cuts it to where the small gear's
// does, eps_alpha base pitches long.
struct MeshPicture {
  std::vector<MeshPath> paths;  // gear 1's outline, gear 2's outline, then the line of action
  std::vector<MeshCircle> circles;
  Point2 pitch_point;
  Point2 view_min;  // a frame around the teeth drawn and the line of action
  Point2 view_max;
};

struct MeshPictureOptions {
  int teeth = 3;                  // per gear
  double chord_tolerance = 1e-3;  // mm: how far a polyline may stray from the curve (>= 1e-9)
};

// For a pair the solver returned (m > 0, z1 and z2 at least 1).
MeshPicture BuildMeshPicture(const GearPairData& pair, const MeshPictureOptions& options = {});

}  // namespace kelvo

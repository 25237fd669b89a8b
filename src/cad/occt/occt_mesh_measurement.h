#pragma once

#include <utility>
#include <vector>

#include "cad/cad_application.h"

// How two hobbed gears really mesh: measured on their solids as they stand in a mesh drawing,
// cusps and root fillets included. No OpenCASCADE in here.

namespace kelvo::cad {

// The pair, in plain numbers (mm, radians). The small gear's axis is the Z axis through the
// small gear's placement, the large gear's the Z axis through its own; both gears lie in their
// drawing as placed there (the transverse planes are z = constant).
struct MeshPlan {
  int z1 = 0;
  int z2 = 0;
  double working_pitch_radius2 = 0;  // of the large gear: backlash is an arc on it
  double tip_radius1 = 0;            // theory, for the tip clearances beside the measured
  double tip_radius2 = 0;
  double root_radius1 = 0;
  double root_radius2 = 0;
  double face_width = 0;
  double helix_angle = 0;  // the small gear's; the large gear has the other hand
  // The middle of one space of each gear in its own middle plane, as the gear was cut (before
  // the placement): the angle from +X, counter-clockwise.
  double space_angle1 = 0;
  double space_angle2 = 0;
  double reference_radius1 = 0;  // the helix turns by z tan(beta) / r over a height z
  double reference_radius2 = 0;
  // Positions over one pitch of the small gear (12 at least for a curve; 0: no transmission
  // error, for a check that needs only the rest).
  int transmission_positions = 16;
};

struct MeshMeasurement {
  // The volume the two solids share (mm^3): 0 for a pair that only touches.
  double interference_volume = 0;
  // Hold the small gear, turn the large gear each way until the flanks touch: the two turns
  // added, times the large gear's working pitch radius (mm); negative where the flanks overlap.
  double backlash = 0;
  // The least distance from each gear's tip cylinder to the mate's root along the line of
  // centres (mm), measured, beside the theory a' - da/2 - df(mate)/2.
  double tip_clearance1 = 0;  // small gear's tip to the large gear's root
  double tip_clearance1_theory = 0;
  double tip_clearance2 = 0;  // large gear's tip to the small gear's root
  double tip_clearance2_theory = 0;
  // Kinematic transmission error over one pitch of the small gear, the small gear driving
  // counter-clockwise: at each position the large gear's angle at contact less the ideal
  // (z1 / z2 times the small gear's turn), as [small gear's turn (rad), error (urad)].
  std::vector<std::pair<double, double>> transmission_error;
  double transmission_error_peak_to_peak = 0;  // urad
  int sections = 0;                            // transverse sections measured in
  bool valid = false;                          // both solids one valid solid each
  double seconds = 0;                          // the whole measurement
};

// Measures the two solids (of our OCCT application; deferred work applied first) as they stand.
// CadError when either is no solid of ours, or the flanks cannot be brought to touch.
MeshMeasurement MeasureMesh(const CadEntity& small_gear, const CadEntity& large_gear,
                            const MeshPlan& plan);

}  // namespace kelvo::cad

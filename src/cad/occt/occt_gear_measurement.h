#pragma once

#include "cad/cad_application.h"

// A gear inspector's measurements of a finished gear solid, taken from its geometry alone:
// transverse sections of the solid, the reference circle laid over them, and the true involute
// fitted to the flanks. No OpenCASCADE in here.

namespace kelvo::cad {

// Where to look. The gear's axis is the Z axis through the origin, as every gear drawing has it.
struct GearInspectionPlan {
  double reference_radius = 0;  // circle on which the tooth thickness is measured
  double base_radius = 0;       // transverse base circle of the true involute
  // Root form circle: below it the cutter's tip rounding generates the fillet, above it the
  // straight cutter flank generates the involute.
  double form_radius = 0;
  double section_z = 0;  // height of the transverse section (mid-face: 0)
};

struct GearInspection {
  double tip_diameter = 0;   // largest distance from the axis in the section, doubled
  double root_diameter = 0;  // smallest, doubled
  int teeth = 0;             // tip lands counted around the section; 0 if the teeth are pointed
  // Transverse tooth thickness on the reference circle, as an arc: mean, least and largest
  // over all teeth; and the chord of the mean arc.
  double tooth_thickness = 0;
  double tooth_thickness_min = 0;
  double tooth_thickness_max = 0;
  double tooth_chord = 0;
  // Profile form deviation: the distance between the two involutes of the base circle that
  // enclose a flank between the root form circle and the tip, the largest over all flanks (mm).
  // Involutes of one base circle turned by an angle are parallel curves base_radius x angle
  // apart, so fitting in angle measures exactly that.
  double profile_deviation = 0;
  int flanks = 0;  // flanks fitted (2 per tooth)
  // Helix angle on the reference circle, from the turn of the teeth between two transverse
  // sections close together: positive for a right-hand helix, 0 for a spur gear (radians).
  double helix_angle = 0;
};

// Measures a gear solid of the OCCT application (its deferred work applied first). CadError
// when the entity is no solid of ours, or the section does not look like a gear (no tooth
// crosses the reference circle).
GearInspection InspectGear(const CadEntity& solid, const GearInspectionPlan& plan);

}  // namespace kelvo::cad

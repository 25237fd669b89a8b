#pragma once

#include <cstdint>

#include "geometry/gear_theory.h"

namespace kelvo {

// A gear of the pair that was built in the 3D window, measured on its transverse section at
// mid-face as a gear inspector would, beside what theory says of it. Lengths in mm.
struct MeasuredGear {
  std::int16_t gearNo = 1;
  GearTheory theory;
  double tip_diameter = 0;
  double root_diameter = 0;
  int teeth = 0;  // tip lands counted; 0 when the teeth are pointed
  // Transverse tooth thickness on the reference circle as an arc: mean, least and largest over
  // all teeth; and the chord of the mean.
  double tooth_thickness = 0;
  double tooth_thickness_min = 0;
  double tooth_thickness_max = 0;
  double tooth_chord = 0;
  double profile_deviation = 0;  // profile form deviation, the largest over all flanks
  double fineness = 0;           // the model fineness it was built with
  bool complete = true;          // every step of its build ran
};

}  // namespace kelvo

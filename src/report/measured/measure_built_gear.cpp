#include "report/measured/measure_built_gear.h"

#include "cad/occt/occt_gear_measurement.h"
#include "geometry/gear_theory.h"
#include "hobbing/checked_arithmetic.h"
#include "hobbing/hob_plan.h"

namespace kelvo {
namespace {

// The blank's turn per generating position, as HobGear works it out from the fineness; 0 (no
// cusps to expect) where it cannot.
double RollAngleOf(const GearPairData& pair, std::int16_t gearNo, double fineness) {
  const std::int16_t z = GearToCut(pair, gearNo).z;
  double steps = 0;
  try {
    steps = RoundedStepsPerPitch(fineness, z);
  } catch (const HobbingError&) {
  }
  try {
    return RollAngle(z, CappedStepsPerPitch(steps, gearNo));
  } catch (const HobbingError&) {
    return 0;
  }
}

}  // namespace

std::optional<MeasuredGear> MeasureBuiltGear(const GearPairData& pair, std::int16_t gearNo,
                                             const cad::Cad3DSolid& gear, double fineness,
                                             bool complete) {
  MeasuredGear measured;
  measured.gearNo = gearNo == 1 ? 1 : 2;
  measured.theory = TheoryOf(pair, measured.gearNo, RollAngleOf(pair, gearNo, fineness));
  measured.fineness = fineness;
  measured.complete = complete;
  const GearTheory& t = measured.theory;
  cad::GearInspection inspection;
  try {
    inspection = cad::InspectGear(gear, {t.reference_radius, t.base_radius, t.form_radius, 0});
  } catch (const cad::CadError&) {
    return std::nullopt;
  }
  measured.tip_diameter = inspection.tip_diameter;
  measured.root_diameter = inspection.root_diameter;
  measured.teeth = inspection.teeth;
  measured.tooth_thickness = inspection.tooth_thickness;
  measured.tooth_thickness_min = inspection.tooth_thickness_min;
  measured.tooth_thickness_max = inspection.tooth_thickness_max;
  measured.tooth_chord = inspection.tooth_chord;
  measured.profile_deviation = inspection.profile_deviation;
  return measured;
}

}  // namespace kelvo

#pragma once

#include <cstdint>
#include <optional>

#include "cad/cad_application.h"
#include "geometry/gear_pair_data.h"
#include "report/measured_gear.h"

namespace kelvo {

// A gear of pair built by the hobbing simulation in an OpenCASCADE application of ours (the 3D
// window's or a headless one), measured for the report: its transverse section at mid-face
// (cad::InspectGear), beside what theory says of a gear cut with that fineness. No value when it
// cannot be measured: its drawing was closed, it is no solid of ours, or its section does not
// look like a gear.
std::optional<MeasuredGear> MeasureBuiltGear(const GearPairData& pair, std::int16_t gearNo,
                                             const cad::Cad3DSolid& gear, double fineness,
                                             bool complete);

}  // namespace kelvo

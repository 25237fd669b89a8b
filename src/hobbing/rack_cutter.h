#pragma once

#include <memory>

#include "cad/cad_application.h"
#include "hobbing/gear_blank.h"

namespace kelvo {

// The rack cutter of the gear being hobbed, parked at the start of its travel, and half the
// length of that travel along X: what MakeRackCutter makes and HobGear rolls past the blank.
struct RackCutter {
  std::shared_ptr<cad::Cad3DSolid> cutterSolid{};  // null until the cutter is extruded
  double halfTravel = 0;                           // 0 until worked out, once the cutter is tilted
};

// Builds one tooth of the 20-degree standard rack of module m as a solid in the model space of
// blank.cadDoc, extruded over height (the caller passes twice the face width, so the tilted
// cutter still spans the whole blank), and places it for gear blank.gearNo of blank.gearPair:
// datum line at d/2 + x m on the +Y side, tip towards the axis, tilted by the helix angle (the
// two gears in opposite senses, for opposite hands), and parked at x = -halfTravel. The
// construction curves and the region are deleted again.
//
// Fills cutter as it goes. A failing CAD call or arithmetic step ends the construction where it
// happens: what was made so far stays in the drawing, and cutter holds what it had been given by
// then (the solid once extruded, halfTravel once worked out), so that HobGear still deletes the
// solid at the end of the cut.
void MakeRackCutter(const GearBlank& blank, double m, double height, RackCutter& cutter);

}  // namespace kelvo

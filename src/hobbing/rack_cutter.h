#pragma once

#include <cstdint>
#include <memory>

#include "cad/cad_application.h"

namespace kelvo {

// The rack cutter of the gear being hobbed, and half the length of its travel along X. Both
// are set by MakeRackCutter and read by HobGear right after; each call replaces them (the
// cutter solid it referred to before is HobGear's to delete).
extern std::shared_ptr<cad::Cad3DSolid> cutterSolid;
extern double halfTravel;

// Builds one tooth of the 20-degree standard rack of module m as a solid in the model space of
// cadDoc, extruded over height (the caller passes twice the face width, so the tilted cutter
// still spans the whole blank), and places it for the gear gearNo of gearPair (1 the small
// gear, any other value the large): datum line at d/2 + x m on the +Y side, tip towards the
// axis, tilted by the helix angle (the two gears in opposite senses, for opposite hands), and
// parked at x = -halfTravel. The construction curves and the region are deleted again.
//
// A failing CAD call or arithmetic step ends the construction where it happens: what was
// made so far stays, and cutterSolid and halfTravel keep what they last held.
void MakeRackCutter(double m, double height, std::int16_t gearNo);

}  // namespace kelvo

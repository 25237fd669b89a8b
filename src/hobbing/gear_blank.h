#pragma once

#include <cstdint>
#include <memory>

#include "cad/cad_application.h"
#include "geometry/gear_pair_data.h"

namespace kelvo {

// What one gear's cut works on, handed in whole: the pair and which of its gears (gearNo 1 the
// small gear, any other value the large), the drawing the cutter is made in, and the blank, a
// cylinder of the tip diameter on the Z axis spanning the face width about z = 0, which the cut
// turns into the gear in place. Nothing of one cut reaches the next but through this.
struct GearBlank {
  GearPairData gearPair{};
  std::int16_t gearNo = 1;
  std::shared_ptr<cad::CadDocument> cadDoc{};
  std::shared_ptr<cad::Cad3DSolid> blankSolid{};
};

}  // namespace kelvo

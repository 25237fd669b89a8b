#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "cad/cad_application.h"
#include "geometry/gear_pair_data.h"
#include "hobbing/hob_progress.h"
#include "hobbing/skip_on_failure.h"

namespace kelvo {

// The gear asked of BuildGearDrawing.
struct GearToBuild {
  std::int16_t gearNo = 1;              // 1 the small gear, any other value the large
  std::optional<double> fineness = {};  // the model fineness read from its text; none: no number
  bool shade = false;                   // shaded display ("SHADEMODE G ")
};

// What became of one gear's drawing: all that the build made, handed back whole.
struct GearDrawing {
  std::int16_t gearNo = 1;
  std::shared_ptr<cad::CadDocument> cadDoc = {};     // null when no drawing could be made
  std::shared_ptr<cad::Cad3DSolid> blankSolid = {};  // the gear; null when no blank was made
  // The statements that failed and were passed over, the hobbing's own included, in order;
  // empty when every step ran.
  std::vector<SkippedStatement> skipped = {};
  // A stop ended the build (the designer's, through progress or a long Boolean): no later gear
  // is to be begun. The gear keeps what was cut so far and its drawing is marked unfinished; a
  // stop after the last copy took nothing from the gear, whose drawing is finished as usual.
  bool stopped = false;
};

// Builds gear gear.gearNo of gearPair in a new drawing of cadApp: a blank cylinder of the tip
// diameter and the face width, centred on the origin with its axis on Z, cut by HobGear into
// the gear; a red reference circle in the middle plane z = 0; the view from (1, 1, 1) centred
// on the origin, zoomed to extents and, when gear.shade is set, shaded. A fineness that is no
// number leaves the blank uncut.
//
// Every step that fails is skipped and the next one runs, and the drawing is marked incomplete
// (cad::Shortfall::Incomplete), with a line of its log for each step that failed; the returned
// skipped list holds them too. A drawing or blank that could not be made stays empty, and the
// steps that need it are skipped: an earlier gear's drawing is never touched. Needs no window,
// so the command line builds gears with it too; progress, when set, hears how far the cut has
// come.
//
// A stop during the cut ends the build of this gear: the drawing keeps the blank as cut so
// far, is marked unfinished and says in its log what the gear lacks. A stop that comes after
// the last copy took nothing from the gear: the drawing is finished and marked as usual. Either
// way the result says stopped.
GearDrawing BuildGearDrawing(const std::shared_ptr<cad::CadApplication>& cadApp,
                             const GearPairData& gearPair, const GearToBuild& gear,
                             const HobProgress& progress = {});

}  // namespace kelvo

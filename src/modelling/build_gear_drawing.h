#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "cad/cad_application.h"
#include "hobbing/hob_progress.h"
#include "hobbing/skip_on_failure.h"

namespace kelvo {

// What became of one gear's drawing.
struct GearDrawing {
  std::shared_ptr<cad::CadDocument> drawing;  // null when no drawing could be made
  std::shared_ptr<cad::Cad3DSolid> gear;      // null when no blank could be made
  // The statements that failed and were passed over, the hobbing's own included, in order;
  // empty when every step ran.
  std::vector<SkippedStatement> skipped;
};

// Builds gear gearNo of gearPair (1 the small gear, any other value the large) in a new
// drawing of cadApp, which becomes cadDoc: a blank cylinder of the tip diameter and the face
// width, centred on the origin with its axis on Z, held as blankSolid and cut by HobGear into
// the gear; a red reference circle in the middle plane z = 0; the view from (1, 1, 1) centred
// on the origin, zoomed to extents and, when shade is set, shaded.
//
// fineness is the model fineness read from its text; none (text that is no number) leaves the
// blank uncut.
// Every step that fails is skipped and the next one runs, and the drawing is marked incomplete
// (cad::Shortfall::Incomplete), with a line of its log for each step that failed; the returned
// list holds them too. A drawing or blank that could not be made leaves cadDoc or blankSolid
// empty, never on an earlier gear's, and the steps that need it are skipped: an earlier
// drawing is never touched. Needs no window, so the command line builds gears with it too;
// progress, when set, hears how far the cut has come.
//
// A stop during the cut (GearCutStopped) ends the build of this gear: the drawing keeps the
// blank as cut so far, is marked unfinished and says in its log what the gear lacks, and the
// stop passes on. A stop that comes after the last copy took nothing from the gear: the drawing
// is finished and marked as usual before the stop passes on.
GearDrawing BuildGearDrawing(std::int16_t gearNo, std::optional<double> fineness, bool shade,
                             const HobProgress& progress = {});

}  // namespace kelvo

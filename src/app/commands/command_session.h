#pragma once

#include <memory>

#include "cad/cad_application.h"
#include "geometry/gear_pair_data.h"

namespace kelvo {

struct GearDrawing;

// What the commands of one main window share, for as long as the window lives: the window
// holds it (MainWindowSeam::Session), and a window of a test holds its own. Nothing else
// carries anything from one command to the next.
struct CommandSession {
  // The current pair: all zeros until the first successful solve, then replaced as a whole by
  // the calculate and generate commands, and only by them.
  GearPairData gearPair{};
  // The CAD application of the last connection that succeeded.
  std::shared_ptr<cad::CadApplication> cadApp{};
  // The drawing of the last gear built and its blank, cut into the gear; empty where that build
  // could not make them, never left on an earlier gear's.
  std::shared_ptr<cad::CadDocument> cadDoc{};
  std::shared_ptr<cad::Cad3DSolid> blankSolid{};

  // A gear's build has ended, finished or stopped: what it made becomes the current drawing and
  // blank.
  void Remember(const GearDrawing& made);
};

}  // namespace kelvo

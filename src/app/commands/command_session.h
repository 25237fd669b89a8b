#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "cad/cad_application.h"
#include "geometry/gear_pair_data.h"

namespace kelvo {

struct GearDrawing;

// A gear cut to the end in this session: the pair it was cut for, which of its gears, the solid
// in its drawing, the fineness it was cut with, and whether every step that shapes the gear ran.
struct BuiltGear {
  GearPairData pair{};
  std::int16_t gearNo = 1;
  std::shared_ptr<cad::Cad3DSolid> gear{};
  double fineness = 0;
  bool complete = true;
};

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
  // The gears cut to the end, the last of each gear of each pair, oldest first: for the report,
  // which measures those of its pair. A build that was stopped, or that had no fineness to cut
  // with, left no gear to measure.
  std::vector<BuiltGear> builtGears{};

  // A gear's build has ended, finished or stopped: what it made becomes the current drawing and
  // blank; a gear cut to the end (with the fineness it was asked for) joins builtGears.
  void Remember(const GearDrawing& made, std::optional<double> fineness);

  // The gears of builtGears cut for pair (the same seven inputs), the small gear first.
  std::vector<BuiltGear> GearsBuiltFor(const GearPairData& pair) const;
};

}  // namespace kelvo

#pragma once

#include "app/commands/main_window_seam.h"

namespace kelvo {

// The seven input texts of the window, read in the window's order.
GearPairTexts ReadInputTexts(const MainWindowSeam& window);

// Reads the seven input texts, converts and solves them; on success copies the pair whole
// into the window's session (gearPair), writes the seven rounded results and tells the window
// (SessionChanged), so that an open report follows. On any failure it
// returns false having written nothing: the results on screen and gearPair still describe the
// last solved pair.
// Shared by the calculate command and the generate command, which report the failure their
// own way.
bool SolveAndShowResults(MainWindowSeam& window);

// The click on cmdCalculate ("参数计算"): solves and shows the pair, or shows the one message
// kBadInputMessage.
void mainForm_cmdCalculate_Click(MainWindowSeam& window);

}  // namespace kelvo

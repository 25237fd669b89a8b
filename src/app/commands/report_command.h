#pragma once

#include "app/commands/main_window_seam.h"

namespace kelvo {

// The click on cmdReport ("计算书"): solves and shows the pair exactly as the calculate command
// does (a failure shows the one message kBadInputMessage and changes nothing), then opens the
// report window on the session's pair, or brings it forward (MainWindowSeam::ShowReport). The
// window then follows every later successful calculation while it is open.
void mainForm_cmdReport_Click(MainWindowSeam& window);

}  // namespace kelvo

#pragma once

#include <string_view>

#include "app/commands/main_window_seam.h"

namespace kelvo {

// The status line while gears are being built.
inline constexpr std::string_view kGeneratingPrompt = "正在生成三维模型，请稍候......";
// Shown when the generate button is pressed with neither gear ticked.
inline constexpr std::string_view kSelectGearMessage = "请选择要生成的齿轮！";

// The click on cmd3D ("生成三维模型"). Connects to the CAD application (if that fails, its
// message is all that happens), then solves and shows the pair exactly as the calculate
// command does and builds a new drawing for each ticked gear, the small gear first
// (BuildGearDrawing). A text that is no number or a pair that cannot be solved gives
// kBadInputMessage; no gear ticked gives kSelectGearMessage after the results. From the first
// gear on nothing stops the command: a failing step is skipped silently.
//
// Runs synchronously as one long command of the window: the status line reads
// kGeneratingPrompt and the CAD application stays hidden until the end, the progress bar
// follows each gear's cut, and however the command ends the CAD application is shown again
// and the status line cleared. Once the gears are shown, an open report window follows them
// (MainWindowSeam::SessionChanged) and measures those built to the end.
//
// The stop button beside the bar (MainWindowSeam::StopRequested) ends the build after the CAD
// operation that is running: the gear being cut keeps what was cut so far, without cutter or
// unused copies, its drawing is marked unfinished and says what it lacks, and no later gear is
// begun; the drawings made before stay as they are. A press while the CAD application finishes
// deferred work on being shown ends that work on the last gear only: an earlier gear, whose
// every step had run, is finished all the same.
void mainForm_cmd3D_Click(MainWindowSeam& window);

}  // namespace kelvo

#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/commands/progress_captions.h"
#include "cli/progress_line.h"
#include "hobbing/hob_progress.h"
#include "modelling/headless/headless_gears.h"

namespace kelvo::cli {

// Where a build of gears has come, on a progress line, in the captions of the window's progress
// bar ("小齿轮：滚切 5/18", "大齿轮：复制齿槽 42%"), and the stop a Ctrl-C asks for.
class BuildProgress {
 public:
  BuildProgress(ProgressLine& line, std::function<bool()> stop_requested);

  // Gives the request the callbacks that follow the build of its gears and end it on a stop.
  void Follow(GearBuildRequest& request);
  // A step after the build, shown as it is: "小齿轮：测量实体".
  void Step(std::string caption);
  // How far the step has come, 0 to 1: "写文件 gear.step 42%".
  void Share(double done);
  // The last caption shown, for a stop to say where it came.
  const std::string& Caption() const { return caption_; }
  // Takes the line off the terminal, before a message.
  void Clear() { line_.Clear(); }

  bool StopRequested() const { return stop_requested_ && stop_requested_(); }
  // cad::EvaluationStopped when a stop was asked for.
  void EndIfStopped() const;

 private:
  void OnCut(const HobProgressReport& report);
  void OnEvaluation(std::string_view what, double done);
  void OnDrawingEvaluation(std::string_view subject, double done);

  ProgressLine& line_;
  std::vector<std::int16_t> gears_;  // gearNo of each gear, in the order they are built
  std::function<bool()> stop_requested_;
  ProgressCaptions captions_;
  std::string caption_;
  std::size_t gear_ = 0;  // index in gears_ of the gear being cut
  std::optional<HobProgressReport> last_cut_;
  bool replication_shown_ = false;  // this round of the evaluation's reports has shown a gear
};

}  // namespace kelvo::cli

#include "cli/build_progress.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "cad/cad_application.h"

namespace kelvo::cli {
namespace {

std::string Percent(double done) {
  return std::to_string(static_cast<int>(std::floor(std::clamp(done, 0.0, 1.0) * 100))) + "%";
}

}  // namespace

BuildProgress::BuildProgress(ProgressLine& line, std::function<bool()> stop_requested)
    : line_(line), stop_requested_(std::move(stop_requested)) {}

void BuildProgress::Follow(GearBuildRequest& request) {
  gears_ = request.gears;
  request.progress = [this](const HobProgressReport& report) { OnCut(report); };
  request.hooks.progress = [this](std::string_view what, double done) { OnEvaluation(what, done); };
  request.hooks.drawing_progress = [this](std::string_view subject, double done) {
    OnDrawingEvaluation(subject, done);
  };
  if (stop_requested_) request.hooks.stop_requested = stop_requested_;
}

void BuildProgress::Step(std::string caption) {
  caption_ = std::move(caption);
  line_.Show(caption_);
}

void BuildProgress::Share(double done) {
  line_.Update(caption_ + " " + Percent(done));
}

void BuildProgress::EndIfStopped() const {
  if (StopRequested()) throw cad::EvaluationStopped("stopped by Ctrl-C");
}

void BuildProgress::OnCut(const HobProgressReport& report) {
  // HobGear reports once with nothing done as it begins a gear; after a gear's last report
  // that is the next gear's cut.
  const bool begins =
      report.positionCount > 0 && report.positionsDone == 0 && report.intersectionsDone == 0;
  if (begins && last_cut_ && last_cut_->Finished() && gear_ + 1 < gears_.size()) ++gear_;
  last_cut_ = report;
  Step(captions_.OfCut(gears_.at(gear_), report).caption);
  // Ctrl-C ends the build after the CAD operation that is running.
  EndIfStopped();
}

void BuildProgress::OnEvaluation(std::string_view what, double done) {
  replication_shown_ = false;
  // A long Boolean of the cut belongs to the position it cuts at. What else is evaluated is
  // followed drawing by drawing, under the gear's name.
  if (what.starts_with("Boolean")) line_.Update(caption_ + "（布尔运算 " + Percent(done) + "）");
}

void BuildProgress::OnDrawingEvaluation(std::string_view subject, double done) {
  // Both gears' replications may be evaluated side by side: the line follows the first gear
  // still at work, and then the other from where it has got to.
  if (replication_shown_ || done >= 1) return;
  if (const std::optional<ProgressShown> shown = captions_.OfReplication(subject, done)) {
    replication_shown_ = true;
    caption_ = shown->caption;
    line_.Update(caption_);
  }
}

}  // namespace kelvo::cli

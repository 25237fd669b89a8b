#include "cad/occt/occt_progress.h"

#include <cmath>
#include <utility>

namespace kelvo::cad {

HookProgress::HookProgress(EvaluationHooks hooks)
    : hooks_(std::move(hooks)), owner_(std::this_thread::get_id()) {}

Message_ProgressRange HookProgress::Start(const char* what) {
  what_ = what;
  return Message_ProgressIndicator::Start();
}

bool HookProgress::StopRequested() {
  if (!stopped_ && hooks_.stop_requested && std::this_thread::get_id() == owner_) {
    stopped_ = hooks_.stop_requested();
  }
  return stopped_;
}

Standard_Boolean HookProgress::UserBreak() {
  return StopRequested();
}

void HookProgress::Show(const Message_ProgressScope& /*scope*/, const Standard_Boolean force) {
  if (!hooks_.progress || std::this_thread::get_id() != owner_) return;
  // A percent at a time is all a progress bar or line can show.
  const double done = GetPosition();
  if (!force && std::abs(done - last_shown_) < 0.01) return;
  last_shown_ = done;
  hooks_.progress(what_, done);
}

void ThrowIfStopRequested(HookProgress* progress, const std::string& step) {
  if (progress != nullptr && progress->StopRequested()) throw EvaluationStopped(step + ": stopped");
}

}  // namespace kelvo::cad

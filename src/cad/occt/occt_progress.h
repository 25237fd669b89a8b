#pragma once

#include <Message_ProgressIndicator.hxx>
#include <Message_ProgressRange.hxx>
#include <atomic>
#include <string>
#include <thread>

#include "cad/occt/occt_evaluation.h"

// The bridge between the application's EvaluationHooks and OCCT's progress indicator, which
// OCCT's algorithms advance and ask for a user break, from its worker threads too. The hooks
// are only ever called on the thread that made the bridge; other threads see the last answer.

namespace kelvo::cad {

class HookProgress final : public Message_ProgressIndicator {
 public:
  explicit HookProgress(EvaluationHooks hooks);

  // The range an algorithm reports into, or an unbound one when nobody listens.
  Message_ProgressRange Start(const char* what);
  // Names the next stage for the progress hook.
  void SetWhat(const char* what) { what_ = what; }
  // Asks the stop hook (on the owning thread) and remembers the answer.
  bool StopRequested();

  Standard_Boolean UserBreak() override;
  void Show(const Message_ProgressScope& scope, const Standard_Boolean force) override;

 private:
  EvaluationHooks hooks_;
  std::thread::id owner_;
  std::atomic<bool> stopped_{false};
  const char* what_ = "";
  double last_shown_ = -1;
};

// A stop requested before a step starts: EvaluationStopped naming the step.
void ThrowIfStopRequested(HookProgress* progress, const std::string& step);

}  // namespace kelvo::cad

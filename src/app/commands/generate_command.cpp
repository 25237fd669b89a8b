#include "app/commands/generate_command.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/commands/calculate_command.h"
#include "app/commands/command_session.h"
#include "app/commands/progress_captions.h"
#include "app/commands/text_rules.h"
#include "cad/connection/connect_cad.h"
#include "modelling/build_gear_drawing.h"

namespace kelvo {
namespace {

// Undoes on every way out what the command set up: once the status line was set, the CAD
// application is shown again and the status line cleared; last the window takes input again.
class LongCommand {
 public:
  explicit LongCommand(MainWindowSeam& window) : window_(window) { window_.BeginLongCommand(); }
  ~LongCommand() {
    if (prompting_) {
      // Nothing may stop the way out: a CAD application that no longer answers stays as it is.
      // Showing it may first finish the replication the application deferred; the bar follows.
      try {
        if (cad::CadApplication* cadApp = Connected()) cadApp->SetVisible(true);
      } catch (...) {
      }
      if (evaluation_shown_) window_.HideProgress();
      try {
        if (cad::CadApplication* cadApp = Connected()) cadApp->SetEvaluationHooks({});
      } catch (...) {
      }
      // Now that the gears are finished, an open report measures them.
      try {
        if (building_) window_.SessionChanged();
      } catch (...) {
      }
      window_.SetStatusText("");
    }
    window_.EndLongCommand();
  }
  LongCommand(const LongCommand&) = delete;
  LongCommand& operator=(const LongCommand&) = delete;

  ProgressCaptions& Captions() { return captions_; }

  // Gears are being built: the session will have them once the command ends.
  void Building() { building_ = true; }

  void Prompt() {
    window_.SetStatusText(std::string(kGeneratingPrompt));
    prompting_ = true;
    window_.KeepPainted();
    FollowEvaluation();
  }

 private:
  // The CAD application may put the expensive part of the replication off until the gears are
  // first shown; the progress bar follows it then too, so it never sits frozen.
  void FollowEvaluation() {
    cad::EvaluationHooks hooks;
    // A Boolean of the rolling cut belongs to the gear's own bar; the window is only kept
    // painted, so that a press on the stop button is seen during a long one too. The drawings'
    // own shares follow each such report.
    hooks.progress = [this](std::string_view /*what*/, double /*done*/) {
      replication_shown_ = false;
      window_.KeepPainted();
    };
    // The replications of both gears may be evaluated side by side: the bar follows the first
    // gear still at work, and then the other from where it has got to.
    hooks.drawing_progress = [this](std::string_view subject, double done) {
      if (replication_shown_ || done >= 1) return;
      if (const std::optional<ProgressShown> shown = captions_.OfReplication(subject, done)) {
        replication_shown_ = true;
        evaluation_shown_ = true;
        window_.ShowProgress(shown->caption, shown->done, shown->total);
      }
    };
    // A stop ends the evaluation or Boolean that is running as soon as it can stop.
    hooks.stop_requested = [this] { return window_.StopRequested(); };
    try {
      if (cad::CadApplication* cadApp = Connected()) cadApp->SetEvaluationHooks(std::move(hooks));
    } catch (const cad::CadError&) {
    }
  }

  // The application the command has connected to, once it has.
  cad::CadApplication* Connected() const { return window_.Session().cadApp.get(); }

  MainWindowSeam& window_;
  ProgressCaptions captions_;
  bool prompting_ = false;
  bool evaluation_shown_ = false;
  bool building_ = false;
  bool replication_shown_ = false;  // this round of the evaluation's reports has shown a gear
};

void Show(MainWindowSeam& window, const ProgressShown& shown) {
  window.ShowProgress(shown.caption, shown.done, shown.total);
}

// One gear, with the progress bar shown for as long as it is being built; what the build made
// becomes the session's current drawing and blank. False when a stop ended it.
bool BuildWithProgress(MainWindowSeam& window, ProgressCaptions& captions, std::int16_t gearNo) {
  struct HideAtEnd {
    MainWindowSeam& window;
    ~HideAtEnd() { window.HideProgress(); }
  } hide{window};
  Show(window, captions.Start(gearNo));
  window.KeepPainted();
  if (window.StopRequested()) return false;
  CommandSession& session = window.Session();
  const GearToBuild gear{.gearNo = gearNo,
                         .fineness = TextToDouble(window.FinenessText()),
                         .shade = window.CheckValue(CheckOption::shade) == 1};
  const GearDrawing made = BuildGearDrawing(
      session.cadApp, session.gearPair, gear, [&](const HobProgressReport& report) {
        Show(window, captions.OfCut(gearNo, report));
        window.KeepPainted();
        // A press on the stop button ends the cut after the CAD operation that was running.
        if (window.StopRequested()) throw cad::EvaluationStopped("the build was stopped");
      });
  session.Remember(made, gear.fineness);
  return !made.stopped;
}

}  // namespace

void mainForm_cmd3D_Click(MainWindowSeam& window) {
  CommandSession& session = window.Session();
  LongCommand command(window);
  if (ConnectCad(session.cadApp, [&](const std::string& text) { window.ShowMessage(text); })) {
    return;
  }
  command.Prompt();

  // Up to the results on screen, the first failure ends the command with the one message.
  bool hidden = true;
  try {
    session.cadApp->SetVisible(false);
  } catch (const cad::CadError&) {
    hidden = false;
  }
  if (!hidden || !SolveAndShowResults(window)) {
    window.ShowMessage(std::string(kBadInputMessage));
    return;
  }

  const bool small = window.CheckValue(CheckOption::small_gear) == 1;
  const bool large = window.CheckValue(CheckOption::large_gear) == 1;
  if (!small && !large) {
    window.ShowMessage(std::string(kSelectGearMessage));
    return;
  }
  // From here on every failing step is skipped, inside BuildGearDrawing; only a stop ends the
  // build early. The gear being cut keeps what was cut so far, no later gear is begun.
  bool stopped = false;
  command.Building();
  try {
    if (small) stopped = !BuildWithProgress(window, command.Captions(), 1);
    if (large && !stopped) stopped = !BuildWithProgress(window, command.Captions(), 2);
  } catch (const cad::EvaluationStopped&) {
    stopped = true;  // raised by a step around the cut: it ends the build all the same
  }
  // The stop has been acted on. A gear finished before it is finished as usual when the CAD
  // application is shown again (its replication may still be waiting there); a new press may
  // stop only the last gear's.
  if (stopped) window.ClearStopRequest();
}

}  // namespace kelvo

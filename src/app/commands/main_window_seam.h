#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "app/commands/calculate_steps.h"

namespace kelvo {

struct CommandSession;

// The title of every message box the program shows.
inline constexpr std::string_view kMessageTitle = "Kelvo";

// The seven input fields, in the order the window lists them and the solver takes them.
enum class InputField { a_true, m, z1, z2, b, beta, x1 };

inline constexpr std::array<std::string_view, 7> kInputFieldNames = {
    "Text_a_true", "Text_m", "Text_z1", "Text_z2", "Text_b", "Text_beta", "Text_x1"};

// The seven result fields, in the order of kResultFields (the order they are written in).
enum class ResultField { d1, d2, da1, da2, h, x_sum, x2 };

inline constexpr ResultField ResultFieldAt(std::size_t index) {
  return static_cast<ResultField>(index);
}

// The three check boxes of the model options.
enum class CheckOption { small_gear, large_gear, shade };

inline constexpr std::array<std::string_view, 3> kCheckOptionNames = {"Check_small", "Check_large",
                                                                      "Check_shade"};

// What the commands see of the main window: the texts and options they read, the fields they
// write, the one way they talk to the user, and what they share. The Qt window implements it;
// tests drive the commands through fakes, without widgets.
class MainWindowSeam {
 public:
  virtual ~MainWindowSeam() = default;

  // What this window's commands share from one command to the next (the current pair, the CAD
  // application, the last gear's drawing); the window holds it.
  virtual CommandSession& Session() = 0;

  // The text of an input field exactly as typed (UTF-8), blanks and all.
  virtual std::string InputText(InputField field) const = 0;

  // Result fields cannot be typed into, but a command replaces their whole text.
  virtual std::string ResultText(ResultField field) const = 0;
  virtual void SetResultText(ResultField field, const std::string& text) = 0;

  // The model fineness as typed or picked in Combo_fine; need not be one of the list items.
  virtual std::string FinenessText() const = 0;

  // A check box: 1 ticked, 0 clear.
  virtual int CheckValue(CheckOption option) const = 0;

  // The status line Label_prompt under the results.
  virtual std::string StatusText() const = 0;
  virtual void SetStatusText(const std::string& text) = 0;

  // A modal message box titled kMessageTitle, with the text, an OK button and no icon;
  // returns once the user has confirmed it.
  virtual void ShowMessage(const std::string& text) = 0;

  // A command that runs for long (building gear solids) brackets its work with these two.
  // In between the window keeps painting but takes no input: what the user clicks or types
  // meanwhile is dropped, never acted on once the command has ended, so a second click on a
  // command button cannot start a second run. The command's own message boxes still answer.
  // A window without a user (the command line, tests) ignores them.
  virtual void BeginLongCommand() {}
  virtual void EndLongCommand() {}
  // Paints what the long command has changed so far (status line, progress bar).
  virtual void KeepPainted() {}

  // The progress bar under the status line, shown only while a gear is being built: a caption
  // and done of total steps (total 0: working, no measure yet).
  virtual void ShowProgress(const std::string& /*caption*/, int /*done*/, int /*total*/) {}
  virtual void HideProgress() {}

  // The stop button beside the progress bar, shown and hidden with it: whether the user has
  // pressed it since the long command began or since the command last acted on a stop. The
  // press is seen once the window has been kept painted. A window without a user never asks.
  virtual bool StopRequested() const { return false; }
  // The command has acted on the stop; a later press asks for another one.
  virtual void ClearStopRequest() {}

  // The report window (计算书) on the session's pair and the gears built of it: opened, or
  // brought forward. A window without a user has none.
  virtual void ShowReport() {}
  // The session's pair has been replaced, or gears of it built: an open report window follows
  // them; a closed one stays closed.
  virtual void SessionChanged() {}

 protected:
  MainWindowSeam() = default;
  MainWindowSeam(const MainWindowSeam&) = default;
  MainWindowSeam& operator=(const MainWindowSeam&) = default;
};

}  // namespace kelvo

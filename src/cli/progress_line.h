#pragma once

#include <chrono>
#include <ostream>
#include <string>

namespace kelvo::cli {

// One line on a terminal, redrawn in place: where a long piece of work is. Nothing is drawn
// when standard error is no terminal (a script's log would fill with carriage returns).
class ProgressLine {
 public:
  ProgressLine(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}
  ~ProgressLine() { Clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Draws text at once: a new step.
  void Show(const std::string& text) { Draw(text, true); }
  // Draws text unless the line was drawn less than a tenth of a second ago: how far a step has
  // come, reported far more often than a terminal needs.
  void Update(const std::string& text) { Draw(text, false); }
  void Clear() {
    if (shown_) err_ << "\r\033[K" << std::flush;
    shown_ = false;
  }

 private:
  void Draw(const std::string& text, bool now) {
    const auto time = std::chrono::steady_clock::now();
    if (!enabled_ || (!now && time - drawn_ < std::chrono::milliseconds(100))) return;
    drawn_ = time;
    err_ << "\r\033[K" << text << std::flush;
    shown_ = true;
  }

  std::ostream& err_;
  bool enabled_;
  std::chrono::steady_clock::time_point drawn_;
  bool shown_ = false;
};

}  // namespace kelvo::cli

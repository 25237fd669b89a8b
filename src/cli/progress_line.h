#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <string_view>

namespace kelvo::cli {

// One line on a terminal, redrawn in place: where the build is. The hobbing steps come from
// HobGear, the share done of a long Boolean or evaluation from the CAD application's hooks;
// the line is redrawn at most ten times a second.
class ProgressLine {
 public:
  ProgressLine(std::ostream& err, bool enabled, int gearNo)
      : err_(err), enabled_(enabled), prefix_("gear " + std::to_string(gearNo) + ": ") {}
  ~ProgressLine() { Clear(); }

  void Step(std::string step) {
    step_ = std::move(step);
    Draw(step_, true);
  }
  void Share(std::string_view what, double done) {
    const std::string percent = std::to_string(static_cast<int>(done * 100)) + " %";
    // A Boolean of the hobbing sequence belongs to its step; an evaluation is a step itself.
    Draw(what.starts_with("Boolean") ? step_ + ", " + percent : std::string(what) + ", " + percent,
         false);
  }
  void Clear() {
    if (shown_) err_ << "\r\033[K" << std::flush;
    shown_ = false;
  }

 private:
  void Draw(const std::string& text, bool now) {
    const auto time = std::chrono::steady_clock::now();
    if (!enabled_ || (!now && time - drawn_ < std::chrono::milliseconds(100))) return;
    drawn_ = time;
    err_ << "\r\033[K" << prefix_ << text << std::flush;
    shown_ = true;
  }

  std::ostream& err_;
  bool enabled_;
  std::string prefix_;
  std::string step_;
  std::chrono::steady_clock::time_point drawn_;
  bool shown_ = false;
};

}  // namespace kelvo::cli

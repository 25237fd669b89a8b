#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "hobbing/hob_progress.h"

namespace kelvo {

// What the progress bar shows: a caption and done of total (total 0: working, no measure yet).
struct ProgressShown {
  std::string caption;
  int done = 0;
  int total = 0;

  bool operator==(const ProgressShown&) const = default;
};

// The progress bar's captions for the gears of one generate command: one caption per gear and
// phase, the gear's name first, whose value never falls however the reports come.
//   "小齿轮"                 the gear's drawing being set up
//   "小齿轮：滚切 5/18"      the rolling cut, by generating positions
//   "大齿轮：复制齿槽 42%"   the replication of the cut space around the gear
// The replication has two parts: placing the copies (HobGear's intersections, which the CAD
// application may defer) counts for its first tenth, and the CAD application's evaluation of
// what it deferred for the rest; an application that defers nothing ends the phase at 10%.
class ProgressCaptions {
 public:
  // Before the gear's cut begins.
  ProgressShown Start(std::int16_t gearNo);
  // HobGear's report on the gear's cut.
  ProgressShown OfCut(std::int16_t gearNo, const HobProgressReport& report);
  // The CAD application's evaluation of a drawing's deferred replication: the subject the
  // drawing was described with (the gear's name) and its share done, 0 to 1. Nothing for a
  // drawing described with no gear's name.
  std::optional<ProgressShown> OfReplication(std::string_view subject, double done);

 private:
  // The caption for a phase of a gear, with the phase's value never below what it has shown.
  ProgressShown Phase(std::string_view gear, std::string_view phase, int done, int total);

  std::map<std::string, int>
      highest_;  // per gear and phase ("小齿轮：滚切"): the highest done shown
};

}  // namespace kelvo

#include "app/commands/progress_captions.h"

#include <algorithm>
#include <cmath>

#include "modelling/gear_description.h"

namespace kelvo {
namespace {

constexpr std::string_view kRollingCut = "滚切";
constexpr std::string_view kReplication = "复制齿槽";
// The replication's value in thousandths: enough for a bar, shown as a whole percent.
constexpr int kReplicationTotal = 1000;
// Placing the copies is the first tenth of the replication, the evaluation the rest.
constexpr int kPlacingShare = 100;

}  // namespace

ProgressShown ProgressCaptions::Start(std::int16_t gearNo) {
  return {std::string(GearName(gearNo)), 0, 0};
}

ProgressShown ProgressCaptions::OfCut(std::int16_t gearNo, const HobProgressReport& report) {
  const std::string_view gear = GearName(gearNo);
  // The rolling cut until the first copy is placed, so that its last position shows too.
  if (report.intersectionsDone == 0 || report.intersectionCount == 0) {
    return Phase(gear, kRollingCut, report.positionsDone, report.positionCount);
  }
  const double placed =
      std::min(1.0, static_cast<double>(report.intersectionsDone) / report.intersectionCount);
  return Phase(gear, kReplication, static_cast<int>(std::floor(placed * kPlacingShare)),
               kReplicationTotal);
}

std::optional<ProgressShown> ProgressCaptions::OfReplication(std::string_view subject,
                                                             double done) {
  if (subject != GearName(1) && subject != GearName(2)) return std::nullopt;
  const double evaluated = std::clamp(done, 0.0, 1.0);
  const int value =
      kPlacingShare + static_cast<int>(std::floor(evaluated * (kReplicationTotal - kPlacingShare)));
  return Phase(subject, kReplication, value, kReplicationTotal);
}

ProgressShown ProgressCaptions::Phase(std::string_view gear, std::string_view phase, int done,
                                      int total) {
  std::string caption(gear);
  caption += "：";
  caption += phase;
  // A report that would take the value back (work redone, the evaluation after the copies were
  // placed) shows the highest value again: a phase's total never changes.
  int& highest = highest_[caption];
  done = std::max(done, highest);
  highest = done;
  caption += ' ';
  if (phase == kReplication) {
    caption += std::to_string(done * 100 / total);
    caption += '%';
  } else {
    caption += std::to_string(done);
    caption += '/';
    caption += std::to_string(total);
  }
  return {caption, done, total};
}

}  // namespace kelvo

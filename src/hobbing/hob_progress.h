#pragma once

#include <cstdint>
#include <functional>

namespace kelvo {

// How far the cutting of one gear has come. The rolling cut is cheap next to the
// replication, whose intersections of whole gears take nearly all the time.
struct HobProgressReport {
  std::int32_t positionsDone = 0;  // generating positions run, cut or skipped
  std::int32_t positionCount = 0;  // generating positions of the rolling cut
  int intersectionsDone = 0;       // copies of the blank intersected, or skipped
  int intersectionCount = 0;       // z - 1 until the polar array has run, then its copies

  // Every position and every copy has had its turn: nothing of the cut is left to do.
  bool Finished() const {
    return positionsDone >= positionCount && intersectionsDone >= intersectionCount;
  }

  bool operator==(const HobProgressReport&) const = default;
};

// Called by HobGear when it starts cutting and after every position and every intersection.
// An exception thrown from it (cad::EvaluationStopped when the designer stops the build) ends
// HobGear at once and reaches HobGear's caller. The blank keeps what was cut so far; the
// cutter and the copies not yet used are deleted first, as at the end of a finished cut.
using HobProgress = std::function<void(const HobProgressReport&)>;

}  // namespace kelvo

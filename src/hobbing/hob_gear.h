#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cad/cad_application.h"
#include "hobbing/gear_blank.h"
#include "hobbing/hob_progress.h"
#include "hobbing/skip_on_failure.h"

namespace kelvo {

// Cuts blank.blankSolid into gear blank.gearNo of blank.gearPair the way a hob cuts it: a rack
// cutter (MakeRackCutter, made in blank.cadDoc) rolls past the blank while the blank turns, and
// a copy of the cutter is subtracted at every position, which leaves one space with its
// involute flanks, root fillet and any undercut. The other spaces come from intersecting the
// blank with its z - 1 copies turned by whole pitches. The cutter is deleted at the end; the
// blank, changed in place, is the finished gear.
//
// fineness (the model fineness the user chose) sets the positions per pitch. A statement that
// fails is skipped and the rest still runs; the skipped statements are returned, in order, for
// a caller that wants to tell the user (an empty list: every statement ran). progress, when
// set, hears how far the cut has come.
//
// A stop (cad::EvaluationStopped, raised by a long Boolean or by progress) is no failure of a
// statement: it ends the cut after the CAD operation that was running and reaches the caller
// as GearCutStopped. The blank keeps what was cut so far; the cutter and the unused copies are
// deleted.
std::vector<SkippedStatement> HobGear(const GearBlank& blank, double fineness,
                                      const HobProgress& progress = {});

// The stop that ended a cut, with how far the cut had come (a report whose Finished() holds:
// the stop came after the last copy, too late to take anything from the gear) and the
// statements skipped before it.
class GearCutStopped : public cad::EvaluationStopped {
 public:
  GearCutStopped(const std::string& what, const HobProgressReport& cut_so_far,
                 std::vector<SkippedStatement> skipped_so_far)
      : cad::EvaluationStopped(what), reached(cut_so_far), skipped(std::move(skipped_so_far)) {}

  HobProgressReport reached;
  std::vector<SkippedStatement> skipped;
};

// Whether a skipped statement leaves the gear as it would have been: a gear of one tooth has no
// copies to make, and the CAD application refuses the polar array of one object.
bool CostsTheGearNothing(const SkippedStatement& skipped, std::int16_t z);

}  // namespace kelvo

#include "app/commands/command_session.h"

#include <algorithm>

#include "hobbing/hob_gear.h"
#include "hobbing/hob_plan.h"
#include "modelling/build_gear_drawing.h"

namespace kelvo {
namespace {

// The seven inputs decide the whole record: the solver is a function of them.
bool SamePair(const GearPairData& a, const GearPairData& b) {
  return a.a_true == b.a_true && a.m == b.m && a.z1 == b.z1 && a.z2 == b.z2 && a.b == b.b &&
         a.beta == b.beta && a.x1 == b.x1;
}

}  // namespace

void CommandSession::Remember(const GearDrawing& made, std::optional<double> fineness) {
  cadDoc = made.cadDoc;
  blankSolid = made.blankSolid;
  if (!made.blankSolid || made.stopped || !fineness) return;
  const std::int16_t gearNo = made.gearNo == 1 ? 1 : 2;
  const std::int16_t z = GearToCut(gearPair, gearNo).z;
  const bool complete =
      std::all_of(made.skipped.begin(), made.skipped.end(),
                  [z](const SkippedStatement& skipped) { return CostsTheGearNothing(skipped, z); });
  std::erase_if(builtGears, [&](const BuiltGear& built) {
    return built.gearNo == gearNo && SamePair(built.pair, gearPair);
  });
  builtGears.push_back({gearPair, gearNo, made.blankSolid, *fineness, complete});
}

std::vector<BuiltGear> CommandSession::GearsBuiltFor(const GearPairData& pair) const {
  std::vector<BuiltGear> gears;
  for (const int gearNo : {1, 2}) {
    for (const BuiltGear& built : builtGears) {
      if (built.gearNo == gearNo && SamePair(built.pair, pair)) gears.push_back(built);
    }
  }
  return gears;
}

}  // namespace kelvo

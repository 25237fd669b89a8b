#include "geometry/pair_gear.h"

namespace kelvo {

PairGear GearOf(const GearPairData& pair, std::int16_t gearNo) {
  if (gearNo == 1) return {pair.z1, pair.x1, pair.d1, pair.da1};
  return {pair.z2, pair.x2, pair.d2, pair.da2};
}

}  // namespace kelvo

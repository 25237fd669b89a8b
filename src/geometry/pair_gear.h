#pragma once

#include <cstdint>

#include "geometry/gear_pair_data.h"

namespace kelvo {

// One gear of a pair as the formulas of a single gear need it: gearNo 1 is the small gear,
// any other value the large one, as everywhere in the program.
struct PairGear {
  int teeth = 0;
  double x = 0;   // normal profile-shift coefficient
  double d = 0;   // reference diameter
  double da = 0;  // tip diameter of the solver (with its tip shortening)
};

PairGear GearOf(const GearPairData& pair, std::int16_t gearNo);

// The other gear's number: 2 for 1, 1 for every other value.
inline std::int16_t MateOf(std::int16_t gearNo) {
  return gearNo == 1 ? 2 : 1;
}

}  // namespace kelvo

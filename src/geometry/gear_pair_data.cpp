#include "geometry/gear_pair_data.h"

namespace kelvo {

GearPairData gearPair{};

}  // namespace kelvo

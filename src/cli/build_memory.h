#pragma once

#include <cstdint>
#include <ostream>

#include "geometry/gear_pair_data.h"

namespace kelvo::cli {

// A build whose memory this machine does not have is refused before it starts: the designer
// most likely mistyped a number of teeth, and a build that runs out of memory after hours helps
// nobody. A long one is announced, with the way out. False after saying why on err.
bool WorkFitsThisMachine(const GearPairData& pair, std::int16_t gearNo, double fineness,
                         std::ostream& err);

}  // namespace kelvo::cli

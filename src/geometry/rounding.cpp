#include "geometry/rounding.h"

#include <cmath>
#include <limits>

namespace kelvo {

double RoundHalfEven(double x) {
  // std::nearbyint honours the rounding mode, which is round-to-nearest-even unless
  // someone changed it; std::round would send halves away from zero.
  return std::nearbyint(x);
}

std::optional<std::int16_t> RoundToInt16(double x) {
  const double rounded = RoundHalfEven(x);
  if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
        rounded <= std::numeric_limits<std::int16_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(rounded);
}

}  // namespace kelvo

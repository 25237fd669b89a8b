#include "geometry/involute.h"

#include <cmath>

namespace kelvo {

double inv(double alpha) {
  return std::tan(alpha) - alpha;
}

std::optional<double> arccos(double x) {
  const double radicand = 1 - x * x;
  if (!(radicand > 0)) return std::nullopt;
  return std::atan(-x / std::sqrt(radicand)) + 2 * std::atan(1.0);
}

}  // namespace kelvo

#include "hobbing/checked_arithmetic.h"

#include <cmath>
#include <limits>

namespace kelvo {

double Finite(double x) {
  if (std::isnan(x)) throw HobbingError("invalid floating-point operation");
  if (std::isinf(x)) throw HobbingError("floating-point overflow");
  return x;
}

double Div(double numerator, double denominator) {
  Finite(numerator);
  if (Finite(denominator) == 0) throw HobbingError("division by zero");
  return Finite(numerator / denominator);
}

double Sqr(double x) {
  if (Finite(x) < 0) throw HobbingError("square root of a negative number");
  return std::sqrt(x);
}

std::int32_t IntPlusOne(double x) {
  const double whole = std::floor(Finite(x)) + 1;
  if (whole < std::numeric_limits<std::int32_t>::min() ||
      whole > std::numeric_limits<std::int32_t>::max()) {
    throw HobbingError("whole number out of the 32-bit range");
  }
  return static_cast<std::int32_t>(whole);
}

}  // namespace kelvo

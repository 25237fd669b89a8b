#pragma once

#include <optional>

namespace kelvo {

// Involute function: tan(alpha) - alpha, alpha in radians.
double inv(double alpha);

// Arc cosine in the form atan(-x / sqrt(1 - x*x)) + 2*atan(1), with an exact quarter turn.
// It is defined only for -1 < x < 1: at x = +-1 the division by zero fails and beyond them
// the square root of a negative number fails; both give no value.
std::optional<double> arccos(double x);

}  // namespace kelvo

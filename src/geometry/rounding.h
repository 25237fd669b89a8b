#pragma once

#include <cstdint>
#include <optional>

namespace kelvo {

// Nearest whole number, a value exactly halfway going to the even neighbour (2.5 gives 2,
// 3.5 gives 4). This is the one rounding rule of the program.
double RoundHalfEven(double x);

// RoundHalfEven as a 16-bit signed integer; no value when x is not finite or the rounded
// result leaves -32768..32767.
std::optional<std::int16_t> RoundToInt16(double x);

}  // namespace kelvo

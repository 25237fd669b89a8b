#pragma once

#include <string>
#include <utility>

namespace kelvo {

// value with at most `decimals` decimals, trailing zeros and a trailing point dropped, no minus
// sign on a value that rounds to zero: 0.530 as "0.53", 2.000 as "2", -0.0001 as "0". The same
// in every locale.
std::string DecimalText(double value, int decimals);

// value with exactly `decimals` decimals, for tables whose figures line up: 0.53 as "0.5300" at
// 4; no minus sign on a value that rounds to zero ("0.0000", never "-0.0000"); "—" for a value
// that is no finite number. The same in every locale.
std::string FixedText(double value, int decimals);

// a and b each with `decimals` decimals, or with more (up to 9) when that many would show them
// equal although they differ, so that a sentence comparing them never reads "0.53 below 0.53".
std::pair<std::string, std::string> DistinctDecimalTexts(double a, double b, int decimals);

}  // namespace kelvo

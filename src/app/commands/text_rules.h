#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

// Reads text typed into a numeric field. The whole text must be one decimal number:
// optional blanks, an optional sign, digits with at most one decimal point (digits on
// either side or both), an optional exponent (E or e, optional sign, digits), optional
// blanks. Anything else, an empty text, or a value beyond the range of a double gives no
// value; a value too small to represent reads as zero. The reading is correctly rounded
// and does not depend on the user's locale.
std::optional<double> TextToDouble(std::string_view text);

// Reads a number of teeth: the text is read by TextToDouble and rounded to the nearest whole
// number, halves to the even neighbour (20.5 gives 20, 21.5 gives 22); no value outside
// -32768..32767.
std::optional<std::int16_t> TextToInt16(std::string_view text);

// Writes a result for a result field: the value is rounded to `decimals` places, a value
// exactly halfway (judged on the double's exact binary value) going to the even digit; the
// rounded value is then written with at most 15 significant digits, without trailing zeros,
// without a point for whole values, with "." as the point and never as a negative zero.
std::string NumberToResultText(double value, int decimals);

}  // namespace kelvo

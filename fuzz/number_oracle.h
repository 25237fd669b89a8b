#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What a numeric field and a result field must do, worked out a second way: a grammar check of
// its own, and the C library's reading and exact writing of a double (glibc's strtod and printf).
// The fuzz targets hold Kelvo's text rules against it, so none of it shares code with them.

namespace kelvo::fuzz {

// The number in a field's text without the blanks around it, when the whole text is one
// decimal number a user may type: sign, digits with at most one point, an exponent.
std::optional<std::string> TypedNumber(std::string_view text);

// The C library's correctly rounded reading of a TypedNumber, in the "C" locale; infinite when
// the number lies beyond the largest double.
double ReadWithCLibrary(const std::string& number);

// What a field must give: no value for text that is no number or lies beyond the range of a
// double.
std::optional<double> ExpectedFieldValue(std::string_view text);

// A number of teeth: nearest whole number, halves to the even neighbour, within 16 bits.
std::optional<std::int16_t> ExpectedTeeth(double value);

// The exact binary value of a double rounded to `decimals` places, halves to the even digit, as
// a plain decimal text ("-12.30" keeps its zeros); the text a strtod reads back as the rounded
// double.
std::string RoundedDecimalText(double value, int decimals);

// How many significant digits a plain decimal text carries (trailing zeros of a fraction
// excluded).
int SignificantDigits(std::string_view decimal_text);

// The text a result field must show for value at `decimals` places: the rounded double written
// with at most 15 significant digits, halves to even, without trailing zeros or a needless
// point, exponent form "1.5E+20" from 10^15 up, never "-0". Empty for a value that is not
// finite.
std::string ExpectedResultText(double value, int decimals);

// Whether text has the form of a result field, whatever its value: an optional minus, no
// leading zeros, a point only before a fraction that does not end in 0, a capital E with a
// sign and at least two digits, no "-0".
bool HasResultForm(std::string_view text);

// Prints what went wrong and the input that did it, then aborts: libFuzzer keeps the input.
[[noreturn]] void Fail(std::string_view what, std::string_view detail);

// Printable form of a text: bytes outside printable ASCII as \xNN.
std::string Escaped(std::string_view text);

}  // namespace kelvo::fuzz

// A result field's text for any double and any number of decimals: the value rounded at those
// decimals on its exact binary value (halves to even), written with at most 15 significant
// digits in the field's form, and read back as the rounded value whenever 15 digits can hold it.
//
// Input: one byte of mode (low four bits: decimals; bit 4: the rest is a number typed as text,
// which finds halfway cases like 52.805 faster than raw bits), then the double's 8 bytes or the
// text.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/commands/text_rules.h"
#include "number_oracle.h"

namespace {

std::string Describe(double value, int decimals, const std::string& got,
                     const std::string& expected) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "value %.17g (%a) at %d decimals", value, value, decimals);
  return std::string(buffer) + ": Kelvo \"" + kelvo::fuzz::Escaped(got) + "\", expected \"" +
         expected + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int decimals = data[0] & 0x0f;
  const bool typed = (data[0] & 0x10) != 0;
  double value = 0;
  if (typed) {
    const std::optional<double> read = kelvo::fuzz::ExpectedFieldValue(
        std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    if (!read) return 0;
    value = *read;
  } else {
    if (size != 1 + sizeof value) return 0;
    std::memcpy(&value, data + 1, sizeof value);
  }

  const std::string got = kelvo::NumberToResultText(value, decimals);
  const std::string expected = kelvo::fuzz::ExpectedResultText(value, decimals);
  if (got != expected)
    kelvo::fuzz::Fail("wrong result text", Describe(value, decimals, got, expected));
  if (!std::isfinite(value)) return 0;
  if (!kelvo::fuzz::HasResultForm(got)) {
    kelvo::fuzz::Fail("result text out of form", Describe(value, decimals, got, expected));
  }

  // What the user reads must be the number the program rounded to, as far as 15 digits go: off
  // by at most half a unit in the 15th digit, give or take the doubles' own rounding.
  const std::string rounded_text = kelvo::fuzz::RoundedDecimalText(value, decimals);
  const double rounded = kelvo::fuzz::ReadWithCLibrary(rounded_text);
  const double read_back = kelvo::fuzz::ReadWithCLibrary(got);
  const bool fits = kelvo::fuzz::SignificantDigits(rounded_text) <= 15;
  // Within half a unit of the 15th digit of the largest double, 15 digits round up past it.
  if (std::isinf(read_back) && std::fabs(rounded) >= 1.797693134862315e308) return 0;
  if (fits ? read_back != rounded
           : !(std::fabs(read_back - rounded) <= 5.5e-15 * std::fabs(rounded))) {
    kelvo::fuzz::Fail("result text does not read back as the rounded value",
                      Describe(value, decimals, got, rounded_text));
  }
  return 0;
}

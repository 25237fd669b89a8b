// Whatever a user types into a numeric field: Kelvo accepts exactly the decimal numbers of the
// field grammar, reads each as the C library does (correctly rounded, "C" locale), refuses what
// lies beyond the range of a double, and reads a number of teeth as that value rounded half to
// even within 16 bits.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/commands/text_rules.h"
#include "number_oracle.h"

namespace {

using kelvo::fuzz::Escaped;
using kelvo::fuzz::Fail;

std::string Describe(std::string_view text, std::optional<double> got,
                     std::optional<double> expected) {
  auto show = [](std::optional<double> v) {
    if (!v) return std::string("no value");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g (%a)", *v, *v);
    return std::string(buffer);
  };
  return "text \"" + Escaped(text) + "\": Kelvo " + show(got) + ", expected " + show(expected);
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::optional<double> got = kelvo::TextToDouble(text);
  const std::optional<double> expected = kelvo::fuzz::ExpectedFieldValue(text);
  if (got.has_value() != expected.has_value()) {
    Fail(got ? "accepted a text outside the grammar or range" : "refused a number",
         Describe(text, got, expected));
  }
  if (got && !SameBits(*got, *expected)) {
    Fail("read a number other than the correctly rounded value", Describe(text, got, expected));
  }

  const std::optional<std::int16_t> teeth = kelvo::TextToInt16(text);
  const std::optional<std::int16_t> expected_teeth =
      expected ? kelvo::fuzz::ExpectedTeeth(*expected) : std::nullopt;
  if (teeth != expected_teeth) {
    Fail("wrong number of teeth", "text \"" + Escaped(text) + "\": Kelvo " +
                                      (teeth ? std::to_string(*teeth) : "none") + ", expected " +
                                      (expected_teeth ? std::to_string(*expected_teeth) : "none"));
  }
  return 0;
}

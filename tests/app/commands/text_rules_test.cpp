#include "app/commands/text_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "app/commands/calculate_steps.h"

namespace kelvo {
namespace {

TEST(TextToDouble, AcceptsExactlyTheDecimalNumberForm) {
  // clang-format off
  const std::pair<std::string_view, std::optional<double>> cases[] = {
      {"2", 2}, {" 2 ", 2}, {"\t2\t", 2}, {"2e0", 2}, {"2E+0", 2}, {"+.5", 0.5}, {"-.5", -0.5},
      {"5.", 5}, {"-0", -0.0}, {"0.3", 0.3}, {"1e-3", 0.001}, {"1.5e-2", 0.015}, {"20.5", 20.5},
      {"007", 7}, {"1e308", 1e308}, {"1e-400", 0},
      {"2.4703282292062328e-324", 4.9406564584124654e-324},  // halfway to the least: rounds up
      {".", {}}, {"1..5", {}}, {"2mm", {}}, {"", {}}, {"   ", {}}, {"abc", {}}, {"1e309", {}},
      {"-1e309", {}}, {"+", {}}, {"-", {}}, {"e5", {}}, {"1e", {}}, {"1e+", {}}, {"1.2.3", {}},
      {"1 2", {}}, {"++1", {}}, {"+-1", {}}, {"0x10", {}}, {"inf", {}}, {"nan", {}}, {"1,5", {}},
      {"1_000", {}}, {"２", {}}, {"2\n", {}}};
  // clang-format on
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE("text \"" + std::string(text) + "\"");
    const std::optional<double> value = TextToDouble(text);
    ASSERT_EQ(value.has_value(), expected.has_value());
    if (!value) continue;
    EXPECT_EQ(*value, *expected);
    EXPECT_EQ(std::signbit(*value), std::signbit(*expected));
  }
}

TEST(TextToInt16, RoundsHalvesToEvenWithinSixteenBits) {
  // clang-format off
  const std::pair<std::string_view, std::optional<std::int16_t>> cases[] = {
      {"20", 20}, {"20.5", 20}, {"21.5", 22}, {"20.4999", 20}, {"-2.5", -2}, {" 40 ", 40},
      {"4e1", 40}, {"32767", 32767}, {"32767.5", {}}, {"32768", {}}, {"-32768", -32768},
      {"-32768.5", -32768}, {"-32769", {}}, {"1e300", {}}, {"abc", {}}, {"", {}}};
  // clang-format on
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(TextToInt16(text), expected) << text;
}

TEST(NumberToResultText, RoundsTheExactBinaryValueAndWritesTheShortForm) {
  // clang-format off
  const std::tuple<double, int, std::string_view> cases[] = {
      {40, 2, "40"}, {52.796566, 2, "52.8"}, {0.313278, 3, "0.313"}, {0.013278, 3, "0.013"},
      {-0.25, 2, "-0.25"}, {-7, 3, "-7"}, {123456.789, 2, "123456.79"}, {1e20, 2, "1E+20"},
      {4.4999999999999, 2, "4.5"}, {-1e-17, 2, "0"},
      {-0.0004, 3, "0"},     // rounds to zero from below: never "-0"
      {0.125, 2, "0.12"},    // exactly halfway: even digit
      {0.375, 2, "0.38"},    // exactly halfway: even digit
      {0.0625, 3, "0.062"},  // exactly halfway
      {2.675, 2, "2.67"},    // the double is just below the half
      {1.005, 2, "1"},       // 1.00499999999999989...
      {0.015, 2, "0.01"},    // 0.01499999999999999944...; floor(x*100+0.5)/100 gives 0.02
      {0.155, 2, "0.15"},    // 0.15499999999999999889...; x*100 is 15.5 exactly
      {0.305, 2, "0.3"},     // 0.30499999999999999334...; naive gives 0.31
      {99.995, 2, "100"}};   // 99.99500000000000454...: just above the half
  // clang-format on
  for (const auto& [value, decimals, text] : cases)
    EXPECT_EQ(NumberToResultText(value, decimals), text) << value;
}

// What the text rules leave to the conversion of the seven texts: teeth beyond 16 bits, a
// helix angle whose conversion to radians overflows.
TEST(SolvePairFromTexts, FailsOnTeethOrAnglesBeyondTheirRange) {
  for (const GearPairTexts& texts : {GearPairTexts{.z1 = "32768"}, GearPairTexts{.beta = "1e308"}})
    EXPECT_FALSE(SolvePairFromTexts(texts)) << texts.z1 << " " << texts.beta;
  EXPECT_EQ(SolvePairFromTexts({.a_true = "61", .z1 = "20.5"})->z1, 20);
}

}  // namespace
}  // namespace kelvo

#include "app/calculate_steps.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvo {
namespace {

using Texts = std::array<std::string, 7>;

TEST(CalculateSteps, ResultTextsOfTheWorkedPairs) {
  struct Case {
    GearPairTexts inputs;
    Texts results;
  };
  const Case cases[] = {
      {GearPairTexts{}, {"40", "80", "44", "84", "4.5", "0", "0"}},
      {{"100", "2", "23", "73", "30", "15", "0.3"},
       {"47.62", "151.15", "52.8", "155.18", "4.49", "0.313", "0.013"}},
  };
  for (const Case& c : cases) {
    const std::optional<GearPairData> pair = SolvePairFromTexts(c.inputs);
    ASSERT_TRUE(pair);
    EXPECT_EQ(ResultTexts(*pair), c.results);
  }
}

// Every input field, one at a time, holding a text that is no number.
TEST(CalculateSteps, AnyBadFieldFailsTheWholeCalculation) {
  std::string GearPairTexts::*const fields[] = {
      &GearPairTexts::a_true, &GearPairTexts::m,    &GearPairTexts::z1, &GearPairTexts::z2,
      &GearPairTexts::b,      &GearPairTexts::beta, &GearPairTexts::x1};
  for (auto field : fields) {
    for (const char* bad : {"", "abc", "2mm", "1..5", "1e309"}) {
      GearPairTexts texts;
      texts.*field = bad;
      EXPECT_FALSE(SolvePairFromTexts(texts)) << "text \"" << bad << "\"";
    }
  }
}

TEST(CalculateSteps, ConversionsOfTheWindow) {
  struct Case {
    std::string name;
    GearPairTexts texts;
    bool solves;
  };
  const Case cases[] = {
      {"blanks around a number", {" 60 ", " 2 ", "20", "40", "20", "0", "0"}, true},
      {"exponent form", {"6e1", "2e0", "20", "40", "20", "0", "0"}, true},
      {"32768 teeth", {"60", "2", "32768", "40", "20", "0", "0"}, false},
      {"no teeth", {"60", "2", "0", "40", "20", "0", "0"}, false},
      {"centre distance too small", {"50", "2", "20", "40", "20", "0", "0"}, false},
      {"helix angle overflowing radians", {"60", "2", "20", "40", "20", "1e308", "0"}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SolvePairFromTexts(c.texts).has_value(), c.solves) << c.name;
  }
}

TEST(CalculateSteps, FractionalTeethRoundHalfToEven) {
  GearPairTexts texts{"61", "2", "20.5", "40", "20", "0", "0"};
  EXPECT_EQ(SolvePairFromTexts(texts)->z1, 20);
  texts.z1 = "21.5";
  EXPECT_EQ(SolvePairFromTexts(texts)->z1, 22);
}

}  // namespace
}  // namespace kelvo

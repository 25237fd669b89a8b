// The design checks of the report: pairs that are wrong in one way each, and the default pair
// that is right in every way.

#include "geometry/design_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "geometry/decimal_text.h"
#include "geometry/derived_values.h"
#include "solved_pairs.h"

namespace kelvo {
namespace {

constexpr CheckLevel kOk = CheckLevel::kOk;
constexpr CheckLevel kWarning = CheckLevel::kWarning;
constexpr CheckLevel kError = CheckLevel::kError;

// The levels of the nine checks, all ok unless a row says otherwise.
struct Levels {
  CheckLevel undercut1 = kOk, undercut2 = kOk, pointed1 = kOk, pointed2 = kOk, contact = kOk,
             clearance1 = kOk, clearance2 = kOk, interference1 = kOk, interference2 = kOk;

  std::vector<std::pair<std::string_view, CheckLevel>> ById() const {
    return {{"undercut1", undercut1},
            {"undercut2", undercut2},
            {"pointed1", pointed1},
            {"pointed2", pointed2},
            {"contact", contact},
            {"clearance1", clearance1},
            {"clearance2", clearance2},
            {"interference1", interference1},
            {"interference2", interference2}};
  }
};

struct Measured {
  std::string_view id;
  double value;
  double limit;
};

struct Row {
  const char* name;
  PairInputs inputs;
  Levels levels;
  std::vector<Measured> measured = {};
  double tolerance = 5e-4;
};

TEST(CheckDesign, FindsWhatIsWrongWithEachPair) {
  const Row rows[] = {
      {.name = "the window's default pair",
       .inputs = kDefaultPair,
       .levels = {},
       .measured = {{"contact", 1.635186, 1.2},
                    {"clearance1", 0.5, 0.2},
                    {"pointed1", 1.3898, 0.5}}},
      // The figure: x_min of 8 teeth is 0.53.
      {.name = "8-tooth pinion, unshifted",
       .inputs = kEightToothPinionPair,
       .levels = {.undercut1 = kWarning, .interference1 = kError},
       .measured = {{"undercut1", 0, 0.53}},
       .tolerance = 5e-3},
      // x_min of 12 teeth is 0.2981 (1 - z / 17.1), not the rounded 1 - z / 17 = 0.294.
      {.name = "12 teeth just short of the undercut limit",
       .inputs = {55, 3, 12, 24, 20, 0, 0.296},
       .levels = {.undercut1 = kWarning}},
      {.name = "12 teeth just clear of the undercut limit",
       .inputs = {55, 3, 12, 24, 20, 0, 0.3},
       .levels = {}},
      {.name = "the handbooks' shifted pair, contact ratio 1.202",
       .inputs = kShiftedPair,
       .levels = {},
       .measured = {{"contact", 1.202, 1.2}}},
      // The figure: 23 teeth with shift 1.5 have a tip about 0.02 mm thick.
      {.name = "23 teeth with x 1.5, a tip of 0.02 mm",
       .inputs = {100.5, 2, 23, 73, 30, 15, 1.5},
       .levels = {.pointed1 = kWarning, .contact = kWarning, .interference1 = kError},
       .measured = {{"pointed1", 0.02, 0.5}},
       .tolerance = 5e-3},
      {.name = "23 teeth with x 1.5, flanks meeting below the tip circle",
       .inputs = {100, 2, 23, 73, 30, 15, 1.5},
       .levels = {.pointed1 = kError, .contact = kWarning, .interference1 = kError},
       .measured = {{"pointed1", -0.026, 0}}},
      {.name = "the default pair pulled 5 mm apart: contact ratio below 1",
       .inputs = {65, 2, 20, 40, 20, 0, 0.5},
       .levels = {.contact = kError, .interference2 = kError},
       .measured = {{"contact", 0.8665, 1.0}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const GearPairData pair = SolvedPair(row.inputs);
    const std::vector<DesignCheck> checks = CheckDesign(pair, DeriveValues(pair));
    const auto expected = row.levels.ById();
    ASSERT_EQ(checks.size(), expected.size());
    for (std::size_t i = 0; i < checks.size(); ++i) {
      EXPECT_EQ(checks[i].id, expected[i].first);
      EXPECT_EQ(LevelKey(checks[i].level), LevelKey(expected[i].second))
          << checks[i].id << ": " << checks[i].text;
      // A check that is not ok says what to change.
      EXPECT_EQ(checks[i].text.find("请") != std::string::npos, checks[i].level != kOk)
          << checks[i].text;
    }
    for (const Measured& measured : row.measured) {
      const auto check = std::find_if(checks.begin(), checks.end(),
                                      [&](const DesignCheck& c) { return c.id == measured.id; });
      ASSERT_NE(check, checks.end());
      EXPECT_NEAR(check->value, measured.value, row.tolerance) << measured.id;
      EXPECT_NEAR(check->limit, measured.limit, row.tolerance) << measured.id;
    }
  }
}

TEST(DecimalText, ShowsWhatMattersAndNeverTwoEqualLookingDifferentNumbers) {
  const std::tuple<double, int, std::string> texts[] = {
      {0.53, 3, "0.53"},      {0, 3, "0"},
      {-0.0001, 3, "0"},      {2.0, 3, "2"},
      {-0.0259, 3, "-0.026"}, {1234.5678, 2, "1234.57"},
      {std::nan(""), 3, "?"}};
  for (const auto& [value, decimals, text] : texts)
    EXPECT_EQ(DecimalText(value, decimals), text);
  using Texts = std::pair<std::string, std::string>;
  EXPECT_EQ(DistinctDecimalTexts(0.2981, 0.2984, 3), Texts("0.2981", "0.2984"));
  EXPECT_EQ(DistinctDecimalTexts(0.5, 0.5, 3), Texts("0.5", "0.5"));
}

}  // namespace
}  // namespace kelvo

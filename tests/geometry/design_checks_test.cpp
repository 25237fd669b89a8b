// The design checks of the report: pairs that are wrong in one way each, and the default pair
// that is right in every way.

#include "geometry/design_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
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

// The nine checks in the report's order.
constexpr std::string_view kCheckIds[] = {"undercut1",  "undercut2",     "pointed1",
                                          "pointed2",   "contact",       "clearance1",
                                          "clearance2", "interference1", "interference2"};

struct Measured {
  std::string_view id;
  double value;
  double limit;
};

struct Row {
  const char* name;
  PairInputs inputs;
  // The checks that are not ok; every other check is.
  std::map<std::string_view, CheckLevel> not_ok = {};
  std::vector<Measured> measured = {};
  double tolerance = 5e-4;
};

TEST(CheckDesign, FindsWhatIsWrongWithEachPair) {
  const Row rows[] = {
      {.name = "the window's default pair",
       .inputs = kDefaultPair,
       .measured = {{"contact", 1.635186, 1.2},
                    {"clearance1", 0.5, 0.2},
                    {"pointed1", 1.3898, 0.5}}},
      // The figure: x_min of 8 teeth is 0.53.
      {.name = "8-tooth pinion, unshifted",
       .inputs = kEightToothPinionPair,
       .not_ok = {{"undercut1", kWarning}, {"interference1", kError}},
       .measured = {{"undercut1", 0, 0.53}},
       .tolerance = 5e-3},
      // x_min of 12 teeth is 0.2981 (1 - z / 17.1), not the rounded 1 - z / 17 = 0.294.
      {.name = "12 teeth just short of the undercut limit",
       .inputs = {.a_true = 55, .m = 3, .z1 = 12, .z2 = 24, .x1 = 0.296},
       .not_ok = {{"undercut1", kWarning}}},
      {.name = "12 teeth just clear of the undercut limit",
       .inputs = {.a_true = 55, .m = 3, .z1 = 12, .z2 = 24, .x1 = 0.3}},
      {.name = "the handbooks' shifted pair, contact ratio 1.202",
       .inputs = kShiftedPair,
       .measured = {{"contact", 1.202, 1.2}}},
      // The figure: 23 teeth with shift 1.5 have a tip about 0.02 mm thick.
      {.name = "23 teeth with x 1.5, a tip of 0.02 mm",
       .inputs = {.a_true = 100.5, .z1 = 23, .z2 = 73, .b = 30, .beta_degrees = 15, .x1 = 1.5},
       .not_ok = {{"pointed1", kWarning}, {"contact", kWarning}, {"interference1", kError}},
       .measured = {{"pointed1", 0.02, 0.5}},
       .tolerance = 5e-3},
      {.name = "23 teeth with x 1.5, flanks meeting below the tip circle",
       .inputs = kPointedPair,
       .not_ok = {{"pointed1", kError}, {"contact", kWarning}, {"interference1", kError}},
       .measured = {{"pointed1", -0.026, 0}}},
      {.name = "the default pair pulled 5 mm apart: contact ratio below 1",
       .inputs = kContactBelowOnePair,
       .not_ok = {{"contact", kError}, {"interference2", kError}},
       .measured = {{"contact", 0.8665, 1.0}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const GearPairData pair = SolvedPair(row.inputs);
    const std::vector<DesignCheck> checks = CheckDesign(pair, DeriveValues(pair));
    ASSERT_EQ(checks.size(), std::size(kCheckIds));
    std::size_t listed_not_ok = 0;
    for (std::size_t i = 0; i < checks.size(); ++i) {
      EXPECT_EQ(checks[i].id, kCheckIds[i]);
      const auto listed = row.not_ok.find(checks[i].id);
      listed_not_ok += listed == row.not_ok.end() ? 0 : 1;
      const CheckLevel expected = listed == row.not_ok.end() ? kOk : listed->second;
      EXPECT_EQ(LevelKey(checks[i].level), LevelKey(expected))
          << checks[i].id << ": " << checks[i].text;
      // A check that is not ok says what to change.
      EXPECT_EQ(checks[i].text.find("请") != std::string::npos, checks[i].level != kOk)
          << checks[i].text;
    }
    EXPECT_EQ(listed_not_ok, row.not_ok.size()) << "a row names a check there is not";
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

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "geometry/gear_constants.h"
#include "geometry/gear_pair_fields.h"
#include "geometry/solve_gear_pair.h"
#include "support/run_process.h"

namespace kelvo {
namespace {

TEST(CliSolve, JsonHoldsEveryFieldToTheLastBitAndTheWindowTexts) {
  const test::ProcessResult run =
      test::RunProcess(KELVO_CLI, {"solve", "--json", "--a_true", "100", "--m", "2", "--z1", "23",
                                   "--z2", "73", "--b", "30", "--beta", "15", "--x1", "0.3"});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  const nlohmann::json json = nlohmann::json::parse(run.out);
  const GearPairData expected = *SolveGearPair(100, 2, 23, 73, 30, DegreesToRadians(15), 0.3).pair;
  for (const GearPairField& field : kGearPairFields) {
    ASSERT_TRUE(json.contains(field.name)) << field.name;
    EXPECT_EQ(json[std::string(field.name)].get<double>(), FieldValue(expected, field))
        << field.name;
  }
  EXPECT_TRUE(json["z1"].is_number_integer() && json["k2"].is_number_integer());
  EXPECT_EQ(json["display"], nlohmann::json::parse(R"({"Text_d1": "47.62", "Text_d2": "151.15",
      "Text_da1": "52.8", "Text_da2": "155.18", "Text_h": "4.49", "Text_x_sum": "0.313",
      "Text_x2": "0.013"})"));
}

// The options read the field texts as the window does (a negative value too), and the report
// names every value in both languages; what gives no pair fails with the window's message, a
// command line that is no command with its usage.
TEST(CliSolve, OptionsTakeTheFieldTextsAsTypedAndFailuresSayWhy) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string key = {};  // when it solves: one value of the JSON, or none for the report
    double value = 0;
  } const cases[] = {
      {{"solve", "--json", "--z1", "21.5", "--a_true", "61"}, 0, "z1", 22},
      {{"solve", "--json", "--x1", "-0.5", "--a_true", "59"}, 0, "x1", -0.5},
      {{"solve", "--json", "--m", " 2 "}, 0, "m", 2},
      {{"solve"}, 0},
      {{"solve", "--m", "abc"}, 1},
      {{"solve", "--a_true", "50"}, 1},
      {{"solve", "--z1", ""}, 1},
      {{"solve", "--bogus", "1"}, 2},
      {{"solve", "--m"}, 2},
      {{}, 2},
      {{"frobnicate"}, 2},
  };
  for (const Case& c : cases) {
    const test::ProcessResult run = test::RunProcess(KELVO_CLI, c.args);
    SCOPED_TRACE(::testing::PrintToString(c.args));
    ASSERT_EQ(run.exit_status, c.status) << run.err;
    if (c.status == 0 && !c.key.empty()) {
      EXPECT_EQ(nlohmann::json::parse(run.out)[c.key].get<double>(), c.value);
    } else if (c.status == 0) {
      for (const GearPairField& field : kGearPairFields) {
        EXPECT_NE(run.out.find(field.chinese), std::string::npos) << field.name;
        EXPECT_NE(run.out.find(field.english), std::string::npos) << field.name;
      }
      EXPECT_NE(run.out.find("15.320879"), std::string::npos);  // W1 of the default pair
    } else {
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(c.status == 1 ? run.err : run.err.substr(0, 6),
                c.status == 1 ? "输入参数不合理，无法计算出结果！\n" : "usage:");
    }
  }
}

}  // namespace
}  // namespace kelvo

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <tuple>

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
  for (const GearPairField& field : kGearPairFields)  // NaN for a field missing
    EXPECT_EQ(json.value(std::string(field.name), std::nan("")), FieldValue(expected, field))
        << field.name;
  EXPECT_TRUE(json["z1"].is_number_integer() && json["k2"].is_number_integer());
  EXPECT_EQ(json["display"], nlohmann::json::parse(R"({"Text_d1": "47.62", "Text_d2": "151.15",
      "Text_da1": "52.8", "Text_da2": "155.18", "Text_h": "4.49", "Text_x_sum": "0.313",
      "Text_x2": "0.013"})"));
}

// Options read the field texts as the window does, and the report names every value in both
// languages; no pair fails with the window's message, no command with the usage.
TEST(CliSolve, OptionsTakeTheFieldTextsAsTypedAndFailuresSayWhy) {
  // Arguments, exit status and, when it solves, one JSON value or none for the report.
  const std::tuple<std::vector<std::string>, int, std::string, double> cases[] = {
      {{"solve", "--json", "--z1", "21.5", "--a_true", "61"}, 0, "z1", 22},
      {{"solve", "--json", "--x1", "-0.5", "--a_true", "59"}, 0, "x1", -0.5},
      {{"solve", "--json", "--m", " 2 "}, 0, "m", 2},
      {{"solve"}, 0, "", 0},
      {{"solve", "--m", "abc"}, 1, "", 0},
      {{"solve", "--a_true", "50"}, 1, "", 0},
      {{"solve", "--z1", ""}, 1, "", 0},
      {{"solve", "--bogus", "1"}, 2, "", 0},
      {{}, 2, "", 0},
      {{"frobnicate"}, 2, "", 0},
  };
  for (const auto& [args, status, key, value] : cases) {
    const test::ProcessResult run = test::RunProcess(KELVO_CLI, args);
    SCOPED_TRACE(::testing::PrintToString(args));
    ASSERT_EQ(run.exit_status, status) << run.err;
    if (status == 0 && !key.empty()) {
      EXPECT_EQ(nlohmann::json::parse(run.out)[key].get<double>(), value);
    } else if (status == 0) {
      for (const GearPairField& field : kGearPairFields)
        EXPECT_TRUE(run.out.find(field.chinese) != std::string::npos &&
                    run.out.find(field.english) != std::string::npos)
            << field.name;
      EXPECT_NE(run.out.find("15.320879"), std::string::npos);  // W1 of the default pair
    } else {
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(status == 1 ? run.err : run.err.substr(0, 6),
                status == 1 ? "输入参数不合理，无法计算出结果！\n" : "usage:");
    }
  }
}

}  // namespace
}  // namespace kelvo

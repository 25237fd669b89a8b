#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "geometry/gear_constants.h"
#include "geometry/gear_pair_fields.h"
#include "geometry/solve_gear_pair.h"
#include "support/run_process.h"

namespace kelvo {
namespace {

test::ProcessResult Cli(const std::vector<std::string>& args) {
  return test::RunProcess(KELVO_CLI, args);
}

TEST(CliSolve, JsonHoldsEveryFieldToTheLastBitAndTheWindowTexts) {
  const test::ProcessResult run =
      Cli({"solve", "--json", "--a_true", "100", "--m", "2", "--z1", "23", "--z2", "73", "--b",
           "30", "--beta", "15", "--x1", "0.3"});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  const nlohmann::json json = nlohmann::json::parse(run.out);
  const GearPairData expected = *SolveGearPair(100, 2, 23, 73, 30, DegreesToRadians(15), 0.3).pair;
  for (const GearPairField& field : kGearPairFields) {
    ASSERT_TRUE(json.contains(field.name)) << field.name;
    EXPECT_EQ(json[std::string(field.name)].get<double>(), FieldValue(expected, field))
        << field.name;
  }
  EXPECT_TRUE(json["z1"].is_number_integer());
  EXPECT_TRUE(json["k2"].is_number_integer());
  const nlohmann::json display = json["display"];
  EXPECT_EQ(display["Text_d1"], "47.62");
  EXPECT_EQ(display["Text_d2"], "151.15");
  EXPECT_EQ(display["Text_da1"], "52.8");
  EXPECT_EQ(display["Text_da2"], "155.18");
  EXPECT_EQ(display["Text_h"], "4.49");
  EXPECT_EQ(display["Text_x_sum"], "0.313");
  EXPECT_EQ(display["Text_x2"], "0.013");
}

TEST(CliSolve, ReportNamesAllValuesOfTheDefaultPair) {
  const test::ProcessResult run = Cli({"solve"});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  for (const GearPairField& field : kGearPairFields) {
    EXPECT_NE(run.out.find(std::string(field.chinese)), std::string::npos) << field.name;
    EXPECT_NE(run.out.find(std::string(field.english)), std::string::npos) << field.name;
  }
  EXPECT_NE(run.out.find("15.320879"), std::string::npos);  // W1 of the default pair
}

TEST(CliSolve, OptionsTakeTheFieldTextsAsTyped) {
  struct Case {
    std::vector<std::string> args;
    std::string_view key;
    double value;
  };
  const Case cases[] = {
      {{"--z1", "20.5", "--a_true", "61"}, "z1", 20},
      {{"--z1", "21.5", "--a_true", "61"}, "z1", 22},
      {{"--x1", "-0.5", "--a_true", "59"}, "x1", -0.5},
      {{"--x1=-0.5", "--a_true", "59"}, "x1", -0.5},
      {{"--m", " 2 "}, "m", 2},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"solve", "--json"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const test::ProcessResult run = Cli(args);
    ASSERT_EQ(run.exit_status, 0) << c.args[0] << " " << c.args[1] << ": " << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)[std::string(c.key)].get<double>(), c.value);
  }
}

TEST(CliSolve, ExitStatusAndStreams) {
  struct Case {
    std::vector<std::string> args;
    int status;
    bool usage_line;  // usage errors start standard error with "usage:"
  };
  const Case cases[] = {
      {{"solve", "--m", "abc"}, 1, false}, {{"solve", "--a_true", "50"}, 1, false},
      {{"solve", "--z1", ""}, 1, false},   {{"solve", "--bogus", "1"}, 2, true},
      {{"solve", "--m"}, 2, true},         {{}, 2, true},
      {{"frobnicate"}, 2, true},
  };
  for (const Case& c : cases) {
    const test::ProcessResult run = Cli(c.args);
    SCOPED_TRACE(c.args.empty() ? std::string("(none)") : c.args.back());
    EXPECT_EQ(run.exit_status, c.status);
    EXPECT_EQ(run.out, "");
    if (c.usage_line) {
      EXPECT_EQ(run.err.rfind("usage:", 0), 0u) << run.err;
    } else {
      EXPECT_EQ(run.err, "输入参数不合理，无法计算出结果！\n");
    }
  }
}

TEST(CliSolve, HelpDescribesEveryOption) {
  const test::ProcessResult run = Cli({"solve", "--help"});
  EXPECT_EQ(run.exit_status, 0);
  for (const char* option :
       {"--a_true", "--m", "--z1", "--z2", "--b", "--beta", "--x1", "--json"}) {
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace kelvo

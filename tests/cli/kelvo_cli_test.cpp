// kelvo-cli through the real program: what solve and gear print for scripts, the failures they
// report. The gears themselves are the hobbed-gear tests'; a 10-tooth pinion keeps builds small.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "geometry/gear_constants.h"
#include "geometry/gear_pair_fields.h"
#include "geometry/solve_gear_pair.h"
#include "support/run_process.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

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
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string key = {};  // when it solves: one value of the JSON, or none for the report
    double value = 0;
  };
  const Case cases[] = {
      {.args = {"solve", "--json", "--z1", "21.5", "--a_true", "61"},
       .status = 0,
       .key = "z1",
       .value = 22},
      {.args = {"solve", "--json", "--x1", "-0.5", "--a_true", "59"},
       .status = 0,
       .key = "x1",
       .value = -0.5},
      {.args = {"solve"}, .status = 0},
      {.args = {"solve", "--m", "abc"}, .status = 1},
      {.args = {"solve", "--a_true", "50"}, .status = 1},
      {.args = {"solve", "--z1", ""}, .status = 1},
      {.args = {"solve", "--bogus", "1"}, .status = 2},
      {.args = {}, .status = 2},
      {.args = {"frobnicate"}, .status = 2},
  };
  for (const Case& c : cases) {
    const test::ProcessResult run = test::RunProcess(KELVO_CLI, c.args);
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const int status = c.status;
    ASSERT_EQ(run.exit_status, status) << run.err;
    if (status == 0 && !c.key.empty()) {
      EXPECT_EQ(nlohmann::json::parse(run.out)[c.key].get<double>(), c.value);
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

// A module, a number of teeth or a face width no gear can have fails solve and gear alike, with
// the window's message and no file; a left-hand helix, a negative shift and a face width of 0
// solve.
TEST(CliSolve, ModulesTeethAndWidthsNoGearCanHaveFailSolveAndGear) {
  const std::string file =
      fs::temp_directory_path() / ("kelvo-cli-bad-" + std::to_string(getpid()) + ".step");
  const std::tuple<std::vector<std::string>, bool> cases[] = {
      {{"--m", "-2"}, false},
      {{"--m", "-1e-300"}, false},
      {{"--z1", "-23"}, false},
      {{"--z1", "0.4"}, false},
      {{"--z2", "-20"}, false},  // z1 + z2 = 0
      {{"--z2", "-1"}, false},
      {{"--b", "-5"}, false},
      {{"--b", "-1e-9"}, false},
      {{"--beta", "-15"}, true},
      {{"--x1", "-0.3", "--a_true", "59"}, true},
      {{"--b", "0"}, true},
  };
  for (const auto& [options, solves] : cases) {
    SCOPED_TRACE(::testing::PrintToString(options));
    std::vector<std::string> solve = {"solve"}, gear = {"gear", "--out", file};
    solve.insert(solve.end(), options.begin(), options.end());
    gear.insert(gear.end(), options.begin(), options.end());
    const test::ProcessResult solved = test::RunProcess(KELVO_CLI, solve);
    EXPECT_EQ(solved.exit_status, solves ? 0 : 1);
    if (solves) continue;
    EXPECT_EQ(std::tuple(solved.out, solved.err),
              std::tuple("", "输入参数不合理，无法计算出结果！\n"));
    const test::ProcessResult built = test::RunProcess(KELVO_CLI, gear);
    EXPECT_EQ(std::tuple(built.exit_status, built.out, built.err),
              std::tuple(1, "", "输入参数不合理，无法计算出结果！\n"));
    EXPECT_FALSE(fs::exists(file));
  }
}

// A folder of its own for the files a test writes, removed afterwards.
class CliGearFiles : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(folder_); }
  void TearDown() override { fs::remove_all(folder_); }

  const fs::path folder_ =
      fs::temp_directory_path() / ("kelvo-cli-gear-" + std::to_string(getpid()) + "-" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
};

// The summary's keys lead, in this order, for scripts. At x 1.2 the reference circle crosses the
// root fillet, not the involute the thickness formula is about: no theory is given for it.
TEST(CliGear, SummaryForScriptsAndNoThicknessTheoryInTheFillet) {
  const test::ProcessResult run = test::RunProcess(
      KELVO_CLI,
      {"gear", "--a_true", "34", "--z1", "10", "--z2", "20", "--x1", "1.2", "--json", "--inspect"});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err, "");  // no progress line when standard error is no terminal
  const nlohmann::ordered_json json = nlohmann::ordered_json::parse(run.out);
  std::string keys;
  for (auto key = json.begin(); key != json.end(); ++key)
    keys += key.key() + " ";
  EXPECT_TRUE(keys.starts_with(
      "stepsPerPitch positionCount intersections failedBooleans seconds volume faces valid "))
      << keys;
  // stepsPerPitch: 4 x Sqr(20 / 10), half to even.
  const auto expected = nlohmann::ordered_json::parse(R"({"stepsPerPitch": 6, "intersections": 9,
      "failedBooleans": 0, "valid": true, "teeth": 10, "toothThicknessTheory": null,
      "toothChordTheory": null})");
  for (const auto& [key, value] : expected.items())
    EXPECT_EQ(json.value(key, nlohmann::ordered_json("missing")), value) << key;
  EXPECT_GT(json["formDiameter"].get<double>(), 2 * 10.0);
}

// Garbage, huge and tiny values, a file that cannot be written: a clear message and its exit
// status, never a crash; a summary only of a gear built, or of what failed; no file, finished or
// partial, left but of a gear built as asked.
TEST_F(CliGearFiles, BadInputAtEveryEdgeGivesAClearMessageAndNoFile) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err = {};  // what standard error holds; empty: nothing
    bool summary = false;  // a summary printed
    bool written = false;  // the file written
  };
  const std::string gear = (folder_ / "gear.step").string();
  const std::string taken = folder_ / "taken.step";
  const std::string missing = (folder_ / "missing").string();
  const std::string no_pair = "输入参数不合理，无法计算出结果！\n";
  fs::create_directory(taken);
  const Case cases[] = {
      {.args = {"--z1", "32767"}, .status = 1, .err = no_pair},  // z1 + z2 beyond 16 bits
      {.args = {"--m", "1e300"}, .status = 1, .err = no_pair},
      {.args = {"--b", "0"},
       .status = 1,
       .err = "kelvo-cli: could not make the blank: AddCylinder: the height must be positive, "
              "not 0\n"},
      // The pair solves, but no cutter can be made for a face width beyond any modeller.
      {.args = {"--b", "1e300"},
       .status = 1,
       .err = "kelvo-cli: gear 1 came out incomplete, so " + gear +
              " was not written:\n  make the rack cutter failed: ",
       .summary = true},
      // Fineness as the window takes it: any number, the positions per pitch kept within caps.
      {.args = {"--a_true", "30", "--z1", "10", "--z2", "20", "--fineness", "1e308"},
       .status = 0,
       .summary = true,
       .written = true},
      // One tooth: nothing to replicate, so the refused array of one takes nothing from it.
      {.args = {"--a_true", "41", "--z1", "1"}, .status = 0, .summary = true, .written = true},
      {.args = {"--fineness", "nan"},
       .status = 1,
       .err = "kelvo-cli: the fineness \"nan\" is no number"},
      // 32000 teeth at 12 positions per pitch: hundreds of gigabytes, refused before it starts.
      {.args = {"--a_true", "32767", "--z1", "32000", "--z2", "767", "--fineness", "1e308"},
       .status = 1,
       .err = "kelvo-cli: gear 1 has 32000 teeth: 2053 positions of the rolling cut and 31999 "
              "turned copies to intersect, at 12 positions per pitch. That needs about 169.7 GB "
              "of memory"},
      // A file that cannot be written is refused before the build, with the exporter's reason.
      {.args = {"--out", missing + "/gear.step"},
       .status = 1,
       .err = "kelvo-cli: Export: the folder " + missing + " does not exist\n"},
      {.args = {"--out", "/proc/gear.step"},
       .status = 1,
       .err = "kelvo-cli: Export: cannot write in the folder /proc: "},
      {.args = {"--out", taken},
       .status = 1,
       .err = "kelvo-cli: Export: cannot replace " + taken + ": it is a folder\n"},
      {.args = {"--out", ""}, .status = 2, .err = "kelvo-cli: --out: a file name is needed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front() + " " + c.args.back());
    std::vector<std::string> args = {"gear"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    if (c.args[0] != "--out") args.insert(args.end(), {"--out", gear});
    const test::ProcessResult run = test::RunProcess(KELVO_CLI, args);
    EXPECT_EQ(run.exit_status, c.status);
    EXPECT_TRUE(c.err.empty() ? run.err.empty() : run.err.find(c.err) != std::string::npos)
        << run.err;
    EXPECT_EQ(run.out.empty(), !c.summary) << run.out;
    // The file only for a gear built as asked, and no temporary file left behind.
    std::set<fs::path> left(fs::directory_iterator(folder_), {});
    EXPECT_EQ(left, (c.written ? std::set<fs::path>{gear, taken} : std::set<fs::path>{taken}));
    fs::remove(gear);
  }
}

// Ctrl-C in the rolling cut or in the replication's evaluation, counted from the build's
// announcement: stopped within seconds, said so, no file, exit status 130.
TEST_F(CliGearFiles, CtrlCStopsALongBuildAndWritesNoFile) {
  struct Case {
    const char* name;
    std::string a_true;
    std::string z1;
    std::string beta;
    double delay;  // seconds to Ctrl-C
  };
  const Case cases[] = {
      {.name = "rolling cut", .a_true = "1040", .z1 = "1000", .beta = "0", .delay = 0},
      // A helical gear is evaluated on the solids: its replication of 400 teeth takes minutes.
      // (A spur gear's, on its sections, takes half a second.)
      {.name = "replication", .a_true = "456", .z1 = "400", .beta = "15", .delay = 4},
  };
  const std::string file = folder_ / "gear.step";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const test::InterruptedProcess run = test::RunProcessAndInterrupt(
        KELVO_CLI, {"gear", "--out", file, "--a_true", c.a_true, "--z1", c.z1, "--beta", c.beta},
        "a long build. Ctrl-C stops it.\n", c.delay);
    ASSERT_TRUE(run.interrupted) << run.result.err;
    EXPECT_LT(run.seconds_after_signal, 5.0);
    EXPECT_EQ(run.result.exit_status, 130);
    EXPECT_TRUE(run.result.err.ends_with("kelvo-cli: stopped; " + file + " was not written\n"))
        << run.result.err;
    EXPECT_EQ(run.result.out, "");
    EXPECT_TRUE(fs::is_empty(folder_));
  }
}

}  // namespace
}  // namespace kelvo

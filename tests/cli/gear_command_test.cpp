// kelvo-cli gear through the real program: the summary a script reads, and the failures it
// reports. The gears themselves are the hobbed-gear tests'; a pinion of 10 teeth keeps the
// builds and the files small.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "support/run_process.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

test::ProcessResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), "gear");
  return test::RunProcess(KELVO_CLI, args);
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

// The summary's keys lead, in this order, for scripts that read them. x 1.2: the rolling line
// runs below the cutter's straight flank, so the reference circle crosses the root fillet, not
// the involute the thickness formula is about: no theory is given for it.
TEST(CliGear, SummaryForScriptsAndNoThicknessTheoryInTheFillet) {
  const test::ProcessResult run =
      Cli({"--a_true", "34", "--z1", "10", "--z2", "20", "--x1", "1.2", "--json", "--inspect"});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err, "");  // no progress line when standard error is no terminal
  const nlohmann::ordered_json json = nlohmann::ordered_json::parse(run.out);
  std::vector<std::string> keys;
  for (auto key = json.begin(); key != json.end() && keys.size() < 8; ++key)
    keys.push_back(key.key());
  EXPECT_EQ(keys,
            std::vector<std::string>({"stepsPerPitch", "positionCount", "intersections",
                                      "failedBooleans", "seconds", "volume", "faces", "valid"}));
  EXPECT_EQ(json["stepsPerPitch"], 6);  // 4 x Sqr(20 / 10), half to even
  EXPECT_EQ(json["intersections"], 9);
  EXPECT_EQ(json["failedBooleans"], 0);
  EXPECT_EQ(json["valid"], true);
  EXPECT_EQ(json["teeth"], 10);
  EXPECT_TRUE(json["toothThicknessTheory"].is_null());
  EXPECT_TRUE(json["toothChordTheory"].is_null());
  EXPECT_GT(json["formDiameter"].get<double>(), 2 * 10.0);
}

// Whatever a designer types: garbage, huge and tiny values, a file that cannot be written. Each
// gives a clear message and its exit status, never a crash; a gear not built as asked prints
// no summary, or a summary with what failed; and no file, finished or partial, is left. (The
// solver's and the exporter's own failures are their tests'.)
TEST_F(CliGearFiles, BadInputAtEveryEdgeGivesAClearMessageAndNoFile) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;  // what standard error holds
    bool summary;     // whether a summary of what was built is printed
    bool written = false;
  };
  const std::string gear = (folder_ / "gear.step").string(), taken = folder_ / "taken.step";
  fs::create_directory(taken);
  // clang-format off
  const Case cases[] = {
      {{"--a_true", "10"}, 1, "输入参数不合理，无法计算出结果！\n", false},
      {{"--z1", "32767"}, 1, "输入参数不合理，无法计算出结果！\n", false},  // z1 + z2 beyond 16 bits
      {{"--m", "1e300"}, 1, "输入参数不合理，无法计算出结果！\n", false},
      {{"--b", "-5"}, 1, "kelvo-cli: could not make the blank: AddCylinder: the height must be "
                         "positive, not -5\n", false},
      // The pair solves, but no cutter can be made for a face width beyond any modeller.
      {{"--b", "1e300"}, 1, "kelvo-cli: gear 1 came out incomplete, so " + gear +
                            " was not written:\n  make the rack cutter failed: ", true},
      // Fineness as the window takes it: any number, the positions per pitch kept within caps.
      {{"--a_true", "30", "--z1", "10", "--z2", "20", "--fineness", "1e308"}, 0, "", true, true},
      // One tooth: nothing to replicate, so the refused array of one takes nothing from it.
      {{"--a_true", "41", "--z1", "1"}, 0, "", true, true},
      {{"--fineness", "nan"}, 1, "kelvo-cli: the fineness \"nan\" is no number", false},
      // 32000 teeth at 12 positions per pitch: hundreds of gigabytes, refused before it starts.
      {{"--a_true", "32767", "--z1", "32000", "--z2", "767", "--fineness", "1e308"}, 1,
       "kelvo-cli: gear 1 has 32000 teeth: 2053 positions of the rolling cut and 31999 turned "
       "copies to intersect, at 12 positions per pitch. That needs about 169.7 GB of memory",
       false},
      // A file that cannot be written is refused before the build, with the exporter's reason.
      {{"--out", (folder_ / "missing" / "gear.step").string()}, 1,
       "kelvo-cli: Export: the folder " + (folder_ / "missing").string() + " does not exist\n",
       false},
      {{"--out", "/proc/gear.step"}, 1, "kelvo-cli: Export: cannot write in the folder /proc: ",
       false},
      {{"--out", taken}, 1, "kelvo-cli: Export: cannot replace " + taken + ": it is a folder\n",
       false},
      {{"--out", ""}, 2, "kelvo-cli: --out: a file name is needed", false},
      {{"--gear", "3"}, 2, "usage:", false},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front() + " " + c.args.back());
    std::vector<std::string> args = c.args;
    if (std::find(args.begin(), args.end(), "--out") == args.end())
      args.insert(args.end(), {"--out", gear});
    const test::ProcessResult run = Cli(args);
    EXPECT_EQ(run.exit_status, c.status);
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    EXPECT_TRUE(!c.err.empty() || run.err.empty()) << run.err;
    EXPECT_EQ(run.out.empty(), !c.summary) << run.out;
    // The file only for a gear built as asked, and no temporary file left behind.
    std::set<fs::path> left(fs::directory_iterator(folder_), {});
    EXPECT_EQ(left, (c.written ? std::set<fs::path>{gear, taken} : std::set<fs::path>{taken}));
    fs::remove(gear);
  }
}

// Ctrl-C during a long build, in the rolling cut or in the evaluation of the replication that
// follows it: the program stops within seconds, says so, writes no file and exits with 130.
// The build announces itself, which is when Ctrl-C is pressed here.
TEST_F(CliGearFiles, CtrlCStopsALongBuildAndWritesNoFile) {
  struct Case {
    const char* name;
    std::string a_true, z1;
    double delay;  // seconds from the announcement to Ctrl-C
  } const cases[] = {
      {"at once", "1040", "1000", 0},
      // The rolling cut of 400 teeth takes about a second; the replication most of 20 s.
      {"some seconds in", "440", "400", 4},
  };
  const std::string file = folder_ / "gear.step";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const test::InterruptedProcess run = test::RunProcessAndInterrupt(
        KELVO_CLI, {"gear", "--out", file, "--a_true", c.a_true, "--z1", c.z1},
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

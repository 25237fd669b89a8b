// kelvo-cli gear through the real program: the summary a script reads, the inspection beside
// its theory, the files it writes, and the failures it reports. Where any gear will do, a
// pinion of 10 teeth keeps the builds and the files small.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "cad/occt/occt_export.h"
#include "support/run_process.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

test::ProcessResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), "gear");
  return test::RunProcess(KELVO_CLI, args);
}

nlohmann::ordered_json Json(const test::ProcessResult& run) {
  EXPECT_EQ(run.exit_status, 0) << run.err;
  return nlohmann::ordered_json::parse(run.out);
}

// A folder of its own for the files a test writes, removed afterwards.
class CliGearFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() /
        ("kelvo-cli-gear-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path folder_;
};

TEST(CliGear, SummaryAndInspectionOfTheDefaultSmallGear) {
  const test::ProcessResult run = Cli({"--json", "--inspect"});
  const nlohmann::ordered_json json = Json(run);
  EXPECT_EQ(run.err, "");  // no progress line when standard error is no terminal

  // The summary's keys lead, in this order, for scripts that read them.
  std::vector<std::string> keys;
  for (auto key = json.begin(); key != json.end() && keys.size() < 8; ++key)
    keys.push_back(key.key());
  EXPECT_EQ(keys,
            std::vector<std::string>({"stepsPerPitch", "positionCount", "intersections",
                                      "failedBooleans", "seconds", "volume", "faces", "valid"}));
  EXPECT_EQ(json["stepsPerPitch"], 4);
  EXPECT_EQ(json["positionCount"], 18);
  EXPECT_EQ(json["intersections"], 19);
  EXPECT_EQ(json["failedBooleans"], 0);
  EXPECT_EQ(json["valid"], true);
  EXPECT_GT(json["seconds"].get<double>(), 0);
  // The volume the operation-by-operation evaluation gives this gear.
  EXPECT_NEAR(json["volume"].get<double>(), 24758.521, 1e-3);
  // The inspection beside its theory (the measures themselves are the hobbed-gear tests').
  EXPECT_EQ(json["teeth"], json["teethTheory"]);
  EXPECT_NEAR(json["rootDiameter"].get<double>(), json["rootDiameterTheory"].get<double>(), 0.01);
  EXPECT_NEAR(json["toothThickness"].get<double>(), json["toothThicknessTheory"].get<double>(),
              0.01);
  EXPECT_NEAR(json["profileDeviationUm"].get<double>(), json["profileCuspLawUm"].get<double>(),
              0.15 * json["profileCuspLawUm"].get<double>());
}

std::vector<std::string> SmallPinion(std::vector<std::string> more) {
  more.insert(more.begin(), {"--a_true", "30", "--z1", "10", "--z2", "20"});
  return more;
}

TEST(CliGear, NoThicknessTheoryWhereTheReferenceCircleLiesInTheFillet) {
  // x 1.2: the rolling line runs below the cutter's straight flank, so the reference circle
  // crosses the root fillet, not the involute the formula is about.
  const nlohmann::ordered_json json = Json(
      Cli({"--a_true", "34", "--z1", "10", "--z2", "20", "--x1", "1.2", "--json", "--inspect"}));
  EXPECT_TRUE(json["toothThicknessTheory"].is_null());
  EXPECT_TRUE(json["toothChordTheory"].is_null());
  EXPECT_GT(json["formDiameter"].get<double>(), 2 * 10.0);
  EXPECT_EQ(json["teeth"], 10);
}

// The reference evaluation as a designer reads it: the same solid as the fast one.
TEST_F(CliGearFiles, NaiveEvaluationWritesTheSameSolid) {
  const fs::path file = folder_ / "gear.STP";
  const double fast = Json(Cli(SmallPinion({"--json"})))["volume"].get<double>();
  const test::ProcessResult naive = Cli(SmallPinion({"--naive", "--out", file.string()}));
  ASSERT_EQ(naive.exit_status, 0) << naive.err;
  EXPECT_NE(naive.out.find("operation-by-operation evaluation"), std::string::npos) << naive.out;
  const std::size_t volume = naive.out.find("volume (mm^3)");
  ASSERT_NE(volume, std::string::npos) << naive.out;
  EXPECT_NEAR(std::stod(naive.out.substr(volume + 13)), fast, 1e-6 * fast);
  // The file by its extension, written under a temporary name and renamed: nothing else is left.
  const cad::ImportedSolids solids = cad::ReadStepSolids(file);
  EXPECT_EQ(solids.solid_count, 1);
  EXPECT_NEAR(solids.volume, fast, 1e-6 * fast);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

// Whatever a designer types: garbage, huge and tiny values, a file that cannot be written. Each
// gives a clear message and its exit status, never a crash; a gear not built as asked prints
// no summary, or a summary with what failed; and no file, finished or partial, is left.
TEST_F(CliGearFiles, BadInputAtEveryEdgeGivesAClearMessageAndNoFile) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;  // what standard error holds
    bool summary;     // whether a summary of what was built is printed
    bool written = false;
  };
  const std::string gear = (folder_ / "gear.step").string();
  const std::string bad_input = "输入参数不合理，无法计算出结果！\n";
  fs::create_directory(folder_ / "taken.step");
  std::ofstream(folder_ / "file.txt") << "a file, not a folder";
  // clang-format off
  const Case cases[] = {
      {{"--a_true", "10"}, 1, bad_input, false},
      {{"--z1", "32767"}, 1, bad_input, false},  // z1 + z2 leaves the 16-bit range
      {{"--m", "1e300"}, 1, bad_input, false},
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
      {{"--fineness", "1e309"}, 1, "kelvo-cli: the fineness \"1e309\" is no number", false},
      // 32000 teeth at 12 positions per pitch: hundreds of gigabytes, refused before it starts.
      {{"--a_true", "32767", "--z1", "32000", "--z2", "767", "--fineness", "1e308"}, 1,
       "kelvo-cli: gear 1 has 32000 teeth: 2053 positions of the rolling cut and 31999 turned "
       "copies to intersect, at 12 positions per pitch. That needs about 169.7 GB of memory",
       false},
      {{"--out", (folder_ / "gear.obj").string()}, 1, "kelvo-cli: Export: unknown file type",
       false},
      {{"--out", (folder_ / "missing" / "gear.step").string()}, 1,
       "kelvo-cli: Export: the folder " + (folder_ / "missing").string() + " does not exist\n",
       false},
      {{"--out", (folder_ / "file.txt" / "gear.step").string()}, 1,
       "kelvo-cli: Export: " + (folder_ / "file.txt").string() + " is not a folder\n", false},
      {{"--out", "/proc/gear.step"}, 1, "kelvo-cli: Export: cannot write in the folder /proc: ",
       false},
      {{"--out", (folder_ / "taken.step").string()}, 1,
       "kelvo-cli: Export: cannot replace " + (folder_ / "taken.step").string() +
       ": it is a folder\n", false},
      {{"--out", ""}, 2, "kelvo-cli: --out: a file name is needed", false},
      {{"--gear", "3"}, 2, "usage:", false},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front() + " " + c.args.back());
    std::vector<std::string> args = c.args;
    if (std::find(args.begin(), args.end(), "--out") == args.end()) {
      args.insert(args.end(), {"--out", gear});
    }
    const test::ProcessResult run = Cli(args);
    EXPECT_EQ(run.exit_status, c.status);
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    EXPECT_EQ(run.out.empty(), !c.summary) << run.out;
    EXPECT_TRUE(!c.err.empty() || run.err.empty()) << run.err;
    // The file only for a gear built as asked, and no temporary file left behind.
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder_))
      left.insert(entry.path().filename().string());
    std::set<std::string> expected{"file.txt", "taken.step"};
    if (c.written) expected.insert("gear.step");
    EXPECT_EQ(left, expected);
    fs::remove(gear);
  }
}

// Ctrl-C during a long build, in the rolling cut or in the evaluation of the replication that
// follows it: the program stops within seconds, says so, writes no file and exits with 130.
// The build announces itself, which is when Ctrl-C is pressed here.
TEST_F(CliGearFiles, CtrlCStopsALongBuildAndWritesNoFile) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    double delay;  // seconds from the announcement to Ctrl-C
  };
  const Case cases[] = {
      {"at once", {"--a_true", "1040", "--z1", "1000"}, 0},
      // The rolling cut of 400 teeth takes about a second; the replication most of 20 s.
      {"some seconds in", {"--a_true", "440", "--z1", "400"}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = folder_ / "gear.step";
    std::vector<std::string> args = {"gear", "--out", file.string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const test::InterruptedProcess run =
        test::RunProcessAndInterrupt(KELVO_CLI, args, "a long build. Ctrl-C stops it.\n", c.delay);

    ASSERT_TRUE(run.interrupted) << run.result.err;
    EXPECT_LT(run.seconds_after_signal, 5.0);
    EXPECT_EQ(run.result.exit_status, 130);
    EXPECT_TRUE(
        run.result.err.ends_with("kelvo-cli: stopped; " + file.string() + " was not written\n"))
        << run.result.err;
    EXPECT_EQ(run.result.out, "");
    EXPECT_TRUE(fs::is_empty(folder_));
  }
}

}  // namespace
}  // namespace kelvo

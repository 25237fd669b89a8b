// kelvo-cli gear through the real program: the summary a script reads, the inspection beside
// its theory, the files it writes, and the failures it reports. Where any gear will do, a
// pinion of 10 teeth keeps the builds and the files small.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
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

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(CliGear, SummaryAndInspectionOfTheDefaultSmallGear) {
  const test::ProcessResult run = Cli({"--json", "--inspect"});
  const nlohmann::ordered_json json = Json(run);
  EXPECT_EQ(run.err, "");  // no progress line when standard error is no terminal

  // The summary's keys lead, in this order, for scripts that read them.
  const std::vector<std::string> summary = {"stepsPerPitch",  "positionCount", "intersections",
                                            "failedBooleans", "seconds",       "volume",
                                            "faces",          "valid"};
  auto key = json.begin();
  for (const std::string& name : summary) {
    ASSERT_NE(key, json.end());
    EXPECT_EQ(key.key(), name);
    ++key;
  }
  EXPECT_EQ(json["stepsPerPitch"], 4);
  EXPECT_EQ(json["positionCount"], 18);
  EXPECT_EQ(json["intersections"], 19);
  EXPECT_EQ(json["failedBooleans"], 0);
  EXPECT_EQ(json["valid"], true);
  EXPECT_GT(json["seconds"].get<double>(), 0);
  // The volume the operation-by-operation evaluation gives this gear.
  EXPECT_NEAR(json["volume"].get<double>(), 24758.521, 1e-3);

  EXPECT_EQ(json["teeth"], 20);
  EXPECT_EQ(json["teethTheory"], 20);
  EXPECT_NEAR(json["tipDiameter"].get<double>(), 44, 1e-6);
  EXPECT_NEAR(json["rootDiameterTheory"].get<double>(), 35, 1e-12);
  EXPECT_NEAR(json["rootDiameter"].get<double>(), 35, 0.01);
  EXPECT_NEAR(json["toothThicknessTheory"].get<double>(), 3.1415926, 1e-9);
  EXPECT_NEAR(json["toothThickness"].get<double>(), 3.1415926, 0.01);
  EXPECT_NEAR(json["profileDeviationUm"].get<double>(), json["profileCuspLawUm"].get<double>(),
              0.15 * json["profileCuspLawUm"].get<double>());
}

const std::vector<std::string> kSmallPinion = {"--a_true", "30", "--z1", "10", "--z2", "20"};

std::vector<std::string> SmallPinion(std::vector<std::string> more) {
  more.insert(more.begin(), kSmallPinion.begin(), kSmallPinion.end());
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

TEST(CliGear, NaiveEvaluationGivesTheSameSolid) {
  const std::vector<std::string> pair = SmallPinion({"--json"});
  std::vector<std::string> naive = pair;
  naive.push_back("--naive");
  const nlohmann::ordered_json fast_json = Json(Cli(pair));
  const nlohmann::ordered_json naive_json = Json(Cli(naive));
  const double volume = naive_json["volume"].get<double>();
  EXPECT_NEAR(fast_json["volume"].get<double>(), volume, 1e-6 * volume);
  EXPECT_EQ(fast_json["faces"], naive_json["faces"]);
  EXPECT_EQ(naive_json["valid"], true);
}

TEST_F(CliGearFiles, WritesEveryFormatByItsExtension) {
  struct Case {
    std::string file;
    std::function<void(const fs::path&, double volume)> check;
  };
  const Case cases[] = {
      {"gear.stp",
       [](const fs::path& path, double volume) {
         const cad::ImportedSolids solids = cad::ReadStepSolids(path);
         EXPECT_EQ(solids.solid_count, 1);
         EXPECT_NEAR(solids.volume, volume, 1e-6 * volume);
       }},
      {"gear.IGS",
       [](const fs::path& path, double) {
         const std::string text = Slurp(path);
         ASSERT_GT(text.size(), 80u);
         EXPECT_EQ(text[72], 'S');  // the start section of an IGES file
       }},
      {"gear.stl",
       [](const fs::path& path, double) {
         const std::string data = Slurp(path);
         ASSERT_GE(data.size(), 84u);
         std::uint32_t triangles = 0;
         std::memcpy(&triangles, data.data() + 80, sizeof triangles);
         EXPECT_GT(triangles, 500u);
         EXPECT_EQ(data.size(), 84u + 50u * triangles);
       }},
      {"gear.brep",
       [](const fs::path& path, double) {
         EXPECT_NE(Slurp(path).find("CASCADE Topology"), std::string::npos);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const fs::path path = folder_ / c.file;
    const nlohmann::ordered_json json = Json(Cli(SmallPinion({"--json", "--out", path.string()})));
    ASSERT_TRUE(fs::exists(path));
    c.check(path, json["volume"].get<double>());
  }
  // Each file was written under a temporary name and renamed: nothing else is left.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 4);
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
      {{"--a_true", "30", "--z1", "10", "--z2", "20", "--fineness", "-1e308"}, 0, "", true, true},
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
    if (c.err.empty()) {
      EXPECT_EQ(run.err, "");
    }
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
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "gear");
    args.insert(args.end(), {"--out", file.string()});
    const test::InterruptedProcess run =
        test::RunProcessAndInterrupt(KELVO_CLI, args, "a long build. Ctrl-C stops it.\n", c.delay);

    ASSERT_TRUE(run.interrupted) << run.result.err;
    EXPECT_LT(run.seconds_after_signal, 5.0);
    EXPECT_EQ(run.result.exit_status, 130);
    const std::string said = "kelvo-cli: stopped; " + file.string() + " was not written\n";
    ASSERT_GE(run.result.err.size(), said.size()) << run.result.err;
    EXPECT_EQ(run.result.err.substr(run.result.err.size() - said.size()), said);
    EXPECT_EQ(run.result.out, "");
    EXPECT_TRUE(fs::is_empty(folder_));
  }
}

}  // namespace
}  // namespace kelvo

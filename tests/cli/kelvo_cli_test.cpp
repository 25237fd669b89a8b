// kelvo-cli through the real program: what solve and gear print for scripts, the failures they
// report. The gears themselves are the hobbed-gear tests'; a 10-tooth pinion keeps builds small.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// kelvo-cli report --json: the pair exactly as solve --json gives it, the 14 derived values under
// their keys, the nine checks in order; exit status 0 whatever the checks say.
TEST(CliReport, JsonHoldsThePairAsSolveGivesItTheDerivedValuesAndTheChecks) {
  const std::vector<std::string> helical = {"--a_true", "100",  "--m",  "2",   "--z1",
                                            "23",       "--z2", "73",   "--b", "30",
                                            "--beta",   "15",   "--x1", "0.3"};
  std::vector<std::string> report = {"report", "--json"}, solve = {"solve", "--json"};
  report.insert(report.end(), helical.begin(), helical.end());
  solve.insert(solve.end(), helical.begin(), helical.end());
  const test::ProcessResult run = test::RunProcess(KELVO_CLI, report);
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const nlohmann::ordered_json json = nlohmann::ordered_json::parse(run.out);
  std::vector<std::string> keys;
  for (const auto& [key, value] : json.items())
    keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"pair", "derived", "checks"}));
  EXPECT_EQ(json["pair"].dump(),
            nlohmann::ordered_json::parse(test::RunProcess(KELVO_CLI, solve).out).dump());

  keys.clear();
  for (const auto& [key, value] : json["derived"].items()) {
    keys.push_back(key);
    EXPECT_TRUE(value.is_number()) << key;
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"db1", "db2", "df1", "df2", "dw1", "dw2", "dFf1",
                                            "dFf2", "san1", "san2", "xmin1", "xmin2", "c1", "c2"}));
  // db = d cos(alpha_t); df = d + 2 x m - 2.5 m (x1 = 0.3, m = 2).
  const double d1 = json["pair"]["d1"], alpha_t = json["pair"]["alpha_t"];
  EXPECT_NEAR(json["derived"]["db1"].get<double>(), d1 * std::cos(alpha_t), 1e-9);
  EXPECT_NEAR(json["derived"]["df1"].get<double>(), d1 + 2 * 0.3 * 2 - 2.5 * 2, 1e-9);

  std::vector<std::string> ids;
  for (const auto& check : json["checks"]) {
    ids.push_back(check["id"]);
    keys.clear();
    for (const auto& [key, value] : check.items())
      keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"id", "level", "value", "limit", "text"}));
    EXPECT_EQ(check["level"], "ok") << check["text"];
  }
  EXPECT_EQ(ids, (std::vector<std::string>{"undercut1", "undercut2", "pointed1", "pointed2",
                                           "contact", "clearance1", "clearance2", "interference1",
                                           "interference2"}));
}

TEST(CliReport, ExitsWithZeroWhateverTheChecksSayAndFailsOnInputAsSolveDoes) {
  // The default pair pulled 5 mm apart: a contact ratio below 1, an error.
  const test::ProcessResult apart =
      test::RunProcess(KELVO_CLI, {"report", "--json", "--a_true", "65", "--x1", "0.5"});
  ASSERT_EQ(apart.exit_status, 0) << apart.err;
  const nlohmann::json checks = nlohmann::json::parse(apart.out)["checks"];
  EXPECT_EQ(checks[4]["id"], "contact");
  EXPECT_EQ(checks[4]["level"], "error");
  EXPECT_NEAR(checks[4]["value"].get<double>(), 0.8665, 5e-4);
  EXPECT_EQ(checks[4]["limit"], 1.0);

  // Read as text: the derived values and each check's verdict.
  const test::ProcessResult text =
      test::RunProcess(KELVO_CLI, {"report", "--z1", "8", "--a_true", "48"});
  ASSERT_EQ(text.exit_status, 0) << text.err;
  for (const char* expected :
       {"补充参数", "设计校核", "xmin1", "警告  undercut1", "错误  interference1", "正常  contact"})
    EXPECT_NE(text.out.find(expected), std::string::npos) << expected << "\n" << text.out;

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"report", "--a_true", "50"},
        std::vector<std::string>{"report", "--m", "abc", "--json"}}) {
    const test::ProcessResult bad = test::RunProcess(KELVO_CLI, args);
    EXPECT_EQ(std::tuple(bad.exit_status, bad.out, bad.err),
              std::tuple(1, "", "输入参数不合理，无法计算出结果！\n"));
  }
}

class CliReportFiles : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(folder_); }
  void TearDown() override { fs::remove_all(folder_); }

  int Entries() const {
    return static_cast<int>(
        std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
  }

  const fs::path folder_ =
      fs::temp_directory_path() / ("kelvo-cli-report-" + std::to_string(getpid()) + "-" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
};

TEST_F(CliReportFiles, WritesTheHtmlAndThePdfWithoutADisplay) {
  const std::string html = folder_ / "计算书.html", pdf = folder_ / "计算书.pdf";
  // No display: the PDF is drawn on Qt's offscreen platform whatever the environment says.
  const test::ProcessResult run = test::RunProcess(
      "/usr/bin/env", {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=xcb", KELVO_CLI,
                       "report", "--html", html, "--pdf", pdf, "--json"});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err, "") << "Qt says nothing on standard error";
  std::ifstream html_file(html), pdf_file(pdf, std::ios::binary);
  const std::string html_text((std::istreambuf_iterator<char>(html_file)), {});
  const std::string pdf_text((std::istreambuf_iterator<char>(pdf_file)), {});
  EXPECT_TRUE(html_text.starts_with("<!DOCTYPE html>"));
  EXPECT_NE(html_text.find("<svg "), std::string::npos);
  EXPECT_NE(html_text.find("渐开线圆柱齿轮副计算书"), std::string::npos);
  EXPECT_TRUE(pdf_text.starts_with("%PDF-"));
  EXPECT_EQ(Entries(), 2) << "no temporary left";
  EXPECT_TRUE(nlohmann::json::parse(run.out).contains("checks"));
}

TEST_F(CliReportFiles, AFileThatCannotBeWrittenSaysWhyAndLeavesNothing) {
  const std::string html = folder_ / "missing" / "r.html";
  const test::ProcessResult run = test::RunProcess(KELVO_CLI, {"report", "--html", html});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_NE(
      run.err.find("kelvo-cli: the folder " + (folder_ / "missing").string() + " does not exist"),
      std::string::npos)
      << run.err;
  EXPECT_EQ(Entries(), 0);
  const test::ProcessResult empty = test::RunProcess(KELVO_CLI, {"report", "--pdf", ""});
  EXPECT_EQ(empty.exit_status, 2) << "an empty name is a usage error";
}

}  // namespace
}  // namespace kelvo

namespace kelvo {
namespace {

// The pair in mesh for scripts: the keys in order, the tip clearances those of theory, a
// transmission error curve over one pitch, and the assembly written. Fineness 2 keeps it quick.
TEST_F(CliGearFiles, PairMeasuresTheMeshAndWritesOneAssembly) {
  const fs::path step = folder_ / "pair.step";
  const test::ProcessResult run =
      test::RunProcess(KELVO_CLI, {"pair", "--fineness", "2", "--json", "--out", step.string()});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const nlohmann::ordered_json json = nlohmann::ordered_json::parse(run.out);
  std::string keys;
  for (auto key = json.begin(); key != json.end(); ++key)
    keys += key.key() + " ";
  EXPECT_EQ(keys,
            "interferenceVolume backlash tipClearance1 tipClearance1Theory tipClearance2 "
            "tipClearance2Theory transmissionErrorPeakToPeak transmissionError seconds valid ");
  EXPECT_TRUE(json["valid"].get<bool>());
  // At fineness 2 the cutter's flat tip cuts the root only every half pitch: between two
  // positions the root stands up to (p/4 - 0.064 m)^2 / (2 rf) = 0.06 mm above the root circle.
  EXPECT_NEAR(json["tipClearance1"].get<double>(), json["tipClearance1Theory"].get<double>(), 0.06);
  EXPECT_NEAR(json["tipClearance2"].get<double>(), json["tipClearance2Theory"].get<double>(), 0.06);
  EXPECT_NEAR(json["tipClearance1Theory"].get<double>(), 0.5, 1e-9);  // 0.25 m, a' = a
  ASSERT_EQ(json["transmissionError"].size(), 16u);
  EXPECT_EQ(json["transmissionError"][1].size(), 2u);
  EXPECT_NEAR(json["transmissionError"][1][0].get<double>(), 2 * kPi / 20 / 16, 1e-6);
  EXPECT_GE(json["interferenceVolume"].get<double>(), 0);
  EXPECT_LE(json["backlash"].get<double>(), 0.001);
  EXPECT_GT(fs::file_size(step), 100000u);
}

}  // namespace
}  // namespace kelvo

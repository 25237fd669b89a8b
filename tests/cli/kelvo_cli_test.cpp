// kelvo-cli through the real program: what solve and gear print for scripts, the failures they
// report. The gears themselves are the hobbed-gear tests'; a 10-tooth pinion keeps builds small.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>
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

// The object's keys in their order, each followed by a blank.
std::string Keys(const nlohmann::ordered_json& json) {
  std::string keys;
  for (const auto& [key, value] : json.items())
    keys += key + " ";
  return keys;
}

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
// languages; no pair fails with the window's message, a mistyped command line with the usage and
// what is wrong in it, in Chinese.
TEST(CliSolve, OptionsTakeTheFieldTextsAsTypedAndFailuresSayWhy) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string key = {};  // when it solves: one value of the JSON, or none for the report
    double value = 0;
    std::string err = {};  // a usage error: its last line
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
      {.args = {"report", "--a_true", "50"}, .status = 1},
      {.args = {"report", "--m", "abc", "--json"}, .status = 1},
      {.args = {"solve", "--bogus"}, .status = 2, .err = "不认识的参数：--bogus"},
      {.args = {}, .status = 2, .err = "需要一个子命令：solve、gear、pair 或 report"},
      {.args = {"frobnicate"}, .status = 2, .err = "不认识的子命令：frobnicate"},
      {.args = {"solve", "--z1"}, .status = 2, .err = "选项 --z1 缺少取值"},
      {.args = {"gear", "--gear", "3"},
       .status = 2,
       .err = "选项 --gear 的取值不对：只能是 1 或 2"},
      {.args = {"report", "--pdf", ""}, .status = 2, .err = "选项 --pdf 的取值不对：需要文件名"},
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
      EXPECT_TRUE(status == 1 ? run.err == "输入参数不合理，无法计算出结果！\n"
                              : run.err.starts_with("用法：kelvo-cli solve ") &&
                                    run.err.ends_with("\nkelvo-cli: " + c.err + "\n"))
          << run.err;
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
class CliFiles : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(folder_); }
  void TearDown() override { fs::remove_all(folder_); }

  const fs::path folder_ =
      fs::temp_directory_path() / ("kelvo-cli-" + std::to_string(getpid()) + "-" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
};

// The summary's keys lead, in this order, for scripts. At x 1.2 the reference circle crosses the
// root fillet, not the involute the thickness formula is about: no theory is given for it.
TEST(CliGear, SummaryForScriptsAndNoThicknessTheoryInTheFillet) {
  std::vector<std::string> args = {"gear", "--a_true", "34",   "--z1", "10",
                                   "--z2", "20",       "--x1", "1.2",  "--inspect"};
  const test::ProcessResult text = test::RunProcess(KELVO_CLI, args);
  args.push_back("--json");
  const test::ProcessResult run = test::RunProcess(KELVO_CLI, args);
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err, "");  // no progress line when standard error is no terminal
  const nlohmann::ordered_json json = nlohmann::ordered_json::parse(run.out);
  EXPECT_TRUE(Keys(json).starts_with(
      "stepsPerPitch positionCount intersections failedBooleans seconds volume faces valid "))
      << Keys(json);
  // stepsPerPitch: 4 x Sqr(20 / 10), half to even.
  const auto expected = nlohmann::ordered_json::parse(R"({"stepsPerPitch": 6, "intersections": 9,
      "failedBooleans": 0, "valid": true, "teeth": 10, "toothThicknessTheory": null,
      "toothChordTheory": null})");
  for (const auto& [key, value] : expected.items())
    EXPECT_EQ(json.value(key, nlohmann::ordered_json("missing")), value) << key;
  EXPECT_GT(json["formDiameter"].get<double>(), 2 * 10.0);
  // As text, in Chinese, every figure in its column of a terminal (a Chinese character: two).
  for (const char* said :
       {"小齿轮，模型精细度 4，快速算法\n", "实体有效", "无：分度圆在齿根过渡曲线内\n"})
    EXPECT_NE(text.out.find(said), std::string::npos) << said << "\n" << text.out << text.err;
  std::set<std::size_t> value_columns;
  std::istringstream lines(text.out);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t gap = line.find("  ", line.find_first_not_of(' '));  // after the name
    if (!line.starts_with("  ") || line.starts_with("      ") || gap == std::string::npos) continue;
    const std::string name = line.substr(0, line.find_first_not_of(' ', gap));
    std::size_t columns = 0;  // a lead byte of three or more bytes begins a wide character
    for (const unsigned char byte : name)
      columns += (byte & 0xC0) != 0x80 ? 1 + (byte >= 0xE0) : 0;
    value_columns.insert(columns);
  }
  EXPECT_EQ(value_columns.size(), 1u) << text.out;
}

// Garbage, huge and tiny values, a file that cannot be written: a clear message in Chinese and
// its exit status, never a crash; the CAD layer's English reason only under KELVO_LOG=1; a
// summary only of a gear built, or of what failed; no file, finished or partial, left but of a
// gear built as asked.
TEST_F(CliFiles, BadInputAtEveryEdgeGivesAClearMessageAndNoFile) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err = {};  // what standard error holds; empty: nothing
    bool summary = false;  // a summary printed
    bool written = false;  // the file written
    std::string command = "gear";
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
       .err = "kelvo-cli: 未能生成小齿轮：CAD 程序未能建立它的图形或毛坯。\n"},
      // The pair solves, but no cutter can be made for a face width beyond any modeller.
      {.args = {"--b", "1e300"},
       .status = 1,
       .err = "kelvo-cli: 小齿轮不完整，未写文件 " + gear + "：\n  未能生成齿条刀具，未进行滚切\n",
       .summary = true},
      {.args = {"--b", "1e300"},
       .status = 1,
       .err = "kelvo-cli: 小齿轮不完整，未进行啮合装配：\n  未能生成齿条刀具，未进行滚切\n",
       .command = "pair"},
      // Fineness as the window takes it: any number, the positions per pitch kept within caps.
      {.args = {"--a_true", "30", "--z1", "10", "--z2", "20", "--fineness", "1e308"},
       .status = 0,
       .summary = true,
       .written = true},
      // One tooth: nothing to replicate, so the refused array of one takes nothing from it.
      {.args = {"--a_true", "41", "--z1", "1"}, .status = 0, .summary = true, .written = true},
      {.args = {"--fineness", "nan"},
       .status = 1,
       .err = "kelvo-cli: 模型精细度\"nan\"不是数字（应为 4 或 2.5 这样的十进制数）。\n"},
      // 32000 teeth at 12 positions per pitch: hundreds of gigabytes, refused before it starts.
      {.args = {"--a_true", "32767", "--z1", "32000", "--z2", "767", "--fineness", "1e308"},
       .status = 1,
       .err = "kelvo-cli: 小齿轮有 32000 个齿：每齿距 12 个切削位置，滚切共 2053 个切削位置，"
              "复制齿槽要与 31999 个转位副本求交，约需 169.7 GB 内存"},
      // A file that cannot be written is refused before the build, as the 3D window says it.
      {.args = {"--out", missing + "/gear.step"},
       .status = 1,
       .err = "kelvo-cli: 导出失败：文件夹 " + missing + " 不存在。\n"},
      {.args = {"--out", missing + "/pair.step"},
       .status = 1,
       .err = "kelvo-cli: 导出失败：文件夹 " + missing + " 不存在。\n",
       .command = "pair"},
      {.args = {"--out", "/proc/gear.step"}, .status = 1, .err = "kelvo-cli: 导出失败："},
      {.args = {"--out", taken},
       .status = 1,
       .err = "kelvo-cli: 导出失败：" + taken + " 是文件夹，不是文件名。\n"},
      {.args = {"--out", ""}, .status = 2, .err = "kelvo-cli: 选项 --out 的取值不对：需要文件名"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command + " " + c.args.front() + " " + c.args.back());
    std::vector<std::string> args = {c.command};
    args.insert(args.end(), c.args.begin(), c.args.end());
    if (c.args[0] != "--out") args.insert(args.end(), {"--out", gear});
    const test::ProcessResult run = test::RunProcess(KELVO_CLI, args);
    EXPECT_EQ(run.exit_status, c.status);
    EXPECT_TRUE(c.err.empty() ? run.err.empty() : run.err.find(c.err) != std::string::npos)
        << run.err;
    EXPECT_FALSE(c.status == 1 && std::regex_search(run.err, std::regex("[A-Za-z]{2,} [a-z]{2,}")))
        << run.err;
    EXPECT_EQ(run.out.empty(), !c.summary) << run.out;
    // The file only for a gear built as asked, and no temporary file left behind.
    std::set<fs::path> left(fs::directory_iterator(folder_), {});
    EXPECT_EQ(left, (c.written ? std::set<fs::path>{gear, taken} : std::set<fs::path>{taken}));
    fs::remove(gear);
  }
  // Whoever looks into a failure asks for the CAD layer's own reason.
  EXPECT_NE(test::RunProcess("/usr/bin/env", {"KELVO_LOG=1", KELVO_CLI, "gear", "--b", "0"})
                .err.find("AddCylinder: the height must be positive"),
            std::string::npos);
}

// Ctrl-C in the rolling cut or in the replication's evaluation, counted from the build's
// announcement: stopped within seconds, said so with where it stopped, no file, exit status 130.
TEST_F(CliFiles, CtrlCStopsALongBuildAndWritesNoFile) {
  struct Case {
    std::string where;  // the caption of the window's progress bar it stopped at
    std::string a_true;
    std::string z1;
    std::string beta;
    double delay;  // seconds to Ctrl-C
  };
  const Case cases[] = {
      {.where = "小齿轮：滚切 ", .a_true = "1040", .z1 = "1000", .beta = "0", .delay = 0},
      // A helical gear is evaluated on the solids: its replication of 400 teeth takes minutes.
      // (A spur gear's, on its sections, takes half a second.)
      {.where = "小齿轮：复制齿槽 ", .a_true = "456", .z1 = "400", .beta = "15", .delay = 4},
  };
  const std::string file = folder_ / "gear.step";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    const test::InterruptedProcess run = test::RunProcessAndInterrupt(
        KELVO_CLI, {"gear", "--out", file, "--a_true", c.a_true, "--z1", c.z1, "--beta", c.beta},
        "生成要很长时间。按 Ctrl-C 可停止。\n", c.delay);
    ASSERT_TRUE(run.interrupted) << run.result.err;
    EXPECT_LT(run.seconds_after_signal, 5.0);
    EXPECT_EQ(run.result.exit_status, 130);
    const std::string said = run.result.err.substr(run.result.err.rfind("kelvo-cli: "));
    EXPECT_TRUE(said.starts_with("kelvo-cli: 已按 Ctrl-C 停止（停在\"" + c.where)) << said;
    EXPECT_TRUE(said.ends_with("\"），未写文件 " + file + "。\n")) << said;
    EXPECT_EQ(run.result.out, "");
    EXPECT_TRUE(fs::is_empty(folder_));
  }
}

// kelvo-cli report --json: the pair exactly as solve --json gives it, the 14 derived values under
// their keys, the nine checks in order; exit status 0 whatever the checks say.
TEST(CliReport, JsonHoldsThePairAsSolveGivesItTheDerivedValuesAndTheChecks) {
  std::vector<std::string> args = {"report", "--json", "--a_true", "100", "--m", "2",
                                   "--z1",   "23",     "--z2",     "73",  "--b", "30",
                                   "--beta", "15",     "--x1",     "0.3"};
  const test::ProcessResult run = test::RunProcess(KELVO_CLI, args);
  args[0] = "solve";
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const nlohmann::ordered_json json = nlohmann::ordered_json::parse(run.out);
  EXPECT_EQ(Keys(json), "pair derived checks ");
  EXPECT_EQ(json["pair"].dump(),
            nlohmann::ordered_json::parse(test::RunProcess(KELVO_CLI, args).out).dump());

  for (const auto& [key, value] : json["derived"].items())
    EXPECT_TRUE(value.is_number()) << key;
  EXPECT_EQ(Keys(json["derived"]),
            "db1 db2 df1 df2 dw1 dw2 dFf1 dFf2 san1 san2 xmin1 xmin2 c1 c2 ");
  // db = d cos(alpha_t); df = d + 2 x m - 2.5 m (x1 = 0.3, m = 2).
  const double d1 = json["pair"]["d1"], alpha_t = json["pair"]["alpha_t"];
  EXPECT_NEAR(json["derived"]["db1"].get<double>(), d1 * std::cos(alpha_t), 1e-9);
  EXPECT_NEAR(json["derived"]["df1"].get<double>(), d1 + 2 * 0.3 * 2 - 2.5 * 2, 1e-9);
  std::string ids;
  for (const auto& check : json["checks"]) {
    ids += check["id"].get<std::string>() + " ";
    EXPECT_EQ(Keys(check), "id level value limit text ");
    EXPECT_EQ(check["level"], "ok") << check["text"];
  }
  EXPECT_EQ(ids,
            "undercut1 undercut2 pointed1 pointed2 contact clearance1 clearance2 "
            "interference1 interference2 ");
}

TEST(CliReport, ExitsWithZeroWhateverTheChecksSay) {
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
}

TEST_F(CliFiles, WritesTheHtmlAndThePdfWithoutADisplay) {
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
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), {}), 2) << "no temporary left";
  EXPECT_TRUE(nlohmann::json::parse(run.out).contains("checks"));
}

TEST_F(CliFiles, AFileThatCannotBeWrittenSaysWhyAndLeavesNothing) {
  const std::string html = folder_ / "missing" / "r.html";
  const test::ProcessResult run = test::RunProcess(KELVO_CLI, {"report", "--html", html});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err,
            "kelvo-cli: 保存计算书失败：文件夹 " + (folder_ / "missing").string() + " 不存在。\n");
  EXPECT_TRUE(fs::is_empty(folder_));
}

// The pair in mesh for scripts: the keys in order, the tip clearances those of theory, a
// transmission error curve over one pitch, and the assembly written. Fineness 2 keeps it quick.
TEST_F(CliFiles, PairMeasuresTheMeshAndWritesOneAssembly) {
  const fs::path step = folder_ / "pair.step";
  const test::ProcessResult run =
      test::RunProcess(KELVO_CLI, {"pair", "--fineness", "2", "--json", "--out", step.string()});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const nlohmann::ordered_json json = nlohmann::ordered_json::parse(run.out);
  EXPECT_EQ(Keys(json),
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

// The report's HTML: every value with its Chinese name, symbol and unit, angles in radians and
// degrees, the checks with value, requirement, verdict and sentence, the picture inline or by
// reference, the measured gears only when there are some.
#include "report/report_html.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <string_view>

#include "geometry/derived_values.h"
#include "geometry/design_checks.h"
#include "geometry/gear_pair_fields.h"
#include "geometry/report_fields.h"
#include "geometry/solved_pairs.h"

namespace kelvo {
namespace {

int Count(const std::string& text, const std::string& what) {
  int count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

// The table row (<tr>...</tr>) that holds text, or "".
std::string RowWith(const std::string& html, const std::string& text) {
  const std::size_t at = html.find(text);
  if (at == std::string::npos) return {};
  const std::size_t start = html.rfind("<tr", at);
  return html.substr(start, html.find("</tr>", at) - start);
}

// The report of a pair, without measured gears, as written to a file.
std::string FileReport(const GearPairData& pair) {
  return ReportHtml({.pair = pair, .measured = {}}, PictureInHtml::kInlineSvg);
}

TEST(ReportHtml, NamesEveryValueWithSymbolAndUnitAndAnglesInBothUnits) {
  const std::set<std::string_view> inputs = {"a_true", "m", "z1", "z2", "b", "beta", "x1"};
  const std::string html = FileReport(SolvedPair(kHelicalPair));
  for (const GearPairField& field : kGearPairFields) {
    // The seven inputs are listed once more at the head of the report.
    EXPECT_EQ(Count(html, "<td>" + std::string(field.chinese) + "</td>"),
              inputs.contains(field.name) ? 2 : 1)
        << field.name;
  }
  for (const DerivedField& field : kDerivedFields)
    EXPECT_EQ(Count(html, "<td>" + std::string(field.chinese) + "</td>"), 1) << field.key;
  for (const PairFieldGroup& group : PairFieldGroups())
    EXPECT_NE(html.find(">" + std::string(group.chinese) + "</td>"), std::string::npos);

  // Symbols as drawings write them, units beside the numbers; the helix angle of 15 degrees in
  // radians (the window's conversion with pi = 3.1415926) and back in degrees.
  EXPECT_NE(RowWith(html, "小齿轮基圆直径").find("<i>d</i><sub>b1</sub>"), std::string::npos);
  EXPECT_NE(RowWith(html, "小齿轮基圆直径").find("<td>mm</td>"), std::string::npos);
  const std::string helix = RowWith(html, "<td>螺旋角</td>");
  EXPECT_NE(helix.find("<i>β</i>"), std::string::npos) << helix;
  EXPECT_NE(helix.find("0.261799 rad<br/>15.0000°"), std::string::npos) << helix;
  EXPECT_NE(RowWith(html, "端面啮合角").find("rad<br/>°"), std::string::npos);
  EXPECT_NE(RowWith(html, "<td>小齿轮齿数</td>").find(">23</td>"), std::string::npos);
  EXPECT_NE(RowWith(html, "小齿轮分度圆直径").find(">47.6227</td>"), std::string::npos)
      << RowWith(html, "小齿轮分度圆直径");
}

TEST(ReportHtml, GivesEachCheckItsValueRequirementVerdictAndSentence) {
  // 23 teeth with x 1.5 and flanks meeting below the tip circle: errors, warnings and ok.
  const GearPairData pair = SolvedPair(kPointedPair);
  const std::string html = FileReport(pair);
  const std::vector<DesignCheck> checks = CheckDesign(pair, DeriveValues(pair));
  // The contact ratio's check bears the name of the value it checks: look in the checks' table.
  const std::string checks_table = html.substr(html.find("<table class=\"checks\""));
  int levels[3] = {0, 0, 0};
  for (const DesignCheck& check : checks) {
    ++levels[static_cast<int>(check.level)];
    const std::string row =
        RowWith(checks_table, "<td class=\"name\">" + std::string(check.title) + "</td>");
    ASSERT_FALSE(row.empty()) << check.id;
    EXPECT_NE(row.find(">" + std::string(LevelChinese(check.level)) + "</td>"), std::string::npos)
        << row;
    EXPECT_NE(row.find("verdict " + std::string(LevelKey(check.level))), std::string::npos) << row;
    EXPECT_NE(row.find(check.text), std::string::npos) << row;
  }
  EXPECT_NE(RowWith(checks_table, "小齿轮齿顶变尖").find("<i>s</i><sub>an1</sub> = -0.02"),
            std::string::npos);
  EXPECT_NE(RowWith(checks_table, "小齿轮齿顶变尖").find("&gt; 0.0000 mm"), std::string::npos);
  EXPECT_NE(RowWith(checks_table, "端面重合度").find("<i>ε</i><sub>α</sub> = 1.1"),
            std::string::npos);
  EXPECT_NE(RowWith(checks_table, "端面重合度").find("≥ 1.2000<"), std::string::npos);
  EXPECT_NE(html.find("共 9 项：正常 " + std::to_string(levels[0]) + " 项，警告 " +
                      std::to_string(levels[1]) + " 项，错误 " + std::to_string(levels[2]) + " 项"),
            std::string::npos);
  EXPECT_GT(levels[1], 0);
  EXPECT_GT(levels[2], 0);
}

TEST(ReportHtml, StandsAloneWithThePictureInlineOrRefersToItForQt) {
  const GearPairData pair = SolvedPair(kDefaultPair);
  const std::string file = FileReport(pair);
  EXPECT_TRUE(file.starts_with("<!DOCTYPE html>"));
  EXPECT_NE(file.find("<meta charset=\"utf-8\"/>"), std::string::npos);
  EXPECT_EQ(Count(file, "<svg "), 1);
  EXPECT_EQ(Count(file, "</svg>"), 1);
  // Self-contained: nothing is fetched from elsewhere.
  EXPECT_EQ(file.find("src="), std::string::npos);
  EXPECT_EQ(file.find("href="), std::string::npos);
  EXPECT_EQ(file.find("http://www.w3.org/2000/svg"), file.find("xmlns=\"") + 7);

  const std::string qt = ReportHtml({.pair = pair, .measured = {}}, PictureInHtml::kImageReference);
  EXPECT_EQ(Count(qt, "<svg"), 0);
  EXPECT_EQ(Count(qt, "<img src=\"" + std::string(kMeshPictureName) + "\" width=\"567\""), 1);
  // Everything else is the same document, but for the browser's page.
  const auto body = [](const std::string& html) {
    return html.substr(html.find("<body>"),
                       html.find("<p class=\"picture\">") - html.find("<body>"));
  };
  EXPECT_EQ(body(file), body(qt));
  EXPECT_NE(file.find("margin: 0 auto"), std::string::npos);
  EXPECT_EQ(qt.find("margin: 0 auto"), std::string::npos) << "Qt would indent every table";
}

TEST(ReportHtml, AddsATablePerMeasuredGearOnlyWhenGearsWereBuilt) {
  const GearPairData pair = SolvedPair(kDefaultPair);
  EXPECT_EQ(FileReport(pair).find("实测"), std::string::npos);
  MeasuredGear small{.gearNo = 1,
                     .theory = {.teeth = 20,
                                .tip_diameter = 44,
                                .root_diameter = 35,
                                .tooth_thickness = 3.14159,
                                .tooth_chord = 3.1403,
                                .involute_at_reference = true,
                                .cusp_height = 0.0088},
                     .tip_diameter = 44.00001,
                     .root_diameter = 34.99988,
                     .teeth = 20,
                     .tooth_thickness = 3.14197,
                     .tooth_thickness_min = 3.1419,
                     .tooth_thickness_max = 3.1420,
                     .tooth_chord = 3.1406,
                     .profile_deviation = 0.0082,
                     .fineness = 4,
                     .complete = false};
  const std::string html =
      ReportHtml({.pair = pair, .measured = {small}}, PictureInHtml::kInlineSvg);
  EXPECT_NE(html.find("<h3>小齿轮（模型精细度 4）</h3>"), std::string::npos);
  EXPECT_NE(html.find("不完整"), std::string::npos);
  const std::string root = RowWith(html, "<td>齿根圆直径</td>");
  EXPECT_NE(root.find(">34.9999</td><td class=\"num\">35.0000</td><td class=\"num\">-0.0001</td>"),
            std::string::npos)
      << root;
  const std::string profile = RowWith(html, "<td>齿廓形状偏差</td>");
  EXPECT_NE(profile.find(">8.20</td><td class=\"num\">8.80</td>"), std::string::npos) << profile;
  EXPECT_NE(profile.find("<td>µm</td>"), std::string::npos) << profile;
}

TEST(ReportHtml, EscapesWhatItQuotes) {
  // The sentences are the program's own; a "<" in one (x < x_min) must still read as text.
  const std::string html = FileReport(SolvedPair(kEightToothPinionPair));
  const std::string body = html.substr(html.find("<body>"));
  const std::regex stray_tag(
      R"(<(?!/?(h1|h2|h3|p|table|tr|th|td|i|sub|br|span|svg|rect|circle|path|polyline|text|body|html)\b))");
  EXPECT_FALSE(std::regex_search(body, stray_tag));
}

}  // namespace
}  // namespace kelvo

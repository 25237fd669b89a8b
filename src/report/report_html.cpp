#include "report/report_html.h"

#include <algorithm>
#include <variant>

#include "geometry/decimal_text.h"
#include "geometry/design_checks.h"
#include "geometry/gear_constants.h"
#include "geometry/gear_pair_fields.h"
#include "geometry/mesh_picture.h"
#include "geometry/report_fields.h"
#include "report/mesh_svg.h"

namespace kelvo {
namespace {

constexpr int kLengthDecimals = 4;       // mm: a tenth of a micrometre
constexpr int kRadianDecimals = 6;       // rad
constexpr int kDegreeDecimals = 4;       // degrees
constexpr int kCoefficientDecimals = 4;  // shifts, ratios, contact ratios

std::string Escape(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// A quantity's symbol as gear drawings write it: the letter in italics, the subscript upright.
std::string Symbol(const ReportSymbol& symbol) {
  if (symbol.letter.empty()) return {};
  std::string html = "<i>" + Escape(symbol.letter) + "</i>";
  if (!symbol.subscript.empty()) html += "<sub>" + Escape(symbol.subscript) + "</sub>";
  return html;
}

std::string Symbol(std::string_view letter, std::string_view subscript) {
  return Symbol(ReportSymbol{letter, subscript});
}

std::string Cell(const std::string& html, const char* cls = nullptr) {
  return cls ? "<td class=\"" + std::string(cls) + "\">" + html + "</td>" : "<td>" + html + "</td>";
}

// The value and unit cells of one value: lengths in mm; angles in radians and degrees;
// coefficients and ratios bare; counts as whole numbers.
std::string ValueCells(double value, std::string_view unit, bool whole) {
  if (whole) return Cell(std::to_string(std::lround(value)), "num") + Cell("");
  if (unit == "rad") {
    return Cell(FixedText(value, kRadianDecimals) + " rad<br/>" +
                    FixedText(value * 180 / kPi, kDegreeDecimals) + "°",
                "num") +
           Cell("rad<br/>°");
  }
  if (unit == "mm") return Cell(FixedText(value, kLengthDecimals), "num") + Cell("mm");
  return Cell(FixedText(value, kCoefficientDecimals), "num") + Cell("");
}

const GearPairField& FieldNamed(std::string_view name) {
  for (const GearPairField& field : kGearPairFields) {
    if (field.name == name) return field;
  }
  return kGearPairFields.front();  // every name asked for is one of the 36
}

std::string PairFieldRow(const GearPairData& pair, std::string_view name) {
  const GearPairField& field = FieldNamed(name);
  const bool whole = std::holds_alternative<std::int16_t GearPairData::*>(field.member);
  return "<tr>" + Cell(Escape(field.chinese)) + Cell(Symbol(PairFieldSymbol(name)), "sym") +
         ValueCells(FieldValue(pair, field), field.unit, whole) + "</tr>\n";
}

const char* const kValueHead =
    "<tr><th class=\"name\">名称</th><th class=\"sym\">符号</th><th class=\"num\">数值</th>"
    "<th class=\"unit\">单位</th></tr>\n";

std::string Inputs(const GearPairData& pair) {
  std::string html = "<h2>一、输入参数</h2>\n<table class=\"values\" width=\"75%\">\n";
  html += kValueHead;
  for (const char* name : {"a_true", "m", "z1", "z2", "b", "beta", "x1"})
    html += PairFieldRow(pair, name);
  return html + "</table>\n";
}

std::string PairValues(const GearPairData& pair) {
  std::string html =
      "<h2>二、齿轮副几何参数</h2>\n"
      "<p class=\"note\">求解器给出的全部 36 项，按设计习惯分组。</p>\n"
      "<table class=\"values\" width=\"75%\">\n";
  html += kValueHead;
  for (const PairFieldGroup& group : PairFieldGroups()) {
    html += "<tr class=\"group\"><td colspan=\"4\">" + Escape(group.chinese) + "</td></tr>\n";
    for (std::string_view name : group.fields)
      html += PairFieldRow(pair, name);
  }
  return html + "</table>\n";
}

std::string DerivedTable(const DerivedValues& derived) {
  std::string html = "<h2>三、" + Escape(kDerivedGroupChinese) +
                     "</h2>\n"
                     "<p class=\"note\">本程序所用刀具（20° 标准齿条，齿根高 1.25<i>m</i>，"
                     "齿顶圆角半径 0.38<i>m</i>）加工时的数值；直径为端面值。</p>\n"
                     "<table class=\"values\" width=\"75%\">\n";
  html += kValueHead;
  for (const DerivedField& field : kDerivedFields) {
    html += "<tr>" + Cell(Escape(field.chinese)) + Cell(Symbol(field.symbol), "sym") +
            ValueCells(DerivedValue(derived, field), field.unit, false) + "</tr>\n";
  }
  return html + "</table>\n";
}

// What a check compares: the quantity it measures, and the requirement on it as a relation and
// the limit's own symbol, if it has one ("≥ x_min1 = 0.53", "≥ 1.2").
struct CheckQuantity {
  std::string value;
  const char* relation;
  std::string limit;
};

CheckQuantity QuantityOf(const DesignCheck& check) {
  const std::string gear(check.id.substr(check.id.size() - 1));
  if (check.id.starts_with("undercut"))
    return {Symbol("x", "n" + gear), "≥", Symbol("x", "min" + gear)};
  if (check.id.starts_with("pointed")) {
    if (check.level == CheckLevel::kError) return {Symbol("s", "an" + gear), "&gt;", ""};
    return {Symbol("s", "an" + gear), "≥", "0.25" + Symbol("m", "n")};
  }
  if (check.id == "contact") return {Symbol("ε", "α"), "≥", ""};
  if (check.id.starts_with("clearance")) return {Symbol("c", gear), "≥", "0.1" + Symbol("m", "n")};
  return {Symbol("d", "Nf" + gear), "≥", Symbol("d", "Ff" + gear)};
}

std::string CheckNumber(double value, std::string_view unit) {
  return FixedText(value, unit == "mm" ? kLengthDecimals : kCoefficientDecimals) +
         (unit.empty() ? "" : " " + std::string(unit));
}

std::string Checks(const std::vector<DesignCheck>& checks) {
  int counts[3] = {0, 0, 0};
  for (const DesignCheck& check : checks)
    ++counts[static_cast<int>(check.level)];
  std::string html = "<h2>四、" + Escape(kDesignChecksChinese) + "</h2>\n<p>共 " +
                     std::to_string(checks.size()) + " 项：正常 " + std::to_string(counts[0]) +
                     " 项，警告 " + std::to_string(counts[1]) + " 项，错误 " +
                     std::to_string(counts[2]) +
                     " 项。</p>\n"
                     "<table class=\"checks\" width=\"100%\">\n"
                     "<tr><th class=\"name\" width=\"14%\">校核项目</th>"
                     "<th class=\"figure\" width=\"16%\">数值</th>"
                     "<th class=\"figure\" width=\"20%\">要求</th>"
                     "<th class=\"verdict\" width=\"6%\">结论</th>"
                     "<th width=\"44%\">说明</th></tr>\n";
  for (const DesignCheck& check : checks) {
    const CheckQuantity quantity = QuantityOf(check);
    const std::string_view cls = LevelKey(check.level);
    html += "<tr>" + Cell(Escape(check.title), "name") +
            Cell(quantity.value + " = " + CheckNumber(check.value, check.unit), "figure") +
            Cell(std::string(quantity.relation) + " " +
                     (quantity.limit.empty() ? "" : quantity.limit + " = ") +
                     CheckNumber(check.limit, check.unit),
                 "figure") +
            "<td class=\"verdict " + std::string(cls) + "\">" + Escape(LevelChinese(check.level)) +
            "</td>" + Cell(Escape(check.text)) + "</tr>\n";
  }
  return html + "</table>\n";
}

std::string LegendEntry(MeshRole role, int gear, std::string_view name) {
  const MeshStyle style = MeshStyleOf(role, gear);
  // A short stroke of the line's colour: solid, or broken where the line is dashed.
  const char* stroke = *style.dashes == '\0' ? "━━" : "╍╍";
  return "<span class=\"legend\"><span style=\"color:" + std::string(style.colour) + "\">" +
         stroke + "</span> " + Escape(name) + "</span> ";
}

std::string Picture(const GearPairData& pair, PictureInHtml embedding) {
  const MeshPicture picture = BuildMeshPicture(pair);
  std::string html = "<h2>五、" + Escape(kMeshPictureChinese) + "</h2>\n<p class=\"picture\">";
  const double width_mm = MeshPictureWidthMm(picture);
  if (embedding == PictureInHtml::kInlineSvg) {
    html += MeshSvg(picture, width_mm);
  } else {
    // Qt's rich text takes the size in pixels of 96 per inch.
    const double width_px = width_mm / 25.4 * 96;
    html += "<img src=\"" + std::string(kMeshPictureName) + "\" width=\"" +
            std::to_string(std::lround(width_px)) + "\" height=\"" +
            std::to_string(std::lround(width_px * MeshSvgAspect(picture))) + "\"/>";
  }
  html += "</p>\n<p class=\"legend\">";
  for (int gear : {1, 2}) {
    html += std::string(gear == 1 ? "小齿轮：" : "大齿轮：") +
            LegendEntry(MeshRole::kFlank, gear, RoleChinese(MeshRole::kFlank)) +
            LegendEntry(MeshRole::kFillet, gear, RoleChinese(MeshRole::kFillet)) +
            LegendEntry(MeshRole::kReferenceCircle, gear, RoleChinese(MeshRole::kReferenceCircle)) +
            LegendEntry(MeshRole::kBaseCircle, gear, RoleChinese(MeshRole::kBaseCircle)) +
            LegendEntry(MeshRole::kTipCircle, gear, "齿顶圆、齿根圆") + "<br/>";
  }
  html +=
      LegendEntry(MeshRole::kWorkingPitchCircle, 0, RoleChinese(MeshRole::kWorkingPitchCircle)) +
      LegendEntry(MeshRole::kLineOfAction, 0, "实际啮合线") + "● 节点 <i>P</i></p>\n";
  html += "<p class=\"note\">端面内两齿轮在实际中心距 <i>a′</i> = " +
          FixedText(pair.a_true, kLengthDecimals) +
          " mm 处无侧隙啮合，节点附近各画 3 个齿；小齿轮在下，大齿轮在上。齿廓为精确渐开线，"
          "齿根过渡曲线由刀具齿顶圆角展成" +
          std::string(pair.beta != 0 ? "（斜齿轮取刀具的端面截形）" : "") +
          "；实际啮合线从大齿轮齿顶圆到小齿轮齿顶圆。</p>\n";
  return html;
}

// theory: where there is one (no std::optional: GCC 12 takes its value for uninitialised here).
std::string MeasuredRow(const std::string& name, const std::string& symbol, double measured,
                        bool known, double theory, const char* unit, int decimals) {
  std::string html =
      "<tr>" + Cell(name) + Cell(symbol, "sym") + Cell(FixedText(measured, decimals), "num");
  if (known) {
    html += Cell(FixedText(theory, decimals), "num") +
            Cell(FixedText(measured - theory, decimals), "num");
  } else {
    html += Cell("—", "num") + Cell("—", "num");
  }
  return html + Cell(unit) + "</tr>\n";
}

std::string Measured(const std::vector<MeasuredGear>& gears) {
  std::string html =
      "<h2>六、实测与理论对比</h2>\n"
      "<p class=\"note\">本次运行中在三维窗口生成的本齿轮副的齿轮，在齿宽中点的端面截面上测量。"
      "齿廓形状偏差为包容各齿面渐开线部分（渐开线起始圆至齿顶）的两条基圆渐开线之间的距离，"
      "取全部齿面的最大值；其理论值为有限个展成位置留下的包络残留高度 ρΔφ²/8。</p>\n";
  for (const MeasuredGear& gear : gears) {
    const GearTheory& t = gear.theory;
    const std::string n = gear.gearNo == 1 ? "1" : "2";
    html += "<h3>" + std::string(gear.gearNo == 1 ? "小齿轮" : "大齿轮") + "（模型精细度 " +
            FixedText(gear.fineness, 0) + "）</h3>\n";
    if (!gear.complete) {
      html +=
          "<p class=\"warning\">此齿轮生成时有步骤失败被跳过，模型不完整，实测值仅供参考。</p>\n";
    }
    html +=
        "<table class=\"measured\" width=\"75%\">\n<tr><th class=\"name\">项目</th><th "
        "class=\"sym\">符号</th>"
        "<th class=\"num\">实测</th><th class=\"num\">理论</th><th class=\"num\">偏差</th>"
        "<th class=\"unit\">单位</th></tr>\n";
    html += MeasuredRow("齿顶圆直径", Symbol("d", "a" + n), gear.tip_diameter, true, t.tip_diameter,
                        "mm", kLengthDecimals);
    html += MeasuredRow("齿根圆直径", Symbol("d", "f" + n), gear.root_diameter, true,
                        t.root_diameter, "mm", kLengthDecimals);
    html += "<tr>" + Cell("齿数") + Cell(Symbol("z", n), "sym") +
            Cell(gear.teeth > 0 ? std::to_string(gear.teeth) : "—（齿顶变尖，无齿顶面）", "num") +
            Cell(std::to_string(t.teeth), "num") + Cell("", "num") + Cell("") + "</tr>\n";
    html +=
        MeasuredRow("分度圆端面齿厚（弧长，各齿平均）", Symbol("s", "t" + n), gear.tooth_thickness,
                    t.involute_at_reference, t.tooth_thickness, "mm", kLengthDecimals);
    html += "<tr>" + Cell("　其中最小 / 最大") + Cell("") +
            Cell(FixedText(gear.tooth_thickness_min, kLengthDecimals) + " / " +
                     FixedText(gear.tooth_thickness_max, kLengthDecimals),
                 "num") +
            Cell("", "num") + Cell("", "num") + Cell("mm") + "</tr>\n";
    html += MeasuredRow("分度圆端面弦齿厚", Symbol("s", "ct" + n), gear.tooth_chord,
                        t.involute_at_reference, t.tooth_chord, "mm", kLengthDecimals);
    html += MeasuredRow("齿廓形状偏差", Symbol("f", "fα" + n), gear.profile_deviation * 1000, true,
                        t.cusp_height * 1000, "µm", 2);
    html += "</table>\n";
    if (!t.involute_at_reference) {
      html += "<p class=\"note\">分度圆位于齿根过渡曲线内，齿厚公式不适用，无理论值。</p>\n";
    }
  }
  return html;
}

// Font sizes in points, lengths in pixels: Qt's rich text takes margins in no other unit.
const char* const kStyle = R"(<style>
body { font-family: "AR PL UMing CN", "SimSun", "宋体", "Songti SC", "Noto Serif CJK SC", serif;
       font-size: 10.5pt; color: #000000; }
h1 { font-size: 18pt; text-align: center; margin-bottom: 8px; }
h2 { font-size: 13pt; margin-top: 26px; margin-bottom: 8px; }
h3 { font-size: 11pt; margin-top: 14px; margin-bottom: 4px; }
p.note, p.lead { color: #404040; font-size: 9pt; }
p.lead { text-align: center; }
table { border-collapse: collapse; margin-bottom: 8px; }
th, td { border: 1px solid #9a9a9a; padding: 2px 6px; vertical-align: top; }
th { background-color: #e8e8e8; font-weight: bold; text-align: left; }
td.num, th.num { text-align: right; white-space: nowrap; }
td.figure, th.figure { text-align: right; }
td.sym { text-align: center; white-space: nowrap; }
td.name { white-space: nowrap; }
tr.group td { background-color: #f2f2f2; font-weight: bold; }
td.verdict { text-align: center; font-weight: bold; white-space: nowrap; }
td.ok { color: #1b6e20; }
td.warning { color: #8a5a00; background-color: #fff3d6; }
td.error { color: #b00000; background-color: #fde4e4; }
p.warning { color: #8a5a00; }
p.picture { text-align: center; margin: 0; }
p.legend { font-size: 9pt; }
span.legend { white-space: nowrap; margin-right: 8px; }
</style>
)";

// A browser's page: a column of a printed page's width in the middle of the window. Not for Qt,
// which indents every table under a body with automatic margins, and prints on its own page.
const char* const kBrowserStyle =
    "<style>\nbody { max-width: 720px; margin: 0 auto; padding: 32px; }\n</style>\n";

}  // namespace

double MeshPictureWidthMm(const MeshPicture& picture) {
  return std::min(kMeshPictureWidthMm, kMeshPictureMaxHeightMm / MeshSvgAspect(picture));
}

std::string ReportHtml(const ReportSubject& subject, PictureInHtml picture) {
  const GearPairData& pair = subject.pair;
  const DerivedValues derived = DeriveValues(pair);
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\"/>\n<title>" +
      Escape(kReportTitle) + "</title>\n" + kStyle +
      (picture == PictureInHtml::kInlineSvg ? kBrowserStyle : "") + "</head>\n<body>\n<h1>" +
      Escape(kReportTitle) + "</h1>\n" +
      "<p class=\"lead\">外啮合渐开线圆柱齿轮副；20° 标准基本齿条，齿顶高 1<i>m</i>，"
      "齿根高 1.25<i>m</i>；长度单位 mm，角度以弧度（rad）和度（°）表示。由 Kelvo 生成。</p>\n";
  html += Inputs(pair);
  html += PairValues(pair);
  html += DerivedTable(derived);
  html += Checks(CheckDesign(pair, derived));
  html += Picture(pair, picture);
  if (!subject.measured.empty()) html += Measured(subject.measured);
  return html + "</body>\n</html>\n";
}

}  // namespace kelvo

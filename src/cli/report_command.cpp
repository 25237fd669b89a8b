#include "cli/report_command.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cad/occt/occt_errors.h"
#include "cli/gear_pair_report.h"
#include "cli/pair_options.h"
#include "cli/text_table.h"
#include "geometry/decimal_text.h"
#include "geometry/derived_values.h"
#include "geometry/design_checks.h"
#include "geometry/report_fields.h"
#include "report/qt/offscreen_gui.h"
#include "report/qt/report_document.h"
#include "report/report_file.h"
#include "report/report_html.h"

namespace kelvo::cli {
namespace {

nlohmann::ordered_json ReportJson(const GearPairData& pair, const DerivedValues& derived,
                                  const std::vector<DesignCheck>& checks) {
  nlohmann::ordered_json json;
  json["pair"] = PairJson(pair);
  nlohmann::ordered_json values;
  for (const DerivedField& field : kDerivedFields)
    values[std::string(field.key)] = DerivedValue(derived, field);
  json["derived"] = values;
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const DesignCheck& check : checks) {
    list.push_back({{"id", check.id},
                    {"level", LevelKey(check.level)},
                    {"value", check.value},
                    {"limit", check.limit},
                    {"text", check.text}});
  }
  json["checks"] = list;
  return json;
}

std::string WithUnit(double value, std::string_view unit) {
  return DecimalText(value, 4) + (unit.empty() ? "" : " " + std::string(unit));
}

// The derived values, one a line, and the checks: verdict, id, value, limit, sentence.
void PrintReport(std::ostream& out, const DerivedValues& derived,
                 const std::vector<DesignCheck>& checks) {
  out << kDerivedGroupChinese << "\n";
  for (const DerivedField& field : kDerivedFields) {
    out << "  " << PadToWidth(std::string(field.key), 7)
        << PadToWidth(WithUnit(DerivedValue(derived, field), field.unit), 14) << field.chinese
        << "\n";
  }
  out << "\n" << kDesignChecksChinese << "\n";
  for (const DesignCheck& check : checks) {
    out << "  " << LevelChinese(check.level) << "  " << PadToWidth(std::string(check.id), 15)
        << PadToWidth(WithUnit(check.value, check.unit), 14) << "限值 "
        << PadToWidth(WithUnit(check.limit, check.unit), 14) << check.text << "\n";
  }
}

// Writes one report file; false, having said why on err, when it cannot.
bool Write(const std::string& path, const std::string& contents, std::ostream& err) {
  try {
    WriteReportFile(path, contents);
    return true;
  } catch (const ReportFileError& error) {
    cad::LogTechnicalDetail(error.what());
    err << "kelvo-cli: 保存计算书失败：" << error.Reason() << "。\n";
    return false;
  }
}

}  // namespace

CLI::App* AddReportCommand(CLI::App& app, ReportOptions& options) {
  CLI::App* report = app.add_subcommand(
      "report", "齿轮副的计算书：补充参数和设计校核；可写成含全部数值和啮合图的 HTML 和 PDF");
  AddPairOptions(*report, options.texts);
  AddFileOption(*report, "--html", options.html, "把整份计算书写成一个 HTML 文件，啮合图嵌在其中");
  AddFileOption(*report, "--pdf", options.pdf, "把整份计算书写成 A4 幅面的 PDF 文件");
  report->add_flag("--json", options.json,
                   "输出一个 JSON 对象：\"pair\" 与 solve --json 相同，\"derived\" 为 14 个补充"
                   "参数，\"checks\" 为九项设计校核");
  return report;
}

int RunReport(const ReportOptions& options, std::ostream& out, std::ostream& err) {
  const std::optional<GearPairData> pair = SolvePair(options.texts, err);
  if (!pair) return 1;
  const DerivedValues derived = DeriveValues(*pair);
  const std::vector<DesignCheck> checks = CheckDesign(*pair, derived);
  const ReportSubject subject{.pair = *pair, .measured = {}};
  bool written = true;
  if (!options.html.empty())
    written = Write(options.html, ReportHtml(subject, PictureInHtml::kInlineSvg), err) && written;
  if (!options.pdf.empty()) {
    const OffscreenGui gui;
    written = Write(options.pdf, ReportPdf(subject), err) && written;
  }
  if (options.json) {
    out << ReportJson(*pair, derived, checks).dump(2) << '\n';
  } else {
    PrintReport(out, derived, checks);
  }
  return written ? 0 : 1;
}

}  // namespace kelvo::cli

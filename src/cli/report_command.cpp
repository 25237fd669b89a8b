#include "cli/report_command.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/gear_pair_report.h"
#include "cli/pair_options.h"
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

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

// The derived values, one a line, and the checks: verdict, id, value, limit, sentence.
void PrintReport(std::ostream& out, const DerivedValues& derived,
                 const std::vector<DesignCheck>& checks) {
  out << kDerivedGroupChinese << "\n";
  for (const DerivedField& field : kDerivedFields) {
    out << "  " << Padded(std::string(field.key), 7)
        << Padded(WithUnit(DerivedValue(derived, field), field.unit), 14) << field.chinese << "\n";
  }
  out << "\n" << kDesignChecksChinese << "\n";
  for (const DesignCheck& check : checks) {
    out << "  " << LevelChinese(check.level) << "  " << Padded(std::string(check.id), 15)
        << Padded(WithUnit(check.value, check.unit), 14) << "限值 "
        << Padded(WithUnit(check.limit, check.unit), 14) << check.text << "\n";
  }
}

// Writes one report file; false, having said why on err, when it cannot.
bool Write(const std::string& path, const std::string& contents, std::ostream& err) {
  try {
    WriteReportFile(path, contents);
    return true;
  } catch (const ReportFileError& error) {
    err << "kelvo-cli: " << error.what() << "\n";
    return false;
  }
}

void AddFileOption(CLI::App& command, const std::string& name, std::string& file,
                   const std::string& description) {
  command.add_option(name, file, description)
      ->type_name("FILE")
      // An empty name (a script's unset variable) must not quietly write nothing.
      ->check([](const std::string& text) {
        return text.empty() ? std::string("a file name is needed") : std::string();
      });
}

}  // namespace

CLI::App* AddReportCommand(CLI::App& app, ReportOptions& options) {
  CLI::App* report = app.add_subcommand(
      "report",
      "The designer's report of a gear pair: the values beside the 36 (base, root, working "
      "pitch and root form diameters, tip thickness, least shift without undercut, tip "
      "clearance) and the design checks; as HTML and PDF with every value and a picture of the "
      "mesh");
  AddPairOptions(*report, options.texts);
  AddFileOption(*report, "--html", options.html,
                "write the whole report as one HTML file, the picture inline (计算书)");
  AddFileOption(*report, "--pdf", options.pdf, "write the whole report as a PDF file, A4");
  report->add_flag("--json", options.json,
                   "print one JSON object: \"pair\" as solve --json gives it, \"derived\" with "
                   "the 14 derived values, \"checks\" with the nine design checks");
  return report;
}

int RunReport(const ReportOptions& options, std::ostream& out, std::ostream& err) {
  const std::optional<GearPairData> pair = SolvePairFromTexts(options.texts);
  if (!pair) {
    err << kBadInputMessage << '\n';
    return 1;
  }
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

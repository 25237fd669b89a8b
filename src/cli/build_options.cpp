#include "cli/build_options.h"

#include "app/commands/text_rules.h"
#include "cad/occt/occt_export.h"
#include "cad/occt/occt_export_failure.h"
#include "cli/build_outcome.h"
#include "cli/pair_options.h"

namespace kelvo::cli {

void AddBuildOptions(CLI::App& command, std::string& fineness, std::string& out,
                     const std::string& out_description) {
  command.add_option("--fineness", fineness, "模型精细度，与在主窗口中键入的一样")
      ->type_name("TEXT")
      ->capture_default_str();
  AddFileOption(command, "--out", out, out_description);
}

std::optional<BuildInputs> ReadBuildInputs(const GearPairTexts& texts, const std::string& fineness,
                                           const std::string& out, std::ostream& err) {
  const std::optional<GearPairData> pair = SolvePair(texts, err);
  if (!pair) return std::nullopt;
  const std::optional<double> value = TextToDouble(fineness);
  if (!value) {
    err << "kelvo-cli: 模型精细度\"" << fineness
        << "\"不是数字（应为 4 或 2.5 这样的十进制数）。\n";
    return std::nullopt;
  }
  try {
    if (!out.empty()) cad::CheckExportPath(out);
  } catch (const cad::CadError& error) {
    SayFailed(err, cad::ExportFailureText(nullptr, out), error);
    return std::nullopt;
  }
  return BuildInputs{.pair = *pair, .fineness = *value};
}

}  // namespace kelvo::cli

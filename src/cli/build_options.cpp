#include "cli/build_options.h"

#include "app/commands/text_rules.h"
#include "cad/occt/occt_export.h"

namespace kelvo::cli {

void AddBuildOptions(CLI::App& command, std::string& fineness, std::string& out,
                     const std::string& out_description) {
  command
      .add_option("--fineness", fineness, "model fineness as typed into the window (模型精细度)")
      ->type_name("TEXT")
      ->capture_default_str();
  command.add_option("--out", out, out_description)
      ->type_name("FILE")
      // An empty name (a script's unset variable) must not quietly write nothing.
      ->check([](const std::string& file) {
        return file.empty() ? std::string("a file name is needed") : std::string();
      });
}

std::optional<BuildInputs> ReadBuildInputs(const GearPairTexts& texts, const std::string& fineness,
                                           const std::string& out, std::ostream& err) {
  const std::optional<GearPairData> pair = SolvePairFromTexts(texts);
  if (!pair) {
    err << kBadInputMessage << '\n';
    return std::nullopt;
  }
  const std::optional<double> value = TextToDouble(fineness);
  if (!value) {
    err << "kelvo-cli: the fineness \"" << fineness
        << "\" is no number (a decimal number such as 4 or 2.5, within the range of a double)\n";
    return std::nullopt;
  }
  try {
    if (!out.empty()) cad::CheckExportPath(out);
  } catch (const cad::CadError& error) {
    err << "kelvo-cli: " << error.what() << '\n';
    return std::nullopt;
  }
  return BuildInputs{.pair = *pair, .fineness = *value};
}

}  // namespace kelvo::cli

#include "cli/pair_options.h"

namespace kelvo::cli {
namespace {

void AddTextOption(CLI::App& command, const std::string& name, std::string& text,
                   const std::string& description) {
  command.add_option(name, text, description)->type_name("TEXT")->capture_default_str();
}

}  // namespace

void AddPairOptions(CLI::App& command, GearPairTexts& texts) {
  AddTextOption(command, "--a_true", texts.a_true, "中心距：实际中心距 a′，mm");
  AddTextOption(command, "--m", texts.m, "模数：法向模数，mm");
  AddTextOption(command, "--z1", texts.z1, "小齿轮齿数，带小数时四舍六入五成双取整");
  AddTextOption(command, "--z2", texts.z2, "大齿轮齿数，带小数时四舍六入五成双取整");
  AddTextOption(command, "--b", texts.b, "齿轮宽度，mm");
  AddTextOption(command, "--beta", texts.beta, "螺旋角，度");
  AddTextOption(command, "--x1", texts.x1, "小齿轮变位系数（法向）");
}

void AddFileOption(CLI::App& command, const std::string& name, std::string& file,
                   const std::string& description) {
  command.add_option(name, file, description)
      ->type_name("FILE")
      // An empty name (a script's unset variable) must not quietly write nothing.
      ->check([](const std::string& text) { return text.empty() ? "需要文件名" : std::string(); });
}

std::optional<GearPairData> SolvePair(const GearPairTexts& texts, std::ostream& err) {
  std::optional<GearPairData> pair = SolvePairFromTexts(texts);
  if (!pair) err << kBadInputMessage << '\n';
  return pair;
}

}  // namespace kelvo::cli

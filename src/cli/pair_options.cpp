#include "cli/pair_options.h"

namespace kelvo::cli {
namespace {

void AddTextOption(CLI::App& command, const std::string& name, std::string& text,
                   const std::string& description) {
  command.add_option(name, text, description)->type_name("TEXT")->capture_default_str();
}

}  // namespace

void AddPairOptions(CLI::App& command, GearPairTexts& texts) {
  AddTextOption(command, "--a_true", texts.a_true, "working centre distance a', mm (中心距)");
  AddTextOption(command, "--m", texts.m, "normal module, mm (模数)");
  AddTextOption(command, "--z1", texts.z1,
                "number of teeth of the small gear, rounded half to even (小齿轮齿数)");
  AddTextOption(command, "--z2", texts.z2,
                "number of teeth of the large gear, rounded half to even (大齿轮齿数)");
  AddTextOption(command, "--b", texts.b, "face width, mm (齿轮宽度)");
  AddTextOption(command, "--beta", texts.beta, "helix angle, degrees (螺旋角)");
  AddTextOption(command, "--x1", texts.x1,
                "normal profile-shift coefficient of the small gear (小齿轮变位系数)");
}

}  // namespace kelvo::cli

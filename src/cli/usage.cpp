#include "cli/usage.h"

#include <CLI/Formatter.hpp>
#include <memory>
#include <regex>
#include <sstream>
#include <string_view>
#include <utility>

#include "cli/text_table.h"

namespace kelvo::cli {
namespace {

constexpr std::string_view kOptionsGroup = "选项";
constexpr std::string_view kSubcommandsGroup = "子命令";

// CLI11's help with its labels in Chinese, the columns counted as a terminal shows them (a
// Chinese character takes two), and a heading's colon the full-width one of a Chinese text.
class ChineseFormatter final : public CLI::Formatter {
 public:
  ChineseFormatter() {
    for (const auto& [english, chinese] : {std::pair{"Usage", "用法"},
                                           {"OPTIONS", "选项"},
                                           {"SUBCOMMAND", "子命令"},
                                           {"SUBCOMMANDS", "子命令"},
                                           {"REQUIRED", "必需"},
                                           {"Positionals", "位置参数"},
                                           {"Env", "环境变量"},
                                           {"Needs", "需要"},
                                           {"Excludes", "不能与之同用"},
                                           {"TEXT", "文本"},
                                           {"FILE", "文件"}})
      label(english, chinese);
  }

  std::string make_help(const CLI::App* app, std::string name,
                        CLI::AppFormatMode mode) const override {
    std::istringstream help(Formatter::make_help(app, std::move(name), mode));
    std::string chinese;
    for (std::string line; std::getline(help, line);) {
      // A heading ("选项:") or the usage ("用法: kelvo-cli ...") begins in the first column.
      const std::size_t colon = line.find(':');
      if (!line.empty() && line[0] != ' ' && colon != std::string::npos &&
          (colon + 1 == line.size() || line[colon + 1] == ' ')) {
        line.replace(colon, colon + 1 == line.size() ? 1 : 2, "：");
      }
      chinese += line + "\n";
    }
    return chinese;
  }

  std::string make_option(const CLI::Option* option, bool is_positional) const override {
    const std::string name =
        "  " + make_option_name(option, is_positional) + make_option_opts(option);
    const std::string description = make_option_desc(option);
    if (DisplayWidth(name) >= column_width_)
      return name + "\n" + std::string(column_width_, ' ') + description + "\n";
    return PadToWidth(name, column_width_) + description + "\n";
  }
};

void SpeakChinese(CLI::App& command, const std::shared_ptr<CLI::Formatter>& formatter) {
  command.formatter(formatter);
  command.set_help_flag("-h,--help", "显示帮助并退出");
  for (CLI::Option* option : command.get_options())
    option->group(std::string(kOptionsGroup));
  command.group(std::string(kSubcommandsGroup));
}

// The first option CLI11's message names ("--z1: 1 required TEXT missing"), or nothing.
std::string OptionNamed(const std::string& message) {
  std::smatch found;
  if (std::regex_search(message, found, std::regex(R"((?:^|\s)(--?[A-Za-z][\w-]*))")))
    return found[1];
  return {};
}

// What follows CLI11's words before the first ": ", or the whole message.
std::string AfterColon(const std::string& message) {
  const std::size_t colon = message.find(": ");
  return colon == std::string::npos ? message : message.substr(colon + 2);
}

std::string Reason(const CLI::ParseError& error, const std::vector<std::string>& remaining) {
  const std::string message = error.what();
  const std::string option = OptionNamed(message);
  if (dynamic_cast<const CLI::ExtrasError*>(&error)) return "不认识的参数：" + AfterColon(message);
  if (dynamic_cast<const CLI::RequiredError*>(&error)) {
    // The one required thing is the subcommand: a word in its place is one it does not know
    // (the usage above lists those it knows).
    if (!remaining.empty() && !remaining.front().starts_with('-'))
      return "不认识的子命令：" + remaining.front();
    return "需要一个子命令：solve、gear、pair 或 report";
  }
  if (option.empty()) return "命令行有误";
  if (dynamic_cast<const CLI::ValidationError*>(&error))
    return "选项 " + option + " 的取值不对：" + AfterColon(message);
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error))
    return "选项 " + option + (message.ends_with("missing") ? " 缺少取值" : " 的取值个数不对");
  return "选项 " + option + " 的取值不对";
}

}  // namespace

void UseChineseHelp(CLI::App& app) {
  const auto formatter = std::make_shared<ChineseFormatter>();
  SpeakChinese(app, formatter);
  for (CLI::App* subcommand : app.get_subcommands({}))
    SpeakChinese(*subcommand, formatter);
}

std::string UsageErrorText(const CLI::ParseError& error,
                           const std::vector<std::string>& remaining) {
  return "用法：kelvo-cli solve [--a_true 文本] [--m 文本] [--z1 文本] [--z2 文本] [--b 文本] "
         "[--beta 文本] [--x1 文本] [--json]\n"
         "      kelvo-cli gear [齿轮副选项] [--gear 1|2] [--fineness 文本] [--out 文件] "
         "[--naive] [--inspect] [--json]\n"
         "      kelvo-cli pair [齿轮副选项] [--fineness 文本] [--out 文件] [--json]\n"
         "      kelvo-cli report [齿轮副选项] [--html 文件] [--pdf 文件] [--json]\n"
         "      kelvo-cli [子命令] --help 列出全部选项\n"
         "kelvo-cli: " +
         Reason(error, remaining) + "\n";
}

}  // namespace kelvo::cli

// The manual pages of kelvo-cli, English and Chinese, against the program's own --help: every
// subcommand and option it takes is described, and no option it no longer takes.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "support/run_process.h"

namespace kelvo {
namespace {

std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
  std::set<std::string> found;
  for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
    found.insert((*it)[1]);
  return found;
}

std::string Help(const std::string& subcommand) {
  const test::ProcessResult run = test::RunProcess(
      KELVO_CLI, subcommand.empty() ? std::vector<std::string>{"--help"}
                                    : std::vector<std::string>{subcommand, "--help"});
  EXPECT_EQ(run.exit_status, 0) << run.err;
  return run.out;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(KelvoCliManPage, DescribesEverySubcommandAndOptionTheProgramTakes) {
  // "  solve   由主窗口的七个输入值 ..." under "子命令："; "  -h,--help ..." or "  --z1 文本 ..."
  const std::string top = Help("");
  const std::set<std::string> subcommands =
      Matches(top.substr(top.find("\n子命令：\n")), std::regex(R"(\n  (\w+)  )"));
  ASSERT_EQ(subcommands, (std::set<std::string>{"gear", "pair", "report", "solve"}));
  std::set<std::string> options = Matches(top, std::regex(R"(\n  (?:-\w,)?--([\w-]+))"));
  for (const std::string& subcommand : subcommands)
    options.merge(Matches(Help(subcommand), std::regex(R"(\n  (?:-\w,)?--([\w-]+))")));

  for (const char* page : {"packaging/man/kelvo-cli.1.in", "packaging/man/zh_CN/kelvo-cli.1.in"}) {
    SCOPED_TRACE(page);
    const std::string text = ReadFile(std::string(KELVO_SOURCE_DIR) + "/" + page);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(Matches(text, std::regex(R"(\n\.B kelvo-cli (\w+))")), subcommands);
    EXPECT_EQ(Matches(text, std::regex(R"(\\-\\-([\w-]+))")), options);
  }
}

}  // namespace
}  // namespace kelvo

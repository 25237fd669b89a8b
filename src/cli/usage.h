#pragma once

#include <CLI/App.hpp>
#include <string>
#include <vector>

// kelvo-cli's own words around CLI11: its --help in Chinese, and what a mistyped command line
// is told.

namespace kelvo::cli {

// CLI11's labels, group names and help flag in Chinese, for the program and every subcommand
// added to it so far.
void UseChineseHelp(CLI::App& app);

// The usage lines and, in Chinese, what was wrong: which argument, when CLI11 names one or left
// it unparsed (remaining: CLI::App::remaining() after the error).
std::string UsageErrorText(const CLI::ParseError& error, const std::vector<std::string>& remaining);

}  // namespace kelvo::cli

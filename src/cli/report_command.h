#pragma once

#include <CLI/App.hpp>
#include <iosfwd>
#include <string>

#include "app/commands/calculate_steps.h"

namespace kelvo::cli {

struct ReportOptions {
  GearPairTexts texts;
  std::string html;  // file to write the HTML report to; empty: none
  std::string pdf;   // file to write the PDF report to; empty: none
  bool json = false;
};

// Registers the "report" subcommand; its options are written into `options`.
CLI::App* AddReportCommand(CLI::App& app, ReportOptions& options);

// Solves the pair exactly as the window's calculate command does and prints the designer's
// report's derived values and design checks (or all of it as JSON: "pair" as solve --json,
// "derived", "checks"); writes the HTML and PDF reports when asked. Exit status 0 when the pair
// solves, whatever the checks say. On bad input: the window's message on err and 1; a file that
// cannot be written: why on err and 1.
int RunReport(const ReportOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kelvo::cli

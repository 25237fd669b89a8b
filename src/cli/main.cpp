#include <unistd.h>

#include <CLI/App.hpp>
#include <CLI/Config.hpp>
#include <CLI/Formatter.hpp>
#include <iostream>

#include "cli/gear_command.h"
#include "cli/interrupt.h"
#include "cli/pair_command.h"
#include "cli/report_command.h"
#include "cli/solve_command.h"
#include "cli/usage.h"

namespace {

constexpr int kUsageError = 2;

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Kelvo 命令行程序：外啮合渐开线圆柱齿轮副的几何计算，以及以滚齿仿真生成的齿轮实体",
               "kelvo-cli"};
  app.require_subcommand(1);

  kelvo::cli::SolveOptions solve_options;
  CLI::App* solve = kelvo::cli::AddSolveCommand(app, solve_options);
  kelvo::cli::GearOptions gear_options;
  CLI::App* gear = kelvo::cli::AddGearCommand(app, gear_options);
  kelvo::cli::ReportOptions report_options;
  CLI::App* report = kelvo::cli::AddReportCommand(app, report_options);
  kelvo::cli::PairOptions pair_options;
  CLI::App* pair = kelvo::cli::AddPairCommand(app, pair_options);
  kelvo::cli::UseChineseHelp(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    std::cerr << kelvo::cli::UsageErrorText(error, app.remaining());
    return kUsageError;
  }

  if (solve->parsed()) return kelvo::cli::RunSolve(solve_options, std::cout, std::cerr);
  if (report->parsed()) return kelvo::cli::RunReport(report_options, std::cout, std::cerr);
  if (gear->parsed()) {
    kelvo::cli::StopOnInterrupt();
    return kelvo::cli::RunGear(gear_options, std::cout, std::cerr, isatty(STDERR_FILENO) == 1,
                               kelvo::cli::Interrupted);
  }
  if (pair->parsed()) {
    kelvo::cli::StopOnInterrupt();
    return kelvo::cli::RunPair(pair_options, std::cout, std::cerr, isatty(STDERR_FILENO) == 1,
                               kelvo::cli::Interrupted);
  }
  return kUsageError;
}

#include "cli/solve_command.h"

#include <ostream>

#include "cli/gear_pair_report.h"
#include "cli/pair_options.h"

namespace kelvo::cli {

CLI::App* AddSolveCommand(CLI::App& app, SolveOptions& options) {
  CLI::App* solve = app.add_subcommand(
      "solve",
      "Solve a gear pair from the seven inputs of the main window and print all 36 "
      "values of the pair");
  AddPairOptions(*solve, options.texts);
  solve->add_flag("--json", options.json,
                  "print one JSON object: every field of the pair under its name, and the "
                  "seven texts the window shows under \"display\"");
  return solve;
}

int RunSolve(const SolveOptions& options, std::ostream& out, std::ostream& err) {
  const std::optional<GearPairData> pair = SolvePairFromTexts(options.texts);
  if (!pair) {
    err << kBadInputMessage << '\n';
    return 1;
  }
  if (options.json) {
    out << PairJson(*pair).dump(2) << '\n';
  } else {
    out << PairReport(*pair);
  }
  return 0;
}

}  // namespace kelvo::cli

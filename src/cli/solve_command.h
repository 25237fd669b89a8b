#pragma once

#include <CLI/App.hpp>
#include <iosfwd>

#include "app/commands/calculate_steps.h"

namespace kelvo::cli {

struct SolveOptions {
  GearPairTexts texts;
  bool json = false;
};

// Registers the "solve" subcommand; its options are written into `options`.
CLI::App* AddSolveCommand(CLI::App& app, SolveOptions& options);

// Solves the pair exactly as the window's calculate command does and prints the report (or
// JSON) to out. On bad input: the window's message on err and exit status 1.
int RunSolve(const SolveOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kelvo::cli

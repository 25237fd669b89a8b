#pragma once

#include <CLI/App.hpp>
#include <iosfwd>
#include <string>

#include "app/calculate_steps.h"

namespace kelvo::cli {

struct GearOptions {
  GearPairTexts texts;
  int gear = 1;
  std::string fineness = "4";  // read like the window's Combo_fine
  std::string out;             // .step/.stp, .iges/.igs, .stl or .brep; empty: no file
  bool naive = false;
  bool json = false;
  bool inspect = false;
};

// Registers the "gear" subcommand; its options are written into `options`.
CLI::App* AddGearCommand(CLI::App& app, GearOptions& options);

// Builds one gear of the pair headless, through the same CAD application code as the window,
// and prints its summary (and with inspect, the measurements beside their theory) to out.
// progress_line: whether a progress line may be drawn on err (err is a terminal). Exit status
// 1 with the message on err for a bad pair, a bad fineness, or a file that cannot be written.
int RunGear(const GearOptions& options, std::ostream& out, std::ostream& err, bool progress_line);

}  // namespace kelvo::cli

#pragma once

#include <CLI/App.hpp>
#include <functional>
#include <iosfwd>
#include <string>

#include "app/commands/calculate_steps.h"

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
// 1 with the message on err for a bad pair, a bad fineness, a file that cannot be written, a
// build too large for this machine's memory, or a gear that came out incomplete (a step failed:
// the summary is printed, the file is not written).
//
// stop_requested (Ctrl-C) is asked at every progress report and inside long Booleans; a stop
// ends the build there, writes no file, says so on err and gives kInterruptedStatus.
int RunGear(const GearOptions& options, std::ostream& out, std::ostream& err, bool progress_line,
            const std::function<bool()>& stop_requested = {});

}  // namespace kelvo::cli

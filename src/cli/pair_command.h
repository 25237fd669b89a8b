#pragma once

#include <CLI/App.hpp>
#include <functional>
#include <iosfwd>
#include <string>

#include "app/commands/calculate_steps.h"

namespace kelvo::cli {

struct PairOptions {
  GearPairTexts texts;
  std::string fineness = "4";  // read like the window's Combo_fine
  std::string out;             // .step/.stp, .iges/.igs, .stl or .brep; empty: no file
  bool json = false;
};

// Registers the "pair" subcommand; its options are written into `options`.
CLI::App* AddPairCommand(CLI::App& app, PairOptions& options);

// Builds both gears of the pair headless, as the window's generate command does, puts them in
// mesh as the 3D window's MESH does (the large gear's axis at (a', 0), turned into mesh), measures
// the pair on its solids and prints the measurement (with json, one object). With out, writes
// the mesh drawing: STEP as an assembly of the two named gears, STL both solids in one file.
// Exit status 1 with the message on err for a bad pair, a bad fineness, a file that cannot be
// written, a build too large for this machine, a gear that came out incomplete or a
// measurement that failed; kInterruptedStatus after Ctrl-C.
int RunPair(const PairOptions& options, std::ostream& out, std::ostream& err, bool progress_line,
            const std::function<bool()>& stop_requested = {});

}  // namespace kelvo::cli

#pragma once

#include <CLI/App.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "app/commands/calculate_steps.h"

namespace kelvo::cli {

// Adds --fineness (as typed into the window's 模型精细度) and --out FILE to a command that
// builds gears; out_description says what --out writes.
void AddBuildOptions(CLI::App& command, std::string& fineness, std::string& out,
                     const std::string& out_description);

// What a gear build starts from, once the typed texts have been read.
struct BuildInputs {
  GearPairData pair;
  double fineness = 0;
};

// Reads the pair's texts and the fineness, and refuses a file that cannot be written before
// the build rather than after minutes of it. Says why on err and gives nothing when any fails.
std::optional<BuildInputs> ReadBuildInputs(const GearPairTexts& texts, const std::string& fineness,
                                           const std::string& out, std::ostream& err);

}  // namespace kelvo::cli

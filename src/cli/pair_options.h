#pragma once

#include <CLI/App.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "app/commands/calculate_steps.h"

namespace kelvo::cli {

// Adds the seven pair options (--a_true --m --z1 --z2 --b --beta --x1) to a command. Each
// takes the text exactly as it would be typed into the window's field; a left-out option
// keeps the window's initial text.
void AddPairOptions(CLI::App& command, GearPairTexts& texts);

// Adds an option naming a file to write (FILE); an empty name is a usage error.
void AddFileOption(CLI::App& command, const std::string& name, std::string& file,
                   const std::string& description);

// The pair from its texts, exactly as the window's calculate command solves it; on bad input
// the window's message on err and nothing.
std::optional<GearPairData> SolvePair(const GearPairTexts& texts, std::ostream& err);

}  // namespace kelvo::cli

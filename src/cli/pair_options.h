#pragma once

#include <CLI/App.hpp>

#include "app/commands/calculate_steps.h"

namespace kelvo::cli {

// Adds the seven pair options (--a_true --m --z1 --z2 --b --beta --x1) to a command. Each
// takes the text exactly as it would be typed into the window's field; a left-out option
// keeps the window's initial text.
void AddPairOptions(CLI::App& command, GearPairTexts& texts);

}  // namespace kelvo::cli

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// kelvo-cli's tables for a terminal: a name, a value and perhaps a theoretical value per line,
// each starting at its own column. A Chinese character takes two columns of a terminal and
// three bytes of UTF-8, so cells are padded by the columns they take, not by their bytes.

namespace kelvo::cli {

// The columns the UTF-8 text takes in a terminal: two for each wide (East Asian) character,
// one for any other.
std::size_t DisplayWidth(std::string_view text);

// text with spaces after it up to width columns, and at least one space when it is wider.
std::string PadToWidth(std::string_view text, std::size_t width);

// "  name" with value from the value column and theory, if any, from the theory column.
std::string TableRow(std::string_view name, std::string_view value, std::string_view theory = {});

}  // namespace kelvo::cli

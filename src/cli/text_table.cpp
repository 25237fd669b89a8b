#include "cli/text_table.h"

namespace kelvo::cli {
namespace {

// The longest name, "齿顶间隙，小齿轮齿顶至大齿轮齿根 (mm)" indented, ends at column 39.
constexpr std::size_t kValueColumn = 42;
constexpr std::size_t kTheoryColumn = 58;

// The code points a terminal draws two columns wide: the East Asian wide and full-width blocks
// (Hangul Jamo, CJK radicals to Yi, Hangul syllables, compatibility ideographs, vertical and
// compatibility forms, full-width forms, and the ideographs beyond the basic plane).
bool IsWide(char32_t code) {
  return (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
         (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
         (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
         (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0x20000 && code <= 0x3FFFD);
}

}  // namespace

std::size_t DisplayWidth(std::string_view text) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    // The sequence's length from its lead byte; a stray continuation byte counts as one.
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
      code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    width += IsWide(code) ? 2 : 1;
    i += length;
  }
  return width;
}

std::string PadToWidth(std::string_view text, std::size_t width) {
  const std::size_t taken = DisplayWidth(text);
  std::string padded(text);
  padded.append(taken < width ? width - taken : 1, ' ');
  return padded;
}

std::string TableRow(std::string_view name, std::string_view value, std::string_view theory) {
  std::string line = "  ";
  line += name;
  line = PadToWidth(line, kValueColumn);
  if (theory.empty()) return line.append(value) + "\n";
  line = PadToWidth(line + std::string(value), kTheoryColumn);
  return line.append(theory) + "\n";
}

}  // namespace kelvo::cli

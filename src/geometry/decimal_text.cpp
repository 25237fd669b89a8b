#include "geometry/decimal_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

namespace kelvo {
namespace {

// value with exactly `decimals` decimals and no sign on a value that rounds to zero; nothing
// for a value that is no finite number.
std::optional<std::string> Fixed(double value, int decimals) {
  if (!std::isfinite(value)) return std::nullopt;
  std::array<char, 400> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                          std::chars_format::fixed, decimals);
  if (error != std::errc{}) return std::nullopt;
  std::string text(buffer.data(), end);
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

}  // namespace

std::string DecimalText(double value, int decimals) {
  std::optional<std::string> text = Fixed(value, decimals);
  if (!text) return "?";
  if (text->find('.') != std::string::npos) {
    text->erase(text->find_last_not_of('0') + 1);
    if (text->back() == '.') text->pop_back();
  }
  return *text;
}

std::string FixedText(double value, int decimals) {
  return Fixed(value, decimals).value_or("—");
}

std::pair<std::string, std::string> DistinctDecimalTexts(double a, double b, int decimals) {
  std::pair<std::string, std::string> texts{DecimalText(a, decimals), DecimalText(b, decimals)};
  for (int more = decimals + 1; a != b && texts.first == texts.second && more <= 9; ++more)
    texts = {DecimalText(a, more), DecimalText(b, more)};
  return texts;
}

}  // namespace kelvo

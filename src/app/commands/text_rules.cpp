#include "app/commands/text_rules.h"

#include <locale.h>

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "geometry/rounding.h"

namespace kelvo {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Index just past the run of digits that starts at i.
std::size_t SkipDigits(std::string_view s, std::size_t i) {
  while (i < s.size() && IsDigit(s[i]))
    ++i;
  return i;
}

// The number's characters without the surrounding blanks, or an empty view when the text
// is not exactly one decimal number of the accepted form.
std::string_view MatchNumber(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin]))
    ++begin;
  std::size_t i = begin;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const std::size_t integer_end = SkipDigits(text, i);
  std::size_t digits = integer_end - i;
  i = integer_end;
  if (i < text.size() && text[i] == '.') {
    const std::size_t fraction_end = SkipDigits(text, i + 1);
    digits += fraction_end - (i + 1);
    i = fraction_end;
  }
  if (digits == 0) return {};
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t e = i + 1;
    if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
    const std::size_t exponent_end = SkipDigits(text, e);
    if (exponent_end == e) return {};
    i = exponent_end;
  }
  const std::size_t end = i;
  while (i < text.size() && IsBlank(text[i]))
    ++i;
  if (i != text.size()) return {};
  return text.substr(begin, end - begin);
}

// Reads a number that std::from_chars reported out of range: beyond the largest double it
// fails; below the smallest it is read, as the C library reads it, to zero or a subnormal.
std::optional<double> ReadOutOfRange(std::string_view number) {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  const std::string copy(number);
  const double value = strtod_l(copy.c_str(), nullptr, c_locale);
  if (std::isinf(value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<double> TextToDouble(std::string_view text) {
  std::string_view number = MatchNumber(text);
  if (number.empty()) return std::nullopt;
  const bool negative = number.front() == '-';
  if (number.front() == '+' || number.front() == '-') number.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error == std::errc::result_out_of_range) {
    const std::optional<double> small_or_huge = ReadOutOfRange(number);
    if (!small_or_huge) return std::nullopt;
    value = *small_or_huge;
  } else if (error != std::errc{} || end != number.data() + number.size()) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

std::optional<std::int16_t> TextToInt16(std::string_view text) {
  const std::optional<double> value = TextToDouble(text);
  if (!value) return std::nullopt;
  return RoundToInt16(*value);
}

std::string NumberToResultText(double value, int decimals) {
  if (!std::isfinite(value)) return {};
  // to_chars in fixed form writes the exact binary value rounded to `decimals` places with
  // ties to even: 0.125 gives 0.12, and 2.675 (really 2.67499999...) gives 2.67.
  std::array<char, 400> buffer{};
  char* end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                            std::chars_format::fixed, decimals)
                  .ptr;
  double rounded = 0;
  std::from_chars(buffer.data(), end, rounded);
  if (rounded == 0) rounded = 0;  // no negative zero
  end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), rounded,
                      std::chars_format::general, 15)
            .ptr;
  std::string text(buffer.data(), end);
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace kelvo

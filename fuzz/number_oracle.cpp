#include "number_oracle.h"

#include <locale.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <regex>

namespace kelvo::fuzz {
namespace {

constexpr std::string_view kDigits = "0123456789";

bool AllDigits(std::string_view s) {
  return !s.empty() && s.find_first_not_of(kDigits) == std::string_view::npos;
}

}  // namespace

std::optional<std::string> TypedNumber(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  const std::string_view number = text.substr(first, text.find_last_not_of(" \t") + 1 - first);

  const std::size_t e = number.find_first_of("eE");
  std::string_view mantissa = number.substr(0, e);
  if (!mantissa.empty() && (mantissa[0] == '+' || mantissa[0] == '-')) mantissa.remove_prefix(1);
  if (mantissa.find_first_not_of("0123456789.") != std::string_view::npos) return std::nullopt;
  if (std::count(mantissa.begin(), mantissa.end(), '.') > 1) return std::nullopt;
  if (mantissa.find_first_of(kDigits) == std::string_view::npos) return std::nullopt;
  if (e != std::string_view::npos) {
    std::string_view exponent = number.substr(e + 1);
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) exponent.remove_prefix(1);
    if (!AllDigits(exponent)) return std::nullopt;
  }
  return std::string(number);
}

double ReadWithCLibrary(const std::string& number) {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  return strtod_l(number.c_str(), nullptr, c_locale);
}

std::optional<double> ExpectedFieldValue(std::string_view text) {
  const std::optional<std::string> number = TypedNumber(text);
  if (!number) return std::nullopt;
  const double value = ReadWithCLibrary(*number);
  if (std::isinf(value)) return std::nullopt;
  return value;
}

std::optional<std::int16_t> ExpectedTeeth(double value) {
  if (!(std::fabs(value) < 40000)) return std::nullopt;
  // On the magnitude, so that the distance past the whole number below is exact (both lie in
  // one binade, or the whole number is 0); halves to even are symmetric about zero.
  const double magnitude = std::fabs(value);
  const double below = std::floor(magnitude);
  const double past_below = magnitude - below;
  double nearest = past_below < 0.5 ? below : below + 1;
  if (past_below == 0.5) nearest = std::fmod(below, 2) == 0 ? below : below + 1;
  if (value < 0) nearest = -nearest;
  if (nearest < -32768 || nearest > 32767) return std::nullopt;
  return static_cast<std::int16_t>(nearest);
}

// glibc writes the exact binary value of a double rounded at any precision, halves to the even
// digit, with multi-precision arithmetic of its own; Kelvo writes with std::to_chars (Ryu), so
// the two share no code.
std::string RoundedDecimalText(double value, int decimals) {
  const int length = std::snprintf(nullptr, 0, "%.*f", decimals, value);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
  text.pop_back();
  return text;
}

int SignificantDigits(std::string_view decimal_text) {
  std::string digits;
  for (const char c : decimal_text)
    if (c >= '0' && c <= '9') digits += c;
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return 0;
  return static_cast<int>(digits.find_last_not_of('0') + 1 - first);
}

std::string ExpectedResultText(double value, int decimals) {
  if (!std::isfinite(value)) return {};
  const double rounded = ReadWithCLibrary(RoundedDecimalText(value, decimals));
  if (rounded == 0) return "0";

  // 15 significant digits: "-d.dddddddddddddde+XX"
  char scientific[32];
  std::snprintf(scientific, sizeof scientific, "%.14e", rounded);
  const std::string_view written(scientific);
  const bool negative = written[0] == '-';
  const std::size_t lead = negative ? 1 : 0;
  const std::size_t e = written.find('e');
  std::string digits(written.substr(lead, 1));
  digits += written.substr(lead + 2, 14);
  const int exponent = std::atoi(scientific + e + 1);
  const std::string significant = digits.substr(0, digits.find_last_not_of('0') + 1);

  std::string text = negative ? "-" : "";
  if (exponent < -4 || exponent >= 15) {
    text += significant.substr(0, 1);
    if (significant.size() > 1) text += "." + significant.substr(1);
    char power[16];
    std::snprintf(power, sizeof power, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return text + power;
  }
  if (exponent < 0)
    return text + "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + significant;
  const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
  if (significant.size() <= whole)
    return text + significant + std::string(whole - significant.size(), '0');
  return text + significant.substr(0, whole) + "." + significant.substr(whole);
}

bool HasResultForm(std::string_view text) {
  // Plain: no leading zeros, a point only before a fraction that does not end in 0. Exponent
  // form: one digit but 0 before the point, a sign and two digits or more without a needless
  // leading zero after the E.
  static const std::regex kForm(
      R"(-?((0|[1-9][0-9]*)(\.[0-9]*[1-9])?|[1-9](\.[0-9]*[1-9])?E[+-]([0-9]{2}|[1-9][0-9]{2,})))");
  if (!std::regex_match(text.begin(), text.end(), kForm) || text == "-0") return false;
  return SignificantDigits(text.substr(0, text.find('E'))) <= 15;
}

std::string Escaped(std::string_view text) {
  std::string out;
  char hex[8];
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f && c != '\\') {
      out += c;
    } else {
      std::snprintf(hex, sizeof hex, "\\x%02x", byte);
      out += hex;
    }
  }
  return out;
}

void Fail(std::string_view what, std::string_view detail) {
  std::fprintf(stderr, "\n*** %.*s\n%.*s\n", static_cast<int>(what.size()), what.data(),
               static_cast<int>(detail.size()), detail.data());
  std::abort();
}

}  // namespace kelvo::fuzz

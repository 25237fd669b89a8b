#include "number_oracle.h"

#include <locale.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kelvo::fuzz {
namespace {

constexpr std::string_view kDigits = "0123456789";

bool AllDigits(std::string_view s) {
  return !s.empty() && s.find_first_not_of(kDigits) == std::string_view::npos;
}

// A natural number in base 10^9, least significant limb first: enough for the exact value of
// any double (at most 767 significant digits).
class Natural {
 public:
  explicit Natural(std::uint64_t n) {
    do {
      limbs_.push_back(static_cast<std::uint32_t>(n % kBase));
      n /= kBase;
    } while (n != 0);
  }

  void MultiplyBy(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : limbs_) {
      const std::uint64_t product = std::uint64_t{limb} * factor + carry;
      limb = static_cast<std::uint32_t>(product % kBase);
      carry = product / kBase;
    }
    while (carry != 0) {
      limbs_.push_back(static_cast<std::uint32_t>(carry % kBase));
      carry /= kBase;
    }
  }

  // factor^count, in pieces that keep every product within 64 bits.
  void MultiplyByPower(std::uint32_t factor, std::uint32_t piece, int piece_exponent, int count) {
    for (; count >= piece_exponent; count -= piece_exponent)
      MultiplyBy(piece);
    for (; count > 0; --count)
      MultiplyBy(factor);
  }

  std::string ToString() const {
    std::string text = std::to_string(limbs_.back());
    char limb[16];
    for (auto it = limbs_.rbegin() + 1; it != limbs_.rend(); ++it) {
      std::snprintf(limb, sizeof limb, "%09u", *it);
      text += limb;
    }
    return text;
  }

 private:
  static constexpr std::uint64_t kBase = 1'000'000'000;
  std::vector<std::uint32_t> limbs_;
};

std::string WithoutLeadingZeros(std::string digits) {
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "0" : digits.substr(first);
}

// x rounded to `places` digits after the point (a negative count rounds to tens, hundreds,
// ...), halves to the even digit.
ExactDecimal RoundToPlaces(ExactDecimal x, int places) {
  if (x.scale <= places) return x;
  const std::size_t drop = static_cast<std::size_t>(x.scale - places);
  std::string digits = x.digits;
  if (digits.size() <= drop) digits.insert(0, drop - digits.size() + 1, '0');
  std::string kept = digits.substr(0, digits.size() - drop);
  const std::string_view gone = std::string_view(digits).substr(kept.size());
  bool up = gone[0] > '5';
  if (gone[0] == '5') {
    const bool exactly_half = gone.find_first_not_of('0', 1) == std::string_view::npos;
    up = !exactly_half || (kept.back() - '0') % 2 == 1;
  }
  if (up) {
    std::size_t i = kept.size();
    while (i > 0 && kept[i - 1] == '9')
      kept[--i] = '0';
    if (i == 0) {
      kept.insert(0, 1, '1');
    } else {
      ++kept[i - 1];
    }
  }
  x.digits = WithoutLeadingZeros(kept);
  x.scale = places;
  return x;
}

// "-12.30", "0.05", "1200": the exact decimal as a plain text.
std::string PlainText(const ExactDecimal& x) {
  std::string digits = x.digits;
  if (x.scale <= 0) {
    if (digits != "0") digits.append(static_cast<std::size_t>(-x.scale), '0');
  } else {
    const std::size_t scale = static_cast<std::size_t>(x.scale);
    if (digits.size() <= scale) digits.insert(0, scale - digits.size() + 1, '0');
    digits.insert(digits.size() - scale, ".");
  }
  return (x.negative ? "-" : "") + digits;
}

// Decimal exponent of the leading digit: value = d.ddd * 10^exponent.
int LeadingExponent(const ExactDecimal& x) {
  return static_cast<int>(x.digits.size()) - 1 - x.scale;
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

ExactDecimal ExpandExactly(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const int biased_exponent = static_cast<int>((bits >> 52) & 0x7ff);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  // value = mantissa * 2^exponent
  const std::uint64_t mantissa =
      biased_exponent == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
  const int exponent = (biased_exponent == 0 ? 1 : biased_exponent) - 1075;

  ExactDecimal x;
  x.negative = std::signbit(value);
  Natural n(mantissa);
  if (exponent >= 0) {
    n.MultiplyByPower(2, 1u << 29, 29, exponent);
  } else {
    // mantissa / 2^k = mantissa * 5^k / 10^k
    n.MultiplyByPower(5, 1'220'703'125, 13, -exponent);
    x.scale = -exponent;
  }
  x.digits = n.ToString();
  if (x.digits == "0") x.scale = 0;
  return x;
}

std::string RoundedDecimalText(double value, int decimals) {
  return PlainText(RoundToPlaces(ExpandExactly(value), decimals));
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
  double rounded = ReadWithCLibrary(RoundedDecimalText(value, decimals));
  if (rounded == 0) return "0";

  ExactDecimal exact = ExpandExactly(rounded);
  exact = RoundToPlaces(exact, 14 - LeadingExponent(exact));  // 15 significant digits
  const int exponent = LeadingExponent(exact);                // after a carry, if any
  std::string significant = exact.digits.substr(0, exact.digits.find_last_not_of('0') + 1);

  std::string text = exact.negative ? "-" : "";
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
  std::string_view s = text;
  const bool negative = !s.empty() && s[0] == '-';
  if (negative) s.remove_prefix(1);
  const std::size_t e = s.find('E');
  std::string_view mantissa = s.substr(0, e);
  const std::size_t point = mantissa.find('.');
  const std::string_view whole = mantissa.substr(0, point);
  if (!AllDigits(whole) || (whole.size() > 1 && whole[0] == '0')) return false;
  if (point != std::string_view::npos) {
    const std::string_view fraction = mantissa.substr(point + 1);
    if (!AllDigits(fraction) || fraction.back() == '0') return false;
  }
  if (e != std::string_view::npos) {
    const std::string_view exponent = s.substr(e + 1);
    if (whole.size() != 1 || whole[0] == '0') return false;
    if (exponent.size() < 3 || (exponent[0] != '+' && exponent[0] != '-')) return false;
    const std::string_view power = exponent.substr(1);
    if (!AllDigits(power) || (power.size() > 2 && power[0] == '0')) return false;
  }
  const int significant = SignificantDigits(mantissa);
  if (negative && significant == 0) return false;  // "-0"
  return significant <= 15;
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

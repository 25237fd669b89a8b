#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "geometry/gear_pair_data.h"

namespace kelvo {

// The one message for every input that cannot be turned into a gear pair.
inline constexpr std::string_view kBadInputMessage = "输入参数不合理，无法计算出结果！";

// The seven input texts exactly as typed into the window's fields.
struct GearPairTexts {
  std::string a_true = "60";
  std::string m = "2";
  std::string z1 = "20";
  std::string z2 = "40";
  std::string b = "20";
  std::string beta = "0";  // degrees
  std::string x1 = "0";
};

// The seven texts in the window's order, the order the solver takes them in (InputField).
inline constexpr std::array<std::string GearPairTexts::*, 7> kGearPairTextsInOrder = {
    &GearPairTexts::a_true, &GearPairTexts::m,    &GearPairTexts::z1, &GearPairTexts::z2,
    &GearPairTexts::b,      &GearPairTexts::beta, &GearPairTexts::x1};

// Converts the texts (x1 first, a_true last; the first bad text ends it) and solves the pair.
// No value when a text is no number, a number of teeth leaves the 16-bit range, the helix
// angle's conversion to radians overflows, the numbers can be no gear pair (a module at or
// below 0, fewer than one tooth on either gear, a negative face width), or the solver fails.
// The window's calculate and generate commands and kelvo-cli all take their pair from here.
std::optional<GearPairData> SolvePairFromTexts(const GearPairTexts& texts);

// One of the seven results the window shows, in the order they are written.
struct ResultFieldFormat {
  std::string_view name;  // the result field: "Text_d1", ...
  double GearPairData::*member;
  int decimals;
};

inline constexpr std::array<ResultFieldFormat, 7> kResultFields = {{
    {"Text_d1", &GearPairData::d1, 2},
    {"Text_d2", &GearPairData::d2, 2},
    {"Text_da1", &GearPairData::da1, 2},
    {"Text_da2", &GearPairData::da2, 2},
    {"Text_h", &GearPairData::h1, 2},
    {"Text_x_sum", &GearPairData::x_sum, 3},
    {"Text_x2", &GearPairData::x2, 3},
}};

// The seven result texts of a solved pair, in the order of kResultFields.
std::array<std::string, 7> ResultTexts(const GearPairData& pair);

}  // namespace kelvo

#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <variant>

#include "geometry/gear_pair_data.h"

namespace kelvo {

// Describes one field of GearPairData for reports and data exchange: its name in the
// record, what it means in Chinese and English, and its unit ("" for pure numbers).
struct GearPairField {
  std::string_view name;
  std::variant<double GearPairData::*, std::int16_t GearPairData::*> member;
  std::string_view unit;
  std::string_view chinese;
  std::string_view english;
};

// All 36 fields in declaration order.
extern const std::array<GearPairField, 36> kGearPairFields;

// The field's value in pair, widened to double.
double FieldValue(const GearPairData& pair, const GearPairField& field);

}  // namespace kelvo

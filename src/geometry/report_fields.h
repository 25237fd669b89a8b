#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "geometry/derived_values.h"

namespace kelvo {

// The labels a designer's report puts on the pair's values: data for whoever renders it.

// A symbol as gear drawings write it: a letter (Latin or Greek) and its subscript, e.g. d with
// subscript "b1" for the small gear's base diameter. The subscript may be empty.
struct ReportSymbol {
  std::string_view letter;
  std::string_view subscript;
};

// The 36 values of GearPairData as designers group them: basic data, diameters, profile shift,
// addenda and dedenda, contact ratios, inspection dimensions. Every field of kGearPairFields
// appears in exactly one group; its name, unit and Chinese name are in kGearPairFields.
struct PairFieldGroup {
  std::string_view chinese;              // the group's title
  std::vector<std::string_view> fields;  // field names, in the order shown
};
const std::vector<PairFieldGroup>& PairFieldGroups();

// The symbol of one of the 36 fields by its name; empty for any other name.
ReportSymbol PairFieldSymbol(std::string_view field);

// One of the derived values of a gear, by the key files and the command line use.
struct DerivedField {
  std::string_view key;  // db1 db2 df1 df2 dw1 dw2 dFf1 dFf2 san1 san2 xmin1 xmin2 c1 c2
  std::int16_t gearNo;
  double GearDerivedValues::*member;
  std::string_view unit;     // "mm", or "" for xmin, a coefficient
  std::string_view chinese;  // e.g. 小齿轮基圆直径
  ReportSymbol symbol;
};
extern const std::array<DerivedField, 14> kDerivedFields;  // in the order of the keys above

double DerivedValue(const DerivedValues& values, const DerivedField& field);

// Titles of the report's other parts.
inline constexpr std::string_view kDerivedGroupChinese = "补充参数";
inline constexpr std::string_view kDesignChecksChinese = "设计校核";
inline constexpr std::string_view kMeshPictureChinese = "啮合图";

}  // namespace kelvo

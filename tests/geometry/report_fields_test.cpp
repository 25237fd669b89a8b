// The report's labels: every value of the pair shown once, with a symbol; the derived values
// under the keys files and the command line use.

#include "geometry/report_fields.h"

#include <gtest/gtest.h>

#include <map>
#include <string_view>

#include "geometry/gear_pair_fields.h"

namespace kelvo {
namespace {

TEST(ReportFields, GroupEachOfTheThirtySixValuesOnceAndGiveItASymbol) {
  std::map<std::string_view, int> shown;
  for (const PairFieldGroup& group : PairFieldGroups()) {
    EXPECT_FALSE(group.chinese.empty());
    for (const std::string_view field : group.fields)
      ++shown[field];
  }
  EXPECT_EQ(shown.size(), kGearPairFields.size());
  for (const GearPairField& field : kGearPairFields) {
    EXPECT_EQ(shown[field.name], 1) << field.name;
    EXPECT_FALSE(PairFieldSymbol(field.name).letter.empty()) << field.name;
  }
}

// (The keys themselves, in order: kelvo-cli report --json's test.)
TEST(ReportFields, DerivedValuesGoByTheirKeysToTheirGear) {
  for (const DerivedField& field : kDerivedFields)
    EXPECT_EQ(field.key.back(), field.gearNo == 1 ? '1' : '2') << field.key;
}

}  // namespace
}  // namespace kelvo

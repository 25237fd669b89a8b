// The report's labels: every value of the pair shown once, with a symbol; the derived values
// under the keys files and the command line use.

#include "geometry/report_fields.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

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

TEST(ReportFields, DerivedValuesGoByTheirKeysToTheirGear) {
  std::string keys;
  for (const DerivedField& field : kDerivedFields) {
    keys += field.key;
    keys += ' ';
    EXPECT_EQ(field.key.back(), field.gearNo == 1 ? '1' : '2') << field.key;
  }
  EXPECT_EQ(keys, "db1 db2 df1 df2 dw1 dw2 dFf1 dFf2 san1 san2 xmin1 xmin2 c1 c2 ");
}

}  // namespace
}  // namespace kelvo

// The calculate command through a window without widgets: the pair reaches the window's
// session whole, and only from a solve that succeeded.
#include "app/commands/calculate_command.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "fake_window.h"

namespace kelvo::test {
namespace {

TEST(CalculateCommand, ThePairReachesTheSessionWholeAndOnlyFromASolveThatSucceeded) {
  // The default pair, and one whose centre distance of 50 is too small for it.
  for (const GearPairTexts& texts : {GearPairTexts{}, GearPairTexts{.a_true = "50"}}) {
    SCOPED_TRACE(texts.a_true);
    FakeWindow window(texts);
    // A pair from before, every byte set, so that a partial or stray write shows.
    std::memset(static_cast<void*>(&window.session.gearPair), 0x5a, sizeof(GearPairData));
    GearPairData before;
    std::memcpy(static_cast<void*>(&before), &window.session.gearPair, sizeof before);
    mainForm_cmdCalculate_Click(window);
    const std::optional<GearPairData> solved = SolvePairFromTexts(texts);
    const GearPairData& expected = solved ? *solved : before;
    EXPECT_EQ(std::memcmp(&window.session.gearPair, &expected, sizeof expected), 0);
    EXPECT_EQ(window.messages, solved ? std::vector<std::string>()
                                      : std::vector<std::string>{std::string(kBadInputMessage)});
  }
}

}  // namespace
}  // namespace kelvo::test

// The report command through a window without widgets: it solves as the calculate command does,
// then asks the window for its report; a failure gives the one message and asks for nothing.
#include "app/commands/report_command.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/commands/calculate_command.h"
#include "fake_window.h"

namespace kelvo::test {
namespace {

TEST(ReportCommand, SolvesAsCalculateDoesThenShowsTheReportOfTheNewPair) {
  FakeWindow window(
      GearPairTexts{.a_true = "100", .z1 = "23", .z2 = "73", .b = "30", .beta = "15", .x1 = "0.3"});
  mainForm_cmdReport_Click(window);
  const GearPairData expected = *SolvePairFromTexts(window.inputs);
  EXPECT_EQ(std::memcmp(&window.session.gearPair, &expected, sizeof expected), 0);
  EXPECT_EQ(window.results, (std::array<std::string, 7>{"47.62", "151.15", "52.8", "155.18", "4.49",
                                                        "0.313", "0.013"}));
  EXPECT_EQ(window.reports_shown, 1);
  EXPECT_EQ(window.session_changes, 1) << "an open report follows the new pair at once";
  EXPECT_TRUE(window.messages.empty());

  // A second click brings the report forward again.
  mainForm_cmdReport_Click(window);
  EXPECT_EQ(window.reports_shown, 2);
}

TEST(ReportCommand, AFailureShowsTheOneMessageAndChangesNothing) {
  for (const GearPairTexts& texts :
       {GearPairTexts{.a_true = "50"}, GearPairTexts{.m = "abc"}, GearPairTexts{.z1 = "0"}}) {
    FakeWindow window(texts);
    std::memset(static_cast<void*>(&window.session.gearPair), 0x5a, sizeof(GearPairData));
    GearPairData before;
    std::memcpy(static_cast<void*>(&before), &window.session.gearPair, sizeof before);
    window.results[0] = "40";
    mainForm_cmdReport_Click(window);
    EXPECT_EQ(std::memcmp(&window.session.gearPair, &before, sizeof before), 0);
    EXPECT_EQ(window.results[0], "40");
    EXPECT_EQ(window.messages, std::vector<std::string>{std::string(kBadInputMessage)});
    EXPECT_EQ(window.reports_shown, 0);
    EXPECT_EQ(window.session_changes, 0);
  }
}

// The report follows every successful calculation, the calculate command's too, and no failed one.
TEST(ReportCommand, EverySuccessfulCalculationTellsTheWindow) {
  FakeWindow window;
  mainForm_cmdCalculate_Click(window);
  EXPECT_EQ(window.session_changes, 1);
  window.inputs.a_true = "abc";
  mainForm_cmdCalculate_Click(window);
  EXPECT_EQ(window.session_changes, 1);
  EXPECT_EQ(window.reports_shown, 0) << "calculate opens no report";
}

}  // namespace
}  // namespace kelvo::test

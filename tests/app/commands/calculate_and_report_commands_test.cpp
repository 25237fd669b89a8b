// The calculate and report commands through a window without widgets: the pair reaches the
// window's session whole, and only from a solve that succeeded; the report command then asks the
// window for its report, and every successful calculation tells the window, so that an open
// report follows. A failure gives the one message and changes nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/commands/calculate_command.h"
#include "app/commands/report_command.h"
#include "fake_window.h"

namespace kelvo::test {
namespace {

struct CommandCase {
  const char* name;
  void (*click)(MainWindowSeam&);
  GearPairTexts inputs;
  bool opens_report;
};

const CommandCase kCommandCases[] = {
    {.name = "calculate, the default pair",
     .click = mainForm_cmdCalculate_Click,
     .inputs = {},
     .opens_report = false},
    {.name = "calculate, a centre distance of 50 too small for the pair",
     .click = mainForm_cmdCalculate_Click,
     .inputs = {.a_true = "50"},
     .opens_report = false},
    {.name = "report, the helical pair",
     .click = mainForm_cmdReport_Click,
     .inputs = {.a_true = "100", .z1 = "23", .z2 = "73", .b = "30", .beta = "15", .x1 = "0.3"},
     .opens_report = true},
    {.name = "report, a centre distance of 50",
     .click = mainForm_cmdReport_Click,
     .inputs = {.a_true = "50"},
     .opens_report = true},
    {.name = "report, a module that is no number",
     .click = mainForm_cmdReport_Click,
     .inputs = {.m = "abc"},
     .opens_report = true},
    {.name = "report, no teeth",
     .click = mainForm_cmdReport_Click,
     .inputs = {.z1 = "0"},
     .opens_report = true},
};

TEST(CalculateAndReportCommands, ThePairReachesTheSessionWholeAndOnlyFromASolveThatSucceeded) {
  for (const CommandCase& c : kCommandCases) {
    SCOPED_TRACE(c.name);
    FakeWindow window(c.inputs);
    // A pair from before, every byte set, so that a partial or stray write shows.
    std::memset(static_cast<void*>(&window.session.gearPair), 0x5a, sizeof(GearPairData));
    GearPairData before;
    std::memcpy(static_cast<void*>(&before), &window.session.gearPair, sizeof before);
    window.results[0] = "earlier";
    c.click(window);
    const std::optional<GearPairData> solved = SolvePairFromTexts(c.inputs);
    const GearPairData& expected = solved ? *solved : before;
    EXPECT_EQ(std::memcmp(&window.session.gearPair, &expected, sizeof expected), 0);
    EXPECT_EQ(window.results[0] == "earlier", !solved);
    EXPECT_EQ(window.messages, solved ? std::vector<std::string>()
                                      : std::vector<std::string>{std::string(kBadInputMessage)});
    EXPECT_EQ(window.reports_shown, solved && c.opens_report ? 1 : 0);
    EXPECT_EQ(window.session_changes, solved ? 1 : 0) << "an open report follows the new pair";
  }
}

}  // namespace
}  // namespace kelvo::test

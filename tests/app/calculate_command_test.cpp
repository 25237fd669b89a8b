#include "app/calculate_command.h"

#include <gtest/gtest.h>

#include <cstring>

#include "fake_main_window.h"

namespace kelvo {
namespace {

using test::FakeMainWindow;
using Texts = std::array<std::string, 7>;

bool SameBytes(const GearPairData& a, const GearPairData& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

class CalculateCommand : public ::testing::Test {
 protected:
  void SetUp() override { gearPair = GearPairData{}; }
};

TEST_F(CalculateCommand, ShowsTheRoundedResultsAndKeepsThePair) {
  struct Case {
    Texts inputs;
    Texts results;
  };
  const Case cases[] = {
      {{"60", "2", "20", "40", "20", "0", "0"}, {"40", "80", "44", "84", "4.5", "0", "0"}},
      {{"100", "2", "23", "73", "30", "15", "0.3"},
       {"47.62", "151.15", "52.8", "155.18", "4.49", "0.313", "0.013"}},
      // blanks around, exponent form, a fractional number of teeth rounded half to even
      {{" 60 ", "2e0", "20.5", "40", "20", "0", "0"}, {"40", "80", "44", "84", "4.5", "0", "0"}},
  };
  for (const Case& c : cases) {
    FakeMainWindow window;
    window.inputs = c.inputs;
    mainForm_cmdCalculate_Click(window);
    EXPECT_EQ(window.results, c.results);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.inputs, c.inputs) << "the inputs are never written";
    EXPECT_EQ(window.status_writes, 0) << "the status line belongs to the generate command";
    // gearPair holds the whole record of the solve, not just the shown fields.
    GearPairTexts texts{c.inputs[0], c.inputs[1], c.inputs[2], c.inputs[3],
                        c.inputs[4], c.inputs[5], c.inputs[6]};
    EXPECT_TRUE(SameBytes(gearPair, *SolvePairFromTexts(texts)));
  }
}

// Each input field in turn holding text that is no number, or a pair the solver rejects: one
// message, and the window and gearPair still show the last good pair.
TEST_F(CalculateCommand, AnyFailureShowsOneMessageAndChangesNothing) {
  struct Case {
    std::size_t field;
    std::string text;
  };
  std::vector<Case> cases;
  for (std::size_t field = 0; field < 7; ++field)
    for (const char* bad : {"", "abc", "2mm", "1..5"})
      cases.push_back({field, bad});
  cases.push_back({0, "50"});     // centre distance too small for 20 + 40 teeth
  cases.push_back({2, "0"});      // no teeth on the small gear
  cases.push_back({2, "32768"});  // beyond the 16-bit number of teeth
  cases.push_back({5, "1e308"});  // the helix angle overflows on its way to radians

  for (const Case& c : cases) {
    FakeMainWindow window;
    window.inputs = {"100", "2", "23", "73", "30", "15", "0.3"};
    mainForm_cmdCalculate_Click(window);
    const Texts good_results = window.results;
    const GearPairData good_pair = gearPair;
    const int writes = window.result_writes;

    window.inputs[c.field] = c.text;
    const Texts typed = window.inputs;
    mainForm_cmdCalculate_Click(window);

    const std::string where = "field " + std::to_string(c.field) + " = \"" + c.text + "\"";
    ASSERT_EQ(window.messages.size(), 1u) << where;
    EXPECT_EQ(window.messages[0], kBadInputMessage) << where;
    EXPECT_EQ(window.result_writes, writes) << where << ": no result written after a failure";
    EXPECT_EQ(window.results, good_results) << where;
    EXPECT_EQ(window.inputs, typed) << where;
    EXPECT_TRUE(SameBytes(gearPair, good_pair)) << where;
  }
}

TEST_F(CalculateCommand, FailureBeforeAnySolveLeavesEmptyResultsAndAZeroPair) {
  FakeMainWindow window;
  window.inputs[1] = "";
  EXPECT_FALSE(SolveAndShowResults(window));
  EXPECT_TRUE(window.messages.empty()) << "the shared steps leave the message to their caller";
  EXPECT_EQ(window.results, Texts{});
  EXPECT_TRUE(SameBytes(gearPair, GearPairData{}));
}

}  // namespace
}  // namespace kelvo

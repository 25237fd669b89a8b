// The calculate command through a window without widgets: the pair reaches the window's
// session whole, and only from a solve that succeeded.
#include "app/commands/calculate_command.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/commands/command_session.h"

namespace kelvo {
namespace {

// A window holding the given input texts.
class TypedWindow final : public MainWindowSeam {
 public:
  explicit TypedWindow(GearPairTexts texts) : texts_(std::move(texts)) {}

  CommandSession& Session() override { return session; }
  std::string InputText(InputField field) const override {
    static constexpr std::array<std::string GearPairTexts::*, 7> kInWindowOrder = {
        &GearPairTexts::a_true, &GearPairTexts::m,    &GearPairTexts::z1, &GearPairTexts::z2,
        &GearPairTexts::b,      &GearPairTexts::beta, &GearPairTexts::x1};
    return texts_.*kInWindowOrder[static_cast<std::size_t>(field)];
  }
  std::string ResultText(ResultField) const override { return ""; }
  void SetResultText(ResultField, const std::string&) override {}
  std::string FinenessText() const override { return "4"; }
  int CheckValue(CheckOption) const override { return 0; }
  std::string StatusText() const override { return ""; }
  void SetStatusText(const std::string&) override {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }

  CommandSession session;
  std::vector<std::string> messages;

 private:
  GearPairTexts texts_;
};

TEST(CalculateCommand, ThePairReachesTheSessionWholeAndOnlyFromASolveThatSucceeded) {
  // The default pair, and one whose centre distance of 50 is too small for it.
  for (const GearPairTexts& texts : {GearPairTexts{}, GearPairTexts{.a_true = "50"}}) {
    SCOPED_TRACE(texts.a_true);
    TypedWindow window(texts);
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
}  // namespace kelvo

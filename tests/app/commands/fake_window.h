#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "app/commands/calculate_steps.h"
#include "app/commands/command_session.h"
#include "app/commands/main_window_seam.h"

namespace kelvo::test {

// A main window without widgets for the commands to drive: the input texts it is given, the
// window's default options (small gear and shading ticked, fineness "4"), and what the commands
// write, kept for the test to read. A test that watches more overrides the rest.
class FakeWindow : public MainWindowSeam {
 public:
  explicit FakeWindow(GearPairTexts typed = {}) : inputs(std::move(typed)) {}

  CommandSession& Session() override { return session; }
  std::string InputText(InputField field) const override {
    return inputs.*kGearPairTextsInOrder[static_cast<std::size_t>(field)];
  }
  std::string ResultText(ResultField field) const override {
    return results[static_cast<std::size_t>(field)];
  }
  void SetResultText(ResultField field, const std::string& text) override {
    results[static_cast<std::size_t>(field)] = text;
  }
  std::string FinenessText() const override { return "4"; }
  int CheckValue(CheckOption option) const override {
    return option == CheckOption::large_gear ? large_ticked : 1;
  }
  std::string StatusText() const override { return status; }
  void SetStatusText(const std::string& text) override { status = text; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowReport() override { ++reports_shown; }
  void SessionChanged() override { ++session_changes; }

  GearPairTexts inputs;
  bool large_ticked = false;
  std::array<std::string, 7> results{};
  std::string status;
  std::vector<std::string> messages;
  int reports_shown = 0;    // ShowReport calls
  int session_changes = 0;  // SessionChanged calls
  CommandSession session;
};

}  // namespace kelvo::test

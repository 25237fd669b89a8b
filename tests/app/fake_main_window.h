#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/main_window_seam.h"

namespace kelvo::test {

// The window seam without widgets: fields and options are plain members, and everything a
// command does to the window is recorded.
class FakeMainWindow final : public MainWindowSeam {
 public:
  std::array<std::string, 7> inputs = {"60", "2", "20", "40", "20", "0", "0"};
  std::array<std::string, 7> results{};
  std::string fineness = "4";
  std::array<int, 3> checks = {1, 0, 1};
  std::string status;
  std::vector<std::string> messages;
  int result_writes = 0;
  int status_writes = 0;

  std::string InputText(InputField field) const override { return inputs[Index(field)]; }
  std::string ResultText(ResultField field) const override { return results[Index(field)]; }
  void SetResultText(ResultField field, const std::string& text) override {
    results[Index(field)] = text;
    ++result_writes;
  }
  std::string FinenessText() const override { return fineness; }
  int CheckValue(CheckOption option) const override { return checks[Index(option)]; }
  std::string StatusText() const override { return status; }
  void SetStatusText(const std::string& text) override {
    status = text;
    ++status_writes;
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }

 private:
  template <typename Enum>
  static std::size_t Index(Enum e) {
    return static_cast<std::size_t>(e);
  }
};

}  // namespace kelvo::test

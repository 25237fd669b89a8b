// The calculate button with seven arbitrary texts in the input fields: either the seven result
// fields get well-formed texts of the pair the texts describe and the window's gearPair becomes
// that pair, or the one message shows, nothing is written and gearPair keeps every byte it had.
// Texts that read as a module at or below 0, fewer than one tooth or a negative face width are no
// pair.
//
// Input: the seven texts in the window's order (a_true, m, z1, z2, b, beta, x1), separated by
// newlines; missing ones are empty, the last takes the rest.

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/commands/calculate_command.h"
#include "app/commands/command_session.h"
#include "geometry/gear_pair_data.h"
#include "geometry/gear_pair_fields.h"
#include "geometry/solve_gear_pair.h"
#include "number_oracle.h"

namespace {

using kelvo::InputField;
using kelvo::ResultField;
using kelvo::fuzz::Escaped;
using kelvo::fuzz::Fail;

// What the window shows and the decimals each result is rounded to, in the order they are
// written.
struct ShownResult {
  ResultField field;
  double kelvo::GearPairData::*member;
  int decimals;
};
constexpr std::array<ShownResult, 7> kShown = {{
    {ResultField::d1, &kelvo::GearPairData::d1, 2},
    {ResultField::d2, &kelvo::GearPairData::d2, 2},
    {ResultField::da1, &kelvo::GearPairData::da1, 2},
    {ResultField::da2, &kelvo::GearPairData::da2, 2},
    {ResultField::h, &kelvo::GearPairData::h1, 2},
    {ResultField::x_sum, &kelvo::GearPairData::x_sum, 3},
    {ResultField::x2, &kelvo::GearPairData::x2, 3},
}};

class FakeWindow final : public kelvo::MainWindowSeam {
 public:
  explicit FakeWindow(const std::array<std::string, 7>& inputs) : inputs_(inputs) {}

  kelvo::CommandSession& Session() override { return session; }
  std::string InputText(InputField field) const override {
    return inputs_[static_cast<std::size_t>(field)];
  }
  // Every write is recorded, and the command reads no result back.
  std::string ResultText(ResultField) const override { return {}; }
  void SetResultText(ResultField field, const std::string& text) override {
    writes.push_back({field, text});
  }
  std::string FinenessText() const override { return "4"; }
  int CheckValue(kelvo::CheckOption) const override { return 0; }
  std::string StatusText() const override { return {}; }
  void SetStatusText(const std::string&) override {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }

  kelvo::CommandSession session;
  std::vector<std::pair<ResultField, std::string>> writes;
  std::vector<std::string> messages;

 private:
  std::array<std::string, 7> inputs_;
};

std::array<std::string, 7> SplitFields(std::string_view input) {
  std::array<std::string, 7> fields;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::size_t end = i + 1 < fields.size() ? input.find('\n') : std::string_view::npos;
    fields[i] = std::string(input.substr(0, end));
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
  }
  return fields;
}

// The pair the texts describe, read by the oracle's rules and solved, or none.
std::optional<kelvo::GearPairData> ExpectedPair(const std::array<std::string, 7>& texts) {
  using kelvo::fuzz::ExpectedFieldValue;
  using kelvo::fuzz::ExpectedTeeth;
  const auto text = [&](InputField f) { return texts[static_cast<std::size_t>(f)]; };
  const std::optional<double> a_true = ExpectedFieldValue(text(InputField::a_true));
  const std::optional<double> m = ExpectedFieldValue(text(InputField::m));
  const std::optional<double> z1 = ExpectedFieldValue(text(InputField::z1));
  const std::optional<double> z2 = ExpectedFieldValue(text(InputField::z2));
  const std::optional<double> b = ExpectedFieldValue(text(InputField::b));
  const std::optional<double> degrees = ExpectedFieldValue(text(InputField::beta));
  const std::optional<double> x1 = ExpectedFieldValue(text(InputField::x1));
  if (!a_true || !m || !z1 || !z2 || !b || !degrees || !x1) return std::nullopt;
  const std::optional<std::int16_t> teeth1 = ExpectedTeeth(*z1);
  const std::optional<std::int16_t> teeth2 = ExpectedTeeth(*z2);
  if (!teeth1 || !teeth2) return std::nullopt;
  const double beta = *degrees * 3.1415926 / 180;
  if (!std::isfinite(beta)) return std::nullopt;
  // No gear has a module at or below 0, fewer than one tooth or a negative face width.
  if (*m <= 0 || *teeth1 < 1 || *teeth2 < 1 || *b < 0) return std::nullopt;
  return kelvo::SolveGearPair(*a_true, *m, *teeth1, *teeth2, *b, beta, *x1).pair;
}

std::string Describe(const std::array<std::string, 7>& texts) {
  std::string out = "inputs:";
  for (const std::string& t : texts)
    out += " \"" + Escaped(t) + "\"";
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::array<std::string, 7> texts =
      SplitFields(std::string_view(reinterpret_cast<const char*>(data), size));

  FakeWindow window(texts);
  kelvo::GearPairData& gearPair = window.session.gearPair;
  // A pair from before, every byte set, so that a partial or stray write shows.
  std::memset(static_cast<void*>(&gearPair), 0xa5, sizeof gearPair);
  kelvo::GearPairData before;
  std::memcpy(static_cast<void*>(&before), &gearPair, sizeof before);

  kelvo::mainForm_cmdCalculate_Click(window);
  const std::optional<kelvo::GearPairData> expected = ExpectedPair(texts);

  if (!expected) {
    if (window.messages.size() != 1 || window.messages[0] != kelvo::kBadInputMessage)
      Fail("bad input without exactly the one message", Describe(texts));
    if (!window.writes.empty()) Fail("bad input wrote a result field", Describe(texts));
    if (std::memcmp(&before, &gearPair, sizeof before) != 0)
      Fail("bad input changed gearPair", Describe(texts));
    return 0;
  }

  if (!window.messages.empty()) Fail("a pair that solves gave a message", Describe(texts));
  for (const kelvo::GearPairField& field : kelvo::kGearPairFields) {
    const double got = kelvo::FieldValue(gearPair, field);
    const double want = kelvo::FieldValue(*expected, field);
    if (!std::isfinite(got)) Fail("gearPair holds a value that is not finite", Describe(texts));
    if (std::memcmp(&got, &want, sizeof got) != 0)
      Fail("gearPair is not the pair the texts describe",
           std::string(field.name) + ", " + Describe(texts));
  }
  if (window.writes.size() != kShown.size()) Fail("not seven result texts", Describe(texts));
  for (std::size_t i = 0; i < kShown.size(); ++i) {
    const auto& [field, text] = window.writes[i];
    const double value = gearPair.*kShown[i].member;
    if (field != kShown[i].field) Fail("results written out of order", Describe(texts));
    if (text != kelvo::fuzz::ExpectedResultText(value, kShown[i].decimals) ||
        !kelvo::fuzz::HasResultForm(text)) {
      Fail("wrong result text",
           "\"" + Escaped(text) + "\" for result " + std::to_string(i) + ", " + Describe(texts));
    }
  }
  return 0;
}

#include "app/commands/calculate_command.h"

#include <optional>
#include <string>

#include "app/commands/command_session.h"
#include "geometry/gear_pair_data.h"

namespace kelvo {

GearPairTexts ReadInputTexts(const MainWindowSeam& window) {
  GearPairTexts texts;
  for (std::size_t i = 0; i < kGearPairTextsInOrder.size(); ++i)
    texts.*kGearPairTextsInOrder[i] = window.InputText(static_cast<InputField>(i));
  return texts;
}

bool SolveAndShowResults(MainWindowSeam& window) {
  const std::optional<GearPairData> pair = SolvePairFromTexts(ReadInputTexts(window));
  if (!pair) return false;
  // The whole record at once: the gear builds read the session's pair later and must never see
  // fields of two different pairs.
  GearPairData& gearPair = window.Session().gearPair;
  gearPair = *pair;
  const std::array<std::string, 7> texts = ResultTexts(gearPair);
  for (std::size_t i = 0; i < texts.size(); ++i)
    window.SetResultText(ResultFieldAt(i), texts[i]);
  window.SessionChanged();
  return true;
}

void mainForm_cmdCalculate_Click(MainWindowSeam& window) {
  if (!SolveAndShowResults(window)) window.ShowMessage(std::string(kBadInputMessage));
}

}  // namespace kelvo

#include "app/commands/report_command.h"

#include <string>

#include "app/commands/calculate_command.h"

namespace kelvo {

void mainForm_cmdReport_Click(MainWindowSeam& window) {
  if (!SolveAndShowResults(window)) {
    window.ShowMessage(std::string(kBadInputMessage));
    return;
  }
  window.ShowReport();
}

}  // namespace kelvo

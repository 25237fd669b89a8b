#include "cli/solve_command.h"

#include <ostream>

#include "cli/gear_pair_report.h"
#include "cli/pair_options.h"

namespace kelvo::cli {

CLI::App* AddSolveCommand(CLI::App& app, SolveOptions& options) {
  CLI::App* solve =
      app.add_subcommand("solve", "由主窗口的七个输入值计算齿轮副，列出齿轮副的全部 36 个参数");
  AddPairOptions(*solve, options.texts);
  solve->add_flag("--json", options.json,
                  "输出一个 JSON 对象：齿轮副的每个参数以其名称为键，主窗口显示的七个结果"
                  "在 \"display\" 之下");
  return solve;
}

int RunSolve(const SolveOptions& options, std::ostream& out, std::ostream& err) {
  const std::optional<GearPairData> pair = SolvePair(options.texts, err);
  if (!pair) return 1;
  if (options.json) {
    out << PairJson(*pair).dump(2) << '\n';
  } else {
    out << PairReport(*pair);
  }
  return 0;
}

}  // namespace kelvo::cli

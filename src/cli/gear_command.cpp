#include "cli/gear_command.h"

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cad/occt/occt_queries.h"
#include "cli/build_options.h"
#include "cli/build_outcome.h"
#include "cli/build_progress.h"
#include "cli/gear_build.h"
#include "cli/gear_summary.h"
#include "cli/interrupt.h"
#include "cli/pair_options.h"
#include "modelling/headless/headless_gears.h"

namespace kelvo::cli {

CLI::App* AddGearCommand(CLI::App& app, GearOptions& options) {
  CLI::App* gear =
      app.add_subcommand("gear", "不开窗口，以滚齿仿真生成齿轮副中的一个齿轮，并输出实体的概要");
  AddPairOptions(*gear, options.texts);
  gear->add_option("--gear", options.gear, "要生成的齿轮：1 小齿轮，2 大齿轮")
      ->type_name("1|2")
      ->check(CLI::Validator(
          [](const std::string& text) {
            return text == "1" || text == "2" ? std::string() : "只能是 1 或 2";
          },
          ""))
      ->capture_default_str();
  AddBuildOptions(*gear, options.fineness, options.out,
                  "把图形写入文件：.step/.stp、.iges/.igs、.stl 或 .brep");
  gear->add_flag("--naive", options.naive,
                 "每个布尔运算按滚齿仿真要求的顺序立即执行（较慢的参考算法）");
  gear->add_flag("--json", options.json, "以一个 JSON 对象输出概要");
  gear->add_flag("--inspect", options.inspect, "像齿轮检测员那样测量实体，每项实测值旁给出理论值");
  return gear;
}

int RunGear(const GearOptions& options, std::ostream& out, std::ostream& err, bool progress_line,
            const std::function<bool()>& stop_requested) {
  const std::optional<BuildInputs> inputs =
      ReadBuildInputs(options.texts, options.fineness, options.out, err);
  if (!inputs) return 1;
  const GearPairData& pair = inputs->pair;
  const auto gearNo = static_cast<std::int16_t>(options.gear);

  ProgressLine line(err, progress_line);
  BuildProgress progress(line, stop_requested);
  try {
    const std::optional<GearsBuild> built = BuildAsAsked(
        *inputs, {gearNo},
        options.naive ? cad::BooleanEvaluation::OperationByOperation : cad::BooleanEvaluation::Fast,
        progress, err);
    if (!built) return 1;
    const GearBuild& build = built->gears.front();
    progress.EndIfStopped();
    progress.Step(GearCalled(gearNo) + "：测量实体");
    const cad::SolidMeasures solid = cad::MeasureSolid(*build.gear);
    // A gear with a step that failed is not the gear asked for: it is reported, not written.
    std::vector<std::string> shortcomings = Shortcomings(build, pair);
    if (!solid.is_one_valid_solid) shortcomings.push_back("结果不是一个有效的实体");
    if (!options.out.empty() && shortcomings.empty()) {
      progress.EndIfStopped();
      if (!WriteDrawing(*build.drawing, GearCalled(build.gearNo) + "：写文件 " + options.out,
                        options.out, progress, err)) {
        return 1;
      }
    }
    // A gear the inspection cannot make sense of is still reported, and written.
    std::optional<Inspected> inspected;
    std::optional<cad::CadError> not_inspected;
    if (options.inspect) {
      progress.EndIfStopped();
      progress.Step(GearCalled(gearNo) + "：检测齿轮");
      try {
        inspected = Inspect(pair, build);
      } catch (const cad::CadError& error) {
        not_inspected = error;
      }
    }
    line.Clear();
    if (options.json) {
      out << SummaryJson(build, built->seconds, solid, inspected).dump(2) << '\n';
    } else {
      PrintSummary(out, options, build, built->seconds, solid, inspected);
    }
    if (!shortcomings.empty()) {
      SayIncomplete(err, gearNo, options.out.empty() ? "" : "未写文件 " + options.out,
                    shortcomings);
      return 1;
    }
    if (not_inspected) {
      SayFailed(err, "无法检测" + GearCalled(gearNo) + "的齿形。", *not_inspected);
      return 1;
    }
  } catch (const cad::EvaluationStopped&) {
    line.Clear();
    SayStopped(err, progress.Caption(), options.out);
    return kInterruptedStatus;
  } catch (const cad::CadError& error) {
    line.Clear();
    SayFailed(err, "无法测量" + GearCalled(gearNo) + "的实体。", error);
    return 1;
  }
  return 0;
}

}  // namespace kelvo::cli

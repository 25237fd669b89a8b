#include "cli/pair_command.h"

#include <nlohmann/json.hpp>
#include <numbers>
#include <optional>
#include <ostream>
#include <string>

#include "cad/occt/occt_mesh_drawing.h"
#include "cli/build_options.h"
#include "cli/build_outcome.h"
#include "cli/build_progress.h"
#include "cli/gear_build.h"
#include "cli/interrupt.h"
#include "cli/pair_options.h"
#include "cli/text_table.h"
#include "geometry/decimal_text.h"
#include "modelling/headless/headless_gears.h"

namespace kelvo::cli {
namespace {

nlohmann::ordered_json MeasurementJson(const cad::MeshMeasurement& m) {
  nlohmann::ordered_json json;
  json["interferenceVolume"] = m.interference_volume;
  json["backlash"] = m.backlash;
  json["tipClearance1"] = m.tip_clearance1;
  json["tipClearance1Theory"] = m.tip_clearance1_theory;
  json["tipClearance2"] = m.tip_clearance2;
  json["tipClearance2Theory"] = m.tip_clearance2_theory;
  json["transmissionErrorPeakToPeak"] = m.transmission_error_peak_to_peak;
  nlohmann::ordered_json curve = nlohmann::ordered_json::array();
  for (const auto& [turn, error] : m.transmission_error)
    curve.push_back({turn, error});
  json["transmissionError"] = curve;
  json["seconds"] = m.seconds;
  json["valid"] = m.valid;
  return json;
}

void PrintMeasurement(std::ostream& out, const PairOptions& options, const cad::MeshDrawing& mesh,
                      double build_seconds) {
  const cad::MeshMeasurement& m = mesh.measurement;
  out << "齿轮副啮合，模型精细度 " << options.fineness << "\n";
  out << TableRow("大齿轮转入啮合的转角 (°)",
                  FixedText(mesh.large_turn * 180 / std::numbers::pi, 4));
  out << TableRow("干涉体积 (mm³)", FixedText(m.interference_volume, 6));
  out << TableRow("圆周侧隙 (mm)", FixedText(m.backlash, 6));
  out << TableRow("齿顶间隙，小齿轮齿顶至大齿轮齿根 (mm)", FixedText(m.tip_clearance1, 5),
                  "理论值 " + FixedText(m.tip_clearance1_theory, 5));
  out << TableRow("齿顶间隙，大齿轮齿顶至小齿轮齿根 (mm)", FixedText(m.tip_clearance2, 5),
                  "理论值 " + FixedText(m.tip_clearance2_theory, 5));
  out << TableRow("传动误差峰峰值 (µrad)", FixedText(m.transmission_error_peak_to_peak, 2));
  out << TableRow("端截面数", std::to_string(m.sections));
  out << TableRow("两个齿轮实体均有效", m.valid ? "是" : "否");
  out << TableRow("生成齿轮用时 (s)", FixedText(build_seconds, 3));
  out << TableRow("测量啮合用时 (s)", FixedText(m.seconds, 3));
  out << "\n小齿轮转过一个齿距的传动误差\n";
  out << TableRow("小齿轮转角 (rad)", "误差 (µrad)");
  for (const auto& [turn, error] : m.transmission_error)
    out << TableRow(FixedText(turn, 6), FixedText(error, 3));
}

}  // namespace

CLI::App* AddPairCommand(CLI::App& app, PairOptions& options) {
  CLI::App* pair = app.add_subcommand(
      "pair",
      "以滚齿仿真生成两个齿轮，装配到啮合位置，在实体上测量齿轮副：干涉、侧隙、齿顶间隙、传动误差");
  AddPairOptions(*pair, options.texts);
  AddBuildOptions(*pair, options.fineness, options.out,
                  "把啮合状态的齿轮副写入文件：.step/.stp（装配体）、.iges/.igs、.stl 或 .brep");
  pair->add_flag("--json", options.json, "以一个 JSON 对象输出测量结果");
  return pair;
}

int RunPair(const PairOptions& options, std::ostream& out, std::ostream& err, bool progress_line,
            const std::function<bool()>& stop_requested) {
  const std::optional<BuildInputs> inputs =
      ReadBuildInputs(options.texts, options.fineness, options.out, err);
  if (!inputs) return 1;
  const GearPairData& pair = inputs->pair;

  ProgressLine line(err, progress_line);
  BuildProgress progress(line, stop_requested);
  try {
    const std::optional<GearsBuild> built =
        BuildAsAsked(*inputs, {1, 2}, cad::BooleanEvaluation::Fast, progress, err);
    if (!built) return 1;
    for (const GearBuild& gear : built->gears) {
      const std::vector<std::string> shortcomings = Shortcomings(gear, pair);
      if (!shortcomings.empty()) {
        line.Clear();
        SayIncomplete(err, gear.gearNo, "未进行啮合装配", shortcomings);
        return 1;
      }
    }
    progress.EndIfStopped();
    progress.Step("啮合装配并测量齿轮副");
    std::optional<cad::MeshDrawing> mesh;
    try {
      mesh = cad::MakeMeshDrawing(*built->application);
    } catch (const cad::CadError& error) {
      line.Clear();
      SayFailed(err, "齿轮副的啮合测量失败。", error);
      return 1;
    }
    if (!options.out.empty()) {
      progress.EndIfStopped();
      if (!WriteDrawing(*mesh->drawing, "写文件 " + options.out, options.out, progress, err)) {
        return 1;
      }
    }
    line.Clear();
    if (options.json) {
      out << MeasurementJson(mesh->measurement).dump(2) << '\n';
    } else {
      PrintMeasurement(out, options, *mesh, built->seconds);
    }
    if (!mesh->measurement.valid) {
      err << "kelvo-cli: 有齿轮实体未通过检查。\n";
      return 1;
    }
  } catch (const cad::EvaluationStopped&) {
    line.Clear();
    SayStopped(err, progress.Caption(), options.out);
    return kInterruptedStatus;
  }
  return 0;
}

}  // namespace kelvo::cli

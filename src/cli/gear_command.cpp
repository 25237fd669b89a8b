#include "cli/gear_command.h"

#include <CLI/Validators.hpp>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/commands/text_rules.h"
#include "cad/occt/occt_export.h"
#include "cad/occt/occt_queries.h"
#include "cli/build_memory.h"
#include "cli/build_options.h"
#include "cli/gear_summary.h"
#include "cli/interrupt.h"
#include "cli/pair_options.h"
#include "cli/progress_line.h"
#include "hobbing/hob_gear.h"
#include "hobbing/hob_plan.h"
#include "modelling/headless/headless_gears.h"

namespace kelvo::cli {
namespace {

// What makes the built gear other than the gear asked for, one line each; none when every
// statement ran, every Boolean took effect and the result is one valid solid.
std::vector<std::string> Shortcomings(const GearBuild& build, std::int16_t z,
                                      const cad::SolidMeasures& solid) {
  std::vector<SkippedStatement> failed;
  for (const SkippedStatement& statement : build.skipped) {
    if (CostsTheGearNothing(statement, z)) continue;
    failed.push_back(statement);
  }
  constexpr std::size_t kListed = 5;
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < failed.size() && i < kListed; ++i)
    lines.push_back(failed[i].Statement() + " failed: " + failed[i].reason);
  if (failed.size() > kListed) {
    lines.push_back("and " + std::to_string(failed.size() - kListed) + " more steps failed");
  }
  if (build.failedBooleans > 0)
    lines.push_back(std::to_string(build.failedBooleans) + " Boolean operations failed");
  if (!solid.is_one_valid_solid) lines.push_back("the result is not one valid solid");
  return lines;
}

}  // namespace

CLI::App* AddGearCommand(CLI::App& app, GearOptions& options) {
  CLI::App* gear = app.add_subcommand(
      "gear",
      "Build one gear of the pair by the hobbing simulation, without a window, and print a "
      "summary of the solid");
  AddPairOptions(*gear, options.texts);
  gear->add_option("--gear", options.gear, "1 the small gear, 2 the large gear")
      ->check(CLI::IsMember({1, 2}))
      ->capture_default_str();
  AddBuildOptions(*gear, options.fineness, options.out,
                  "write the drawing to FILE: .step/.stp, .iges/.igs, .stl or .brep");
  gear->add_flag("--naive", options.naive,
                 "evaluate every Boolean at once, in the order asked (the slow reference)");
  gear->add_flag("--json", options.json, "print the summary as one JSON object");
  gear->add_flag("--inspect", options.inspect,
                 "measure the solid as a gear inspector would and print each figure beside "
                 "its theoretical value");
  return gear;
}

int RunGear(const GearOptions& options, std::ostream& out, std::ostream& err, bool progress_line,
            const std::function<bool()>& stop_requested) {
  const std::optional<BuildInputs> inputs =
      ReadBuildInputs(options.texts, options.fineness, options.out, err);
  if (!inputs) return 1;
  const GearPairData& pair = inputs->pair;
  const double fineness = inputs->fineness;
  const auto gearNo = static_cast<std::int16_t>(options.gear);
  if (!WorkFitsThisMachine(pair, gearNo, fineness, err)) return 1;

  ProgressLine line(err, progress_line, options.gear);
  // Ctrl-C ends the build after the CAD operation that is running, or inside a long Boolean.
  const auto end_if_stopped = [&] {
    if (stop_requested && stop_requested()) throw cad::EvaluationStopped("stopped");
  };
  GearBuildRequest request;
  request.pair = pair;
  request.gears = {gearNo};
  request.fineness = fineness;
  request.evaluation =
      options.naive ? cad::BooleanEvaluation::OperationByOperation : cad::BooleanEvaluation::Fast;
  request.progress = [&](const HobProgressReport& report) {
    // What is being done now: the next position, the next intersection, or what follows.
    if (report.positionsDone < report.positionCount) {
      line.Step("rolling cut, position " + std::to_string(report.positionsDone + 1) + " of " +
                std::to_string(report.positionCount));
    } else if (report.intersectionsDone < report.intersectionCount) {
      line.Step("intersection " + std::to_string(report.intersectionsDone + 1) + " of " +
                std::to_string(report.intersectionCount));
    } else {
      line.Step("finishing the gear");
    }
    end_if_stopped();
  };
  request.hooks.progress = [&](std::string_view what, double done) { line.Share(what, done); };
  if (stop_requested) request.hooks.stop_requested = stop_requested;

  const auto stopped = [&] {
    line.Clear();
    err << "kelvo-cli: stopped"
        << (options.out.empty() ? "" : "; " + options.out + " was not written") << '\n';
    return kInterruptedStatus;
  };
  try {
    const GearsBuild built = BuildGears(request);
    const GearBuild& build = built.gears.front();
    end_if_stopped();
    line.Step("measuring the solid");
    const cad::SolidMeasures solid = cad::MeasureSolid(*build.gear);
    // A gear with a step that failed is not the gear asked for: it is reported, not written.
    const std::vector<std::string> shortcomings =
        Shortcomings(build, GearToCut(pair, gearNo).z, solid);
    if (!options.out.empty() && shortcomings.empty()) {
      end_if_stopped();
      line.Step("writing " + options.out);
      // Writing a gear of hundreds of teeth takes longer than building it: Ctrl-C ends it too.
      cad::PrepareExport(*build.drawing, options.out)
          .Write({.progress = [&](double done) { line.Share("writing", done); },
                  .cancelled = [&] { return stop_requested && stop_requested(); }});
    }
    // A gear the inspection cannot make sense of is still reported, and written.
    std::optional<Inspected> inspected;
    std::string not_inspected;
    if (options.inspect) {
      end_if_stopped();
      line.Step("inspecting the gear");
      try {
        inspected = Inspect(pair, build);
      } catch (const cad::CadError& error) {
        not_inspected = error.what();
      }
    }
    line.Clear();
    if (options.json) {
      out << SummaryJson(build, built.seconds, solid, inspected).dump(2) << '\n';
    } else {
      PrintSummary(out, options, build, built.seconds, solid, inspected);
    }
    if (!shortcomings.empty()) {
      err << "kelvo-cli: gear " << options.gear << " came out incomplete"
          << (options.out.empty() ? "" : ", so " + options.out + " was not written") << ":\n";
      for (const std::string& shortcoming : shortcomings)
        err << "  " << shortcoming << '\n';
      return 1;
    }
    if (!not_inspected.empty()) {
      err << "kelvo-cli: the gear cannot be inspected: " << not_inspected << '\n';
      return 1;
    }
  } catch (const cad::EvaluationStopped&) {
    return stopped();
  } catch (const cad::ExportCancelled&) {
    return stopped();  // Ctrl-C while the file was written
  } catch (const cad::CadError& error) {
    line.Clear();
    err << "kelvo-cli: " << error.what() << '\n';
    return 1;
  }
  return 0;
}

}  // namespace kelvo::cli

// Times the hobbing simulation of whole gears, side by side in one run: the fast evaluation
// (prisms on their sections), the present fast evaluation in 3D (Fast3D) and the operation-by-
// operation reference; and checks that they give the same solid.
//
//   hob_bench                  every case on both fast evaluations (best of 3, taken in turn),
//                              the reference for the default small gear only (half a minute)
//   hob_bench --reference-all  the reference for every case too (about a quarter of an hour)
//   hob_bench --fast-only      no reference build at all
//   hob_bench --rounds N       N builds per case and fast evaluation instead of 3
//   hob_bench --only TEXT      only the cases whose name holds TEXT
//
// Not a Google Benchmark program: one reference build of the helical pair takes ten minutes,
// so every build runs a fixed number of times and the table is printed at the end. The time is
// BuildGears' own: from the first blank to the evaluated gears, as the generate command has them
// before the 3D window draws them.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "app/commands/calculate_steps.h"
#include "cad/occt/occt_queries.h"
#include "modelling/headless/headless_gears.h"

namespace {

using kelvo::cad::BooleanEvaluation;

struct Case {
  const char* name;
  kelvo::GearPairTexts texts;
  std::vector<std::int16_t> gears;
  double fineness;
  bool reference_by_default;  // the reference build is short enough for every run
};

struct Run {
  double seconds = 0;
  double cpu_seconds = 0;  // of all threads: less at the mercy of a busy machine
  std::vector<kelvo::cad::SolidMeasures> solids;  // one per gear
  bool valid = true;
  int failed = 0;
  kelvo::cad::EvaluationStats stats;  // summed over the gears
};

Run Build(const Case& c, BooleanEvaluation evaluation) {
  kelvo::GearBuildRequest request;
  request.pair = *kelvo::SolvePairFromTexts(c.texts);
  request.gears = c.gears;
  request.fineness = c.fineness;
  request.evaluation = evaluation;
  const std::clock_t cpu_start = std::clock();
  const kelvo::GearsBuild build = kelvo::BuildGears(request);
  Run run;
  run.cpu_seconds = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
  run.seconds = build.seconds;
  for (const kelvo::GearBuild& gear : build.gears) {
    const kelvo::cad::SolidMeasures measures = kelvo::cad::MeasureSolid(*gear.gear);
    run.solids.push_back(measures);
    run.valid = run.valid && measures.is_one_valid_solid;
    run.failed += gear.failedBooleans;
    const kelvo::cad::EvaluationStats stats = gear.drawing->Evaluation();
    run.stats.prism_booleans += stats.prism_booleans;
    run.stats.prism_replications += stats.prism_replications;
    run.stats.prism_fallbacks += stats.prism_fallbacks;
    run.stats.one_cut_evaluations += stats.one_cut_evaluations;
    run.stats.fallbacks += stats.fallbacks;
  }
  return run;
}

// The largest difference in volume, area or centre of mass (relative to the gear's radius of
// gyration's scale, the box) between the gears of two runs.
double LargestRelativeDifference(const Run& a, const Run& b) {
  double largest = 0;
  for (std::size_t i = 0; i < a.solids.size() && i < b.solids.size(); ++i) {
    const kelvo::cad::SolidMeasures& x = a.solids[i];
    const kelvo::cad::SolidMeasures& y = b.solids[i];
    const double size = std::max(y.box.max.x - y.box.min.x, y.box.max.z - y.box.min.z);
    largest = std::max({largest, std::abs(x.volume - y.volume) / y.volume,
                        std::abs(x.surface_area - y.surface_area) / y.surface_area,
                        std::abs(x.centre_of_mass.x - y.centre_of_mass.x) / size,
                        std::abs(x.centre_of_mass.y - y.centre_of_mass.y) / size,
                        std::abs(x.centre_of_mass.z - y.centre_of_mass.z) / size});
  }
  return largest;
}

void Keep(std::optional<Run>& best, Run run) {
  if (!best || run.seconds < best->seconds) best = std::move(run);
}

}  // namespace

int main(int argc, char** argv) {
  bool reference_all = false;
  bool fast_only = false;
  int rounds = 3;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--reference-all") == 0) {
      reference_all = true;
    } else if (std::strcmp(argv[i], "--fast-only") == 0) {
      fast_only = true;
    } else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      only = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: hob_bench [--reference-all | --fast-only] [--rounds N] [--only TEXT]\n");
      return 2;
    }
  }
  kelvo::GearPairTexts helical;
  helical.a_true = "100";
  helical.z1 = "23";
  helical.z2 = "73";
  helical.b = "30";
  helical.beta = "15";
  helical.x1 = "0.3";
  kelvo::GearPairTexts wheel320;
  wheel320.a_true = "340";
  wheel320.z2 = "320";
  const Case all_cases[] = {
      {"default small gear (m 2, z 20), fineness 4", {}, {1}, 4, true},
      {"default large gear (m 2, z 40), fineness 4", {}, {2}, 4, false},
      {"spur wheel (m 2, z 320), fineness 4", wheel320, {2}, 4, false},
      {"helical pair (z 23/73, 15 deg), both gears, fineness 4", helical, {1, 2}, 4, false},
      {"default small gear, fineness 12", {}, {1}, 12, false},
  };

  std::vector<Case> cases;
  for (const Case& c : all_cases) {
    if (std::string(c.name).find(only) != std::string::npos) cases.push_back(c);
  }

  // Both fast evaluations first, taken in turn so that both see the same machine; then the
  // reference builds, which take minutes.
  std::vector<Run> prism;
  std::vector<Run> present;
  for (const Case& c : cases) {
    std::optional<Run> best_prism;
    std::optional<Run> best_present;
    for (int i = 0; i < rounds; ++i) {
      Keep(best_prism, Build(c, BooleanEvaluation::Fast));
      Keep(best_present, Build(c, BooleanEvaluation::Fast3D));
    }
    prism.push_back(*best_prism);
    present.push_back(*best_present);
    std::fprintf(stderr, "%s: prism %.3f s, present fast %.3f s\n", c.name, best_prism->seconds,
                 best_present->seconds);
  }
  std::vector<std::optional<Run>> reference;
  for (const Case& c : cases) {
    const bool wanted = !fast_only && (reference_all || c.reference_by_default);
    reference.push_back(wanted
                            ? std::optional<Run>(Build(c, BooleanEvaluation::OperationByOperation))
                            : std::nullopt);
    if (reference.back()) {
      std::fprintf(stderr, "%s: reference %.3f s\n", c.name, reference.back()->seconds);
    }
  }

  std::printf("%-56s %8s %8s %7s %9s %8s %9s %9s %9s %6s %6s %s\n", "case", "prism s", "fast3D s",
              "ratio", "ref s", "ratio", "cpu ratio", "max diff", "prism cpu", "valid", "failed",
              "section Booleans/replications/fallbacks");
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Run& p = prism[i];
    const Run& f = present[i];
    double difference = LargestRelativeDifference(p, f);
    bool valid = p.valid && f.valid;
    int failed = p.failed + f.failed;
    char ref_seconds[32] = "-";
    char ref_ratio[32] = "-";
    if (reference[i]) {
      const Run& r = *reference[i];
      std::snprintf(ref_seconds, sizeof ref_seconds, "%.3f", r.seconds);
      std::snprintf(ref_ratio, sizeof ref_ratio, "%.1fx", r.seconds / p.seconds);
      difference = std::max(difference, LargestRelativeDifference(p, r));
      valid = valid && r.valid;
      failed += r.failed;
    }
    std::printf("%-56s %8.3f %8.3f %6.1fx %9s %8s %8.1fx %9.1e %9.3f %6s %6d %d/%d/%d\n",
                cases[i].name, p.seconds, f.seconds, f.seconds / p.seconds, ref_seconds, ref_ratio,
                f.cpu_seconds / p.cpu_seconds, difference, p.cpu_seconds, valid ? "yes" : "NO",
                failed, p.stats.prism_booleans, p.stats.prism_replications,
                p.stats.prism_fallbacks);
  }
  return 0;
}

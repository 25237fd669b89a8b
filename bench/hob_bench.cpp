// Times the hobbing simulation of whole gears, fast evaluation against the operation-by-
// operation reference, side by side in one run, and checks they give the same solid.
//
//   hob_bench               every case, fast (best of 3) and the reference (once: minutes)
//   hob_bench --fast-only   the fast evaluation only
//
// Not a Google Benchmark program: one reference build of the helical pair takes ten minutes,
// so every build runs a fixed number of times and the table is printed at the end.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
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
};

struct Run {
  double seconds = 0;
  std::vector<double> volumes;  // one per gear
  bool valid = true;
  int failed = 0;
};

Run Build(const Case& c, BooleanEvaluation evaluation) {
  kelvo::GearBuildRequest request;
  request.pair = *kelvo::SolvePairFromTexts(c.texts);
  request.gears = c.gears;
  request.fineness = c.fineness;
  request.evaluation = evaluation;
  const kelvo::GearsBuild build = kelvo::BuildGears(request);
  Run run;
  run.seconds = build.seconds;
  for (const kelvo::GearBuild& gear : build.gears) {
    const kelvo::cad::SolidMeasures measures = kelvo::cad::MeasureSolid(*gear.gear);
    run.volumes.push_back(measures.volume);
    run.valid = run.valid && measures.is_one_valid_solid;
    run.failed += gear.failedBooleans;
  }
  return run;
}

double LargestRelativeDifference(const Run& a, const Run& b) {
  double largest = 0;
  for (std::size_t i = 0; i < a.volumes.size() && i < b.volumes.size(); ++i)
    largest = std::max(largest, std::abs(a.volumes[i] - b.volumes[i]) / b.volumes[i]);
  return largest;
}

}  // namespace

int main(int argc, char** argv) {
  const bool fast_only = argc > 1 && std::strcmp(argv[1], "--fast-only") == 0;
  kelvo::GearPairTexts helical;
  helical.a_true = "100";
  helical.z1 = "23";
  helical.z2 = "73";
  helical.b = "30";
  helical.beta = "15";
  helical.x1 = "0.3";
  const Case cases[] = {
      {"default small gear (m 2, z 20), fineness 4", {}, {1}, 4},
      {"default large gear (m 2, z 40), fineness 4", {}, {2}, 4},
      {"helical pair (z 23/73, 15 deg), both gears, fineness 4", helical, {1, 2}, 4},
      {"default small gear, fineness 12", {}, {1}, 12},
  };

  // All fast builds first, then the reference ones, which take minutes.
  std::vector<Run> fast;
  for (const Case& c : cases) {
    std::optional<Run> best;
    for (int i = 0; i < 3; ++i) {
      const Run run = Build(c, BooleanEvaluation::Fast);
      if (!best || run.seconds < best->seconds) best = run;
    }
    fast.push_back(*best);
    std::fprintf(stderr, "fast: %s %.3f s\n", c.name, best->seconds);
  }
  std::vector<std::optional<Run>> naive;
  for (const Case& c : cases) {
    naive.push_back(fast_only
                        ? std::nullopt
                        : std::optional<Run>(Build(c, BooleanEvaluation::OperationByOperation)));
    if (naive.back()) std::fprintf(stderr, "naive: %s %.3f s\n", c.name, naive.back()->seconds);
  }

  std::printf("%-56s %9s %9s %8s %11s %6s %6s\n", "case", "fast s", "naive s", "ratio",
              "volume diff", "valid", "failed");
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Run& f = fast[i];
    if (!naive[i]) {
      std::printf("%-56s %9.3f %9s %8s %11s %6s %6d\n", cases[i].name, f.seconds, "-", "-", "-",
                  f.valid ? "yes" : "NO", f.failed);
      continue;
    }
    const Run& n = *naive[i];
    std::printf("%-56s %9.3f %9.3f %7.1fx %11.1e %6s %6d\n", cases[i].name, f.seconds, n.seconds,
                n.seconds / f.seconds, LargestRelativeDifference(f, n),
                f.valid && n.valid ? "yes" : "NO", f.failed + n.failed);
  }
  return 0;
}

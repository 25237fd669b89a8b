// Times the measurement of a pair in mesh (MESH in the 3D window, kelvo-cli pair): both gears
// built as the generate command builds them, the large gear placed into mesh, and the pair
// measured on its solids (interference, backlash, tip clearances, transmission error at 16
// positions). The builds are timed apart from the measurement.
//
//   mesh_bench              the default pair and the helical pair, fineness 4, best of 3
//   mesh_bench --once       one run of each

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "app/commands/calculate_steps.h"
#include "cad/occt/occt_mesh_drawing.h"
#include "modelling/headless/headless_gears.h"

namespace {

struct Case {
  const char* name;
  kelvo::GearPairTexts texts;
};

struct Run {
  double build_seconds = 0;
  double measure_seconds = 0;
  double measure_cpu_seconds = 0;
  kelvo::cad::MeshMeasurement measurement;
};

Run Measure(const Case& c) {
  kelvo::GearBuildRequest request;
  request.pair = *kelvo::SolvePairFromTexts(c.texts);
  request.gears = {1, 2};
  request.fineness = 4;
  const kelvo::GearsBuild build = kelvo::BuildGears(request);
  Run run;
  run.build_seconds = build.seconds;
  const std::clock_t cpu = std::clock();
  run.measurement = kelvo::cad::MakeMeshDrawing(*build.application).measurement;
  run.measure_cpu_seconds = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
  run.measure_seconds = run.measurement.seconds;
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  const bool once = argc > 1 && std::strcmp(argv[1], "--once") == 0;
  const std::vector<Case> cases = {
      {"default pair z20/z40 m2 b20", {}},
      {"helical pair z23/z73 m2 b30 beta15 x0.3",
       {.a_true = "100", .m = "2", .z1 = "23", .z2 = "73", .b = "30", .beta = "15", .x1 = "0.3"}},
  };
  std::printf("%-42s %10s %12s %12s %12s %12s %10s\n", "pair (fineness 4)", "build s", "measure s",
              "measure cpu", "interf mm3", "backlash mm", "TE urad");
  for (const Case& c : cases) {
    Run best;
    for (int i = 0; i < (once ? 1 : 3); ++i) {
      const Run run = Measure(c);
      if (i == 0 || run.measure_seconds < best.measure_seconds) best = run;
    }
    const kelvo::cad::MeshMeasurement& m = best.measurement;
    std::printf("%-42s %10.2f %12.2f %12.2f %12.5f %12.5f %10.1f\n", c.name, best.build_seconds,
                best.measure_seconds, best.measure_cpu_seconds, m.interference_volume, m.backlash,
                m.transmission_error_peak_to_peak);
  }
  return 0;
}

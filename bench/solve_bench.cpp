#include <benchmark/benchmark.h>

#include "app/commands/calculate_steps.h"
#include "geometry/gear_constants.h"
#include "geometry/solve_gear_pair.h"

namespace {

void SolveHelicalPair(benchmark::State& state) {
  const double beta = kelvo::DegreesToRadians(15);
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvo::SolveGearPair(100, 2, 23, 73, 30, beta, 0.3));
  }
}
BENCHMARK(SolveHelicalPair);

// The whole calculate path: seven texts read, the pair solved, seven result texts written.
void CalculateFromTexts(benchmark::State& state) {
  const kelvo::GearPairTexts texts{"100", "2", "23", "73", "30", "15", "0.3"};
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvo::ResultTexts(*kelvo::SolvePairFromTexts(texts)));
  }
}
BENCHMARK(CalculateFromTexts);

}  // namespace

#include "app/commands/calculate_steps.h"

#include <cmath>

#include "app/commands/text_rules.h"
#include "geometry/gear_constants.h"
#include "geometry/solve_gear_pair.h"

namespace kelvo {
namespace {

// The solver computes whatever the arithmetic allows: a module of -2 gives diameters of -40 and
// -80, a tooth count of -23 a shift sum of 49.764, all looking like a pair. No gear has a module
// at or below 0, fewer than one tooth or a negative face width. A helix angle of either sign
// (the hand) and a negative shift have meanings, and so has a face width of 0 (a pair on paper).
bool CanBeAGearPair(double m, std::int16_t z1, std::int16_t z2, double b) {
  return m > 0 && z1 >= 1 && z2 >= 1 && b >= 0;
}

}  // namespace

std::optional<GearPairData> SolvePairFromTexts(const GearPairTexts& texts) {
  const std::optional<double> x1 = TextToDouble(texts.x1);
  if (!x1) return std::nullopt;
  const std::optional<double> beta_degrees = TextToDouble(texts.beta);
  if (!beta_degrees) return std::nullopt;
  const double beta = DegreesToRadians(*beta_degrees);
  if (!std::isfinite(beta)) return std::nullopt;
  const std::optional<double> b = TextToDouble(texts.b);
  if (!b) return std::nullopt;
  const std::optional<std::int16_t> z2 = TextToInt16(texts.z2);
  if (!z2) return std::nullopt;
  const std::optional<std::int16_t> z1 = TextToInt16(texts.z1);
  if (!z1) return std::nullopt;
  const std::optional<double> m = TextToDouble(texts.m);
  if (!m) return std::nullopt;
  const std::optional<double> a_true = TextToDouble(texts.a_true);
  if (!a_true) return std::nullopt;
  if (!CanBeAGearPair(*m, *z1, *z2, *b)) return std::nullopt;
  return SolveGearPair(*a_true, *m, *z1, *z2, *b, beta, *x1).pair;
}

std::array<std::string, 7> ResultTexts(const GearPairData& pair) {
  std::array<std::string, 7> texts;
  for (std::size_t i = 0; i < kResultFields.size(); ++i) {
    const ResultFieldFormat& field = kResultFields[i];
    texts[i] = NumberToResultText(pair.*field.member, field.decimals);
  }
  return texts;
}

}  // namespace kelvo

#include "geometry/solve_gear_pair.h"

#include <cmath>
#include <initializer_list>

#include "geometry/gear_constants.h"
#include "geometry/involute.h"
#include "geometry/rounding.h"

namespace kelvo {
namespace {

// Follows the derivation step by step and remembers the first step that failed. Once a step
// has failed, the values computed after it are never used: the solve returns the failure.
class StepTracker {
 public:
  void Begin(int step) { step_ = step; }

  // Closes a step: a value that is not finite means an invalid operation or an overflow.
  void End(std::initializer_list<double> values) {
    for (const double value : values) {
      if (std::isnan(value)) Fail("invalid operation");
      if (std::isinf(value)) Fail("overflow");
    }
  }

  double Div(double numerator, double denominator) {
    if (denominator == 0) Fail("division by zero");
    return numerator / denominator;
  }

  double Sqrt(double x) {
    if (x < 0) Fail("square root of a negative number");
    return std::sqrt(x);
  }

  double Arccos(double x) {
    const std::optional<double> angle = arccos(x);
    if (angle) return *angle;
    Fail(std::abs(x) == 1 ? "division by zero" : "square root of a negative number");
    return 0;
  }

  // z1 + z2 is formed as a 16-bit integer wherever the derivation uses it.
  std::int16_t ToothSum(std::int16_t z1, std::int16_t z2) { return Int16(z1 + z2); }

  std::int16_t Int16(double x) {
    const std::optional<std::int16_t> value = RoundToInt16(x);
    if (value) return *value;
    Fail("16-bit integer out of range");
    return 0;
  }

  void Fail(std::string_view reason) {
    if (failure_.step == 0) failure_ = {step_, reason};
  }

  bool failed() const { return failure_.step != 0; }
  SolveFailure failure() const { return failure_; }

 private:
  int step_ = 0;
  SolveFailure failure_;
};

// Number of teeth spanned for the base tangent length of one gear with normal shift x and
// equivalent number of teeth z_span; the unrounded count goes to *t.
std::int16_t SpanCount(StepTracker& s, double x, double z_span, double* t) {
  const double an = kNormalPressureAngle;
  const double q = 1 + s.Div(2 * x, z_span);
  const double radicand = q * q - std::cos(an) * std::cos(an);
  *t = ((1 / std::cos(an)) * s.Sqrt(radicand) - s.Div(2 * x * std::tan(an), z_span) - inv(an)) *
           (z_span / kPi) +
       0.5;
  s.End({*t});
  return s.Int16(*t);
}

double BaseTangentLength(std::int16_t k, double z_span, double x, double m) {
  const double an = kNormalPressureAngle;
  return (std::cos(an) * ((k - 0.5) * kPi + inv(an) * z_span) + 2 * x * std::sin(an)) * m;
}

struct Chordal {
  double height;
  double thickness;
};

// Chordal height over the tip and chordal thickness in the normal section, taken on the
// virtual spur gear of zv teeth.
Chordal ChordalDimensions(StepTracker& s, double zv, double x, double m, double ha) {
  const double psi = s.Div(kPi, 2 * zv) + s.Div(2 * x * std::tan(kNormalPressureAngle), zv);
  return {(zv * m / 2) * (1 - std::cos(psi)) + ha, zv * m * std::sin(psi)};
}

}  // namespace

SolveResult SolveGearPair(double a_true, double m, std::int16_t z1, std::int16_t z2, double b,
                          double beta, double x1, SolveIntermediates* intermediates) {
  StepTracker s;
  GearPairData r{};
  r.a_true = a_true;
  r.m = m;
  r.z1 = z1;
  r.z2 = z2;
  r.b = b;
  r.beta = beta;
  r.x1 = x1;
  SolveIntermediates i;

  s.Begin(1);
  r.u = s.Div(z2, z1);
  s.End({r.u});

  s.Begin(2);
  r.d1 = s.Div(z1 * m, std::cos(beta));
  r.d2 = s.Div(z2 * m, std::cos(beta));
  s.End({r.d1, r.d2});

  s.Begin(3);
  r.a = s.Div(s.ToothSum(z1, z2) * m, 2 * std::cos(beta));
  s.End({r.a});

  s.Begin(4);
  i.y = s.Div(a_true - r.a, m);
  s.End({i.y});

  s.Begin(5);
  const double an = kNormalPressureAngle;

  s.Begin(6);
  r.alpha_t = std::atan(s.Div(std::tan(an), std::cos(beta)));
  s.End({r.alpha_t});

  s.Begin(7);
  r.alpha_wt = s.Arccos(s.Div(r.a, a_true) * std::cos(r.alpha_t));
  s.End({r.alpha_wt});

  s.Begin(8);
  r.x_sum = s.Div((inv(r.alpha_wt) - inv(r.alpha_t)) * s.ToothSum(z1, z2), 2 * std::tan(an));
  s.End({r.x_sum});

  s.Begin(9);
  r.x2 = r.x_sum - x1;
  s.End({r.x2});

  s.Begin(10);
  i.delta_y = r.x2 + x1 - i.y;
  s.End({i.delta_y});

  s.Begin(11);
  r.ha1 = (x1 + kAddendumCoefficient - i.delta_y) * m;
  r.ha2 = (r.x2 + kAddendumCoefficient - i.delta_y) * m;
  s.End({r.ha1, r.ha2});

  s.Begin(12);
  r.hf1 = (kDedendumCoefficient - x1) * m;
  r.hf2 = (kDedendumCoefficient - r.x2) * m;
  s.End({r.hf1, r.hf2});

  s.Begin(13);
  r.h1 = r.hf1 + r.ha1;
  r.h2 = r.hf2 + r.ha2;
  s.End({r.h1, r.h2});

  s.Begin(14);
  r.da1 = 2 * r.ha1 + r.d1;
  r.da2 = 2 * r.ha2 + r.d2;
  s.End({r.da1, r.da2});
  // A pair whose numbers of teeth cancel (a negative count) has no reference centre distance
  // to mesh at; the derivation stops here as it always has, as a division by zero.
  if (s.ToothSum(z1, z2) == 0) s.Fail("division by zero");

  s.Begin(15);
  i.db1 = std::cos(r.alpha_t) * r.d1;
  i.db2 = std::cos(r.alpha_t) * r.d2;
  s.End({i.db1, i.db2});

  s.Begin(16);
  const double alpha_a1 = s.Arccos(s.Div(i.db1, r.da1));
  const double alpha_a2 = s.Arccos(s.Div(i.db2, r.da2));
  s.End({alpha_a1, alpha_a2});

  s.Begin(17);
  r.eps_alpha = (z2 * (std::tan(alpha_a2) - std::tan(r.alpha_wt)) +
                 z1 * (std::tan(alpha_a1) - std::tan(r.alpha_wt))) *
                (1 / (2 * kPi));
  s.End({r.eps_alpha});

  s.Begin(18);
  r.eps_beta = s.Div(std::sin(beta) * b, m * kPi);
  s.End({r.eps_beta});

  s.Begin(19);
  r.eps_gamma = r.eps_alpha + r.eps_beta;
  s.End({r.eps_gamma});

  s.Begin(20);
  const double cos_beta = std::cos(beta);
  r.zv1 = s.Div(z1, cos_beta * cos_beta * cos_beta);
  r.zv2 = s.Div(z2, cos_beta * cos_beta * cos_beta);
  s.End({r.zv1, r.zv2});

  s.Begin(21);
  i.z_span1 = s.Div(z1 * inv(r.alpha_t), inv(an));
  i.z_span2 = s.Div(z2 * inv(r.alpha_t), inv(an));
  s.End({i.z_span1, i.z_span2});

  s.Begin(22);
  r.k1 = SpanCount(s, x1, i.z_span1, &i.t1);
  r.k2 = SpanCount(s, r.x2, i.z_span2, &i.t2);

  s.Begin(23);
  r.W1 = BaseTangentLength(r.k1, i.z_span1, x1, m);
  r.W2 = BaseTangentLength(r.k2, i.z_span2, r.x2, m);
  s.End({r.W1, r.W2});

  s.Begin(24);
  const Chordal small = ChordalDimensions(s, r.zv1, x1, m, r.ha1);
  r.hc1 = small.height;
  r.sc1 = small.thickness;
  s.End({r.hc1, r.sc1});

  s.Begin(25);
  const Chordal large = ChordalDimensions(s, r.zv2, r.x2, m, r.ha2);
  r.hc2 = large.height;
  r.sc2 = large.thickness;
  s.End({r.hc2, r.sc2});

  if (intermediates) *intermediates = i;
  if (s.failed()) return {std::nullopt, s.failure()};
  return {r, {}};
}

}  // namespace kelvo

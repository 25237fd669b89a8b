// The profile the envelope gives, held against the swept cutter itself: a spur gear's tooth
// space is what the straight flank and the tip arc of the rack sweep through as the gear rolls.

#include "geometry/generated_tooth_space.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "geometry/gear_constants.h"
#include "geometry/involute.h"
#include "geometry/pair_gear.h"
#include "solved_pairs.h"

namespace kelvo {
namespace {

// The cutter of a spur gear, straight from its definition: C ends the flank 1 m below the datum,
// D is the centre of the tip arc of 0.38 m tangent to the flank there.
struct SweptCutter {
  GearPairData pair;
  std::int16_t gearNo;

  double Radius() const { return GearOf(pair, gearNo).d / 2; }
  double Shift() const { return GearOf(pair, gearNo).x * pair.m; }
  double TipRadius() const { return 0.38 * pair.m; }

  // Where the tip arc's centre stands in the gear's frame (space centred on +x) when the rack has
  // moved by s and the gear turned clockwise by s / r.
  Point2 TipArcCentre(double s) const {
    const double m = pair.m, alpha = kNormalPressureAngle;
    const Point2 c{-kPi * m / 4 + m * std::tan(alpha), -m};
    const Point2 d = c + TipRadius() * Point2{std::cos(alpha), std::sin(alpha)};
    const Point2 in_gear = Rotated({d.x + s, d.y + Radius() + Shift()}, s / Radius());
    return {in_gear.y, -in_gear.x};
  }

  // Least distance from p to the tip arc's centre over the whole travel.
  double DistanceToTipArcPath(Point2 p) const {
    const auto distance = [&](double s) { return Length(p - TipArcCentre(s)); };
    const double step = 1e-3 * pair.m, reach = 4 * pair.m;
    double best = -reach;
    for (double s = -reach; s <= reach; s += step)
      if (distance(s) < distance(best)) best = s;
    double low = best - step, high = best + step;
    for (int i = 0; i < 100; ++i) {  // golden section on the bracket
      const double a = high - 0.618034 * (high - low), b = low + 0.618034 * (high - low);
      (distance(a) < distance(b) ? high : low) = distance(a) < distance(b) ? b : a;
    }
    return distance((low + high) / 2);
  }

  // The involute the straight flank sweeps (the tables' tooth thickness) and the lowest radius it
  // sweeps: from the base circle if the flank reaches past the interference point, else from
  // where the flank's end generates.
  double InvoluteAngle(double radius) const {
    const double z = GearOf(pair, gearNo).teeth, x = GearOf(pair, gearNo).x;
    const double alpha_r = std::acos(BaseRadius() / radius);
    return (kPi / 2 - 2 * x * std::tan(kNormalPressureAngle)) / z - inv(pair.alpha_t) +
           inv(alpha_r);
  }
  double BaseRadius() const { return Radius() * std::cos(pair.alpha_t); }
  double LowestSweptInvolute() const {
    const double s = std::sin(pair.alpha_t);
    const double along = Radius() * s - (pair.m - Shift()) / s;
    return along < 0 ? BaseRadius() : std::hypot(BaseRadius(), along);
  }
};

std::vector<Point2> Samples(const std::function<Point2(double)>& curve, double from, double to) {
  std::vector<Point2> points;
  for (int i = 0; i <= 60; ++i)
    points.push_back(curve(from + (to - from) * i / 60));
  return points;
}

TEST(GeneratedToothSpace, IsWhatTheFlankAndTheTipArcOfTheCutterLeave) {
  struct Case {
    const char* name;
    PairInputs inputs;
    std::int16_t gearNo;
    bool undercut;
  };
  const Case cases[] = {
      {.name = "default small gear", .inputs = kDefaultPair, .gearNo = 1, .undercut = false},
      {.name = "default large gear", .inputs = kDefaultPair, .gearNo = 2, .undercut = false},
      {.name = "shifted 12 teeth, x 0.6", .inputs = kShiftedPair, .gearNo = 1, .undercut = false},
      {.name = "8 teeth, undercut", .inputs = kEightToothPinionPair, .gearNo = 1, .undercut = true},
      {.name = "12 teeth at x -0.3, undercut",
       .inputs = {.a_true = 42, .z1 = 12, .z2 = 30, .b = 16, .x1 = -0.3},
       .gearNo = 1,
       .undercut = true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SweptCutter cutter{SolvedPair(c.inputs), c.gearNo};
    const GeneratedToothSpace space(cutter.pair, c.gearNo);
    EXPECT_EQ(space.Undercut(), c.undercut);
    const double tolerance = 1e-6, rho = cutter.TipRadius();
    const auto fillet = Samples([&](double phi) { return space.Fillet(phi); },
                                TransverseRack::kTipArcLowest, space.FilletEnd());
    const auto flank =
        Samples([&](double y) { return space.Flank(y); }, space.FlankStart(), space.FlankEnd());
    const auto root = Samples([&](double u) { return space.RootLand(u); }, 0, 1);
    for (const auto* points : {&root, &fillet, &flank}) {
      for (const Point2& p : *points) {
        // Nothing drawn lies where the tip arc or the straight flank passed.
        EXPECT_GE(cutter.DistanceToTipArcPath(p), rho - tolerance) << p.x << " " << p.y;
        if (Length(p) >= cutter.LowestSweptInvolute()) {
          EXPECT_GE((Angle(p) - cutter.InvoluteAngle(Length(p))) * Length(p), -tolerance)
              << p.x << " " << p.y;
        }
      }
    }
    // and the fillet is where the tip arc passed closest.
    for (const Point2& p : fillet)
      EXPECT_NEAR(cutter.DistanceToTipArcPath(p), rho, tolerance);
  }
}

}  // namespace
}  // namespace kelvo

// MakeRackCutter and HobGear against the recording CAD application: the calls in order, where
// the cutter goes, and what a failing call or a stop leaves behind; then the plan's arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <new>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "geometry/gear_constants.h"
#include "geometry/solve_gear_pair.h"
#include "hobbing/checked_arithmetic.h"
#include "hobbing/hob_gear.h"
#include "hobbing/hob_plan.h"
#include "hobbing/rack_cutter.h"
#include "hobbing/recording_cad.h"
#include "hobbing/skip_on_failure.h"

namespace kelvo {
namespace {

using cad::Point;
using test_support::CadCall;
using test_support::CadOp;

constexpr double kSubtraction = 2, kIntersection = 1;

// A pair meshing at its reference centre distance: m, z1, z2, b, beta in degrees, x1.
struct StandardPair {
  double m;
  std::int16_t z1, z2;
  double b, beta_degrees, x1;
};
const StandardPair kSpur{2, 20, 40, 20, 0, 0};

std::tuple<double, double, double> Xyz(const Point& p) {
  return {p.x, p.y, p.z};
}
// What a Move shifts by, or the axis of a Rotate3D: the second point less the first.
Point Shift(const CadCall& call) {
  const Point &a = call.points.at(0), &b = call.points.at(1);
  return {b.x - a.x, b.y - a.y, b.z - a.z};
}
std::string Times(int n, const std::string& calls) {
  return n > 0 ? calls + Times(n - 1, calls) : "";
}

class HobbingTest : public ::testing::Test {
 protected:
  // A fresh recording application with one drawing, the pair solved, and the blank of gear
  // gearNo: a cylinder of the tip diameter spanning the face width about z = 0. Returns the
  // blank's entity id; gearBlank is what HobGear is given.
  int MakeBlank(const StandardPair& p, std::int16_t gearNo) {
    cad = test_support::RecordingCad();
    const double beta = DegreesToRadians(p.beta_degrees);
    const double a = (p.z1 + p.z2) * p.m / (2 * std::cos(beta));
    const SolveResult solved = SolveGearPair(a, p.m, p.z1, p.z2, p.b, beta, p.x1);
    EXPECT_TRUE(solved) << "step " << solved.failure.step;
    gearBlank.gearPair = solved.pair.value_or(GearPairData{});
    gearBlank.gearNo = gearNo;
    gearBlank.cadDoc = cad.application()->Documents().Add();
    const GearPairData& pair = gearBlank.gearPair;
    const double da = gearNo == 1 ? pair.da1 : pair.da2;
    gearBlank.blankSolid = gearBlank.cadDoc->ModelSpace()->AddCylinder({}, da / 2, pair.b);
    return cad.calls().back().results.at(0);
  }

  // Calls of op made on the entity id; for Booleans, only those of the given operation.
  std::vector<CadCall> CallsOn(int id, CadOp op, double operation = 0) const {
    std::vector<CadCall> found;
    for (const CadCall& call : cad.calls())
      if (call.op == op && call.target == id && (operation == 0 || call.numbers[0] == operation))
        found.push_back(call);
    return found;
  }
  int Applied(int blank, double operation) const {
    int applied = 0;
    for (const CadCall& call : CallsOn(blank, CadOp::Boolean, operation))
      applied += !call.failed;
    return applied;
  }
  int Cutter() const {
    for (const CadCall& call : cad.calls())
      if (call.op == CadOp::AddExtrudedSolid) return call.failed ? -1 : call.results[0];
    return -1;
  }

  // The calls that change the drawing, in order, each with what it was made on: (b) the blank,
  // (c) the cutter, (+) anything else. Queries are left out: C++ leaves open the order in which
  // one call's arguments, and so their StartPoint and EndPoint, are evaluated.
  std::string Changes(int blank) const {
    const int cutter = Cutter();
    std::string out;
    for (const CadCall& call : cad.calls()) {
      if (std::set{CadOp::ModelSpace, CadOp::StartPoint, CadOp::EndPoint}.count(call.op)) continue;
      out += call.op != CadOp::Boolean         ? test_support::OpName(call.op)
             : call.numbers[0] == kSubtraction ? "Subtract"
                                               : "Intersect";
      if (call.target) out += call.target == blank ? "(b)" : call.target == cutter ? "(c)" : "(+)";
      out += " ";
    }
    return out;
  }

  test_support::RecordingCad cad;
  GearBlank gearBlank;
};

// The gear-table figures of the two worked examples, to the digits they are given.
TEST_F(HobbingTest, WorkedExamplesCutOneSpaceByRollingAndReplicateItByPitches) {
  struct Example {
    std::string name;
    StandardPair pair;
    double datumY, tilt, halfTravel, rollStep, rollAngle;
    int positions, intersections;
  };
  // clang-format off
  const Example examples[] = {
      {"spur m2 z20", kSpur, 20, 0, 13.99316, 1.5707963, 0.078539815, 18, 19},
      {"helical m3 z17 x0.2 beta15", {3, 17, 40, 30, 15, 0.2}, 26.99954, -0.2617994, 24.00419,
       2.439312, 0.0923998, 20, 16}};
  // clang-format on
  for (const Example& ex : examples) {
    SCOPED_TRACE(ex.name);
    const int blank = MakeBlank(ex.pair, 1);
    std::vector<std::tuple<int, int, int, int>> reports;
    EXPECT_TRUE(HobGear(gearBlank, 4, [&](const HobProgressReport& r) {
                  reports.emplace_back(r.positionsDone, r.positionCount, r.intersectionsDone,
                                       r.intersectionCount);
                }).empty());

    // Cutter made, placed, its curves and region deleted; per position: advance, copy, turn the
    // blank, subtract; then the array, each copy intersected, the cutter deleted.
    ASSERT_EQ(Changes(blank),
              "AddDocument AddCylinder AddArc AddArc AddLine AddLine AddLine AddLine AddRegion "
              "AddExtrudedSolid Move(c) Move(c) Rotate3D(c) Move(c) " +
                  Times(7, "Delete(+) ") +
                  Times(ex.positions, "Move(c) Copy(c) Rotate3D(b) Subtract(b) ") +
                  "ArrayPolar(b) " + Times(ex.intersections, "Intersect(b) ") + "Delete(c) ");
    EXPECT_EQ(cad.LiveEntities(), std::vector<int>{blank});

    // The cutter: down to centre its double face width on the blank, up to put its datum line at
    // datumY, tilted about Y, parked at -halfTravel; then one roll step along X per position.
    const std::vector<CadCall> moves = CallsOn(Cutter(), CadOp::Move);
    EXPECT_EQ(Xyz(Shift(moves[0])), Xyz({0, 0, -gearBlank.gearPair.b}));
    EXPECT_NEAR(Shift(moves[1]).y, ex.datumY, 1e-5);
    EXPECT_NEAR(-Shift(moves[2]).x, ex.halfTravel, 1e-5);
    EXPECT_EQ(Xyz(Shift(moves[2])), Xyz({Shift(moves[2]).x, 0, 0}));
    const CadCall tilt = CallsOn(Cutter(), CadOp::Rotate3D).at(0);
    EXPECT_EQ(std::make_pair(Xyz(tilt.points[0]), Xyz(Shift(tilt))),
              std::make_pair(Xyz({}), Xyz({0, 1, 0})));
    EXPECT_NEAR(tilt.numbers[0], ex.tilt, 1e-7);
    for (std::size_t i = 3; i < moves.size(); ++i) {
      EXPECT_NEAR(Shift(moves[i]).x, ex.rollStep, 1e-6);
      EXPECT_EQ(Xyz(Shift(moves[i])), Xyz({Shift(moves[i]).x, 0, 0}));
    }

    // The blank turns about Z clockwise seen from +Z (right-hand rule about point1 to point2),
    // so that its +Y side moves with the cutter.
    for (const CadCall& turn : CallsOn(blank, CadOp::Rotate3D)) {
      const Point axis = Shift(turn);
      EXPECT_EQ(Xyz({turn.points[0].x, turn.points[0].y, std::hypot(axis.x, axis.y)}), Xyz({}));
      EXPECT_NEAR(axis.z > 0 ? turn.numbers[0] : -turn.numbers[0], -ex.rollAngle, 1e-7);
    }

    // Replication: z - 1 copies turned by whole pitches about the Z axis.
    const CadCall array = CallsOn(blank, CadOp::ArrayPolar).at(0);
    EXPECT_EQ(Xyz(array.points[0]), Xyz({}));
    const std::int16_t z1 = gearBlank.gearPair.z1;
    EXPECT_EQ(array.numbers[0], z1);
    EXPECT_NEAR(array.numbers[1], kTwoPi * (z1 - 1) / z1, 1e-12);

    // Progress: the counts, one report per position, the array's count, one per intersection.
    EXPECT_EQ(reports.size(), 2u + ex.positions + ex.intersections);
    EXPECT_EQ(reports[0], std::make_tuple(0, ex.positions, 0, ex.intersections));
    EXPECT_EQ(reports.back(),
              std::make_tuple(ex.positions, ex.positions, ex.intersections, ex.intersections));
  }
}

// z 20 at fineness 4 is the spur example's: 4 positions per pitch.
TEST_F(HobbingTest, PositionsPerPitchFollowFinenessAndTeethWithinTheCaps) {
  const StandardPair k17{2, 17, 40, 20, 0, 0}, k20to80{2, 20, 80, 20, 0, 0};
  const std::tuple<const char*, StandardPair, std::int16_t, double, double> cases[] = {
      {"small gear capped at 12", kSpur, 1, 100, 12},
      {"large gear capped at 6", {2, 40, 20, 20, 0, 0}, 2, 100, 6},
      {"any gearNo but 1 is the large gear", kSpur, 7, 100, 6},
      {"fineness 0", kSpur, 1, 0, 1},
      {"negative fineness", k17, 1, -3, 1},
      {"exactly 2.5 through Sqr(20/80) goes to 2", k20to80, 2, 5, 2},
      {"exactly 3.5 through Sqr(20/80) goes to 4", k20to80, 2, 7, 4},
      {"an overflowing product is skipped", k17, 1, 1.7e308, 1},
  };
  for (const auto& [name, pair, gearNo, fineness, stepsPerPitch] : cases) {
    SCOPED_TRACE(name);
    const int blank = MakeBlank(pair, gearNo);
    HobGear(gearBlank, fineness);
    const std::vector<CadCall> turns = CallsOn(blank, CadOp::Rotate3D);
    ASSERT_FALSE(turns.empty());
    const std::int16_t z = gearNo == 1 ? gearBlank.gearPair.z1 : gearBlank.gearPair.z2;
    EXPECT_NEAR(kTwoPi / (z * turns[0].numbers[0]), stepsPerPitch, 1e-9);
  }
}

// The spur example (18 positions, 19 intersections) with a call made to fail, or a stop. A
// failing statement is skipped and the rest runs; a stop reaches the caller, nothing runs after
// it, and the drawing keeps the blank as cut so far, without cutter or unused copies.
TEST_F(HobbingTest, AFailingCallIsSkippedButAStopEndsTheCut) {
  constexpr int kStopped = -1;
  struct Case {
    std::string name;
    std::vector<std::pair<CadOp, int>> calls;  // the n-th call of op fails, or is stopped
    int skipped, cuts, intersections;          // statements skipped (or kStopped); Booleans done
    std::size_t leftOver = 0;                  // live entities besides the gear
    int stopAtReport = -1;  // the progress report (0: the first) at which a stop is asked
  } const cases[] = {
      {"a subtraction", {{CadOp::Boolean, 5}}, 1, 17, 19},
      {"a copy of the cutter: that cut has no tool", {{CadOp::Copy, 2}}, 2, 17, 19},
      // No cutter: one position from halfTravel 0 with nothing to move, copy or cut; the six
      // curves stay; the replication still runs.
      {"the region of the cutter", {{CadOp::AddRegion, 1}}, 5, 0, 19, 6},
      // The untilted cutter has no travel yet, worked out only once it is tilted: it cuts at
      // the one position of a travel of 0, never along a travel an earlier gear's cutter left.
      {"the tilt of the cutter", {{CadOp::Rotate3D, 1}}, 1, 1, 19, 7},
      {"the polar array", {{CadOp::ArrayPolar, 1}}, 1, 18, 0},
      {"two intersections", {{CadOp::Boolean, 19}, {CadOp::Boolean, 37}}, 2, 18, 17},
      {"deleting the cutter", {{CadOp::Delete, 8}}, 1, 18, 19, 1},
      {"stopped at the first report", {}, kStopped, 0, 0, 0, 0},
      {"stopped inside the cut at position 5", {{CadOp::Boolean, 5}}, kStopped, 4, 0},
      {"stopped before the replication", {}, kStopped, 18, 0, 0, 18},
      {"stopped inside intersection 7", {{CadOp::Boolean, 18 + 7}}, kStopped, 18, 6},
      // After the last copy: nothing is left to take from the gear, as the stop says.
      {"stopped at the last report", {}, kStopped, 18, 19, 0, 1 + 18 + 1 + 19 - 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int blank = MakeBlank(kSpur, 1);
    for (const auto& [op, n] : c.calls)
      c.skipped == kStopped ? cad.StopAtCall(op, n) : cad.FailCall(op, n);
    int reports = 0;
    const auto progress = [&](const HobProgressReport&) {
      if (reports++ == c.stopAtReport) throw cad::EvaluationStopped("the stop button");
    };
    if (c.skipped == kStopped) {
      try {
        HobGear(gearBlank, 4, progress);
        ADD_FAILURE() << "not stopped";
      } catch (const GearCutStopped& stop) {
        const HobProgressReport& reached = stop.reached;
        EXPECT_EQ(std::tuple(reached.positionsDone, reached.intersectionsDone, reached.Finished()),
                  std::tuple(c.cuts, c.intersections, c.cuts == 18 && c.intersections == 19));
      }
      EXPECT_EQ(CallsOn(blank, CadOp::Boolean).size(), c.cuts + c.intersections + c.calls.size())
          << "none after the stop";
    } else {
      EXPECT_EQ(HobGear(gearBlank, 4, progress).size(), static_cast<std::size_t>(c.skipped));
    }
    EXPECT_EQ(Applied(blank, kSubtraction), c.cuts);
    EXPECT_EQ(Applied(blank, kIntersection), c.intersections);
    // A tool whose Boolean failed is no part of the gear and does not stay in the drawing.
    EXPECT_EQ(cad.LiveEntities().size(), 1 + c.leftOver);
  }
}

// Int() takes the floor, so a travel that ends exactly on a step still gets its last
// position; a travel too long for a 32-bit count, and every division by zero, fail the step.
TEST(HobPlan, CountsAndStepsTakeTheFloorAndFailOnInvalidArithmetic) {
  // What each computes, and its value; none where the step fails.
  const std::tuple<const char*, std::function<double()>, std::optional<double>> cases[] = {
      {"no travel still cuts once", [] { return PositionCount(0, 1.5); }, 1},
      {"a travel of exactly two steps", [] { return PositionCount(1.5, 1.5); }, 3},
      {"negative travel: floor, not truncation", [] { return PositionCount(-0.25, 1); }, 0},
      {"zero roll step", [] { return PositionCount(10, 0); }, std::nullopt},
      {"beyond 32 bits", [] { return PositionCount(1e10, 1e-3); }, std::nullopt},
      {"no teeth: no pitch", [] { return RoundedStepsPerPitch(4, 0); }, std::nullopt},
      {"negative teeth: no square root", [] { return RoundedStepsPerPitch(4, -20); }, std::nullopt},
      {"no teeth: no roll angle", [] { return RollAngle(0, 4); }, std::nullopt},
      {"one tooth fills no angle", [] { return PolarFillAngle(1); }, 0},
  };
  for (const auto& [name, compute, expected] : cases) {
    SCOPED_TRACE(name);
    if (expected) {
      EXPECT_EQ(compute(), *expected);
    } else {
      EXPECT_THROW(compute(), HobbingError);
    }
  }
}

// The hobbing tests see failing CAD calls and arithmetic skipped; exhausted memory and any
// other error must reach the caller instead.
TEST(SkipOnFailure, LetsEveryOtherErrorThrough) {
  SkipOnFailure skip;
  EXPECT_THROW(skip.Run(GearStep::CutAtPosition, [] { throw std::bad_alloc(); }), std::bad_alloc);
  EXPECT_THROW(skip.Run(GearStep::CutAtPosition, [] { throw std::runtime_error("?"); }),
               std::runtime_error);
  EXPECT_TRUE(skip.skipped().empty());
}

}  // namespace
}  // namespace kelvo

// MakeRackCutter and HobGear against the recording CAD application: the calls in order, where
// the cutter goes, and what a failing call or a stop leaves behind; then the plan's arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <new>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
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

// A report in a failure message: positions done of the count, intersections done of theirs.
void PrintTo(const HobProgressReport& report, std::ostream* out) {
  *out << "positions " << report.positionsDone << "/" << report.positionCount << ", intersections "
       << report.intersectionsDone << "/" << report.intersectionCount;
}

namespace {

using cad::Point;
using test_support::CadCall;
using test_support::CadOp;

constexpr double kSubtraction = 2;
constexpr double kIntersection = 1;

// A pair meshing at its reference centre distance; by default the window's default spur pair.
struct StandardPair {
  double m = 2;
  std::int16_t z1 = 20;
  std::int16_t z2 = 40;
  double b = 20;
  double beta_degrees = 0;
  double x1 = 0;
};
const StandardPair kSpur{};

std::tuple<double, double, double> Xyz(const Point& p) {
  return {p.x, p.y, p.z};
}
// What a Move shifts by, or the axis of a Rotate3D: the second point less the first.
Point Shift(const CadCall& call) {
  const Point& from = call.points.at(0);
  const Point& to = call.points.at(1);
  return {to.x - from.x, to.y - from.y, to.z - from.z};
}

// A call that changes the drawing, in words, with what it was made on. The steps below are the
// only ones a cut is compared with.
using Change = std::string;
using Changes = std::vector<Change>;

// "Move", or "Move on the cutter".
Change Made(CadOp op, std::string_view on = {}) {
  const std::string name = test_support::OpName(op);
  return on.empty() ? name : name + " on " + std::string(on);
}
const std::string_view kCutter = "the cutter";
const std::string_view kBlank = "the blank";
const std::string_view kOther = "another entity";
const Change kSubtracted = "a subtraction from the blank";
const Change kIntersected = "an intersection with the blank";

Changes Repeated(int times, const Changes& changes) {
  Changes repeated;
  for (int i = 0; i < times; ++i)
    repeated.insert(repeated.end(), changes.begin(), changes.end());
  return repeated;
}
Changes Then(std::initializer_list<Changes> parts) {
  Changes changes;
  for (const Changes& part : parts)
    changes.insert(changes.end(), part.begin(), part.end());
  return changes;
}

// The n-th call of op (counting from 1).
struct NthCall {
  CadOp op;
  int nth;
};

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
    for (const CadCall& call : cad.calls()) {
      if (call.op == op && call.target == id && (operation == 0 || call.numbers[0] == operation))
        found.push_back(call);
    }
    return found;
  }
  int Applied(int blank, double operation) const {
    int applied = 0;
    for (const CadCall& call : CallsOn(blank, CadOp::Boolean, operation)) {
      if (!call.failed) ++applied;
    }
    return applied;
  }
  // The blank cut cuts times and intersected intersections times, and leftOver entities left
  // in the drawing besides it.
  void ExpectCut(int blank, int cuts, int intersections, std::size_t leftOver) const {
    EXPECT_EQ(Applied(blank, kSubtraction), cuts);
    EXPECT_EQ(Applied(blank, kIntersection), intersections);
    EXPECT_EQ(cad.LiveEntities().size(), 1 + leftOver);
  }
  int Cutter() const {
    for (const CadCall& call : cad.calls()) {
      if (call.op == CadOp::AddExtrudedSolid) return call.failed ? -1 : call.results[0];
    }
    return -1;
  }

  // The calls that change the drawing, in order. Queries are left out: C++ leaves open the
  // order in which one call's arguments, and so their StartPoint and EndPoint, are evaluated.
  Changes ChangesMade(int blank) const {
    const int cutter = Cutter();
    Changes changes;
    for (const CadCall& call : cad.calls()) {
      if (call.op == CadOp::ModelSpace || call.op == CadOp::StartPoint ||
          call.op == CadOp::EndPoint) {
        continue;
      }
      if (call.op == CadOp::Boolean && call.target == blank) {
        changes.push_back(call.numbers[0] == kSubtraction ? kSubtracted : kIntersected);
      } else if (call.target == 0) {
        changes.push_back(Made(call.op));
      } else if (call.target == blank) {
        changes.push_back(Made(call.op, kBlank));
      } else if (call.target == cutter) {
        changes.push_back(Made(call.op, kCutter));
      } else {
        changes.push_back(Made(call.op, kOther));
      }
    }
    return changes;
  }

  test_support::RecordingCad cad;
  GearBlank gearBlank;
};

// The gear-table figures of the two worked examples, to the digits they are given.
TEST_F(HobbingTest, WorkedExamplesCutOneSpaceByRollingAndReplicateItByPitches) {
  struct Example {
    std::string name;
    StandardPair pair;
    double datumY;  // where the cutter's datum line is put, from the gear axis
    double tilt;
    double halfTravel;
    double rollStep;
    double rollAngle;
    int positions;
    int intersections;
  };
  const Example examples[] = {
      {.name = "spur m2 z20",
       .pair = kSpur,
       .datumY = 20,
       .tilt = 0,
       .halfTravel = 13.99316,
       .rollStep = 1.5707963,
       .rollAngle = 0.078539815,
       .positions = 18,
       .intersections = 19},
      {.name = "helical m3 z17 x0.2 beta15",
       .pair = {.m = 3, .z1 = 17, .z2 = 40, .b = 30, .beta_degrees = 15, .x1 = 0.2},
       .datumY = 26.99954,
       .tilt = -0.2617994,
       .halfTravel = 24.00419,
       .rollStep = 2.439312,
       .rollAngle = 0.0923998,
       .positions = 20,
       .intersections = 16},
  };
  for (const Example& ex : examples) {
    SCOPED_TRACE(ex.name);
    const int blank = MakeBlank(ex.pair, 1);
    std::vector<HobProgressReport> reports;
    EXPECT_TRUE(HobGear(gearBlank, 4, [&](const HobProgressReport& report) {
                  reports.push_back(report);
                }).empty());

    using enum CadOp;
    ASSERT_EQ(ChangesMade(blank),
              Then({{Made(AddDocument), Made(AddCylinder)},
                    // The cutter: its outline, region and extrusion, placed; its curves and
                    // region deleted.
                    {Made(AddArc), Made(AddArc), Made(AddLine), Made(AddLine), Made(AddLine),
                     Made(AddLine), Made(AddRegion), Made(AddExtrudedSolid), Made(Move, kCutter),
                     Made(Move, kCutter), Made(Rotate3D, kCutter), Made(Move, kCutter)},
                    Repeated(7, {Made(Delete, kOther)}),
                    // At each position: advance, copy, turn the blank, subtract the copy.
                    Repeated(ex.positions, {Made(Move, kCutter), Made(Copy, kCutter),
                                            Made(Rotate3D, kBlank), kSubtracted}),
                    // The replication, and the cutter deleted.
                    {Made(ArrayPolar, kBlank)},
                    Repeated(ex.intersections, {kIntersected}),
                    {Made(Delete, kCutter)}}));
    EXPECT_EQ(cad.LiveEntities(), std::vector<int>{blank});

    // The cutter: down to centre its double face width on the blank, up to put its datum line at
    // datumY, tilted about Y, parked at -halfTravel; then one roll step along X per position.
    const std::vector<CadCall> moves = CallsOn(Cutter(), CadOp::Move);
    EXPECT_EQ(Xyz(Shift(moves[0])), Xyz({0, 0, -gearBlank.gearPair.b}));
    EXPECT_NEAR(Shift(moves[1]).y, ex.datumY, 1e-5);
    EXPECT_NEAR(-Shift(moves[2]).x, ex.halfTravel, 1e-5);
    EXPECT_EQ(Xyz(Shift(moves[2])), Xyz({Shift(moves[2]).x, 0, 0}));
    const CadCall tilt = CallsOn(Cutter(), CadOp::Rotate3D).at(0);
    EXPECT_EQ(Xyz(tilt.points[0]), Xyz({}));
    EXPECT_EQ(Xyz(Shift(tilt)), Xyz({0, 1, 0}));
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
    EXPECT_NEAR(array.numbers[1], 2 * kPi * (z1 - 1) / z1, 1e-12);

    // Progress: the counts, one report per position, the array's count, one per intersection.
    EXPECT_EQ(reports.size(), 2u + ex.positions + ex.intersections);
    EXPECT_EQ(reports.front(), (HobProgressReport{.positionsDone = 0,
                                                  .positionCount = ex.positions,
                                                  .intersectionsDone = 0,
                                                  .intersectionCount = ex.intersections}));
    EXPECT_EQ(reports.back(), (HobProgressReport{.positionsDone = ex.positions,
                                                 .positionCount = ex.positions,
                                                 .intersectionsDone = ex.intersections,
                                                 .intersectionCount = ex.intersections}));
  }
}

// z 20 at fineness 4 is the spur example's: 4 positions per pitch.
TEST_F(HobbingTest, PositionsPerPitchFollowFinenessAndTeethWithinTheCaps) {
  const StandardPair k17{.z1 = 17};
  const StandardPair k20to80{.z2 = 80};
  struct Case {
    const char* name;
    StandardPair pair = kSpur;
    std::int16_t gearNo = 1;
    double fineness;
    double stepsPerPitch;
  };
  const Case cases[] = {
      {.name = "small gear capped at 12", .fineness = 100, .stepsPerPitch = 12},
      {.name = "large gear capped at 6",
       .pair = {.z1 = 40, .z2 = 20},
       .gearNo = 2,
       .fineness = 100,
       .stepsPerPitch = 6},
      {.name = "gearNo 7: the large gear", .gearNo = 7, .fineness = 100, .stepsPerPitch = 6},
      {.name = "fineness 0", .fineness = 0, .stepsPerPitch = 1},
      {.name = "negative fineness", .pair = k17, .fineness = -3, .stepsPerPitch = 1},
      {.name = "exactly 2.5 through Sqr(20/80) goes to 2",
       .pair = k20to80,
       .gearNo = 2,
       .fineness = 5,
       .stepsPerPitch = 2},
      {.name = "exactly 3.5 through Sqr(20/80) goes to 4",
       .pair = k20to80,
       .gearNo = 2,
       .fineness = 7,
       .stepsPerPitch = 4},
      {.name = "overflowing product skipped", .pair = k17, .fineness = 1.7e308, .stepsPerPitch = 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int blank = MakeBlank(c.pair, c.gearNo);
    HobGear(gearBlank, c.fineness);
    const std::vector<CadCall> turns = CallsOn(blank, CadOp::Rotate3D);
    ASSERT_FALSE(turns.empty());
    const std::int16_t z = c.gearNo == 1 ? gearBlank.gearPair.z1 : gearBlank.gearPair.z2;
    EXPECT_NEAR(2 * kPi / (z * turns[0].numbers[0]), c.stepsPerPitch, 1e-9);
  }
}

// The spur example (18 positions, 19 intersections) with a call made to fail: the failing
// statement is skipped and the rest runs. A tool whose Boolean failed is no part of the gear and
// does not stay in the drawing.
TEST_F(HobbingTest, AFailingCallIsSkippedAndTheRestRuns) {
  struct Case {
    std::string name;
    std::vector<NthCall> failing;
    int skipped = 1;           // statements skipped
    int cuts = 18;             // subtractions that took effect
    int intersections = 19;    // intersections that took effect
    std::size_t leftOver = 0;  // live entities besides the gear
  };
  using enum CadOp;
  const Case cases[] = {
      {.name = "a subtraction", .failing = {{Boolean, 5}}, .cuts = 17},
      {.name = "a copy of the cutter, a cut's tool",
       .failing = {{Copy, 2}},
       .skipped = 2,
       .cuts = 17},
      // No cutter: one position from a travel of 0 with nothing to move, copy or cut; the six
      // curves stay; the replication still runs.
      {.name = "the cutter's region",
       .failing = {{AddRegion, 1}},
       .skipped = 5,
       .cuts = 0,
       .leftOver = 6},
      // The untilted cutter has no travel yet, worked out only once it is tilted: it cuts at
      // the one position of a travel of 0, never along a travel an earlier gear's cutter left.
      {.name = "the cutter's tilt", .failing = {{Rotate3D, 1}}, .cuts = 1, .leftOver = 7},
      {.name = "the polar array", .failing = {{ArrayPolar, 1}}, .intersections = 0},
      {.name = "two intersections",
       .failing = {{Boolean, 19}, {Boolean, 37}},
       .skipped = 2,
       .intersections = 17},
      {.name = "deleting the cutter", .failing = {{Delete, 8}}, .leftOver = 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int blank = MakeBlank(kSpur, 1);
    for (const NthCall& call : c.failing)
      cad.FailCall(call.op, call.nth);
    EXPECT_EQ(HobGear(gearBlank, 4).size(), static_cast<std::size_t>(c.skipped));
    ExpectCut(blank, c.cuts, c.intersections, c.leftOver);
  }
}

// The spur example stopped, by a progress report or inside a long Boolean: the stop reaches the
// caller, nothing runs after it, and the drawing keeps the blank as cut so far, without cutter
// or unused copies.
TEST_F(HobbingTest, AStopEndsTheCutWhereItCame) {
  struct Case {
    std::string name;
    int atReport = -1;                   // the progress report (0: the first) that stops
    std::optional<NthCall> inside = {};  // else the call that is stopped
    int cuts = 18;                       // subtractions that took effect
    int intersections = 0;               // intersections that took effect
  };
  const Case cases[] = {
      {.name = "at the first report", .atReport = 0, .cuts = 0},
      {.name = "inside cut 5", .inside = NthCall{CadOp::Boolean, 5}, .cuts = 4},
      {.name = "before the replication", .atReport = 18},
      {.name = "inside intersection 7",
       .inside = NthCall{CadOp::Boolean, 18 + 7},
       .intersections = 6},
      // After the last copy: nothing is left to take from the gear, as the stop says.
      {.name = "at the last report", .atReport = 1 + 18 + 1 + 19 - 1, .intersections = 19},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int blank = MakeBlank(kSpur, 1);
    if (c.inside) cad.StopAtCall(c.inside->op, c.inside->nth);
    int reports = 0;
    try {
      HobGear(gearBlank, 4, [&](const HobProgressReport&) {
        if (reports++ == c.atReport) throw cad::EvaluationStopped("the stop button");
      });
      ADD_FAILURE() << "not stopped";
    } catch (const GearCutStopped& stop) {
      EXPECT_EQ(stop.reached.positionsDone, c.cuts);
      EXPECT_EQ(stop.reached.intersectionsDone, c.intersections);
      EXPECT_EQ(stop.reached.Finished(), c.cuts == 18 && c.intersections == 19);
    }
    const std::size_t stopped_call = c.inside ? 1 : 0;
    EXPECT_EQ(CallsOn(blank, CadOp::Boolean).size(), c.cuts + c.intersections + stopped_call)
        << "none after the stop";
    ExpectCut(blank, c.cuts, c.intersections, 0);
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

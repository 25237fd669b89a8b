// MakeRackCutter and HobGear against the recording CAD application: the exact sequence of calls,
// where the cutter goes, and what a failing call or a stop leaves behind.
#include "hobbing/hob_gear.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cad/cad_session.h"
#include "geometry/gear_constants.h"
#include "geometry/gear_pair_data.h"
#include "geometry/solve_gear_pair.h"
#include "hobbing/rack_cutter.h"
#include "hobbing/recording_cad.h"

namespace kelvo {
namespace {

using cad::Point;
using test_support::CadCall;
using test_support::CadOp;

constexpr double kSubtraction = 2;
constexpr double kIntersection = 1;

// A pair meshing at its reference centre distance, as a designer would type it.
struct StandardPair {
  double m;
  std::int16_t z1, z2;
  double b, beta_degrees, x1;
};
const StandardPair kSpur{2, 20, 40, 20, 0, 0};
const StandardPair kHelical{3, 17, 40, 30, 15, 0.2};

std::tuple<double, double, double> Xyz(const Point& p) {
  return {p.x, p.y, p.z};
}
// What a Move shifts by, or the axis of a Rotate3D: the second point less the first.
Point Shift(const CadCall& call) {
  const Point &a = call.points.at(0), &b = call.points.at(1);
  return {b.x - a.x, b.y - a.y, b.z - a.z};
}
std::string Times(int n, const std::string& calls) {
  std::string out;
  for (int i = 0; i < n; ++i)
    out += calls;
  return out;
}

// A fresh recording CAD application with one drawing, the pair solved into gearPair and, for
// HobGear, the blank of one of its gears; the shared CAD and hobbing state starts cleared.
class HobbingTest : public ::testing::Test {
 protected:
  void UsePair(const StandardPair& p) {
    TearDown();
    cad = test_support::RecordingCad();
    const double beta = DegreesToRadians(p.beta_degrees);
    const double a = (p.z1 + p.z2) * p.m / (2 * std::cos(beta));
    const SolveResult solved = SolveGearPair(a, p.m, p.z1, p.z2, p.b, beta, p.x1);
    ASSERT_TRUE(solved) << "step " << solved.failure.step;
    gearPair = *solved.pair;
    cadDoc = cad.AddDocument();
  }
  // The blank: a cylinder of the gear's tip diameter spanning the face width about z = 0.
  int MakeBlank(const StandardPair& p, std::int16_t gearNo) {
    UsePair(p);
    const double da = gearNo == 1 ? gearPair.da1 : gearPair.da2;
    blankSolid = cadDoc->ModelSpace()->AddCylinder({0, 0, 0}, da / 2, gearPair.b);
    return cad.IdOf(*blankSolid);
  }
  void TearDown() override {
    cadDoc.reset(), blankSolid.reset(), cutterSolid.reset();
    halfTravel = 0;
    gearPair = {};
  }

  // Calls of op made on the entity id; for Booleans, only those of the given operation.
  std::vector<CadCall> CallsOn(int id, CadOp op, double operation = 0) const {
    std::vector<CadCall> found;
    for (const CadCall& call : cad.CallsOf(op)) {
      if (call.target == id && (!operation || call.numbers[0] == operation)) found.push_back(call);
    }
    return found;
  }
  int Applied(int blank, double operation) const {
    int applied = 0;
    for (const CadCall& call : CallsOn(blank, CadOp::Boolean, operation))
      applied += !call.failed;
    return applied;
  }
  int Cutter() const {
    const std::vector<CadCall> made = cad.CallsOf(CadOp::AddExtrudedSolid);
    return made.empty() || made[0].failed ? -1 : made[0].results[0];
  }

  // The calls that change the drawing, in order, each with what it was made on: (b) the blank,
  // (c) the cutter, (+) anything else. Queries are left out: C++ leaves open the order in which
  // one call's arguments, and so their StartPoint and EndPoint, are evaluated.
  std::string Changes(int blank) const {
    const int cutter = Cutter();
    std::string out;
    for (const CadCall& call : cad.calls()) {
      if (call.op == CadOp::ModelSpace || call.op == CadOp::StartPoint ||
          call.op == CadOp::EndPoint) {
        continue;
      }
      out += call.op != CadOp::Boolean         ? test_support::OpName(call.op)
             : call.numbers[0] == kSubtraction ? "Subtract"
                                               : "Intersect";
      if (call.target) out += call.target == blank ? "(b)" : call.target == cutter ? "(c)" : "(+)";
      out += " ";
    }
    return out;
  }

  // The cutter's placement: down to centre its double face width on the blank's middle plane,
  // up to put its datum line at datumY, and back to park it at -halfTravel, with the tilt about
  // the Y axis between the last two.
  void ExpectCutterPlaced(double datumY, double tilt) const {
    const std::vector<CadCall> moves = CallsOn(Cutter(), CadOp::Move);
    ASSERT_GE(moves.size(), 3u);
    EXPECT_EQ(Xyz(Shift(moves[0])), Xyz({0, 0, -gearPair.b}));
    EXPECT_NEAR(std::get<1>(Xyz(Shift(moves[1]))), datumY, 1e-5);
    EXPECT_EQ(Xyz(Shift(moves[2])), Xyz({-halfTravel, 0, 0}));
    const CadCall turn = CallsOn(Cutter(), CadOp::Rotate3D).at(0);
    EXPECT_EQ(Xyz(turn.points[0]), Xyz({}));
    EXPECT_EQ(Xyz(Shift(turn)), Xyz({0, 1, 0}));
    EXPECT_NEAR(turn.numbers[0], tilt, 1e-7);
  }

  test_support::RecordingCad cad;
};

TEST_F(HobbingTest, TheRackToothScalesWithTheModuleAndItsTipReachesTheRootCircle) {
  // Gear-table figures of one rack tooth of module 1, 20 degrees, tip radius 0.38.
  constexpr double kTopHalfWidth = 1.2404;  // 1.25 above the datum line
  constexpr double kTipDepth = 1.25003;     // where the tip arcs meet the flat tip line
  constexpr double kTipHalfLength = 0.0643;
  struct Case {
    std::string name;
    StandardPair pair;
    std::int16_t gearNo;
    double tiltSign;  // the two gears' cutters lean opposite ways, for opposite hands
  } const cases[] = {
      {"spur small gear", kSpur, 1, -1},
      {"helical small gear, shifted", kHelical, 1, -1},
      {"helical large gear, shifted", kHelical, 2, 1},
      {"helical, gearNo 7 is the large gear", kHelical, 7, 1},
      {"module 0.5", {0.5, 20, 40, 5, 0, 0.3}, 1, -1},
      {"module 10", {10, 30, 31, 80, 8, -0.2}, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UsePair(c.pair);
    const double m = gearPair.m, tol = 1e-4 * m;
    MakeRackCutter(m, 2 * gearPair.b, c.gearNo);

    // Line 1 runs up the left flank from the tip arc; line 3 is the flat tip between the arcs.
    const std::vector<CadCall> lines = cad.CallsOf(CadOp::AddLine);
    ASSERT_EQ(lines.size(), 4u);
    const Point low = lines[0].points[0], top = lines[0].points[1], tip = lines[2].points[0];
    EXPECT_NEAR(top.x, -kTopHalfWidth * m, tol);
    EXPECT_NEAR(top.y, 1.25 * m, tol);
    EXPECT_NEAR(low.y, -m, tol);
    EXPECT_NEAR((low.x - top.x) / (top.y - low.y), std::tan(20 * M_PI / 180), 1e-7);
    EXPECT_NEAR(tip.x, -kTipHalfLength * m, tol);
    EXPECT_NEAR(tip.y, -kTipDepth * m, tol);
    // The tip arc of radius 0.38 m meets the flank tangentially (to the program's pi).
    const CadCall arc = cad.CallsOf(CadOp::AddArc).at(0);
    const Point centre = arc.points[0];
    EXPECT_NEAR(arc.numbers[0], 0.38 * m, 1e-12);
    EXPECT_NEAR((low.x - centre.x) * (top.x - low.x) + (low.y - centre.y) * (top.y - low.y), 0,
                1e-7 * m * m);

    // The datum line at d/2 + x m, so that the tip reaches the root circle (the tilt about the
    // Y axis keeps every y); the construction curves and region are gone again.
    const bool small = c.gearNo == 1;
    const double datum =
        small ? gearPair.d1 / 2 + gearPair.x1 * m : gearPair.d2 / 2 + gearPair.x2 * m;
    ExpectCutterPlaced(datum, c.tiltSign * gearPair.beta);
    EXPECT_NEAR(tip.y + datum,
                (small ? gearPair.da1 - 2 * gearPair.h1 : gearPair.da2 - 2 * gearPair.h2) / 2, tol);
    EXPECT_EQ(cad.LiveEntities(), std::vector<int>{Cutter()});
  }
}

TEST_F(HobbingTest, WorkedExamplesCutOneSpaceByRollingAndReplicateItByPitches) {
  // The gear-table figures of the two worked examples, to the digits they are given.
  struct Example {
    std::string name;
    StandardPair pair;
    double datumY, tilt, halfTravel, rollStep, rollAngle;
    int positions, intersections;
  } const examples[] = {
      {"spur m2 z20", kSpur, 20, 0, 13.99316, 1.5707963, 0.078539815, 18, 19},
      {"helical m3 z17 x0.2 beta15", kHelical, 26.99954, -0.2617994, 24.00419, 2.439312, 0.0923998,
       20, 16},
  };
  for (const Example& ex : examples) {
    SCOPED_TRACE(ex.name);
    const int blank = MakeBlank(ex.pair, 1);
    std::vector<HobProgressReport> reports;
    EXPECT_TRUE(HobGear(4, 1, [&](const HobProgressReport& r) { reports.push_back(r); }).empty());

    // The rack cutter made and placed, its curves and region deleted; at each position the
    // cutter advanced, copied, the blank turned and the copy subtracted; the blank arrayed and
    // each turned copy intersected into it; the cutter deleted, the gear alone left.
    ASSERT_EQ(Changes(blank),
              "AddDocument AddCylinder AddArc AddArc AddLine AddLine AddLine "
              "AddLine AddRegion AddExtrudedSolid Move(c) Move(c) Rotate3D(c) "
              "Move(c) " +
                  Times(7, "Delete(+) ") +
                  Times(ex.positions, "Move(c) Copy(c) Rotate3D(b) Subtract(b) ") +
                  "ArrayPolar(b) " + Times(ex.intersections, "Intersect(b) ") + "Delete(c) ");
    EXPECT_EQ(cad.LiveEntities(), std::vector<int>{blank});
    EXPECT_NEAR(halfTravel, ex.halfTravel, 1e-5);
    ExpectCutterPlaced(ex.datumY, ex.tilt);

    // At each position the cutter advances one roll step along X; the copy made there is cut.
    const std::vector<CadCall> moves = CallsOn(Cutter(), CadOp::Move);
    for (std::size_t i = 3; i < moves.size(); ++i) {
      EXPECT_NEAR(Shift(moves[i]).x, ex.rollStep, 1e-6);
      EXPECT_EQ(Xyz({0, Shift(moves[i]).y, Shift(moves[i]).z}), Xyz({}));
    }
    const std::vector<CadCall> copies = CallsOn(Cutter(), CadOp::Copy);
    const std::vector<CadCall> cuts = CallsOn(blank, CadOp::Boolean, kSubtraction);
    for (std::size_t i = 0; i < cuts.size(); ++i)
      EXPECT_EQ(cuts[i].entities[0], copies[i].results[0]);

    // The blank turns one roll angle per position about the Z axis, clockwise seen from +Z (by
    // the right-hand rule about point1 to point2), so that its +Y side moves with the cutter.
    for (const CadCall& turn : CallsOn(blank, CadOp::Rotate3D)) {
      const Point axis = Shift(turn);
      EXPECT_EQ(Xyz({turn.points[0].x, turn.points[0].y, 0}), Xyz({}));
      EXPECT_EQ(Xyz({axis.x, axis.y, 0}), Xyz({}));
      EXPECT_NEAR(axis.z > 0 ? turn.numbers[0] : -turn.numbers[0], -ex.rollAngle, 1e-7);
    }

    // Replication: z - 1 copies turned by whole pitches about the Z axis, each intersected.
    const std::int16_t z = gearPair.z1;
    const CadCall array = CallsOn(blank, CadOp::ArrayPolar).at(0);
    EXPECT_EQ(Xyz(array.points[0]), Xyz({}));
    EXPECT_EQ(array.numbers[0], z);
    EXPECT_NEAR(array.numbers[1], kTwoPi * (z - 1) / z, 1e-12);
    const std::vector<CadCall> joins = CallsOn(blank, CadOp::Boolean, kIntersection);
    for (std::size_t k = 0; k < joins.size(); ++k)
      EXPECT_EQ(joins[k].entities[0], array.results.at(k));

    // Progress: the counts, one step per position, the array's count, one step per intersection.
    ASSERT_EQ(reports.size(), 2u + ex.positions + ex.intersections);
    EXPECT_EQ(reports.front().positionCount, ex.positions);
    EXPECT_EQ(reports.front().intersectionCount, ex.intersections);
    for (std::size_t i = 1; i < reports.size(); ++i) {
      const int advanced = (reports[i].positionsDone - reports[i - 1].positionsDone) +
                           (reports[i].intersectionsDone - reports[i - 1].intersectionsDone);
      EXPECT_EQ(advanced, i == 1u + ex.positions ? 0 : 1) << "report " << i;
    }
    EXPECT_EQ(reports.back().positionsDone, ex.positions);
    EXPECT_EQ(reports.back().intersectionsDone, ex.intersections);
  }
}

TEST_F(HobbingTest, PositionsPerPitchFollowFinenessAndTeethWithinTheCaps) {
  struct Case {
    std::string name;
    StandardPair pair;
    std::int16_t gearNo;
    double fineness, stepsPerPitch;
  } const cases[] = {
      {"z20 takes the fineness", kSpur, 1, 4, 4},
      {"small gear capped at 12", kSpur, 1, 100, 12},
      {"large gear capped at 6", {2, 40, 20, 20, 0, 0}, 2, 100, 6},
      {"any gearNo but 1 is the large gear", kSpur, 7, 100, 6},
      {"fineness 0", kSpur, 1, 0, 1},
      {"negative fineness", {2, 17, 40, 20, 0, 0}, 1, -3, 1},
      {"exactly 2.5 through Sqr(20/80) goes to 2", {2, 20, 80, 20, 0, 0}, 2, 5, 2},
      {"exactly 3.5 through Sqr(20/80) goes to 4", {2, 20, 80, 20, 0, 0}, 2, 7, 4},
      {"an overflowing product is skipped", {2, 17, 40, 20, 0, 0}, 1, 1.7e308, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int blank = MakeBlank(c.pair, c.gearNo);
    HobGear(c.fineness, c.gearNo);
    const std::int16_t z = c.gearNo == 1 ? gearPair.z1 : gearPair.z2;
    const std::vector<CadCall> turns = CallsOn(blank, CadOp::Rotate3D);
    ASSERT_FALSE(turns.empty());
    EXPECT_NEAR(kTwoPi / (z * turns[0].numbers[0]), c.stepsPerPitch, 1e-9);
  }
}

// The spur example (18 positions, 19 intersections) with a CAD call made to fail or a stop
// asked for. A failing statement is skipped and the rest still runs. A stop passes through that
// regime to the caller and nothing is attempted after it; the drawing keeps the blank as cut so
// far, without cutter or unused copies.
TEST_F(HobbingTest, AFailingCallIsSkippedButAStopEndsTheCut) {
  constexpr int kStopped = -1;
  struct Case {
    std::string name;
    std::vector<std::pair<CadOp, int>> calls;  // the n-th call of op fails, or is stopped
    int skipped;                               // statements skipped, or kStopped
    int cuts, intersections;                   // Booleans that took effect
    std::size_t leftOver = 0;                  // live entities besides the gear
    double halfTravelBefore = 0;
    std::optional<HobProgressReport> stopAt = {};  // the progress report a stop is asked at
  } const cases[] = {
      {"a subtraction", {{CadOp::Boolean, 5}}, 1, 17, 19},
      // Without its copy the cut at that position has no tool either.
      {"a copy of the cutter", {{CadOp::Copy, 2}}, 2, 17, 19},
      {"a turn of the blank", {{CadOp::Rotate3D, 2}}, 1, 18, 19},
      // No cutter: one position from halfTravel 0, whose move, copy and cut have nothing to
      // work on; the six curves stay; the replication still runs.
      {"the region of the cutter", {{CadOp::AddRegion, 1}}, 5, 0, 19, 6},
      // The untilted cutter runs the travel that halfTravel still holds.
      {"the tilt of the cutter", {{CadOp::Rotate3D, 1}}, 1, 127, 19, 7, 99},
      {"the polar array", {{CadOp::ArrayPolar, 1}}, 1, 18, 0},
      {"an intersection", {{CadOp::Boolean, 18 + 3}}, 1, 18, 18},
      {"two intersections", {{CadOp::Boolean, 19}, {CadOp::Boolean, 37}}, 2, 18, 17},
      {"deleting the cutter", {{CadOp::Delete, 8}}, 1, 18, 19, 1},
      {"stopped at the first report", {}, kStopped, 0, 0, 0, 0, {{0, 18, 0, 19}}},
      {"stopped after position 3", {}, kStopped, 3, 0, 0, 0, {{3, 18, 0, 19}}},
      {"stopped inside the cut at position 5", {{CadOp::Boolean, 5}}, kStopped, 4, 0},
      {"stopped before the replication", {}, kStopped, 18, 0, 0, 0, {{18, 18, 0, 19}}},
      {"stopped inside intersection 7", {{CadOp::Boolean, 18 + 7}}, kStopped, 18, 6},
      {"stopped after the last intersection", {}, kStopped, 18, 19, 0, 0, {{18, 18, 19, 19}}},
  };
  const auto tie = [](const HobProgressReport& r) {
    return std::tie(r.positionsDone, r.positionCount, r.intersectionsDone, r.intersectionCount);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int blank = MakeBlank(kSpur, 1);
    for (const auto& [op, n] : c.calls)
      c.skipped == kStopped ? cad.StopAtCall(op, n) : cad.FailCall(op, n);
    halfTravel = c.halfTravelBefore;
    bool reported_after_stop = false, stopped = false;
    const auto progress = [&](const HobProgressReport& r) {
      reported_after_stop = reported_after_stop || stopped;
      if (c.stopAt && tie(r) == tie(*c.stopAt)) stopped = true, throw cad::EvaluationStopped("");
    };

    if (c.skipped == kStopped) {
      EXPECT_THROW(HobGear(4, 1, progress), cad::EvaluationStopped);
      EXPECT_FALSE(reported_after_stop);
      EXPECT_EQ(CallsOn(blank, CadOp::Boolean).size(),
                static_cast<std::size_t>(c.cuts + c.intersections) + c.calls.size())
          << "none after the stop";
    } else {
      EXPECT_EQ(HobGear(4, 1, progress).size(), static_cast<std::size_t>(c.skipped));
    }
    EXPECT_EQ(Applied(blank, kSubtraction), c.cuts);
    EXPECT_EQ(Applied(blank, kIntersection), c.intersections);
    // A tool whose Boolean failed is no part of the gear and does not stay in the drawing.
    EXPECT_EQ(cad.LiveEntities().size(), 1 + c.leftOver);
  }
}

}  // namespace
}  // namespace kelvo

#include "hobbing/hob_gear.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "hobbing_fixture.h"

namespace kelvo {
namespace {

using test_support::CadCall;
using test_support::CadOp;

constexpr double kSubtraction = 2;
constexpr double kIntersection = 1;

std::vector<CadCall> Booleans(const std::vector<CadCall>& calls, double operation) {
  std::vector<CadCall> found;
  std::copy_if(calls.begin(), calls.end(), std::back_inserter(found),
               [&](const CadCall& call) { return call.numbers.at(0) == operation; });
  return found;
}

int Succeeded(const std::vector<CadCall>& calls) {
  return static_cast<int>(
      std::count_if(calls.begin(), calls.end(), [](const CadCall& call) { return !call.failed; }));
}

struct WorkedExample {
  std::string name;
  StandardPair pair;
  double fineness;
  double datumY;  // the cutter's datum line: d/2 + x m
  double tilt;    // about +Y
  double halfTravel;
  double rollStep;
  double rollAngle;
  int positions;
  int intersections;
};

// The gear-table figures of the two worked examples, to the digits they are given.
const WorkedExample kWorkedExamples[] = {
    {"spur m2 z20", {2, 20, 40, 20, 0, 0}, 4, 20, 0, 13.99316, 1.5707963, 0.078539815, 18, 19},
    {"helical m3 z17 x0.2 beta15",
     {3, 17, 40, 30, 15, 0.2},
     4,
     26.99954,
     -0.2617994,
     24.00419,
     2.439312,
     0.0923998,
     20,
     16},
};

TEST_F(HobbingTest, WorkedExamplesCutOneSpaceByRollingAndReplicateItByPitches) {
  for (const WorkedExample& ex : kWorkedExamples) {
    SCOPED_TRACE(ex.name);
    cad = test_support::RecordingCad();
    UsePair(ex.pair);
    const int blank = MakeBlank(1);
    EXPECT_TRUE(HobGear(ex.fineness, 1).empty());

    // The cutter: centred on the blank's middle plane, datum line at d/2 + x m, tilted by the
    // helix angle, parked at -halfTravel, then advanced one roll step per position.
    const int cutter = MadeBy(CadOp::AddExtrudedSolid);
    const double b = gearPair.b;
    EXPECT_NEAR(halfTravel, ex.halfTravel, 1e-5);
    const std::vector<CadCall> moves = CallsOn(cutter, CadOp::Move);
    ASSERT_EQ(moves.size(), 3u + ex.positions);
    EXPECT_NEAR(moves[0].points[1].z - moves[0].points[0].z, -b, 1e-12);
    EXPECT_NEAR(moves[1].points[1].y - moves[1].points[0].y, ex.datumY, 1e-5);
    EXPECT_NEAR(moves[2].points[1].x - moves[2].points[0].x, -ex.halfTravel, 1e-5);
    for (std::size_t i = 3; i < moves.size(); ++i) {
      EXPECT_NEAR(moves[i].points[1].x - moves[i].points[0].x, ex.rollStep, 1e-6);
    }
    const std::vector<CadCall> tilt = CallsOn(cutter, CadOp::Rotate3D);
    ASSERT_EQ(tilt.size(), 1u);
    EXPECT_EQ(tilt[0].points[1].y - tilt[0].points[0].y, 1);
    EXPECT_NEAR(tilt[0].numbers[0], ex.tilt, 1e-7);

    // Each cut subtracts a fresh copy of the cutter standing where the cutter stands then: its
    // centre on the datum line, mid-face, at -halfTravel + i rollStep.
    const std::vector<CadCall> cuts = Booleans(CallsOn(blank, CadOp::Boolean), kSubtraction);
    ASSERT_EQ(cuts.size(), static_cast<std::size_t>(ex.positions));
    for (std::size_t i = 0; i < cuts.size(); ++i) {
      const test_support::EntityRecord& copy = cad.entity(cuts[i].entities[0]);
      const cad::Point centre = copy.placement.Apply({0, 0, b});
      EXPECT_NEAR(centre.x, -ex.halfTravel + static_cast<double>(i + 1) * ex.rollStep, 1e-4);
      EXPECT_NEAR(centre.y, ex.datumY, 1e-5);
      EXPECT_NEAR(centre.z, 0, 1e-9);
      EXPECT_FALSE(copy.alive);
    }

    // The blank turns clockwise seen from +Z, one roll angle per position, so that its +Y
    // side moves with the cutter.
    for (const CadCall& turn : CallsOn(blank, CadOp::Rotate3D)) {
      EXPECT_NEAR(turn.numbers[0], ex.rollAngle, 1e-7);
    }
    EXPECT_NEAR(cad.entity(blank).turnAboutZ, -ex.positions * ex.rollAngle, 1e-6);

    // Replication: z - 1 copies turned by whole pitches, each intersected into the blank.
    const std::int16_t z = gearPair.z1;
    const std::vector<CadCall> array = CallsOn(blank, CadOp::ArrayPolar);
    ASSERT_EQ(array.size(), 1u);
    EXPECT_EQ(array[0].numbers[0], z);
    EXPECT_NEAR(array[0].numbers[1], kTwoPi * (z - 1) / z, 1e-12);
    const std::vector<CadCall> joins = Booleans(CallsOn(blank, CadOp::Boolean), kIntersection);
    ASSERT_EQ(joins.size(), static_cast<std::size_t>(ex.intersections));
    for (std::size_t k = 0; k < joins.size(); ++k) {
      EXPECT_EQ(joins[k].entities[0], array[0].results[k]);
    }

    // Only the finished gear is left; the cutter was the last thing touched.
    EXPECT_EQ(cad.calls().back().op, CadOp::Delete);
    EXPECT_EQ(cad.calls().back().target, cutter);
    EXPECT_EQ(cad.LiveEntities(), std::vector<int>{blank});
    TearDown();
  }
}

struct PitchCase {
  std::string name;
  StandardPair pair;
  std::int16_t gearNo;
  double fineness;
  double stepsPerPitch;
};

TEST_F(HobbingTest, PositionsPerPitchFollowFinenessAndTeethWithinTheCaps) {
  const PitchCase cases[] = {
      {"z20 takes the fineness", {2, 20, 40, 20, 0, 0}, 1, 4, 4},
      {"fewer teeth, finer steps", {2, 17, 40, 20, 0, 0}, 1, 4, 4},
      {"small gear capped at 12", {2, 20, 40, 20, 0, 0}, 1, 100, 12},
      {"large gear capped at 6", {2, 40, 20, 20, 0, 0}, 2, 100, 6},
      {"any gearNo but 1 is the large gear", {2, 20, 40, 20, 0, 0}, 7, 100, 6},
      {"fineness 0", {2, 20, 40, 20, 0, 0}, 1, 0, 1},
      {"negative fineness", {2, 17, 40, 20, 0, 0}, 1, -3, 1},
      {"negative fineness, large gear", {2, 20, 80, 20, 0, 0}, 2, -0.1, 1},
      {"2.5 goes to 2", {2, 20, 40, 20, 0, 0}, 1, 2.5, 2},
      {"3.5 goes to 4", {2, 20, 40, 20, 0, 0}, 1, 3.5, 4},
      {"2.5 through Sqr(20/80)", {2, 20, 80, 20, 0, 0}, 2, 5, 2},
      {"3.5 through Sqr(20/80)", {2, 20, 80, 20, 0, 0}, 2, 7, 4},
      {"an overflowing product is skipped", {2, 17, 40, 20, 0, 0}, 1, 1.7e308, 1},
  };
  for (const PitchCase& c : cases) {
    SCOPED_TRACE(c.name);
    cad = test_support::RecordingCad();
    UsePair(c.pair);
    const int blank = MakeBlank(c.gearNo);
    HobGear(c.fineness, c.gearNo);
    const std::int16_t z = c.gearNo == 1 ? gearPair.z1 : gearPair.z2;
    const std::vector<CadCall> turns = CallsOn(blank, CadOp::Rotate3D);
    ASSERT_FALSE(turns.empty());
    EXPECT_NEAR(kTwoPi / (z * turns[0].numbers[0]), c.stepsPerPitch, 1e-9);
    TearDown();
  }
}

struct InjectedFailure {
  std::string name;
  std::vector<std::pair<CadOp, int>> failures;
  double halfTravelBefore;
  int cuts;           // subtractions that took effect
  int intersections;  // intersections that took effect
  std::size_t skipped;
  std::size_t leftOver;  // live entities besides the gear
};

// The spur example (18 positions, 19 intersections) with one CAD call made to fail: the failing
// statement is skipped and everything after it still runs.
TEST_F(HobbingTest, AFailingStatementIsSkippedAndTheRestStillRuns) {
  const InjectedFailure cases[] = {
      {"a subtraction", {{CadOp::Boolean, 5}}, 0, 17, 19, 1, 0},
      // Without its copy the cut at that position has no tool either.
      {"a copy of the cutter", {{CadOp::Copy, 2}}, 0, 17, 19, 2, 0},
      {"a turn of the blank", {{CadOp::Rotate3D, 2}}, 0, 18, 19, 1, 0},
      // No cutter: one position from halfTravel 0, whose move, copy and cut have nothing to
      // work on; the replication still runs.
      {"the region of the cutter", {{CadOp::AddRegion, 1}}, 0, 0, 19, 5, 6},
      // The untilted cutter runs the travel that halfTravel still holds.
      {"the tilt of the cutter", {{CadOp::Rotate3D, 1}}, 99, 127, 19, 1, 7},
      {"the polar array", {{CadOp::ArrayPolar, 1}}, 0, 18, 0, 1, 0},
      {"an intersection", {{CadOp::Boolean, 18 + 3}}, 0, 18, 18, 1, 0},
      {"two intersections", {{CadOp::Boolean, 19}, {CadOp::Boolean, 37}}, 0, 18, 17, 2, 0},
      {"deleting the cutter", {{CadOp::Delete, 8}}, 0, 18, 19, 1, 1},
  };
  for (const InjectedFailure& c : cases) {
    SCOPED_TRACE(c.name);
    cad = test_support::RecordingCad();
    UsePair({2, 20, 40, 20, 0, 0});
    const int blank = MakeBlank(1);
    for (const auto& [op, n] : c.failures)
      cad.FailCall(op, n);
    halfTravel = c.halfTravelBefore;

    const std::vector<SkippedStatement> skipped = HobGear(4, 1);

    EXPECT_EQ(skipped.size(), c.skipped);
    const std::vector<CadCall> booleans = CallsOn(blank, CadOp::Boolean);
    EXPECT_EQ(Succeeded(Booleans(booleans, kSubtraction)), c.cuts);
    EXPECT_EQ(Succeeded(Booleans(booleans, kIntersection)), c.intersections);
    // A tool whose Boolean failed is no part of the gear and does not stay in the drawing.
    EXPECT_EQ(cad.LiveEntities().size(), 1 + c.leftOver);
    TearDown();
  }
}

TEST_F(HobbingTest, ProgressCountsPositionsThenIntersectionsUpToTheirTotals) {
  UsePair({2, 20, 40, 20, 0, 0});
  MakeBlank(1);
  std::vector<HobProgressReport> reports;
  HobGear(4, 1, [&](const HobProgressReport& r) { reports.push_back(r); });

  ASSERT_EQ(reports.size(), 1u + 18 + 1 + 19);
  EXPECT_EQ(reports.front().positionsDone, 0);
  EXPECT_EQ(reports.front().positionCount, 18);
  EXPECT_EQ(reports.front().intersectionCount, 19);
  for (std::size_t i = 1; i < reports.size(); ++i) {
    const int advanced = (reports[i].positionsDone - reports[i - 1].positionsDone) +
                         (reports[i].intersectionsDone - reports[i - 1].intersectionsDone);
    EXPECT_EQ(advanced, i == 19 ? 0 : 1) << "report " << i;
  }
  EXPECT_EQ(reports.back().positionsDone, 18);
  EXPECT_EQ(reports.back().intersectionsDone, 19);
  EXPECT_EQ(reports.back().intersectionCount, 19);
}

struct StopCase {
  std::string name;
  // Where the stop comes from: the progress report it is asked for at (the CAD operations
  // before it have run), or the n-th Boolean on the blank, stopped half way.
  std::function<bool(const HobProgressReport&)> at_report;
  int stopped_boolean;  // 0: none
  int cuts;             // subtractions that took effect
  int intersections;    // intersections that took effect
};

// The spur example (18 positions, 19 intersections), stopped at each stage of the cut: the
// stop passes through the skip-and-continue regime to the caller, nothing is attempted after
// it, and the drawing holds the blank as cut so far, without cutter or unused copies.
TEST_F(HobbingTest, AStopEndsTheCutAndLeavesOnlyTheBlankAsCutSoFar) {
  const auto none = [](const HobProgressReport&) { return false; };
  const StopCase cases[] = {
      {"at the first report", [](const HobProgressReport& r) { return r.positionsDone == 0; }, 0, 0,
       0},
      {"after position 3", [](const HobProgressReport& r) { return r.positionsDone == 3; }, 0, 3,
       0},
      {"inside the cut at position 5", none, 5, 4, 0},
      {"once the blank is arrayed",
       [](const HobProgressReport& r) {
         return r.positionsDone == 18 && r.intersectionCount == 19 && r.intersectionsDone == 0;
       },
       0, 18, 0},
      {"inside intersection 7", none, 18 + 7, 18, 6},
      {"after the last intersection",
       [](const HobProgressReport& r) { return r.intersectionsDone == 19; }, 0, 18, 19},
  };
  for (const StopCase& c : cases) {
    SCOPED_TRACE(c.name);
    cad = test_support::RecordingCad();
    UsePair({2, 20, 40, 20, 0, 0});
    const int blank = MakeBlank(1);
    if (c.stopped_boolean) cad.StopAtCall(CadOp::Boolean, c.stopped_boolean);
    bool reported_after_stop = false, stopped = false;
    const auto progress = [&](const HobProgressReport& r) {
      reported_after_stop = reported_after_stop || stopped;
      if (c.at_report(r)) stopped = true, throw cad::EvaluationStopped("stop");
    };

    EXPECT_THROW(HobGear(4, 1, progress), cad::EvaluationStopped);

    EXPECT_FALSE(reported_after_stop);
    const std::vector<CadCall> booleans = CallsOn(blank, CadOp::Boolean);
    EXPECT_EQ(Succeeded(Booleans(booleans, kSubtraction)), c.cuts);
    EXPECT_EQ(Succeeded(Booleans(booleans, kIntersection)), c.intersections);
    const std::size_t attempted = static_cast<std::size_t>(c.cuts + c.intersections);
    EXPECT_EQ(booleans.size(), attempted + (c.stopped_boolean ? 1 : 0)) << "none after the stop";
    EXPECT_EQ(cad.LiveEntities(), std::vector<int>{blank});
    EXPECT_TRUE(cad.entity(blank).alive);
    TearDown();
  }
}

}  // namespace
}  // namespace kelvo

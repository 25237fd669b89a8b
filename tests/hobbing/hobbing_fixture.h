#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "cad/cad_session.h"
#include "geometry/gear_constants.h"
#include "geometry/gear_pair_data.h"
#include "geometry/solve_gear_pair.h"
#include "hobbing/rack_cutter.h"
#include "hobbing/recording_cad.h"

namespace kelvo {

// A pair meshing at its reference centre distance, as a designer would type it.
struct StandardPair {
  double m;
  std::int16_t z1, z2;
  double b, beta_degrees, x1;
};

// A drawing of the recording CAD application, the pair solved into gearPair and a blank made
// for one of its gears; the shared CAD and hobbing state is cleared again afterwards.
class HobbingTest : public ::testing::Test {
 protected:
  void UsePair(const StandardPair& p) {
    const double beta = DegreesToRadians(p.beta_degrees);
    const double a = (p.z1 + p.z2) * p.m / (2 * std::cos(beta));
    const SolveResult solved = SolveGearPair(a, p.m, p.z1, p.z2, p.b, beta, p.x1);
    ASSERT_TRUE(solved) << "step " << solved.failure.step;
    gearPair = *solved.pair;
    cadDoc = cad.AddDocument();
  }

  // The blank of the gear: a cylinder of its tip diameter spanning the face width about z = 0.
  int MakeBlank(std::int16_t gearNo) {
    const double da = gearNo == 1 ? gearPair.da1 : gearPair.da2;
    blankSolid = cadDoc->ModelSpace()->AddCylinder({0, 0, 0}, da / 2, gearPair.b);
    return cad.IdOf(*blankSolid);
  }

  // Calls of one operation made on one entity, in order.
  std::vector<test_support::CadCall> CallsOn(int id, test_support::CadOp op) const {
    std::vector<test_support::CadCall> found;
    for (const test_support::CadCall& call : cad.CallsOf(op)) {
      if (call.target == id) found.push_back(call);
    }
    return found;
  }

  // The entity the first successful call of op made.
  int MadeBy(test_support::CadOp op) const {
    for (const test_support::CadCall& call : cad.CallsOf(op)) {
      if (!call.failed) return call.results.at(0);
    }
    return 0;
  }

  void TearDown() override {
    cadDoc.reset();
    blankSolid.reset();
    cutterSolid.reset();
    halfTravel = 0;
    gearPair = {};
  }

  test_support::RecordingCad cad;
};

}  // namespace kelvo

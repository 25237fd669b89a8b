#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "cad/occt/occt_application.h"
#include "cad/occt/occt_queries.h"

namespace kelvo::cad::testing {

inline void ExpectNear(const Point& actual, const Point& expected, double tolerance,
                       const std::string& what = "") {
  EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
  EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
  EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

// An axis-parallel box made as the rack cutter is: a loop of lines, a region, an extrusion.
inline std::shared_ptr<Cad3DSolid> AddBox(CadModelSpace& space, Point low, Point size) {
  const Point a = low, b{low.x + size.x, low.y, low.z};
  const Point c{b.x, low.y + size.y, low.z}, d{low.x, c.y, low.z};
  const std::vector<EntityRef> lines{space.AddLine(a, b), space.AddLine(b, c), space.AddLine(c, d),
                                     space.AddLine(d, a)};
  const EntityRef region = space.AddRegion(lines).at(0);
  auto solid = space.AddExtrudedSolid(*region, size.z, 0);
  for (const EntityRef& used : lines)
    used->Delete();
  region->Delete();
  return solid;
}

// A gear in miniature: a blank of radius 10 and height 6 about the Z axis, one tooth space
// slotted through its +Y side.
inline std::shared_ptr<Cad3DSolid> AddSlottedBlank(CadModelSpace& space) {
  auto blank = space.AddCylinder({0, 0, 0}, 10, 6);
  blank->Boolean(BooleanOperation::Subtraction, *AddBox(space, {-1, 7, -5}, {2, 5, 10}));
  return blank;
}

// The slot replicated as the hobbing replicates a tooth space: five slots in all, the blank
// intersected with its four turned copies, deferred.
inline void ReplicateSlot(Cad3DSolid& blank) {
  for (const EntityRef& copy : blank.ArrayPolar(5, 8 * std::numbers::pi / 5, {0, 0, 0}))
    blank.Boolean(BooleanOperation::Intersection, *copy);
}

}  // namespace kelvo::cad::testing

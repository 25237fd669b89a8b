#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "cad/occt/occt_application.h"
#include "cad/occt/occt_inspect.h"

namespace kelvo::cad::testing {

inline Point BoxCentre(const BoundingBox& box) {
  return {(box.min.x + box.max.x) / 2, (box.min.y + box.max.y) / 2, (box.min.z + box.max.z) / 2};
}

inline void ExpectNear(const Point& actual, const Point& expected, double tolerance,
                       const char* what = "") {
  EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
  EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
  EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

// An axis-parallel box, made the way the rack cutter is: a closed loop of lines, a region,
// an extrusion along +Z.
inline std::shared_ptr<Cad3DSolid> AddBox(CadModelSpace& space, Point low, Point size) {
  const Point a{low.x, low.y, low.z}, b{low.x + size.x, low.y, low.z};
  const Point c{low.x + size.x, low.y + size.y, low.z}, d{low.x, low.y + size.y, low.z};
  std::vector<EntityRef> lines{space.AddLine(a, b), space.AddLine(b, c), space.AddLine(c, d),
                               space.AddLine(d, a)};
  std::vector<EntityRef> regions = space.AddRegion(lines);
  auto solid = space.AddExtrudedSolid(*regions.at(0), size.z, 0);
  for (auto& line : lines)
    line->Delete();
  regions[0]->Delete();
  return solid;
}

// Everything a test can see of a solid, to tell whether it changed.
struct SolidSnapshot {
  double volume;
  int faces;
  BoundingBox box;
};

inline SolidSnapshot Snapshot(const CadEntity& solid) {
  const SolidMeasures measures = MeasureSolid(solid);
  return {measures.volume, measures.face_count, measures.box};
}

inline void ExpectUnchanged(const SolidSnapshot& before, const CadEntity& solid) {
  ASSERT_TRUE(IsAlive(solid));
  const SolidSnapshot after = Snapshot(solid);
  EXPECT_DOUBLE_EQ(after.volume, before.volume);
  EXPECT_EQ(after.faces, before.faces);
  ExpectNear(after.box.min, before.box.min, 1e-12, "box min");
  ExpectNear(after.box.max, before.box.max, 1e-12, "box max");
}

}  // namespace kelvo::cad::testing

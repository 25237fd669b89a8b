// A gear designer's afternoon: the default small gear built again and again in one CAD
// application, each drawing closed once looked at. Memory must not creep up from build to
// build, and a closed drawing must let go of every shape it held.

#include <gtest/gtest.h>

#include <Standard_Handle.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Shape.hxx>
#include <TopoDS_TShape.hxx>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "cad/cad_session.h"
#include "cad/generate/build_gear_drawing.h"
#include "cad/occt/occt_application.h"
#include "cad/occt/occt_document.h"
#include "cad/occt/occt_inspect.h"
#include "cad/occt/occt_state.h"
#include "geometry/gear_pair_data.h"
#include "geometry/solve_gear_pair.h"

namespace kelvo {
namespace {

// Resident size of this process in kB, as the kernel counts it.
long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// Every topological shape a drawing's records reach (the solids as cut, the cylinders they were
// made from, deferred copies), each held once by the test, with how often the shapes of the set
// themselves refer to it. Once nothing but the test holds the set, a shape's reference count is
// exactly one more than that; anything above is an owner somewhere else.
class HeldShapes {
 public:
  void AddTree(const TopoDS_Shape& root) {
    if (root.IsNull()) return;
    const TopoDS_TShape* key = root.TShape().get();
    if (held_.count(key) != 0) return;
    held_.emplace(key, root.TShape());
    for (TopoDS_Iterator child(root, false, false); child.More(); child.Next()) {
      ++references_within_[child.Value().TShape().get()];
      AddTree(child.Value());
    }
  }

  void AddDrawing(const cad::OcctDocumentState& drawing) {
    for (const auto& [id, record] : drawing.entities) {
      AddTree(record.shape);
      if (record.envelope) AddTree(record.envelope->cylinder);
      for (const cad::DeferredIntersection& item : record.deferred)
        AddTree(item.copy);
    }
  }

  std::size_t size() const { return held_.size(); }

  // Shapes that something besides the test and the set's own shapes still holds.
  std::size_t HeldElsewhere() const {
    std::size_t count = 0;
    for (const auto& [key, handle] : held_) {
      const auto within = references_within_.find(key);
      const int expected = 1 + (within == references_within_.end() ? 0 : within->second);
      if (handle->GetRefCount() > expected) ++count;
    }
    return count;
  }

 private:
  std::map<const TopoDS_TShape*, opencascade::handle<TopoDS_TShape>> held_;
  std::map<const TopoDS_TShape*, int> references_within_;
};

TEST(Soak, TwentyDefaultSmallGearsKeepMemoryFlatAndEachClosedDrawingLetsGoOfItsShapes) {
  constexpr int kBuilds = 20;
  const SolveResult solved = SolveGearPair(60, 2, 20, 40, 20, 0, 0);
  ASSERT_TRUE(solved);
  gearPair = *solved.pair;
  const std::shared_ptr<cad::OcctCadApplication> application = cad::MakeHeadlessCadApplication();
  cadApp = application;

  std::vector<long> resident_kb;
  double first_volume = 0;
  for (int build = 1; build <= kBuilds; ++build) {
    SCOPED_TRACE("build " + std::to_string(build));
    {
      HeldShapes shapes;
      {
        GearDrawing made = BuildGearDrawing(1, 4.0, /*shade=*/true);
        ASSERT_TRUE(made.drawing && made.gear);
        ASSERT_TRUE(made.skipped.empty()) << made.skipped.front().statement;
        const auto drawing = std::dynamic_pointer_cast<cad::OcctDocument>(made.drawing);
        ASSERT_TRUE(drawing);
        application->Evaluate();

        // Every build cuts the same gear: nothing of an earlier drawing leaks into a later one.
        const cad::SolidMeasures gear = cad::MeasureSolid(*made.gear);
        EXPECT_TRUE(gear.is_one_valid_solid);
        if (build == 1) first_volume = gear.volume;
        EXPECT_NEAR(gear.volume, first_volume, 1e-9 * first_volume);

        shapes.AddDrawing(*drawing->LiveState("soak"));
        ASSERT_GT(shapes.size(), 100u);  // the gear's faces, edges and vertices at least
        // While the drawing is open it owns its shapes, and the count shows it.
        EXPECT_GT(shapes.HeldElsewhere(), 0u);
        drawing->Close();
      }
      // cadDoc and blankSolid still name the closed drawing and its gear, as after a real
      // command; a handle must not keep anything alive.
      EXPECT_EQ(shapes.HeldElsewhere(), 0u) << "of " << shapes.size() << " shapes";
      EXPECT_TRUE(application->Documents().Open().empty());
    }
    resident_kb.push_back(ResidentKilobytes());
  }

  const long after_5 = resident_kb[4];
  const long after_20 = resident_kb[kBuilds - 1];
  std::printf("resident size in kB after each build:");
  for (const long kb : resident_kb)
    std::printf(" %ld", kb);
  std::printf("\n");
  RecordProperty("resident_kb_after_5", std::to_string(after_5));
  RecordProperty("resident_kb_after_20", std::to_string(after_20));
  EXPECT_LE(std::abs(after_20 - after_5), after_5 / 20)
      << "resident size after build 5: " << after_5 << " kB, after build 20: " << after_20 << " kB";
}

}  // namespace
}  // namespace kelvo

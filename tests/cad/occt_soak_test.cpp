// A gear designer's afternoon: the default small gear built again and again in one CAD
// application, each drawing closed once looked at. Memory must stay flat from build to build,
// and a closed drawing must let go of every shape it held.

#include <gtest/gtest.h>
#include <malloc.h>

#include <Standard_Handle.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_TShape.hxx>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "cad/occt/occt_application.h"
#include "cad/occt/occt_document.h"
#include "cad/occt/occt_queries.h"
#include "cad/occt/occt_state.h"
#include "geometry/solve_gear_pair.h"
#include "modelling/build_gear_drawing.h"

namespace kelvo {
namespace {

// Resident size once the allocator has handed its free pages back: what is left is what the
// program holds, not how the worker threads' arenas happened to fragment.
long ResidentKilobytes() {
  malloc_trim(0);
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
  }
  return -1;
}

// AddressSanitizer keeps freed blocks in quarantine instead of handing them back, so resident
// size says nothing about leaks in that build; LeakSanitizer judges them there instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentSizeTellsLeaks = false;
#else
constexpr bool kResidentSizeTellsLeaks = true;
#endif

// Every topological shape a drawing's records reach, each held once here, with how often the
// set's own shapes refer to it. Once nothing else holds the set, every reference count is one
// more than that; anything above is an owner somewhere else.
class HeldShapes {
 public:
  void Add(const TopoDS_Shape& root) {
    if (root.IsNull() || !held_.emplace(root.TShape().get(), root.TShape()).second) return;
    for (TopoDS_Iterator child(root, false, false); child.More(); child.Next()) {
      ++within_[child.Value().TShape().get()];
      Add(child.Value());
    }
  }
  void Add(const cad::OcctDocumentState& drawing) {
    for (const auto& [id, record] : drawing.entities) {
      Add(record.shape);
      if (record.envelope) Add(record.envelope->cylinder);
      for (const cad::DeferredIntersection& item : record.deferred)
        Add(item.copy);
    }
  }
  std::size_t size() const { return held_.size(); }
  std::size_t HeldElsewhere() const {
    std::size_t count = 0;
    for (const auto& [key, handle] : held_)
      count += handle->GetRefCount() > 1 + (within_.count(key) ? within_.at(key) : 0);
    return count;
  }

 private:
  std::map<const TopoDS_TShape*, opencascade::handle<TopoDS_TShape>> held_;
  std::map<const TopoDS_TShape*, int> within_;
};

TEST(Soak, TwentyDefaultSmallGearsKeepMemoryFlatAndEachClosedDrawingLetsGoOfItsShapes) {
  const GearPairData pair = SolveGearPair(60, 2, 20, 40, 20, 0, 0).pair.value();
  const auto application = cad::MakeHeadlessCadApplication();
  // The last build's drawing and gear, held on as a window's session holds them after a real
  // command: a handle must not keep anything alive.
  GearDrawing latest;
  std::vector<long> resident_kb;
  double first_volume = 0;
  for (int build = 1; build <= 20; ++build) {
    SCOPED_TRACE("build " + std::to_string(build));
    HeldShapes shapes;
    {
      latest = BuildGearDrawing(application, pair, {.gearNo = 1, .fineness = 4.0, .shade = true});
      ASSERT_TRUE(latest.cadDoc && latest.blankSolid);
      ASSERT_TRUE(latest.skipped.empty()) << latest.skipped.front().Statement();
      const auto drawing = std::dynamic_pointer_cast<cad::OcctDocument>(latest.cadDoc);
      application->Evaluate();
      // Every build cuts the same gear: nothing of an earlier drawing leaks into a later one.
      const cad::SolidMeasures gear = cad::MeasureSolid(*latest.blankSolid);
      EXPECT_TRUE(gear.is_one_valid_solid);
      first_volume = build == 1 ? gear.volume : first_volume;
      EXPECT_NEAR(gear.volume, first_volume, 1e-9 * first_volume);
      shapes.Add(*drawing->LiveState("soak"));
      ASSERT_GT(shapes.size(), 100u);         // the gear's faces, edges and vertices at least
      EXPECT_GT(shapes.HeldElsewhere(), 0u);  // the open drawing owns them, and the count shows it
      drawing->Close();
    }
    // latest still names the closed drawing and its gear.
    EXPECT_EQ(shapes.HeldElsewhere(), 0u) << "of " << shapes.size() << " shapes";
    EXPECT_TRUE(application->Documents().Open().empty());
    shapes = {};
    resident_kb.push_back(ResidentKilobytes());
  }
  std::printf("resident size in kB after each build:");
  for (const long kb : resident_kb)
    std::printf(" %ld", kb);
  std::printf("\n");
  // A single reading swings by up to a tenth while other programs load the machine (the worker
  // threads' stacks and arenas come and go), so each point is the lowest of the five builds
  // around it: a leak lifts every reading, noise only some.
  const auto floor_of_five = [&](std::size_t last) {
    return *std::min_element(resident_kb.begin() + long(last) - 4,
                             resident_kb.begin() + long(last) + 1);
  };
  const long after_5 = floor_of_five(6), after_20 = floor_of_five(19);
  RecordProperty("resident_kb_after_5", std::to_string(after_5));
  RecordProperty("resident_kb_after_20", std::to_string(after_20));
  if (!kResidentSizeTellsLeaks) {
    std::printf("resident size not judged under AddressSanitizer; LeakSanitizer judges leaks\n");
    return;
  }
  // Growth is what a leak shows; the allocator handing memory back to the system is not one.
  EXPECT_LE(after_20 - after_5, after_5 / 20) << after_5 << " kB, then " << after_20;
}

}  // namespace
}  // namespace kelvo

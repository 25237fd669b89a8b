// Drawings, handles that outlive their entities, the view, and exports written under their own
// name only when complete.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "cad/occt/occt_export.h"
#include "occt_test_support.h"

namespace kelvo::cad {
namespace {

namespace fs = std::filesystem;
using testing::ExpectNear;

TEST(OcctHandlesTest, DeadHandlesRaiseAndNothingElseIsTouched) {
  enum class Death { EntityDeleted, DrawingClosed, ApplicationGone };
  for (const Death death : {Death::EntityDeleted, Death::DrawingClosed, Death::ApplicationGone}) {
    SCOPED_TRACE(static_cast<int>(death));
    auto app = MakeHeadlessCadApplication();
    auto drawing = app->Documents().AddDrawing();
    auto space = drawing->ModelSpace();
    const Point o{0, 0, 0};
    const auto solid = space->AddCylinder(o, 5, 5);
    const auto arc = space->AddArc(o, 1, 0, 1);
    const auto circle = space->AddCircle(o, 1);
    // A live solid in the same drawing when only the entities die, else in another drawing.
    auto other_space = death == Death::EntityDeleted ? space : app->Documents().Add()->ModelSpace();
    const auto other = other_space->AddCylinder(o, 2, 20);
    if (death == Death::EntityDeleted) {
      solid->Delete(), arc->Delete(), circle->Delete();
    } else if (death == Death::DrawingClosed) {
      drawing->Close();
      drawing->Close();  // closing twice is harmless
    } else {
      app.reset();
    }
    EXPECT_THROW(solid->Move(o, {1, 0, 0}), CadError);
    EXPECT_THROW(solid->ArrayPolar(3, 1, o), CadError);
    EXPECT_THROW(solid->Boolean(BooleanOperation::Subtraction, *other), CadError);
    EXPECT_THROW(other->Boolean(BooleanOperation::Subtraction, *solid), CadError);
    EXPECT_THROW(arc->EndPoint(), CadError);
    EXPECT_THROW(circle->SetColor(1), CadError);
    EXPECT_THROW(MeasureSolid(*solid), CadError);
    EXPECT_EQ(IsAlive(*other), death != Death::ApplicationGone);
    EXPECT_EQ(drawing->IsOpen(), death == Death::EntityDeleted);
    if (death == Death::EntityDeleted) continue;
    EXPECT_THROW(space->AddCylinder(o, 1, 1), CadError);
    EXPECT_THROW(drawing->SendCommand("ZOOM E "), CadError);
  }
}

TEST(OcctViewportTest, ChangesTakeEffectWhenTheViewportIsAssignedBack) {
  auto app = MakeHeadlessCadApplication();
  auto drawing = app->Documents().AddDrawing();
  ExpectNear(drawing->View().direction, {0, 0, 1}, 0);  // a new drawing looks from the top
  // Each read gives the drawing's one viewport, so edits made on separate reads add up.
  drawing->ActiveViewport()->SetDirection({1, 1, 1});
  drawing->ActiveViewport()->SetCenter({0, 0, 5});
  ExpectNear(drawing->View().direction, {0, 0, 1}, 0);
  drawing->SetActiveViewport(drawing->ActiveViewport());
  ExpectNear(drawing->View().direction, {1, 1, 1}, 0);
  ExpectNear(drawing->View().center, {0, 0, 5}, 0);
  EXPECT_THROW(drawing->ActiveViewport()->SetDirection({0, 0, 0}), CadError);
  EXPECT_THROW(drawing->SetActiveViewport(nullptr), CadError);
}

TEST(OcctExportTest, WritesEachFormatWhenCompleteAndFailsClearlyKeepingWhatWasThere) {
  const fs::path folder = fs::temp_directory_path() / ("kelvo-export-" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder / "sub.step");
  auto app = MakeHeadlessCadApplication();
  // A notched blank and its red reference circle, like a generated gear drawing.
  const auto gear = app->Documents().AddDrawing();
  auto blank = gear->ModelSpace()->AddCylinder({0, 0, 0}, 22, 20);
  blank->Boolean(BooleanOperation::Subtraction,
                 *gear->ModelSpace()->AddCylinder({0, 22, 0}, 3, 40));
  gear->ModelSpace()->AddCircle({0, 0, 0}, 20)->SetColor(1);
  const double volume = MeasureSolid(*blank).volume;
  using enum ExportFormat;
  // clang-format off
  for (const auto& [name, format] : {std::pair{"gear.step", Step}, {"gear.STP", Step},
       {"gear.iges", Iges}, {"gear.igs", Iges}, {"gear.stl", Stl}, {"gear.brep", Brep}}) {
    // clang-format on
    SCOPED_TRACE(name);
    EXPECT_EQ(ExportFormatFor(name), format);
    ExportDocument(*gear, folder / name);
    EXPECT_GT(fs::file_size(folder / name), 1000u);
  }
  const ImportedSolids solids = ReadStepSolids(folder / "gear.step");
  EXPECT_EQ(solids.solid_count, 1);
  EXPECT_NEAR(solids.volume, volume, 1e-6 * volume);
  std::uint32_t triangles = 0;  // binary STL: an 80-byte header, the count, 50 bytes a triangle
  std::ifstream(folder / "gear.stl", std::ios::binary)
      .seekg(80)
      .read(reinterpret_cast<char*>(&triangles), sizeof triangles);
  EXPECT_GT(triangles, 100u);
  EXPECT_EQ(fs::file_size(folder / "gear.stl"), 84u + 50u * triangles);

  const auto empty = app->Documents().AddDrawing();
  const auto curves_only = app->Documents().AddDrawing();
  curves_only->ModelSpace()->AddCircle({0, 0, 0}, 5);
  std::ofstream(folder / "gear.stl") << "an older file";
  EXPECT_THROW(ExportDocument(*gear, folder / "no-such-folder" / "gear.step"), CadError);
  EXPECT_THROW(ExportDocument(*gear, "/proc/gear.step"), CadError);  // not writable
  EXPECT_THROW(ExportDocument(*empty, folder / "gear.step"), CadError);
  EXPECT_THROW(ExportDocument(*curves_only, folder / "gear.stl"), CadError);
  EXPECT_THROW(ExportDocument(*gear, folder / "gear.dwg"), CadError);
  EXPECT_THROW(ExportDocument(*gear, folder / "sub.step"), CadError);  // a folder in the way
  std::string content;
  std::getline(std::ifstream(folder / "gear.stl"), content);
  EXPECT_EQ(content, "an older file");
  // No temporary file left behind: the six exports, the folder, nothing else.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 7);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace kelvo::cad

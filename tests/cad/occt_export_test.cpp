// Exports: every format written under its own name only when complete, STEP read back to the
// same volume, and clear failures that leave no partial file behind.

#include "cad/occt/occt_export.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>

#include "occt_test_support.h"

namespace kelvo::cad {
namespace {

namespace fs = std::filesystem;

class OcctExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("kelvo-export-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  // A notched blank and its red reference circle, like a generated gear drawing.
  std::shared_ptr<OcctDocument> GearLikeDrawing() {
    auto drawing = app->Documents().AddDrawing();
    auto space = drawing->ModelSpace();
    auto blank = space->AddCylinder({0, 0, 0}, 22, 20);
    blank->Boolean(BooleanOperation::Subtraction, *space->AddCylinder({0, 22, 0}, 3, 40));
    space->AddCircle({0, 0, 0}, 20)->SetColor(1);
    volume = MeasureSolid(*blank).volume;
    return drawing;
  }

  std::size_t FilesInFolder() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
  }

  fs::path folder;
  std::shared_ptr<OcctCadApplication> app = MakeHeadlessCadApplication();
  double volume = 0;
};

TEST_F(OcctExportTest, WritesEachFormatChosenByItsExtension) {
  const auto drawing = GearLikeDrawing();
  const std::pair<std::string, ExportFormat> files[] = {
      {"gear.step", ExportFormat::Step}, {"gear.STP", ExportFormat::Step},
      {"gear.iges", ExportFormat::Iges}, {"gear.igs", ExportFormat::Iges},
      {"gear.stl", ExportFormat::Stl},   {"gear.brep", ExportFormat::Brep},
  };
  for (const auto& [name, format] : files) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ExportFormatFor(name), format);
    ExportDocument(*drawing, folder / name);
    EXPECT_GT(fs::file_size(folder / name), 1000u);
  }
  EXPECT_EQ(FilesInFolder(), std::size(files));  // no temporary file left behind

  const ImportedSolids solids = ReadStepSolids(folder / "gear.step");
  EXPECT_EQ(solids.solid_count, 1);
  EXPECT_NEAR(solids.volume, volume, 1e-6 * volume);

  // Binary STL: an 80-byte header, the triangle count, 50 bytes per triangle.
  std::ifstream stl(folder / "gear.stl", std::ios::binary);
  char header[80];
  std::uint32_t triangles = 0;
  stl.read(header, sizeof header);
  stl.read(reinterpret_cast<char*>(&triangles), sizeof triangles);
  EXPECT_GT(triangles, 100u);
  EXPECT_EQ(fs::file_size(folder / "gear.stl"), 84u + 50u * triangles);
  EXPECT_THROW(ExportFormatFor("gear.dxf"), CadError);
}

TEST_F(OcctExportTest, FailsClearlyAndKeepsWhatWasThere) {
  const auto gear = GearLikeDrawing();
  const auto empty = app->Documents().AddDrawing();
  const auto curves_only = app->Documents().AddDrawing();
  curves_only->ModelSpace()->AddCircle({0, 0, 0}, 5);
  {
    std::ofstream old(folder / "gear.stl");
    old << "an older file";
  }
  struct Failure {
    std::string name;
    std::shared_ptr<OcctDocument> drawing;
    fs::path path;
  };
  const Failure failures[] = {
      {"missing folder", gear, folder / "no-such-folder" / "gear.step"},
      {"folder not writable", gear, "/proc/gear.step"},
      {"empty drawing", empty, folder / "gear.step"},
      {"STL without solids", curves_only, folder / "gear.stl"},
      {"unknown extension", gear, folder / "gear.dwg"},
      {"target is a folder", gear, folder / "sub.step"},
  };
  fs::create_directory(folder / "sub.step");
  for (const Failure& failure : failures) {
    SCOPED_TRACE(failure.name);
    EXPECT_THROW(ExportDocument(*failure.drawing, failure.path), CadError);
  }
  std::ifstream old(folder / "gear.stl");
  std::string content;
  std::getline(old, content);
  EXPECT_EQ(content, "an older file");
  EXPECT_EQ(FilesInFolder(), 2u);  // the old STL and the folder, nothing else

  gear->Close();
  EXPECT_THROW(ExportDocument(*gear, folder / "gear.step"), CadError);
}

}  // namespace
}  // namespace kelvo::cad

// The OpenCASCADE application headless: the conventions the rack cutter and the hobbing code
// rely on, dead handles, exports, and Booleans evaluated operation by operation or the fast way.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <numbers>
#include <optional>
#include <tuple>

#include "cad/occt/occt_evaluation.h"
#include "cad/occt/occt_export.h"
#include "occt_test_support.h"

namespace kelvo::cad {
namespace {

namespace fs = std::filesystem;
using testing::ExpectNear;
// Angles of the CAD application with the exact pi; the gear formulas' own is pi.
using std::numbers::pi;

Point BoxCentre(const CadEntity& entity) {
  const BoundingBox box = BoundingBoxOf(entity);
  return {(box.min.x + box.max.x) / 2, (box.min.y + box.max.y) / 2, (box.min.z + box.max.z) / 2};
}

class OcctGeometryTest : public ::testing::Test {
 protected:
  std::shared_ptr<OcctCadApplication> app = MakeHeadlessCadApplication();
  std::shared_ptr<CadModelSpace> space = app->Documents().Add()->ModelSpace();
};

// A region needs a closed loop, lines in any order and direction; a negative height goes down.
TEST_F(OcctGeometryTest, CylindersExtrusionsAndArcsEndWhereTheHobbingExpects) {
  const SolidMeasures cylinder = MeasureSolid(*space->AddCylinder({5, -3, 7}, 1.5, 0.4));
  EXPECT_TRUE(cylinder.is_one_valid_solid);
  EXPECT_NEAR(cylinder.volume, pi * 1.5 * 1.5 * 0.4, 1e-9 * cylinder.volume);
  ExpectNear(cylinder.box.min, {3.5, -4.5, 6.8}, 1e-7, "min");  // centred on its point
  ExpectNear(cylinder.box.max, {6.5, -1.5, 7.2}, 1e-7, "max");
  const Point a{0, 0, 5}, b{4, 0, 5}, c{4, 3, 5};
  const std::vector<EntityRef> triangle{space->AddLine(c, a), space->AddLine(a, b),
                                        space->AddLine(c, b)};
  EXPECT_THROW(space->AddRegion({triangle[0], triangle[1]}), CadError);
  EXPECT_THROW(space->AddRegion({triangle[0], triangle[1], triangle[2], triangle[0]}), CadError);
  EXPECT_THROW(space->AddRegion({}), CadError);
  EXPECT_EQ(space->AddRegion({space->AddCircle({0, 0, 0}, 3)}).size(), 1u);
  const std::vector<EntityRef> regions = space->AddRegion(triangle);
  ASSERT_EQ(regions.size(), 1u);
  EXPECT_EQ(KindOf(*regions[0]), EntityKind::Region);
  for (const double height : {2.0, -2.0}) {
    const SolidMeasures solid = MeasureSolid(*space->AddExtrudedSolid(*regions[0], height, 0));
    EXPECT_TRUE(solid.is_one_valid_solid);
    EXPECT_NEAR(solid.volume, 6 * 2, 1e-9);
    EXPECT_NEAR(solid.box.min.z, std::min(5.0, 5 + height), 1e-9);
    EXPECT_NEAR(solid.box.max.z, std::max(5.0, 5 + height), 1e-9);
  }
  EXPECT_THROW(space->AddExtrudedSolid(*regions[0], 2, 0.1), CadError);
  EXPECT_THROW(space->AddExtrudedSolid(*triangle[0], 2, 0), CadError);

  // Arcs run counter-clockwise, their angles taken modulo a full turn. (The rack cutter's tip
  // arcs are held by the cutter's area in the hobbed gear tests.)
  struct ArcCase {
    const char* name;
    double start;
    double end;
    Point low;  // the box of the arc on a unit circle about the origin: which way round it went
    Point high;
  };
  const ArcCase arcs[] = {
      {.name = "an end below the start wraps",
       .start = pi / 2,
       .end = 0,
       .low = {-1, -1, 0},
       .high = {1, 1, 0}},
      {.name = "negative, beyond a full turn",
       .start = -3 * pi,
       .end = -2.5 * pi,
       .low = {-1, -1, 0},
       .high = {0, 0, 0}},
  };
  const Point o{3, -2, 1.5};
  const double r = 0.76;
  const auto at = [&](Point unit) { return Point{o.x + r * unit.x, o.y + r * unit.y, o.z}; };
  for (const ArcCase& expected : arcs) {
    SCOPED_TRACE(expected.name);
    const auto arc = space->AddArc(o, r, expected.start, expected.end);
    ExpectNear(arc->StartPoint(), at({std::cos(expected.start), std::sin(expected.start), 0}),
               1e-12, "start");
    ExpectNear(arc->EndPoint(), at({std::cos(expected.end), std::sin(expected.end), 0}), 1e-12,
               "end");
    const BoundingBox box = BoundingBoxOf(*arc);
    ExpectNear(box.min, at(expected.low), 1e-7, "min");
    ExpectNear(box.max, at(expected.high), 1e-7, "max");
  }
  EXPECT_THROW(space->AddArc({0, 0, 0}, 1, 1, 1 + 2 * pi), CadError);
  EXPECT_THROW(space->AddArc({0, 0, 0}, 0, 0, 1), CadError);
}

TEST_F(OcctGeometryTest, Rotate3DAndArrayPolarTurnByTheRightHandRule) {
  struct TurnCase {
    const char* name;
    Point start;  // the solid's centre before the turn, and after it
    Point end;
    Point point1;  // the axis, through point1 to point2
    Point point2;
    double angle;
  };
  const TurnCase cases[] = {
      {.name = "a negative quarter turn about +Z",
       .start = {10, 0, 0},
       .end = {0, -10, 0},
       .point1 = {0, 0, 0},
       .point2 = {0, 0, 1},
       .angle = -pi / 2},
      {.name = "the blank's turn: +Y goes to +X",
       .start = {0, 10, 0},
       .end = {10, 0, 0},
       .point1 = {0, 0, 0},
       .point2 = {0, 0, -1},
       .angle = pi / 2},
      {.name = "the cutter's tilt: +X to -Z",
       .start = {10, 0, 0},
       .end = {0, 0, -10},
       .point1 = {0, 0, 0},
       .point2 = {0, 1, 0},
       .angle = pi / 2},
      {.name = "an axis off the origin",
       .start = {10, 0, 0},
       .end = {0, 0, 0},
       .point1 = {5, 0, 3},
       .point2 = {5, 0, 9},
       .angle = pi},
  };
  for (const TurnCase& c : cases) {
    const auto solid = space->AddCylinder(c.start, 1, 2);
    solid->Rotate3D(c.point1, c.point2, c.angle);
    ExpectNear(BoxCentre(*solid), c.end, 1e-9, c.name);
  }
  EXPECT_THROW(space->AddCylinder({0, 0, 0}, 1, 2)->Rotate3D({1, 1, 1}, {1, 1, 1}, 1), CadError);

  // ArrayPolar of a solid centred on (10, 0, 0): count objects in all, the copies one step of
  // angle / (count - 1) apart. (The replication's own call, z objects over 2*pi - 2*pi/z, is held
  // by every hobbed gear's teeth, all alike.)
  struct ArrayCase {
    const char* name;
    int count;
    double angle;  // that the copies fill
    Point centre;
    std::vector<Point> copies;  // their centres, in order
  };
  const ArrayCase copies_cases[] = {
      {.name = "clockwise",
       .count = 3,
       .angle = -pi,
       .centre = {0, 0, 0},
       .copies = {{0, -10, 0}, {-10, 0, 0}}},
      {.name = "about a centre off the origin",
       .count = 3,
       .angle = pi,
       .centre = {10, 10, 7},
       .copies = {{20, 10, 0}, {10, 20, 0}}},
  };
  for (const ArrayCase& c : copies_cases) {
    SCOPED_TRACE(c.name);
    const auto original = space->AddCylinder({10, 0, 0}, 1, 2);
    const std::vector<EntityRef> copies = original->ArrayPolar(c.count, c.angle, c.centre);
    ASSERT_EQ(copies.size(), c.copies.size());
    for (std::size_t i = 0; i < copies.size(); ++i)
      ExpectNear(BoxCentre(*copies[i]), c.copies[i], 1e-9, std::to_string(i));
    ExpectNear(BoxCentre(*original), {10, 0, 0}, 1e-12, "original");
  }
  EXPECT_THROW(space->AddCylinder({10, 0, 0}, 1, 2)->ArrayPolar(1, pi, {0, 0, 0}), CadError);
}

TEST(OcctHandlesTest, DeadHandlesRaiseAndNothingElseIsTouched) {
  enum class Death { EntityDeleted, DrawingClosed, ApplicationGone };
  using enum Death;
  for (const Death death : {EntityDeleted, DrawingClosed, ApplicationGone}) {
    SCOPED_TRACE(static_cast<int>(death));
    auto app = MakeHeadlessCadApplication();
    auto drawing = app->Documents().AddDrawing();
    auto space = drawing->ModelSpace();
    const Point o{0, 0, 0};
    const auto solid = space->AddCylinder(o, 5, 5);
    const auto arc = space->AddArc(o, 1, 0, 1);
    const auto circle = space->AddCircle(o, 1);
    // A live solid in the same drawing when only the entities die, else in another drawing.
    auto other_space = death == EntityDeleted ? space : app->Documents().Add()->ModelSpace();
    const auto other = other_space->AddCylinder(o, 2, 20);
    if (death == EntityDeleted) {
      solid->Delete();
      arc->Delete();
      circle->Delete();
    } else if (death == DrawingClosed) {
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
    EXPECT_EQ(IsAlive(*other), death != ApplicationGone);
    EXPECT_EQ(drawing->IsOpen(), death == EntityDeleted);
    if (death == EntityDeleted) continue;
    EXPECT_THROW(space->AddCylinder(o, 1, 1), CadError);
    EXPECT_THROW(drawing->SendCommand("ZOOM E "), CadError);
  }
}

TEST(OcctExportTest, WritesEachFormatWhenCompleteAndFailsClearlyKeepingWhatWasThere) {
  const fs::path folder = fs::temp_directory_path() / ("kelvo-export-" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder / "sub.step");
  auto app = MakeHeadlessCadApplication();
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
  std::ifstream older(folder / "gear.stl");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(older), {}), "an older file");
  // No temporary file left behind: the six exports, the folder, nothing else.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 7);
  fs::remove_all(folder);
}

// An export cancelled before it starts or at its first report of progress, in each format, and
// one that could not write its file: no file, no temporary, and an older file stays.
TEST(OcctExportTest, ACancelledExportLeavesNoFileAndNoTemporary) {
  const fs::path folder = fs::temp_directory_path() / ("kelvo-cancel-" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  auto app = MakeHeadlessCadApplication();
  const auto drawing = app->Documents().AddDrawing();
  drawing->ModelSpace()->AddCylinder({0, 0, 0}, 22, 20);
  for (const char* name : {"gear.step", "gear.iges", "gear.stl", "gear.brep"}) {
    for (const bool at_first_report : {false, true}) {
      SCOPED_TRACE(std::string(name) + (at_first_report ? ", at the first report" : ""));
      std::ofstream(folder / name) << "an older file";
      const PreparedExport prepared = PrepareExport(*drawing, folder / name);
      bool reported = false;
      const ExportProgress cancel{[&](double) { reported = true; },
                                  [&] { return !at_first_report || reported; }};
      EXPECT_THROW(prepared.Write(cancel), ExportCancelled);
      std::ifstream older(folder / name);
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(older), {}), "an older file");
      EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << "a temporary left";
      fs::remove(folder / name);
    }
  }
  fs::remove_all(folder);
}

// The solid becomes the result, the other is consumed; a failure or stop leaves both as they were.
using testing::AddBox;
using enum BooleanOperation;

// A solid to be made in a model space: a cylinder or a box.
using Shape = std::function<std::shared_ptr<Cad3DSolid>(CadModelSpace& space)>;

Shape Cylinder(Point centre, double radius, double height) {
  return [=](CadModelSpace& space) { return space.AddCylinder(centre, radius, height); };
}

Shape Box(Point low, Point size) {
  return [=](CadModelSpace& space) { return AddBox(space, low, size); };
}

void ExpectUnchanged(const SolidMeasures& before, const CadEntity& solid) {
  ASSERT_TRUE(IsAlive(solid));
  const SolidMeasures after = MeasureSolid(solid);
  EXPECT_EQ(after.volume, before.volume);
  EXPECT_EQ(after.face_count, before.face_count);
  ExpectNear(after.box.min, before.box.min, 1e-12, "box min");
  ExpectNear(after.box.max, before.box.max, 1e-12, "box max");
}

TEST(OcctBooleanTest, ResultReplacesTheSolidOrBothStayUntouched) {
  using enum BooleanEvaluation;
  struct Case {
    const char* name;
    Shape solid = Cylinder({}, 10, 10);
    Shape other = Cylinder({}, 5, 20);  // coaxial, taller
    BooleanOperation operation = Subtraction;
    double volume = 0;                              // 0: the operation must fail
    std::optional<BooleanEvaluation> stopped = {};  // a stop asked for before the work starts
  };
  const Shape slot = Box({-1, 7, -5}, {2, 5, 10});
  const Case cases[] = {
      {.name = "coaxial subtraction", .volume = pi * (100 - 25) * 10},
      {.name = "coaxial intersection", .operation = Intersection, .volume = pi * 25 * 10},
      {.name = "union", .operation = Union, .volume = pi * (100 * 10 + 25 * 10)},
      {.name = "disjoint intersection is empty",
       .solid = Cylinder({}, 5, 10),
       .other = Cylinder({20, 0, 0}, 5, 10),
       .operation = Intersection},
      {.name = "splitting in two",
       .solid = Box({-10, -10, -5}, {20, 20, 10}),
       .other = Box({-1, -20, -10}, {2, 40, 20})},
      {.name = "stopped, fast", .other = slot, .stopped = Fast},
      {.name = "stopped, operation by operation", .other = slot, .stopped = OperationByOperation},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto app = MakeHeadlessCadApplication();
    if (c.stopped) app->SetBooleanEvaluation(*c.stopped);
    auto drawing = app->Documents().AddDrawing();
    const auto solid = c.solid(*drawing->ModelSpace());
    const auto other = c.other(*drawing->ModelSpace());
    const SolidMeasures before_solid = MeasureSolid(*solid);
    const SolidMeasures before_other = MeasureSolid(*other);
    if (c.volume > 0) {
      solid->Boolean(c.operation, *other);
      const SolidMeasures result = MeasureSolid(*solid);
      EXPECT_TRUE(result.is_one_valid_solid);
      EXPECT_NEAR(result.volume, c.volume, 1e-9 * c.volume);
      EXPECT_FALSE(IsAlive(*other));
      EXPECT_THROW(other->Move({0, 0, 0}, {1, 0, 0}), CadError);
      EXPECT_EQ(drawing->Entities().size(), 1u);
      continue;
    }
    if (c.stopped) {
      app->SetEvaluationHooks({{}, [] { return true; }});
      EXPECT_THROW(solid->Boolean(c.operation, *other), EvaluationStopped);
      app->SetEvaluationHooks({});
      EXPECT_EQ(drawing->Evaluation().failed_booleans, 0);
    } else {
      EXPECT_THROW(solid->Boolean(c.operation, *other), CadError);
    }
    ExpectUnchanged(before_solid, *solid);
    ExpectUnchanged(before_other, *other);
    EXPECT_EQ(drawing->Entities().size(), 2u);
    other->Move({0, 0, 0}, {0, 0, 100});  // both still work as solids afterwards
    EXPECT_NEAR(MeasureSolid(*other).box.min.z, before_other.box.min.z + 100, 1e-9);
  }
}

// A Boolean of two prisms along Z, the tool spanning the solid's heights, is made on their
// sections; anything else turns the solid into an ordinary one at once. Either way the solid is
// the reference's. (A spur gear's cutter, turned by exactly 0 about X, and a helical gear's
// tilted one are held by the hobbed gear tests.)
TEST(PrismEvaluationTest, MakesABooleanOnSectionsOnlyOfPrismsAlongZWhoseToolSpansTheHeights) {
  using Motion = std::function<void(Cad3DSolid&)>;
  const auto turn = [](Point from, Point to, double angle) -> Motion {
    return [=](Cad3DSolid& solid) { solid.Rotate3D(from, to, angle); };
  };
  const auto shift = [](Point by) -> Motion {
    return [=](Cad3DSolid& solid) { solid.Move({0, 0, 0}, by); };
  };
  struct Case {
    const char* name;
    bool on_sections;
    Shape solid = Cylinder({}, 10, 6);  // z from -3 to 3
    Shape tool = Box({-1, 7, -5}, {2, 5, 10});
    BooleanOperation operation = Subtraction;
    Motion solid_motion = [](Cad3DSolid&) {};
    Motion tool_motion = [](Cad3DSolid&) {};
  };
  const Case cases[] = {
      {.name = "a slot through the whole height", .on_sections = true},
      {.name = "a slot turned about a line parallel to Z",
       .on_sections = true,
       .tool_motion = turn({3, 3, 0}, {3, 3, -1}, 0.4)},
      {.name = "a blank shifted and turned about Z, the slot shifted across",
       .on_sections = true,
       .solid_motion = turn({0, 0, 0}, {0, 0, 1}, 1.1),
       .tool_motion = shift({0.5, -0.25, 1})},
      {.name = "a slot swept downwards", .on_sections = true, .tool = Box({-1, 7, 5}, {2, 5, -10})},
      {.name = "a slot exactly as high as the blank",
       .on_sections = true,
       .tool = Box({-1, 7, -3}, {2, 5, 6})},
      {.name = "an intersection with a taller box",
       .on_sections = true,
       .tool = Box({-8, -6, -5}, {14, 12, 10}),
       .operation = Intersection},
      // Its region faces down its plane's normal, turned up: the sections look up all the same.
      {.name = "a plate drawn clockwise, slotted",
       .on_sections = true,
       .solid = Box({10, -10, -3}, {-20, 20, 6})},
      {.name = "a blank turned about Y",
       .on_sections = false,
       .tool = Box({-1, 7, -12}, {2, 5, 24}),
       .solid_motion = turn({0, 0, 0}, {0, 1, 0}, 0.2)},
      {.name = "a pocket: the slot stops short of the bottom",
       .on_sections = false,
       .tool = Box({-1, 7, -2}, {2, 5, 10})},
      {.name = "a slot lifted off the bottom by a move",
       .on_sections = false,
       .tool_motion = shift({0, 0, 2.5})},
      {.name = "a union", .on_sections = false, .operation = Union},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto run = [&](BooleanEvaluation evaluation) {
      auto app = MakeHeadlessCadApplication();
      app->SetBooleanEvaluation(evaluation);
      auto drawing = app->Documents().AddDrawing();
      const auto solid = c.solid(*drawing->ModelSpace());
      const auto tool = c.tool(*drawing->ModelSpace());
      c.solid_motion(*solid);
      c.tool_motion(*tool);
      solid->Boolean(c.operation, *tool);
      // A second slot: a solid that left the sections stays off them.
      solid->Boolean(Subtraction, *AddBox(*drawing->ModelSpace(), {-9, -1, -20}, {3, 2, 40}));
      return std::pair(MeasureSolid(*solid), drawing->Evaluation());
    };
    const auto [reference, reference_stats] = run(BooleanEvaluation::OperationByOperation);
    const auto [fast, stats] = run(BooleanEvaluation::Fast);
    EXPECT_TRUE(fast.is_one_valid_solid);
    EXPECT_NEAR(fast.volume, reference.volume, 1e-9 * reference.volume);
    EXPECT_NEAR(fast.surface_area, reference.surface_area, 1e-9 * reference.surface_area);
    ExpectNear(fast.centre_of_mass, reference.centre_of_mass, 1e-9, "centre of mass");
    EXPECT_EQ(std::tuple(stats.prism_booleans, stats.prism_fallbacks, stats.failed_booleans),
              std::tuple(c.on_sections ? 2 : 0, 0, 0));
    EXPECT_EQ(reference_stats.prism_booleans, 0);
  }
}

// A slotted blank, turned, intersected with its turned copies as the replication does.
TEST(FastEvaluationTest, GivesTheReferenceSolidFailuresAndDrawing) {
  struct Script {
    const char* name;
    int count;           // copies
    double angle;        // that they fill
    double radius = 10;  // the blank
    double width = 2;    // and its slot
    double depth = 3;
    double turn = 0;   // of the slotted blank before it is copied
    int failures = 0;  // Booleans the reference refuses, which both must skip alike
    // The replication is put together on the blank's section: every turned slot keeps to a
    // wedge of its own, clear of the axis. Otherwise the solids take over, and that is counted.
    bool on_sections = true;
  };
  const Script scripts[] = {
      {.name = "five slots", .count = 5, .angle = 8 * pi / 5},
      // Part of a turn, which a mirrored evaluation would pass on volume alone.
      {.name = "two copies an eighth of a turn apart", .count = 3, .angle = pi / 2, .turn = 0.2},
      {.name = "removed spaces that overlap when turned",
       .count = 6,
       .angle = 5 * pi / 3,
       .width = 12,
       .on_sections = false},
      // Thousands of teeth: one slot weighs less than the volumes can tell, yet each must be cut.
      {.name = "slots too small for the volumes to see",
       .count = 4,
       .angle = 1.5 * pi,
       .radius = 3000,
       .width = 1,
       .depth = 1},
      // A slot through all but the rim: with its half-turned copy nothing holds the halves.
      {.name = "an intersection that would split the blank is skipped",
       .count = 2,
       .angle = pi,
       .depth = 19,
       .failures = 1,
       .on_sections = false},
  };
  for (const Script& s : scripts) {
    SCOPED_TRACE(s.name);
    auto run = [&](BooleanEvaluation evaluation) {
      auto app = MakeHeadlessCadApplication();
      app->SetBooleanEvaluation(evaluation);
      auto drawing = app->Documents().AddDrawing();
      const auto space = drawing->ModelSpace();
      auto blank = space->AddCylinder({0, 0, 0}, s.radius, 6);
      blank->Boolean(Subtraction, *AddBox(*space, {-s.width / 2, s.radius - s.depth, -5},
                                          {s.width, s.depth + 2, 10}));
      if (s.turn != 0) blank->Rotate3D({0, 0, 0}, {0, 0, 1}, s.turn);
      for (const EntityRef& copy : blank->ArrayPolar(s.count, s.angle, {0, 0, 0})) {
        try {
          blank->Boolean(Intersection, *copy);
        } catch (const CadError&) {
          copy->Delete();
        }
      }
      return std::tuple{MeasureSolid(*blank), drawing->Evaluation(), drawing->Entities().size()};
    };
    const auto [ref, ref_stats, ref_entities] = run(BooleanEvaluation::OperationByOperation);
    EXPECT_EQ(ref_stats.deferred_intersections, 0);
    // Both fast ways: on the sections where they can, and the way on the solids alone.
    for (const BooleanEvaluation evaluation :
         {BooleanEvaluation::Fast, BooleanEvaluation::Fast3D}) {
      SCOPED_TRACE(evaluation == BooleanEvaluation::Fast ? "fast" : "fast, solids only");
      const auto [fast, fast_stats, fast_entities] = run(evaluation);
      EXPECT_TRUE(ref.is_one_valid_solid && fast.is_one_valid_solid);
      EXPECT_NEAR(fast.volume, ref.volume, 1e-9 * ref.volume);
      EXPECT_NEAR(fast.surface_area, ref.surface_area, 1e-9 * ref.surface_area);
      // Where the material is, not only how much: a slot turned the wrong way weighs the same.
      ExpectNear(fast.centre_of_mass, ref.centre_of_mass, 1e-9, "centre of mass");
      EXPECT_EQ(std::pair(ref_stats.failed_booleans, fast_stats.failed_booleans),
                std::pair(s.failures, s.failures));
      EXPECT_EQ(fast_entities, ref_entities);
      const bool sections = evaluation == BooleanEvaluation::Fast;
      EXPECT_EQ(std::tuple(fast_stats.prism_booleans, fast_stats.prism_replications,
                           fast_stats.prism_fallbacks),
                std::tuple(sections ? 1 : 0, sections && s.on_sections ? 1 : 0,
                           sections && !s.on_sections ? 1 : 0));
    }
  }
}

// A stop ends the deferred work of the drawing being worked on, the newest; an older drawing's
// solid had every step run before it and is completed. A stop with nothing to drop claims none.
TEST(FastEvaluationTest, AStopTakesNothingFromAnOlderDrawing) {
  const auto slotted = [](OcctCadApplication& app, bool replicate) {
    auto drawing = app.Documents().AddDrawing();
    auto blank = testing::AddSlottedBlank(*drawing->ModelSpace());
    if (replicate) testing::ReplicateSlot(*blank);
    return std::pair(drawing, blank);
  };
  auto reference = MakeHeadlessCadApplication();
  const double complete = MeasureSolid(*slotted(*reference, true).second).volume;
  const double one_slot = MeasureSolid(*slotted(*reference, false).second).volume;
  for (const bool newest_waits : {true, false}) {
    SCOPED_TRACE(newest_waits ? "the newest drawing waits too" : "only the older one waits");
    auto app = MakeHeadlessCadApplication();
    const auto [older, finished] = slotted(*app, true);
    const auto [newest, stopped] = slotted(*app, newest_waits);
    app->SetEvaluationHooks({{}, [] { return true; }});
    if (newest_waits) {
      EXPECT_THROW(app->Evaluate(), EvaluationStopped);
    } else {
      EXPECT_NO_THROW(app->Evaluate());
    }
    app->SetEvaluationHooks({});
    EXPECT_NEAR(MeasureSolid(*finished).volume, complete, 1e-9 * complete);
    EXPECT_NEAR(MeasureSolid(*stopped).volume, one_slot, 1e-9 * one_slot);
    EXPECT_EQ(std::pair(older->Shortfalls().unfinished, newest->Shortfalls().unfinished),
              std::pair(false, newest_waits));
    EXPECT_EQ(newest->Evaluation().dropped_by_stop, newest_waits ? 4 : 0);
    const std::vector<std::string> log = newest->CommandLog();
    EXPECT_EQ(!log.empty() && log.back().starts_with("复制齿槽被停止：还有 4 个齿槽未复制"),
              newest_waits);
  }
}

}  // namespace
}  // namespace kelvo::cad

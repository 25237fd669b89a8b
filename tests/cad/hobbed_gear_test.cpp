// Whole gears hobbed on OCCT, measured as an inspector would against the gear-table theory.

#include <unistd.h>

#include <BRepCheck_Analyzer.hxx>
#include <BRep_Tool.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <array>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "cad/occt/occt_deferred_faults.h"
#include "cad/occt/occt_export.h"
#include "cad/occt/occt_gear_measurement.h"
#include "cad/occt/occt_observer.h"
#include "cad/occt/occt_queries.h"
#include "geometry/gear_constants.h"
#include "geometry/gear_theory.h"
#include "geometry/solve_gear_pair.h"
#include "hobbing/hob_plan.h"
#include "hobbing/rack_cutter.h"
#include "modelling/headless/headless_gears.h"
#include "occt_test_support.h"

namespace kelvo {
namespace {

using cad::BooleanEvaluation;

// The seven inputs of a pair; by default the window's default pair.
struct Inputs {
  double a_true = 60;  // 0: the reference centre distance
  double m = 2;
  std::int16_t z1 = 20;
  std::int16_t z2 = 40;
  double b = 20;
  double beta_degrees = 0;
  double x1 = 0;
};

GearPairData Solve(const Inputs& in) {
  const double beta = DegreesToRadians(in.beta_degrees);
  const double a_true = in.a_true != 0 ? in.a_true : in.m * (in.z1 + in.z2) / (2 * std::cos(beta));
  const SolveResult solved = SolveGearPair(a_true, in.m, in.z1, in.z2, in.b, beta, in.x1);
  EXPECT_TRUE(solved) << "step " << solved.failure.step;
  return solved.pair.value_or(GearPairData{});
}

const Inputs kDefaultPair{};

// The gears built, each inspected against its theory.
struct Hobbed {
  GearsBuild build;
  std::vector<cad::GearInspection> gear;
  std::vector<GearTheory> theory;
  std::vector<HobProgressReport> reports;
};

Hobbed Hob(const Inputs& inputs, std::vector<std::int16_t> gears, double fineness,
           BooleanEvaluation evaluation = BooleanEvaluation::Fast) {
  const GearPairData pair = Solve(inputs);
  Hobbed hobbed;
  hobbed.build = BuildGears(
      {.pair = pair,
       .gears = gears,
       .fineness = fineness,
       .evaluation = evaluation,
       .progress = [&](const HobProgressReport& report) { hobbed.reports.push_back(report); }});
  for (const GearBuild& built : hobbed.build.gears) {
    const std::int16_t z = built.gearNo == 1 ? pair.z1 : pair.z2;
    const GearTheory theory = TheoryOf(pair, built.gearNo, RollAngle(z, built.stepsPerPitch));
    hobbed.gear.push_back(cad::InspectGear(
        *built.gear, {theory.reference_radius, theory.base_radius, theory.form_radius, 0}));
    hobbed.theory.push_back(theory);
  }
  return hobbed;
}

// The cutter's flat tip cuts the root at a few positions per pitch, so the root may stand a
// little proud; the tip arcs meet that flat 0.00003 m below 1.25 m, so it may lie that deeper.
void ExpectAsTheTablesSay(const Hobbed& hobbed, std::size_t i, double root_tolerance) {
  const cad::GearInspection& gear = hobbed.gear.at(i);
  const GearTheory& theory = hobbed.theory.at(i);
  EXPECT_TRUE(cad::MeasureSolid(*hobbed.build.gears[i].gear).is_one_valid_solid);
  EXPECT_EQ(std::tuple(gear.teeth, gear.flanks, hobbed.build.gears[i].failedBooleans),
            std::tuple(theory.teeth, 2 * theory.teeth, 0));
  EXPECT_NEAR(gear.tip_diameter, theory.tip_diameter, 1e-5);
  EXPECT_NEAR(gear.root_diameter, theory.root_diameter, root_tolerance);
  EXPECT_GE(gear.root_diameter, theory.root_diameter - 1e-3);
  EXPECT_NEAR(gear.tooth_thickness, theory.tooth_thickness, 0.01);
  EXPECT_NEAR(gear.tooth_thickness_max - gear.tooth_thickness_min, 0, 1e-4);  // all alike
  // The flank leaves the involute only by the cusps between generating positions.
  EXPECT_NEAR(gear.profile_deviation, 0.95 * theory.cusp_height, 0.1 * theory.cusp_height);
  EXPECT_NEAR(std::abs(gear.helix_angle), theory.helix_angle, 0.1 * kPi / 180);
}

// The same solid: volume, area and where the material is. A space turned the wrong way, or the
// seam of a tip face, weighs the same; the centre of mass and the area tell.
void ExpectSameSolid(const cad::SolidMeasures& actual, const cad::SolidMeasures& expected,
                     double tolerance) {
  EXPECT_NEAR(actual.volume, expected.volume, tolerance * expected.volume);
  EXPECT_NEAR(actual.surface_area, expected.surface_area, tolerance * expected.surface_area);
  const double size = expected.box.max.x - expected.box.min.x;
  cad::testing::ExpectNear(actual.centre_of_mass, expected.centre_of_mass, tolerance * size,
                           "centre of mass");
}

// The shapes the 3D window is given, as an observer of the application hears of them.
struct ShapeKeeper : cad::OcctObserver {
  std::map<cad::EntityId, TopoDS_Shape> shapes;
  void OnEntityAdded(int, const cad::ObservedEntity& entity) override {
    shapes[entity.id] = entity.shape;
  }
  void OnEntityChanged(int, const cad::ObservedEntity& entity) override {
    shapes[entity.id] = entity.shape;
  }
};

// OpenCASCADE's own checker on a solid, as the 3D window receives it: the evaluation on sections
// does not run it on a whole gear, whose validity follows from how the gear is put together.
bool PassesOcctChecker(cad::OcctCadApplication& app, const cad::CadEntity& solid) {
  const auto keeper = std::make_shared<ShapeKeeper>();
  app.SetObserver(keeper);
  app.SetObserver({});
  const TopoDS_Shape& shape = keeper->shapes.at(cad::IdOf(solid));
  return TopExp_Explorer(shape, TopAbs_SOLID).More() && BRepCheck_Analyzer(shape).IsValid();
}

TEST(HobbedGearTest, DefaultSmallGearIsTheReferenceSolidAndMeasuresAsTheTablesSay) {
  const Hobbed fast = Hob(kDefaultPair, {1}, 4);
  const Hobbed reference = Hob(kDefaultPair, {1}, 4, BooleanEvaluation::OperationByOperation);
  const cad::SolidMeasures f = cad::MeasureSolid(*fast.build.gears[0].gear);
  const cad::SolidMeasures r = cad::MeasureSolid(*reference.build.gears[0].gear);
  ExpectSameSolid(f, r, 1e-6);
  EXPECT_EQ(f.face_count, r.face_count);
  // Every position cut on the sections, the replication put together on them, no fallback: not
  // a silent fallback that happens to agree.
  const cad::EvaluationStats stats = fast.build.gears[0].drawing->Evaluation();
  EXPECT_EQ(std::tuple(stats.deferred_intersections, stats.prism_booleans, stats.prism_replications,
                       stats.prism_fallbacks, stats.one_cut_evaluations, stats.fallbacks),
            std::tuple(19, 18, 1, 0, 0, 0));
  // The tables' figures for m 2, z 20 (its tip and root diameters are the report's tests').
  const cad::GearInspection& g = fast.gear[0];
  EXPECT_NEAR(g.tooth_thickness, 2 * kPi / 2, 0.01);
  ExpectAsTheTablesSay(fast, 0, 0.01);
  EXPECT_TRUE(PassesOcctChecker(*fast.build.application, *fast.build.gears[0].gear));
  EXPECT_NEAR(reference.gear[0].tooth_thickness, g.tooth_thickness, 1e-7);
  EXPECT_NEAR(reference.gear[0].profile_deviation, g.profile_deviation, 1e-7);
}

// A helical gear, shifted, as the tables say; its tilted cutter is no prism along Z, so it is
// made on the solids exactly as before. A helical pair's helices run opposite hands.
TEST(HobbedGearTest, HelicalGearsMeasureAsTheTablesSayAndStayOnTheSolids) {
  const Inputs shifted{.a_true = 0, .m = 3, .z1 = 17, .b = 30, .beta_degrees = 15, .x1 = 0.2};
  const Hobbed fast = Hob(shifted, {1}, 4);
  ExpectAsTheTablesSay(fast, 0, 0.02);
  const Hobbed on_solids = Hob(shifted, {1}, 4, BooleanEvaluation::Fast3D);
  const cad::EvaluationStats stats = fast.build.gears[0].drawing->Evaluation();
  EXPECT_EQ(std::tuple(stats.prism_booleans, stats.prism_replications, stats.prism_fallbacks,
                       stats.one_cut_evaluations),
            std::tuple(0, 0, 0, 1));
  EXPECT_EQ(cad::MeasureSolid(*fast.build.gears[0].gear).volume,
            cad::MeasureSolid(*on_solids.build.gears[0].gear).volume);

  const Hobbed pair = Hob({.a_true = 0, .z2 = 31, .beta_degrees = 15}, {1, 2}, 4);
  ExpectAsTheTablesSay(pair, 0, 0.02);
  ExpectAsTheTablesSay(pair, 1, 0.02);
  EXPECT_LT(pair.gear[0].helix_angle * pair.gear[1].helix_angle, 0) << "opposite hands";
}

// Spur gears are evaluated on their sections: the solid of the present evaluation on the solids
// (Fast3D, itself held against the reference above), by the same steps reported alike. The
// reference order would take minutes for the larger of these; the default small gear is held
// against it above.
TEST(HobbedGearTest, SpurGearsOnTheirSectionsAreThePresentFastSolids) {
  struct Case {
    const char* name;
    Inputs pair;
    std::int16_t gearNo;
  };
  const Case cases[] = {
      {.name = "default large gear", .pair = kDefaultPair, .gearNo = 2},
      {.name = "shifted pinion x 0.5", .pair = {.x1 = 0.5}, .gearNo = 1},
      {.name = "undercut pinion z 8",
       .pair = {.a_true = 0, .z1 = 8, .z2 = 30, .b = 16},
       .gearNo = 1},
      {.name = "wheel z 150", .pair = {.a_true = 170, .z2 = 150}, .gearNo = 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Hobbed on_sections = Hob(c.pair, {c.gearNo}, 4);
    const Hobbed on_solids = Hob(c.pair, {c.gearNo}, 4, BooleanEvaluation::Fast3D);
    const GearBuild& built = on_sections.build.gears[0];
    const cad::SolidMeasures s = cad::MeasureSolid(*built.gear);
    const cad::SolidMeasures p = cad::MeasureSolid(*on_solids.build.gears[0].gear);
    EXPECT_TRUE(s.is_one_valid_solid && p.is_one_valid_solid);
    ExpectSameSolid(s, p, 1e-9);
    EXPECT_TRUE(PassesOcctChecker(*on_sections.build.application, *built.gear));
    EXPECT_EQ(on_sections.reports, on_solids.reports);
    EXPECT_EQ(built.skipped.size(), 0u);
    const cad::EvaluationStats stats = built.drawing->Evaluation();
    EXPECT_EQ(std::tuple(stats.prism_booleans, stats.prism_replications, stats.prism_fallbacks,
                         stats.deferred_intersections, stats.failed_booleans),
              std::tuple(built.positionCount, 1, 0, built.intersections, 0));
    ExpectAsTheTablesSay(on_sections, 0, 0.03);
  }
}

// A Boolean on the sections that fails its check is made on the solids at the call, and the gear
// goes on there: the same gear, the fallback counted.
TEST(HobbedGearTest, ASectionBooleanThatFailsIsMadeOnTheSolidsAndCounted) {
  static std::atomic<int> section_booleans{0};
  section_booleans = 0;
  cad::SetDeferredFaultForTesting([](cad::DeferredStage stage) {
    if (stage == cad::DeferredStage::SectionBoolean && ++section_booleans == 5) {
      throw Standard_Failure("struck by the test");
    }
  });
  const Hobbed struck = Hob(kDefaultPair, {1}, 4);
  cad::SetDeferredFaultForTesting(nullptr);
  const Hobbed on_solids = Hob(kDefaultPair, {1}, 4, BooleanEvaluation::Fast3D);
  ExpectSameSolid(cad::MeasureSolid(*struck.build.gears[0].gear),
                  cad::MeasureSolid(*on_solids.build.gears[0].gear), 1e-9);
  const GearBuild& built = struck.build.gears[0];
  const cad::EvaluationStats stats = built.drawing->Evaluation();
  // Four positions on the sections; the fifth and all after it, and the replication, on the
  // solids.
  EXPECT_EQ(std::tuple(stats.prism_booleans, stats.prism_fallbacks, stats.prism_replications,
                       stats.one_cut_evaluations, stats.failed_booleans),
            std::tuple(4, 1, 0, 1, 0));
  EXPECT_TRUE(built.skipped.empty());
  EXPECT_FALSE(built.drawing->Shortfalls().Any());
}

// The six curves close where the CAD application says the arcs end; the area is the hexagon of
// their corners (shoelace) plus the two arc segments beyond their chords.
TEST(HobbedGearTest, TheRackCutterOutlineClosesAndExtrudesToTheToothsArea) {
  const auto app = cad::MakeHeadlessCadApplication();
  const auto drawing = app->Documents().AddDrawing();
  // Spur: the cutter is not tilted.
  const GearBlank blank{.gearPair = Solve(kDefaultPair), .gearNo = 1, .cadDoc = drawing};
  RackCutter made;
  MakeRackCutter(blank, 3, 40, made);
  const RackProfile p = RackProfilePoints(3);
  const auto at = [r = p.tipRadius](cad::Point centre, double angle) {
    return cad::Point{centre.x + r * std::cos(angle), centre.y + r * std::sin(angle), 0};
  };
  // clang-format off
  const cad::Point c[] = {p.leftTop, at(p.leftArcCentre, kLeftTipArcStart),
      at(p.leftArcCentre, kTipArcBottom), at(p.rightArcCentre, kTipArcBottom),
      at(p.rightArcCentre, kRightTipArcEnd), p.rightTop};
  // clang-format on
  double area = 0;
  for (std::size_t i = 0; i < 6; ++i)
    area += (c[i].x * c[(i + 1) % 6].y - c[(i + 1) % 6].x * c[i].y) / 2;
  for (const double sweep :
       {kTipArcBottom - kLeftTipArcStart, kRightTipArcEnd + 2 * std::numbers::pi - kTipArcBottom})
    area += p.tipRadius * p.tipRadius / 2 * (sweep - std::sin(sweep));
  const cad::SolidMeasures cutter = cad::MeasureSolid(*made.cutterSolid);
  EXPECT_TRUE(cutter.is_one_valid_solid);
  EXPECT_NEAR(cutter.volume, area * 40, 1e-9 * cutter.volume);
  EXPECT_NEAR(cutter.box.min.z, -20, 1e-9);  // extruded over 40 and centred on the blank
  EXPECT_NEAR(cutter.box.max.z, 20, 1e-9);
  EXPECT_EQ(drawing->Entities().size(), 1u) << "the outline and the region are gone";
}

// The 3D window's seam: no half-made gear shown as finished; a failing or gone observer harmless.
TEST(OcctObserverTest, HearsOfADeferredSolidOnceItIsEvaluatedAndCannotHarmTheDrawing) {
  struct FaceCounter : cad::OcctObserver {
    std::vector<int> faces_heard;
    void OnEntityChanged(int, const cad::ObservedEntity& entity) override {
      TopTools_IndexedMapOfShape faces;
      TopExp::MapShapes(entity.shape, TopAbs_FACE, faces);
      faces_heard.push_back(faces.Extent());
      throw std::runtime_error("observer failure");
    }
  };
  auto app = cad::MakeHeadlessCadApplication();
  auto drawing = app->Documents().AddDrawing();
  auto blank = cad::testing::AddSlottedBlank(*drawing->ModelSpace());
  auto observer = std::make_shared<FaceCounter>();
  app->SetObserver(observer);
  app->SetVisible(false);
  const int one_slot = cad::MeasureSolid(*blank).face_count;
  cad::testing::ReplicateSlot(*blank);
  EXPECT_TRUE(observer->faces_heard.empty());
  app->SetVisible(true);
  ASSERT_EQ(observer->faces_heard.size(), 1u);
  EXPECT_EQ(observer->faces_heard[0], cad::MeasureSolid(*blank).face_count);
  EXPECT_GT(observer->faces_heard[0], one_slot);
  EXPECT_EQ(drawing->Entities().size(), 1u);
  observer.reset();  // held weakly by the application: nobody hears what follows
  blank->Move({0, 0, 0}, {1, 0, 0});
  drawing->Close();
}

// The 3D window draws the very shapes the observer hears of, meshing them as it draws. An
// export, written beside it on a thread of its own, meshes and translates copies and leaves
// those shapes alone, so the two never write into one face at once.
TEST(OcctObserverTest, AnExportMeshesCopiesNeverTheShapesTheWindowDraws) {
  auto app = cad::MakeHeadlessCadApplication();
  auto keeper = std::make_shared<ShapeKeeper>();
  app->SetObserver(keeper);
  auto drawing = app->Documents().AddDrawing();
  const auto blank = cad::testing::AddSlottedBlank(*drawing->ModelSpace());
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("kelvo-mesh-" + std::to_string(getpid()) + ".stl");
  cad::ExportDocument(*drawing, file);
  EXPECT_GT(std::filesystem::file_size(file), 1000u);
  std::filesystem::remove(file);
  int faces = 0;
  const TopoDS_Shape& drawn = keeper->shapes.at(cad::IdOf(*blank));
  for (TopExp_Explorer face(drawn, TopAbs_FACE); face.More(); face.Next()) {
    TopLoc_Location location;
    EXPECT_TRUE(BRep_Tool::Triangulation(TopoDS::Face(face.Current()), location).IsNull());
    ++faces;
  }
  EXPECT_EQ(faces, 7);
}

}  // namespace
}  // namespace kelvo

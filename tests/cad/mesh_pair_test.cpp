// The pair in mesh: both hobbed gears placed together (MESH), measured as a pair, and written as
// one assembly. The measurements are held against what the cusp law allows at the fineness.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <map>
#include <numbers>
#include <string>
#include <tuple>

#include "app/commands/calculate_steps.h"
#include "cad/occt/occt_export.h"
#include "cad/occt/occt_mesh_drawing.h"
#include "cad/occt/occt_queries.h"
#include "geometry/derived_values.h"
#include "hobbing/hob_plan.h"
#include "modelling/headless/headless_gears.h"

namespace kelvo {
namespace {

using std::numbers::pi;

const GearPairTexts kDefaultPair{};
const GearPairTexts kHelicalPair{
    .a_true = "100", .m = "2", .z1 = "23", .z2 = "73", .b = "30", .beta = "15", .x1 = "0.3"};
// The pinion shifted by half a module at a centre distance one millimetre over the reference.
const GearPairTexts kShiftedPinion{.a_true = "61", .x1 = "0.5"};

// Both gears of a pair built headless at a fineness, once per test program: a build takes
// seconds, and several tests mesh the same gears.
GearsBuild& Built(const GearPairTexts& texts, double fineness) {
  static std::map<std::tuple<std::string, std::string, double>, GearsBuild> built;
  const auto key = std::make_tuple(texts.a_true + "/" + texts.z1 + "/" + texts.z2,
                                   texts.x1 + "/" + texts.beta, fineness);
  auto found = built.find(key);
  if (found == built.end()) {
    const GearBuildRequest request{
        .pair = *SolvePairFromTexts(texts), .gears = {1, 2}, .fineness = fineness};
    found = built.emplace(key, BuildGears(request)).first;
  }
  return found->second;
}

// What the cusp law allows a pair of hobbed gears that mesh without backlash in theory.
//
// A generating cut leaves each flank as straight facets, each tangent to the true involute at
// one position of the cutter: the flank lies outside the involute between the tangent points,
// by at most the cusp height h = rho dtheta^2 / 8, where dtheta is the blank's turn between two
// positions (2 pi / (z x positions per pitch)) and rho the involute's radius of curvature, at
// most sqrt(ra^2 - rb^2) at the tip. So two flanks in contact overlap by at most h1 + h2 along
// their common normal, and the hobbed teeth are never thinner than theory:
// - the large gear turns back at most (h1 + h2) / rb2 on each side before the flanks part: the
//   backlash lies between -2 (h1 + h2) rw2 / rb2 = -2 (h1 + h2) / cos(alpha_wt) and 0;
// - two profiles overlapping by a depth delta = h1 + h2 with a relative radius of curvature of
//   at most rho share a lens of area at most (4 / 3) delta sqrt(2 rho delta); at most
//   2 ceil(eps_alpha) tooth pairs touch (both sides), so the shared volume is at most b times
//   that many lenses.
struct CuspLaw {
  double h1 = 0;  // mm
  double h2 = 0;
  double least_backlash = 0;            // mm, negative
  double most_interference_volume = 0;  // mm^3
};

CuspLaw CuspLawFor(const GearPairTexts& texts, double fineness) {
  const GearPairData pair = *SolvePairFromTexts(texts);
  const DerivedValues derived = DeriveValues(pair);
  CuspLaw law;
  double rho_most = 0;
  for (const std::int16_t gearNo : {std::int16_t{1}, std::int16_t{2}}) {
    const CutGear gear = GearToCut(pair, gearNo);
    const double steps = CappedStepsPerPitch(RoundedStepsPerPitch(fineness, gear.z), gearNo);
    const double turn = 2 * pi / (gear.z * steps);
    const double rb = derived.Of(gearNo).db / 2;
    const double rho = std::sqrt(gear.da * gear.da / 4 - rb * rb);
    rho_most = std::max(rho_most, rho);
    (gearNo == 1 ? law.h1 : law.h2) = rho * turn * turn / 8;
  }
  const double delta = law.h1 + law.h2;
  law.least_backlash = -2 * delta / std::cos(pair.alpha_wt);
  const double lens = 4.0 / 3 * delta * std::sqrt(2 * rho_most * delta);
  law.most_interference_volume = pair.b * 2 * std::ceil(pair.eps_alpha) * lens;
  return law;
}

cad::MeshDrawing Mesh(const GearPairTexts& texts, double fineness, cad::MeshOptions options = {}) {
  return cad::MakeMeshDrawing(*Built(texts, fineness).application, options);
}

// A tooth of the pair as the measurement finds it: of the order the cusp law allows, the tip
// clearances those of theory.
void ExpectMeshesAsTheCuspLawAllows(const GearPairTexts& texts, const std::string& name) {
  const CuspLaw law = CuspLawFor(texts, 4);
  const cad::MeshDrawing mesh = Mesh(texts, 4);
  const cad::MeshMeasurement& m = mesh.measurement;
  SCOPED_TRACE(name);
  EXPECT_TRUE(m.valid);
  EXPECT_GE(m.interference_volume, 0);
  EXPECT_LE(m.interference_volume, law.most_interference_volume);
  EXPECT_GE(m.backlash, law.least_backlash);
  EXPECT_LE(m.backlash, 0.001);  // no thinner than theory, to a micrometre
  EXPECT_NEAR(m.tip_clearance1, m.tip_clearance1_theory, 0.01);
  EXPECT_NEAR(m.tip_clearance2, m.tip_clearance2_theory, 0.01);
  EXPECT_NEAR(m.tip_clearance1_theory, 0.25 * 2, 0.2);  // a clearance of the order of 0.25 m
  ASSERT_GE(m.transmission_error.size(), 12u);
  const GearPairData pair = *SolvePairFromTexts(texts);
  EXPECT_NEAR(m.transmission_error.back().first, 2 * pi / pair.z1 * 15 / 16, 1e-12);
  // Every error is one the cusps allow: the large gear held back by at most their overlap.
  for (const auto& [turn, error] : m.transmission_error) {
    EXPECT_LE(error, 1);  // urad: never ahead of the ideal
    EXPECT_GE(error * 1e-6 * pair.a_true, law.least_backlash) << "at " << turn;
  }
  std::cout << name << ": interference " << m.interference_volume
            << " mm^3 (cusp law <= " << law.most_interference_volume << "), backlash " << m.backlash
            << " mm (>= " << law.least_backlash << "), tip clearances " << m.tip_clearance1 << " / "
            << m.tip_clearance2 << " mm, TE " << m.transmission_error_peak_to_peak
            << " urad, cusps " << law.h1 * 1000 << " / " << law.h2 * 1000 << " um, " << m.seconds
            << " s\n";
}

// Finer generation, smaller cusps, a smoother transmission.
void ExpectTransmissionErrorFallsAsTheFinenessRises(const GearPairTexts& texts,
                                                    const std::string& name) {
  const double coarse = Mesh(texts, 4).measurement.transmission_error_peak_to_peak;
  const double fine = Mesh(texts, 12).measurement.transmission_error_peak_to_peak;
  std::cout << name << ": TE peak to peak " << coarse << " urad at fineness 4, " << fine
            << " urad at 12\n";
  EXPECT_LT(fine, coarse) << name;
  EXPECT_GT(coarse, 0) << name;
}

// The measurement catches the faults it exists for: a phase half a pitch off puts tooth on tooth,
// a centre distance half a millimetre short presses the flanks into each other.
void ExpectHalfAPitchOffFailsTheInterferenceTest() {
  const GearPairData pair = *SolvePairFromTexts(kDefaultPair);
  const cad::MeshDrawing mesh =
      Mesh(kDefaultPair, 4, {.transmission_positions = 0, .extra_turn = pi / pair.z2});
  EXPECT_GT(mesh.measurement.interference_volume,
            100 * CuspLawFor(kDefaultPair, 4).most_interference_volume);
}

void ExpectWrongCentreDistanceFailsTheInterferenceTest() {
  const cad::MeshDrawing mesh =
      Mesh(kDefaultPair, 4, {.transmission_positions = 0, .centre_distance = 59.5});
  const CuspLaw law = CuspLawFor(kDefaultPair, 4);
  EXPECT_GT(mesh.measurement.interference_volume, law.most_interference_volume);
  EXPECT_LT(mesh.measurement.backlash, law.least_backlash);
}

// The mesh drawing holds copies of both gears, the large one's axis at a', with their red
// reference circles; the gears' own drawings stay as they were. Written as STEP it is one
// assembly of two parts named for the gears, each with its circle; a gear's own drawing is one.
void ExpectTheMeshDrawingAndItsAssemblyHoldBothGearsInPlace() {
  GearsBuild& build = Built(kDefaultPair, 4);
  const GearPairData pair = *SolvePairFromTexts(kDefaultPair);
  const cad::SolidMeasures small_before = cad::MeasureSolid(*build.gears[0].gear);
  const cad::SolidMeasures large_before = cad::MeasureSolid(*build.gears[1].gear);
  const cad::MeshDrawing mesh = Mesh(kDefaultPair, 4, {.transmission_positions = 0});

  const std::vector<cad::EntityInfo> entities = mesh.drawing->Entities();
  ASSERT_EQ(entities.size(), 4u);
  EXPECT_EQ(std::count_if(entities.begin(), entities.end(),
                          [](const cad::EntityInfo& entity) {
                            return entity.kind == cad::EntityKind::Circle && entity.color == 1;
                          }),
            2)
      << "both reference circles, red";
  const cad::SolidMeasures small_after = cad::MeasureSolid(*build.gears[0].gear);
  EXPECT_EQ(small_after.volume, small_before.volume);
  EXPECT_EQ(small_after.box.max.x, small_before.box.max.x);
  EXPECT_EQ(cad::MeasureSolid(*build.gears[1].gear).volume, large_before.volume);
  EXPECT_NEAR(cad::MeasureSolid(*mesh.large_solid).volume, large_before.volume,
              1e-9 * large_before.volume);
  ASSERT_TRUE(mesh.drawing->Mesh());
  EXPECT_EQ(mesh.drawing->Mesh()->z1, 20);
  EXPECT_EQ(mesh.drawing->Mesh()->large_centre.x, pair.a_true);

  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("kelvo-mesh-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  cad::ExportDocument(*mesh.drawing, folder / "pair.step");
  const std::vector<cad::ImportedPart> parts = cad::ReadStepParts(folder / "pair.step");
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0].name, "小齿轮 z20 m2");
  EXPECT_EQ(parts[1].name, "大齿轮 z40 m2");
  for (const cad::ImportedPart& part : parts) {
    EXPECT_EQ(part.solid_count, 1) << part.name;
    EXPECT_EQ(part.curve_count, 1) << part.name;  // the reference circle, inside the part
  }
  EXPECT_NEAR(parts[0].origin.x, 0, 1e-9);
  EXPECT_NEAR(parts[1].origin.x, pair.a_true, 1e-9);  // the large gear's axis at a'
  EXPECT_NEAR(parts[1].origin.y, 0, 1e-9);
  EXPECT_NEAR((parts[1].box.min.x + parts[1].box.max.x) / 2, pair.a_true, 0.1);
  EXPECT_NEAR(parts[1].box.max.x - parts[1].box.min.x, pair.da2, 0.1);
  EXPECT_NEAR(parts[1].volume, large_before.volume, 1e-9 * parts[1].volume);

  cad::ExportDocument(*build.gears[0].drawing, folder / "small.step");
  const std::vector<cad::ImportedPart> one = cad::ReadStepParts(folder / "small.step");
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(std::tuple(one[0].name, one[0].solid_count, one[0].curve_count),
            std::tuple("小齿轮 z20 m2", 1, 1));
  std::filesystem::remove_all(folder);
}

void ExpectMeshAtTheCommandLineMakesTheMeshDrawingOrSaysWhyNot() {
  GearsBuild& build = Built(kDefaultPair, 4);
  const std::size_t before = build.application->Documents().Open().size();
  build.gears[0].drawing->SendCommand("MESH ");
  const auto open = build.application->Documents().Open();
  ASSERT_EQ(open.size(), before + 1);
  ASSERT_TRUE(open.back()->Mesh());
  const std::vector<std::string> log = open.back()->CommandLog();
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
    return line.starts_with("干涉体积");
  })) << "the measurement in the log";

  // One gear alone: nothing to mesh, and the log says so.
  const GearsBuild alone =
      BuildGears({.pair = *SolvePairFromTexts(kDefaultPair), .gears = {1}, .fineness = 1});
  alone.gears[0].drawing->SendCommand("MESH ");
  EXPECT_EQ(alone.application->Documents().Open().size(), 1u);
  EXPECT_EQ(alone.gears[0].drawing->CommandLog().back(),
            "请先生成同一齿轮副的小齿轮和大齿轮，再作啮合装配。");
}

// Each test is a process of its own, and a pair takes seconds to build: the default pair's gears
// are built once at each fineness and serve every check of it.
TEST(MeshPair, DefaultPair) {
  ExpectMeshesAsTheCuspLawAllows(kDefaultPair, "default pair");
  ExpectTheMeshDrawingAndItsAssemblyHoldBothGearsInPlace();
  ExpectHalfAPitchOffFailsTheInterferenceTest();
  ExpectWrongCentreDistanceFailsTheInterferenceTest();
  ExpectMeshAtTheCommandLineMakesTheMeshDrawingOrSaysWhyNot();
  ExpectTransmissionErrorFallsAsTheFinenessRises(kDefaultPair, "default pair");
}

TEST(MeshPair, ShiftedPinion) {
  ExpectMeshesAsTheCuspLawAllows(kShiftedPinion, "shifted pinion");
  ExpectTransmissionErrorFallsAsTheFinenessRises(kShiftedPinion, "shifted pinion");
}

TEST(MeshPair, HelicalPair) {
  ExpectMeshesAsTheCuspLawAllows(kHelicalPair, "helical pair");
}

}  // namespace
}  // namespace kelvo

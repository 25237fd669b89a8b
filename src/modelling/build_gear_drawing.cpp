#include "modelling/build_gear_drawing.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "geometry/derived_values.h"
#include "hobbing/checked_arithmetic.h"
#include "hobbing/gear_blank.h"
#include "hobbing/hob_gear.h"
#include "hobbing/hob_plan.h"
#include "modelling/gear_description.h"
#include "modelling/shortfall_texts.h"

namespace kelvo {
namespace {

constexpr cad::Point kOrigin{0, 0, 0};
// The isometric view a gear designer expects: both end faces and the flanks in sight.
constexpr cad::Point kViewDirection{1, 1, 1};
constexpr int kRed = 1;

// The model space handed out is held by the caller for as long as it adds to it.
std::shared_ptr<cad::CadModelSpace> ModelSpaceOf(const std::shared_ptr<cad::CadDocument>& drawing) {
  std::shared_ptr<cad::CadModelSpace> space = Deref(drawing, "drawing").ModelSpace();
  Deref(space, "model space");
  return space;
}

double FinenessOf(std::optional<double> fineness) {
  if (!fineness) throw HobbingError("the fineness is no number");
  return *fineness;
}

// The drawing says itself what of the gear asked for it lacks, so that a gear with a skipped
// step is never taken for a finished one. Marking is no step of the gear: if even that fails,
// the drawing stays as it is.
void Mark(const std::shared_ptr<cad::CadDocument>& drawing, cad::Shortfall shortfall,
          const std::string& what, const std::string& detail = {}) {
  try {
    if (drawing) drawing->MarkShortfall(shortfall, what, detail);
  } catch (const cad::CadError&) {
  }
}

void MarkSkipped(const std::shared_ptr<cad::CadDocument>& drawing,
                 const std::vector<SkippedStatement>& skipped, std::int16_t gearNo,
                 std::int16_t z) {
  for (const SkippedStatement& statement : skipped) {
    if (statement.step == GearStep::HideCadApplication || CostsTheGearNothing(statement, z))
      continue;
    Mark(drawing, cad::Shortfall::Incomplete, AboutGear(gearNo, SkippedStepText(statement)),
         statement.Statement() + " failed: " + statement.reason);
  }
}

// Saying what the drawing holds is no step of the gear either.
void Describe(const std::shared_ptr<cad::CadDocument>& drawing, const GearPairData& gearPair,
              const GearToBuild& gear) {
  try {
    if (drawing) drawing->Describe(DescribeGear(gearPair, gear));
  } catch (const cad::CadError&) {
  }
}

// What the cut left for the build to finish, and the stop that ended it, if one did.
struct CutOutcome {
  std::vector<SkippedStatement> skipped;
  std::optional<HobProgressReport> stopped_at;
};

// The cut, under the build's skip regime. A stop during it is handed back, not thrown: what it
// took from the gear decides how the drawing is finished.
CutOutcome Hob(SkipOnFailure& skip, const GearBlank& blank, std::optional<double> fineness,
               const HobProgress& progress) {
  CutOutcome cut;
  try {
    skip.Run(GearStep::HobTheGear, [&] {
      Deref(blank.blankSolid, "blank solid");
      cut.skipped = HobGear(blank, FinenessOf(fineness), progress);
    });
  } catch (const GearCutStopped& stop) {
    cut.skipped = stop.skipped;
    cut.stopped_at = stop.reached;
  }
  return cut;
}

// The part the gear's solid and its reference circle belong to: its name in an export
// ("小齿轮 z20 m2") and what the CAD application needs to put it in mesh with its mate.
cad::GearPart PartOf(const GearPairData& pair, std::int16_t gearNo,
                     std::optional<double> fineness) {
  const bool small = gearNo == 1;
  const CutGear gear = GearToCut(pair, gearNo);
  char module[32];
  std::snprintf(module, sizeof module, "%g", pair.m);
  cad::GearPart part;
  part.name =
      std::string(small ? "小齿轮" : "大齿轮") + " z" + std::to_string(gear.z) + " m" + module;
  part.gearNo = small ? 1 : 2;
  part.pair = {pair.a_true, pair.m, pair.z1, pair.z2, pair.b, pair.beta, pair.x1};
  const GearDerivedValues derived = DeriveValues(pair).Of(small ? 1 : 2);
  part.reference_radius = gear.d / 2;
  part.base_radius = derived.db / 2;
  part.working_pitch_radius = derived.dw / 2;
  part.tip_radius = gear.da / 2;
  part.root_radius = derived.df / 2;
  part.fineness = fineness.value_or(0);
  // Where the hobbing left the space it cut; an uncut blank has none.
  if (fineness) part.space_angle = FirstSpaceAngle(pair, gearNo, *fineness);
  return part;
}

// Telling the drawing what the gear is costs the gear nothing: where it fails, the drawing only
// goes without the part's name.
void DescribeParts(const std::shared_ptr<cad::CadDocument>& drawing, const GearPairData& pair,
                   const GearToBuild& gear, const std::vector<cad::CadEntity*>& entities) {
  if (!drawing) return;
  try {
    const cad::GearPart part = PartOf(pair, gear.gearNo, gear.fineness);
    for (cad::CadEntity* entity : entities) {
      if (entity) drawing->DescribePart(*entity, part);
    }
  } catch (const HobbingError&) {
  } catch (const cad::CadError&) {
  }
}

std::vector<SkippedStatement> Joined(std::vector<SkippedStatement> first,
                                     const std::vector<SkippedStatement>& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

}  // namespace

GearDrawing BuildGearDrawing(const std::shared_ptr<cad::CadApplication>& cadApp,
                             const GearPairData& gearPair, const GearToBuild& gear,
                             const HobProgress& progress) {
  const bool small = gear.gearNo == 1;
  const double tip_radius = (small ? gearPair.da1 : gearPair.da2) / 2;
  const double reference_radius = (small ? gearPair.d1 : gearPair.d2) / 2;
  const std::int16_t z = GearToCut(gearPair, gear.gearNo).z;
  // The steps up to the cut and those after it; with the cut's own list between them, the
  // skipped statements come out in the order they ran.
  SkipOnFailure skip;
  SkipOnFailure finish;
  // Only what this build makes: a drawing or blank that could not be made stays empty, so the
  // steps that need it fail rather than reach into an earlier gear's drawing.
  GearDrawing made{.gearNo = gear.gearNo};

  skip.Run(GearStep::NewDrawing,
           [&] { made.cadDoc = Deref(cadApp, "CAD application").Documents().Add(); });
  Describe(made.cadDoc, gearPair, gear);
  // Adding a drawing may bring the CAD application to the front; the cut runs unseen.
  skip.Run(GearStep::HideCadApplication,
           [&] { Deref(cadApp, "CAD application").SetVisible(false); });
  skip.Run(GearStep::MakeBlank, [&] {
    made.blankSolid = ModelSpaceOf(made.cadDoc)->AddCylinder(kOrigin, tip_radius, gearPair.b);
  });

  const CutOutcome cut =
      Hob(skip, {gearPair, gear.gearNo, made.cadDoc, made.blankSolid}, gear.fineness, progress);
  made.stopped = cut.stopped_at.has_value();
  if (made.stopped && !cut.stopped_at->Finished()) {
    // The gear keeps what was cut so far, without its reference circle and view.
    made.skipped = Joined(skip.skipped(), cut.skipped);
    MarkSkipped(made.cadDoc, made.skipped, gear.gearNo, z);
    Mark(made.cadDoc, cad::Shortfall::Unfinished,
         AboutGear(gear.gearNo, StoppedBuildText(*cut.stopped_at)));
    DescribeParts(made.cadDoc, gearPair, gear, {made.blankSolid.get()});
    return made;
  }

  const std::shared_ptr<cad::CadDocument>& drawing = made.cadDoc;
  std::shared_ptr<cad::CadCircle> circle;
  finish.Run(GearStep::AddReferenceCircle,
             [&] { circle = ModelSpaceOf(drawing)->AddCircle(kOrigin, reference_radius); });
  finish.Run(GearStep::ColourReferenceCircle,
             [&] { Deref(circle, "reference circle").SetColor(kRed); });

  // The active viewport collects the new direction and centre; only assigning it back to the
  // drawing makes the drawing show them.
  finish.Run(GearStep::LookFromOneOneOne, [&] {
    Deref(Deref(drawing, "drawing").ActiveViewport(), "view").SetDirection(kViewDirection);
  });
  finish.Run(GearStep::CentreView,
             [&] { Deref(Deref(drawing, "drawing").ActiveViewport(), "view").SetCenter(kOrigin); });
  finish.Run(GearStep::ApplyView, [&] {
    cad::CadDocument& document = Deref(drawing, "drawing");
    document.SetActiveViewport(document.ActiveViewport());
  });
  finish.Run(GearStep::ZoomExtents, [&] { Deref(drawing, "drawing").SendCommand("ZOOM E "); });
  if (gear.shade) {
    finish.Run(GearStep::Shade, [&] { Deref(drawing, "drawing").SendCommand("SHADEMODE G "); });
  }

  made.skipped = Joined(Joined(skip.skipped(), cut.skipped), finish.skipped());
  MarkSkipped(made.cadDoc, made.skipped, gear.gearNo, z);
  DescribeParts(made.cadDoc, gearPair, gear, {made.blankSolid.get(), circle.get()});
  return made;
}

}  // namespace kelvo

#include "modelling/build_gear_drawing.h"

#include <optional>
#include <string>
#include <utility>

#include "cad/cad_session.h"
#include "geometry/gear_pair_data.h"
#include "hobbing/checked_arithmetic.h"
#include "hobbing/hob_gear.h"
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
          const std::string& what) {
  try {
    if (drawing) drawing->MarkShortfall(shortfall, what);
  } catch (const cad::CadError&) {
  }
}

void MarkSkipped(const std::shared_ptr<cad::CadDocument>& drawing,
                 const std::vector<SkippedStatement>& skipped, std::int16_t z) {
  for (const SkippedStatement& statement : skipped) {
    if (statement.step == GearStep::HideCadApplication || CostsTheGearNothing(statement, z))
      continue;
    Mark(drawing, cad::Shortfall::Incomplete, SkippedStepText(statement));
  }
}

std::int16_t TeethOf(std::int16_t gearNo) {
  return gearNo == 1 ? gearPair.z1 : gearPair.z2;
}

// The cut, under the build's skip regime. A stop that took something from the gear marks the
// drawing and passes on at once; one that came after the last copy is handed back in too_late,
// to pass on once the drawing is finished.
std::vector<SkippedStatement> Hob(SkipOnFailure& skip, std::optional<double> fineness,
                                  std::int16_t gearNo, const HobProgress& progress,
                                  const std::shared_ptr<cad::CadDocument>& drawing,
                                  std::optional<GearCutStopped>& too_late) {
  std::vector<SkippedStatement> cut;
  try {
    skip.Run(GearStep::HobTheGear, [&] {
      Deref(blankSolid, "blank solid");
      cut = HobGear({gearPair, gearNo, cadDoc, blankSolid}, FinenessOf(fineness), progress);
    });
  } catch (const GearCutStopped& stop) {
    if (stop.reached.Finished()) {
      too_late = stop;
      return stop.skipped;
    }
    // The gear keeps what was cut so far, without its reference circle and view.
    MarkSkipped(drawing, skip.skipped(), TeethOf(gearNo));
    MarkSkipped(drawing, stop.skipped, TeethOf(gearNo));
    Mark(drawing, cad::Shortfall::Unfinished, StoppedBuildText(stop.reached));
    throw;
  }
  return cut;
}

}  // namespace

GearDrawing BuildGearDrawing(std::int16_t gearNo, std::optional<double> fineness, bool shade,
                             const HobProgress& progress) {
  const bool small = gearNo == 1;
  const double tip_radius = (small ? gearPair.da1 : gearPair.da2) / 2;
  const double reference_radius = (small ? gearPair.d1 : gearPair.d2) / 2;
  // The steps up to the cut and those after it; with the cut's own list between them, the
  // skipped statements come out in the order they ran.
  SkipOnFailure skip;
  SkipOnFailure finish;
  GearDrawing result;

  // A reference left on the previous gear's drawing or solid would send every later step of
  // this gear (the cut above all) into that earlier drawing; an empty one only fails them.
  cadDoc.reset();
  skip.Run(GearStep::NewDrawing,
           [&] { cadDoc = Deref(cadApp, "CAD application").Documents().Add(); });
  result.drawing = cadDoc;
  // Adding a drawing may bring the CAD application to the front; the cut runs unseen.
  skip.Run(GearStep::HideCadApplication,
           [&] { Deref(cadApp, "CAD application").SetVisible(false); });

  blankSolid.reset();
  skip.Run(GearStep::MakeBlank, [&] {
    blankSolid = ModelSpaceOf(cadDoc)->AddCylinder(kOrigin, tip_radius, gearPair.b);
  });
  result.gear = blankSolid;

  std::optional<GearCutStopped> too_late;
  const std::vector<SkippedStatement> cut =
      Hob(skip, fineness, gearNo, progress, result.drawing, too_late);

  std::shared_ptr<cad::CadCircle> circle;
  finish.Run(GearStep::AddReferenceCircle,
             [&] { circle = ModelSpaceOf(cadDoc)->AddCircle(kOrigin, reference_radius); });
  finish.Run(GearStep::ColourReferenceCircle,
             [&] { Deref(circle, "reference circle").SetColor(kRed); });

  // The active viewport collects the new direction and centre; only assigning it back to the
  // drawing makes the drawing show them.
  finish.Run(GearStep::LookFromOneOneOne, [&] {
    Deref(Deref(cadDoc, "drawing").ActiveViewport(), "view").SetDirection(kViewDirection);
  });
  finish.Run(GearStep::CentreView,
             [&] { Deref(Deref(cadDoc, "drawing").ActiveViewport(), "view").SetCenter(kOrigin); });
  finish.Run(GearStep::ApplyView, [&] {
    cad::CadDocument& drawing = Deref(cadDoc, "drawing");
    drawing.SetActiveViewport(drawing.ActiveViewport());
  });
  finish.Run(GearStep::ZoomExtents, [&] { Deref(cadDoc, "drawing").SendCommand("ZOOM E "); });
  if (shade)
    finish.Run(GearStep::Shade, [&] { Deref(cadDoc, "drawing").SendCommand("SHADEMODE G "); });

  result.skipped = skip.skipped();
  result.skipped.insert(result.skipped.end(), cut.begin(), cut.end());
  result.skipped.insert(result.skipped.end(), finish.skipped().begin(), finish.skipped().end());
  MarkSkipped(result.drawing, result.skipped, TeethOf(gearNo));
  // A stop too late to take anything from this gear still ends the build.
  if (too_late) throw *too_late;
  return result;
}

}  // namespace kelvo

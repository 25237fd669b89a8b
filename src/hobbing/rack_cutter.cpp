#include "hobbing/rack_cutter.h"

#include <vector>

#include "hobbing/checked_arithmetic.h"
#include "hobbing/hob_plan.h"

namespace kelvo {

namespace {

constexpr cad::Point kOrigin{0, 0, 0};

// The model space of the blank's drawing, asked for afresh for every entity added. Held by the
// caller's full expression: the drawing may hand out a new one each time.
std::shared_ptr<cad::CadModelSpace> ModelSpace(const GearBlank& blank) {
  std::shared_ptr<cad::CadModelSpace> space = Deref(blank.cadDoc, "drawing").ModelSpace();
  Deref(space, "model space");
  return space;
}

}  // namespace

void MakeRackCutter(const GearBlank& blank, double m, double height, RackCutter& cutter) {
  const RackProfile p = RackProfilePoints(m);

  // The outline as one closed loop. The lines meet the arcs at the end points the CAD
  // application reports for them, so the loop closes exactly where the arcs really end.
  const std::shared_ptr<cad::CadArc> left_arc =
      ModelSpace(blank)->AddArc(p.leftArcCentre, p.tipRadius, kLeftTipArcStart, kTipArcBottom);
  std::vector<cad::EntityRef> curves{left_arc};
  const std::shared_ptr<cad::CadArc> right_arc =
      ModelSpace(blank)->AddArc(p.rightArcCentre, p.tipRadius, kTipArcBottom, kRightTipArcEnd);
  curves.push_back(right_arc);
  curves.push_back(ModelSpace(blank)->AddLine(Deref(left_arc, "arc").StartPoint(), p.leftTop));
  curves.push_back(ModelSpace(blank)->AddLine(Deref(right_arc, "arc").EndPoint(), p.rightTop));
  curves.push_back(ModelSpace(blank)->AddLine(left_arc->EndPoint(), right_arc->StartPoint()));
  curves.push_back(ModelSpace(blank)->AddLine(p.leftTop, p.rightTop));

  std::vector<cad::EntityRef> regions = ModelSpace(blank)->AddRegion(curves);
  if (regions.empty()) throw HobbingError("the rack outline gave no region");
  const cad::EntityRef region = regions.front();

  cutter.cutterSolid = ModelSpace(blank)->AddExtrudedSolid(Deref(region, "region"), height, 0);
  cad::Cad3DSolid& solid = Deref(cutter.cutterSolid, "cutter solid");

  // Centre the cutter on the blank's middle plane: it spans twice the face width.
  solid.Move(kOrigin, {0, 0, Finite(-height / 2)});
  // Datum line at d/2 + x m: the reference circle rolls on the rack line x m nearer the axis,
  // which is how the profile shift enters the cut.
  const GearPairData& pair = blank.gearPair;
  const CutGear gear = GearToCut(pair, blank.gearNo);
  solid.Move(kOrigin, {0, Finite(gear.x * pair.m + gear.d / 2), 0});
  // Tilt about the cutter's own centre line; opposite senses give the pair opposite hands.
  solid.Rotate3D(kOrigin, {0, 1, 0}, blank.gearNo == 1 ? -pair.beta : pair.beta);

  cutter.halfTravel = HalfTravel(pair, blank.gearNo);
  solid.Move(kOrigin, {-cutter.halfTravel, 0, 0});

  for (const cad::EntityRef& curve : curves) {
    Deref(curve, "curve").Delete();
  }
  regions.clear();
  region->Delete();
}

}  // namespace kelvo

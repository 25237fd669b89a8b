#include "hobbing/rack_cutter.h"

#include <vector>

#include "cad/cad_session.h"
#include "geometry/gear_pair_data.h"
#include "hobbing/checked_arithmetic.h"
#include "hobbing/hob_plan.h"

namespace kelvo {

std::shared_ptr<cad::Cad3DSolid> cutterSolid;
double halfTravel = 0;

namespace {

constexpr cad::Point kOrigin{0, 0, 0};

// The model space of the current drawing, asked for afresh for every entity added. Held by
// the caller's full expression: the drawing may hand out a new one each time.
std::shared_ptr<cad::CadModelSpace> ModelSpace() {
  std::shared_ptr<cad::CadModelSpace> space = Deref(cadDoc, "drawing").ModelSpace();
  Deref(space, "model space");
  return space;
}

}  // namespace

void MakeRackCutter(double m, double height, std::int16_t gearNo) {
  const RackProfile p = RackProfilePoints(m);

  // The outline as one closed loop. The lines meet the arcs at the end points the CAD
  // application reports for them, so the loop closes exactly where the arcs really end.
  const std::shared_ptr<cad::CadArc> left_arc =
      ModelSpace()->AddArc(p.leftArcCentre, p.tipRadius, kLeftTipArcStart, kTipArcBottom);
  std::vector<cad::EntityRef> curves{left_arc};
  const std::shared_ptr<cad::CadArc> right_arc =
      ModelSpace()->AddArc(p.rightArcCentre, p.tipRadius, kTipArcBottom, kRightTipArcEnd);
  curves.push_back(right_arc);
  curves.push_back(ModelSpace()->AddLine(Deref(left_arc, "arc").StartPoint(), p.leftTop));
  curves.push_back(ModelSpace()->AddLine(Deref(right_arc, "arc").EndPoint(), p.rightTop));
  curves.push_back(ModelSpace()->AddLine(left_arc->EndPoint(), right_arc->StartPoint()));
  curves.push_back(ModelSpace()->AddLine(p.leftTop, p.rightTop));

  std::vector<cad::EntityRef> regions = ModelSpace()->AddRegion(curves);
  if (regions.empty()) throw HobbingError("the rack outline gave no region");
  const cad::EntityRef region = regions.front();

  cutterSolid = ModelSpace()->AddExtrudedSolid(Deref(region, "region"), height, 0);
  cad::Cad3DSolid& cutter = Deref(cutterSolid, "cutter solid");

  // Centre the cutter on the blank's middle plane: it spans twice the face width.
  cutter.Move(kOrigin, {0, 0, Finite(-height / 2)});
  // Datum line at d/2 + x m: the reference circle rolls on the rack line x m nearer the axis,
  // which is how the profile shift enters the cut.
  const CutGear gear = GearToCut(gearPair, gearNo);
  cutter.Move(kOrigin, {0, Finite(gear.x * gearPair.m + gear.d / 2), 0});
  // Tilt about the cutter's own centre line; opposite senses give the pair opposite hands.
  cutter.Rotate3D(kOrigin, {0, 1, 0}, gearNo == 1 ? -gearPair.beta : gearPair.beta);

  halfTravel = HalfTravel(gearPair, gearNo);
  cutter.Move(kOrigin, {-halfTravel, 0, 0});

  for (const cad::EntityRef& curve : curves) {
    Deref(curve, "curve").Delete();
  }
  regions.clear();
  region->Delete();
}

}  // namespace kelvo

#include "cad/occt/occt_curves.h"

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRep_Tool.hxx>
#include <Geom_Circle.hxx>
#include <Precision.hxx>
#include <TopExp.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Vertex.hxx>
#include <cmath>
#include <gp_Ax2.hxx>
#include <gp_Circ.hxx>
#include <numbers>
#include <string>

#include "cad/occt/occt_entity.h"
#include "cad/occt/occt_errors.h"

namespace kelvo::cad {
namespace {

// The modeller's full turn, with the exact pi. Callers may compute their angles with the gear
// formulas' shorter pi; the arc still goes exactly through the directions they name.
using std::numbers::pi;
// Start and end angles closer than this name one direction (1e-12 rad is 1e-10 mm at 100 m).
constexpr double kAngleResolution = 1e-12;

gp_Pnt ToPnt(const Point& point) {
  return gp_Pnt(point.x, point.y, point.z);
}

Point FromPnt(const gp_Pnt& point) {
  return {point.X(), point.Y(), point.Z()};
}

gp_Ax2 PlaneAxes(const Point& centre) {
  return gp_Ax2(ToPnt(centre), gp_Dir(0, 0, 1), gp_Dir(1, 0, 0));
}

TopoDS_Edge Finish(std::string_view operation, BRepBuilderAPI_MakeEdge& maker) {
  if (!maker.IsDone()) {
    ThrowCadError(operation, "OpenCASCADE could not make the edge (error " +
                                 std::to_string(static_cast<int>(maker.Error())) + ")");
  }
  return maker.Edge();
}

}  // namespace

double CounterClockwiseSweep(double start_angle, double end_angle) {
  double sweep = std::fmod(end_angle - start_angle, 2 * pi);
  if (sweep < 0) sweep += 2 * pi;
  if (sweep < kAngleResolution || sweep > 2 * pi - kAngleResolution) {
    ThrowCadError("AddArc", "the start and end angles name the same direction");
  }
  return sweep;
}

TopoDS_Edge MakeLineEdge(const Point& start, const Point& end) {
  constexpr std::string_view kOperation = "AddLine";
  RequireFinite(kOperation, "the start point", start);
  RequireFinite(kOperation, "the end point", end);
  if (ToPnt(start).Distance(ToPnt(end)) <= Precision::Confusion()) {
    ThrowCadError(kOperation, "the start and end points coincide at " + FormatPoint(start));
  }
  BRepBuilderAPI_MakeEdge maker(ToPnt(start), ToPnt(end));
  return Finish(kOperation, maker);
}

TopoDS_Edge MakeArcEdge(const Point& centre, double radius, double start_angle, double end_angle) {
  constexpr std::string_view kOperation = "AddArc";
  RequireFinite(kOperation, "the centre", centre);
  RequirePositive(kOperation, "the radius", radius);
  RequireFinite(kOperation, "the start angle", start_angle);
  RequireFinite(kOperation, "the end angle", end_angle);
  const double sweep = CounterClockwiseSweep(start_angle, end_angle);
  double first = std::fmod(start_angle, 2 * pi);
  if (first < 0) first += 2 * pi;
  Handle(Geom_Circle) circle = new Geom_Circle(PlaneAxes(centre), radius);
  BRepBuilderAPI_MakeEdge maker(circle, first, first + sweep);
  return Finish(kOperation, maker);
}

TopoDS_Edge MakeCircleEdge(const Point& centre, double radius) {
  constexpr std::string_view kOperation = "AddCircle";
  RequireFinite(kOperation, "the centre", centre);
  RequirePositive(kOperation, "the radius", radius);
  BRepBuilderAPI_MakeEdge maker(gp_Circ(PlaneAxes(centre), radius));
  return Finish(kOperation, maker);
}

Point EdgeStart(const TopoDS_Shape& edge) {
  return FromPnt(BRep_Tool::Pnt(TopExp::FirstVertex(TopoDS::Edge(edge), Standard_True)));
}

Point EdgeEnd(const TopoDS_Shape& edge) {
  return FromPnt(BRep_Tool::Pnt(TopExp::LastVertex(TopoDS::Edge(edge), Standard_True)));
}

Point OcctArc::StartPoint() const {
  return Guarded("StartPoint", [&] { return EdgeStart(Resolve("StartPoint").record->Located()); });
}

Point OcctArc::EndPoint() const {
  return Guarded("EndPoint", [&] { return EdgeEnd(Resolve("EndPoint").record->Located()); });
}

void OcctCircle::SetColor(int color_index) {
  constexpr std::string_view kOperation = "Color";
  Guarded(kOperation, [&] {
    if (color_index < 0 || color_index > kColorByLayer) {
      ThrowCadError(kOperation,
                    "the colour index must be 0 to 256, not " + std::to_string(color_index));
    }
    OcctEntityLink::Live live = Resolve(kOperation);
    if (live.record->color == color_index) return;
    live.record->color = color_index;
    RecordChanged(*live.document, Id());
  });
}

int OcctCircle::Color() const {
  return Guarded("Color", [&] { return Resolve("Color").record->color; });
}

}  // namespace kelvo::cad

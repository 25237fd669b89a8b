#include "cad/occt/occt_region.h"

#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRep_Tool.hxx>
#include <Geom_Plane.hxx>
#include <Geom_Surface.hxx>
#include <TopExp.hxx>
#include <TopoDS.hxx>
#include <cmath>
#include <gp_Pnt.hxx>
#include <gp_Vec.hxx>
#include <sstream>
#include <string>

#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_measure.h"

namespace kelvo::cad {
namespace {

constexpr std::string_view kAddRegion = "AddRegion";

struct Piece {
  TopoDS_Edge edge;
  gp_Pnt start;
  gp_Pnt end;
};

std::string Describe(const gp_Pnt& point) {
  return FormatPoint({point.X(), point.Y(), point.Z()});
}

// Chains the pieces, starting from `first`, into one closed loop of oriented edges.
std::vector<TopoDS_Edge> ChainLoop(const std::vector<Piece>& pieces, std::vector<bool>& used,
                                   std::size_t first) {
  std::vector<TopoDS_Edge> loop{pieces[first].edge};
  used[first] = true;
  const gp_Pnt head = pieces[first].start;
  gp_Pnt tail = pieces[first].end;
  while (tail.Distance(head) > kLoopJoinTolerance) {
    bool continued = false;
    for (std::size_t i = 0; i < pieces.size() && !continued; ++i) {
      if (used[i]) continue;
      if (pieces[i].start.Distance(tail) <= kLoopJoinTolerance) {
        loop.push_back(pieces[i].edge);
        tail = pieces[i].end;
        continued = true;
      } else if (pieces[i].end.Distance(tail) <= kLoopJoinTolerance) {
        loop.push_back(TopoDS::Edge(pieces[i].edge.Reversed()));
        tail = pieces[i].start;
        continued = true;
      }
      if (continued) used[i] = true;
    }
    if (!continued) {
      ThrowCadError(kAddRegion, "the curves do not form a closed loop: nothing continues from " +
                                    Describe(tail));
    }
  }
  return loop;
}

gp_Dir FaceNormal(const TopoDS_Face& face) {
  Handle(Geom_Plane) plane = Handle(Geom_Plane)::DownCast(BRep_Tool::Surface(face));
  if (plane.IsNull()) ThrowCadError(kAddRegion, "the loop is not flat");
  gp_Dir normal = plane->Axis().Direction();
  if (face.Orientation() == TopAbs_REVERSED) normal.Reverse();
  return normal;
}

TopoDS_Face FaceFromLoop(const std::vector<TopoDS_Edge>& loop) {
  BRepBuilderAPI_MakeWire wire_maker;
  for (const TopoDS_Edge& edge : loop) {
    wire_maker.Add(edge);
    if (!wire_maker.IsDone()) {
      ThrowCadError(kAddRegion, "OpenCASCADE could not join the loop's curves (error " +
                                    std::to_string(static_cast<int>(wire_maker.Error())) + ")");
    }
  }
  const TopoDS_Wire wire = wire_maker.Wire();
  if (!BRep_Tool::IsClosed(wire)) ThrowCadError(kAddRegion, "the loop does not close");

  BRepBuilderAPI_MakeFace face_maker(wire, Standard_True);
  if (!face_maker.IsDone()) ThrowCadError(kAddRegion, "the loop is not flat");
  TopoDS_Face face = face_maker.Face();
  if (!BRepCheck_Analyzer(face).IsValid()) {
    ThrowCadError(kAddRegion, "the loop crosses itself or is degenerate");
  }
  if (FaceNormal(face).Z() < 0) face.Reverse();
  return face;
}

}  // namespace

std::vector<TopoDS_Face> FacesFromLoops(const std::vector<TopoDS_Edge>& edges) {
  std::vector<Piece> pieces;
  pieces.reserve(edges.size());
  for (const TopoDS_Edge& edge : edges) {
    pieces.push_back({edge, BRep_Tool::Pnt(TopExp::FirstVertex(edge, Standard_True)),
                      BRep_Tool::Pnt(TopExp::LastVertex(edge, Standard_True))});
  }
  std::vector<bool> used(pieces.size(), false);
  std::vector<TopoDS_Face> faces;
  for (std::size_t first = 0; first < pieces.size(); ++first) {
    if (!used[first]) faces.push_back(FaceFromLoop(ChainLoop(pieces, used, first)));
  }
  return faces;
}

TopoDS_Solid ExtrudeAlongZ(const TopoDS_Face& face, double height) {
  constexpr std::string_view kOperation = "AddExtrudedSolid";
  if (std::abs(FaceNormal(face).Z()) < 1e-9) {
    ThrowCadError(kOperation, "the region's plane is parallel to the Z axis");
  }
  BRepPrimAPI_MakePrism prism(face, gp_Vec(0, 0, height));
  if (!prism.IsDone()) ThrowCadError(kOperation, "OpenCASCADE could not sweep the region");
  const TopoDS_Solid solid = SingleSolid(prism.Shape());
  if (solid.IsNull() || !BRepCheck_Analyzer(solid).IsValid() || !(ShapeVolume(solid) > 0)) {
    ThrowCadError(kOperation, "the extrusion is not a valid solid");
  }
  return solid;
}

}  // namespace kelvo::cad

#include "cad/occt/occt_measure.h"

#include <BRepBndLib.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepGProp.hxx>
#include <BRepGProp_Domain.hxx>
#include <BRepGProp_Face.hxx>
#include <BRepGProp_Vinert.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <GProp_GProps.hxx>
#include <TopAbs_ShapeEnum.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <future>
#include <vector>

namespace kelvo::cad {

double ShapeVolume(const TopoDS_Shape& shape) {
  GProp_GProps properties;
  BRepGProp::VolumeProperties(shape, properties);
  return properties.Mass();
}

double ShapeVolume(const TopoDS_Shape& shape, Point& centre_of_mass) {
  GProp_GProps properties;
  BRepGProp::VolumeProperties(shape, properties);
  const gp_Pnt centre = properties.CentreOfMass();
  centre_of_mass = {centre.X(), centre.Y(), centre.Z()};
  return properties.Mass();
}

namespace {

// The share of the volume integral (Gauss's theorem) that every `step`th face from `first` holds,
// about `origin`; the shares of all faces about one origin add up to the volume.
double VolumeShare(const std::vector<TopoDS_Face>& faces, std::size_t first, std::size_t step,
                   const gp_Pnt& origin) {
  double volume = 0;
  for (std::size_t i = first; i < faces.size(); i += step) {
    BRepGProp_Face face(faces[i]);
    if (BRep_Tool::NaturalRestriction(faces[i])) {
      volume += BRepGProp_Vinert(face, origin).Mass();
    } else {
      BRepGProp_Domain domain(faces[i]);
      volume += BRepGProp_Vinert(face, domain, origin).Mass();
    }
  }
  return volume;
}

}  // namespace

double ShapeVolumeOnTwoThreads(const TopoDS_Shape& shape) {
  std::vector<TopoDS_Face> faces;
  for (TopExp_Explorer face(shape, TopAbs_FACE); face.More(); face.Next())
    faces.push_back(TopoDS::Face(face.Current()));
  const TopExp_Explorer vertex(shape, TopAbs_VERTEX);
  if (!vertex.More()) return 0;
  const gp_Pnt origin = BRep_Tool::Pnt(TopoDS::Vertex(vertex.Current()));
  std::future<double> odd =
      std::async(std::launch::async, [&] { return VolumeShare(faces, 1, 2, origin); });
  const double even = VolumeShare(faces, 0, 2, origin);
  return even + odd.get();
}

double ShapeArea(const TopoDS_Shape& shape) {
  GProp_GProps properties;
  BRepGProp::SurfaceProperties(shape, properties);
  return properties.Mass();
}

int FaceCount(const TopoDS_Shape& shape) {
  TopTools_IndexedMapOfShape faces;
  TopExp::MapShapes(shape, TopAbs_FACE, faces);
  return faces.Extent();
}

BoundingBox ShapeBox(const TopoDS_Shape& shape) {
  Bnd_Box box;
  BRepBndLib::AddOptimal(shape, box, Standard_False, Standard_False);
  if (box.IsVoid()) return {};
  double x0 = 0, y0 = 0, z0 = 0, x1 = 0, y1 = 0, z1 = 0;
  box.Get(x0, y0, z0, x1, y1, z1);
  return {{x0, y0, z0}, {x1, y1, z1}};
}

TopoDS_Solid SingleSolid(const TopoDS_Shape& shape) {
  if (shape.IsNull()) return {};
  TopoDS_Solid solid;
  int solids = 0;
  for (TopExp_Explorer explorer(shape, TopAbs_SOLID); explorer.More(); explorer.Next()) {
    solid = TopoDS::Solid(explorer.Current());
    ++solids;
  }
  if (solids != 1) return {};
  // Nothing may lie outside the solid: a stray face or edge would be a second, broken body.
  if (TopExp_Explorer(shape, TopAbs_VERTEX, TopAbs_SOLID).More()) return {};
  return solid;
}

TopoDS_Face SingleFace(const TopoDS_Shape& shape) {
  if (shape.IsNull()) return {};
  TopoDS_Face face;
  int faces = 0;
  for (TopExp_Explorer explorer(shape, TopAbs_FACE); explorer.More(); explorer.Next()) {
    face = TopoDS::Face(explorer.Current());
    ++faces;
  }
  if (faces != 1) return {};
  if (TopExp_Explorer(shape, TopAbs_VERTEX, TopAbs_FACE).More()) return {};
  return face;
}

bool IsValidShape(const TopoDS_Shape& shape, bool parallel) {
  return BRepCheck_Analyzer(shape, Standard_True, parallel).IsValid();
}

bool IsOneValidSolid(const TopoDS_Shape& shape) {
  const TopoDS_Solid solid = SingleSolid(shape);
  return !solid.IsNull() && IsValidShape(solid);
}

}  // namespace kelvo::cad

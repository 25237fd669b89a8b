#include "cad/occt/occt_measure.h"

#include <BRepBndLib.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepGProp.hxx>
#include <Bnd_Box.hxx>
#include <GProp_GProps.hxx>
#include <TopAbs_ShapeEnum.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>

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

bool IsValidShape(const TopoDS_Shape& shape, bool parallel) {
  return BRepCheck_Analyzer(shape, Standard_True, parallel).IsValid();
}

bool IsOneValidSolid(const TopoDS_Shape& shape) {
  const TopoDS_Solid solid = SingleSolid(shape);
  return !solid.IsNull() && IsValidShape(solid);
}

}  // namespace kelvo::cad

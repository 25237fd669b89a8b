#pragma once

#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <TopoDS_Solid.hxx>

#include "cad/occt/occt_types.h"

// Measurements of OCCT shapes, shared by the Boolean checks, the queries and the exports.

namespace kelvo::cad {

double ShapeVolume(const TopoDS_Shape& shape);
// Volume and centre of mass in one integration.
double ShapeVolume(const TopoDS_Shape& shape, Point& centre_of_mass);
// The same, the faces shared between two threads: for a solid of thousands of faces.
double ShapeVolumeOnTwoThreads(const TopoDS_Shape& shape);
double ShapeArea(const TopoDS_Shape& shape);
int FaceCount(const TopoDS_Shape& shape);
// Tight box of the exact geometry (not of a triangulation, not widened by tolerances).
BoundingBox ShapeBox(const TopoDS_Shape& shape);

// The one solid a shape holds, or a null solid when it holds none, several, or faces, edges
// or vertices outside a solid.
TopoDS_Solid SingleSolid(const TopoDS_Shape& shape);
// The one face a shape holds, or a null face when it holds none, several, or edges or vertices
// outside a face: the planar counterpart of SingleSolid.
TopoDS_Face SingleFace(const TopoDS_Shape& shape);
// Whether a shape passes OCCT's shape checker; parallel spreads the faces over the cores.
bool IsValidShape(const TopoDS_Shape& shape, bool parallel = true);
// One solid that passes OCCT's shape checker.
bool IsOneValidSolid(const TopoDS_Shape& shape);

}  // namespace kelvo::cad

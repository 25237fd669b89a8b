#pragma once

#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Solid.hxx>
#include <vector>

// Regions (flat faces bounded by closed loops of curves) and their extrusion into prisms.

namespace kelvo::cad {

// End points closer than this join; the rack cutter's code reads its arcs' end points back
// from the arcs, so its loop closes to the last digit.
inline constexpr double kLoopJoinTolerance = 1e-7;  // mm, OCCT's own confusion distance

// One face per closed loop the edges form, in the order of each loop's first edge, given in
// any order and direction. Each face is oriented to look up +Z (where its plane allows).
// CadError when an edge does not continue into a closed loop, a loop is not flat, or a loop
// crosses itself.
std::vector<TopoDS_Face> FacesFromLoops(const std::vector<TopoDS_Edge>& edges);

// The prism swept by face along +Z by height (towards -Z for a negative height).
TopoDS_Solid ExtrudeAlongZ(const TopoDS_Face& face, double height);

}  // namespace kelvo::cad

#pragma once

#include <TopoDS_Edge.hxx>
#include <TopoDS_Shape.hxx>

#include "cad/cad_application.h"

// The curves of a drawing as OCCT edges. All lie in planes parallel to XY when made; arcs run
// counter-clockwise seen from +Z.

namespace kelvo::cad {

// The counter-clockwise sweep from start_angle to end_angle, both taken modulo a full turn:
// from 3*pi/2 to -20 degrees sweeps 70 degrees, not 290. In (0, 2*pi); CadError when the two
// angles name the same direction, since that arc would be empty or a whole circle.
double CounterClockwiseSweep(double start_angle, double end_angle);

TopoDS_Edge MakeLineEdge(const Point& start, const Point& end);
TopoDS_Edge MakeArcEdge(const Point& centre, double radius, double start_angle, double end_angle);
TopoDS_Edge MakeCircleEdge(const Point& centre, double radius);

// The points where an edge begins and ends in its own direction (located shapes).
Point EdgeStart(const TopoDS_Shape& edge);
Point EdgeEnd(const TopoDS_Shape& edge);

}  // namespace kelvo::cad

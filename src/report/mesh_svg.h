#pragma once

#include <string>

#include "geometry/mesh_picture.h"

namespace kelvo {

// The colour and line of each piece of the mesh picture, for the picture and its legend alike.
struct MeshStyle {
  const char* colour;  // "#rrggbb"
  double width;        // stroke width, in thousandths of the picture's width
  const char* dashes;  // SVG dash pattern in the same thousandths, "" for a solid line
};
// gear: 1 or 2 for a gear's outline and circles, 0 for the line of action.
MeshStyle MeshStyleOf(MeshRole role, int gear);

// The mesh picture as one SVG element (SVG 1.1, what Qt SVG and the browsers both draw): the
// two outlines, the circles of both gears cut to the frame as arcs, the line of action and the
// pitch point P, in mm. It is turned a quarter turn counter-clockwise from the picture's frame,
// so that the small gear lies below and the large gear above: a picture point (x, y) is drawn at
// SVG (-y, -x). No text but "P", so that it needs no font. It draws within its viewBox without
// clipping, so a renderer that does not clip (Qt's) shows the same picture.
// width_mm: the size it asks for on paper or screen; its height follows the frame's shape.
std::string MeshSvg(const MeshPicture& picture, double width_mm);

// The picture's height over its width, as MeshSvg frames it.
double MeshSvgAspect(const MeshPicture& picture);

}  // namespace kelvo

#include "report/mesh_svg.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "geometry/decimal_text.h"

namespace kelvo {
namespace {

using std::numbers::pi;

// The picture turned a quarter turn counter-clockwise, so that the line of centres stands upright
// (the small gear below, the large above) and the teeth, side by side along the pitch circles,
// make a wide picture that fits a page.
Point2 Turned(Point2 p) {
  return {-p.y, p.x};
}

// The frame around the teeth, turned, with a margin, in mm (y up).
struct Frame {
  Point2 min;
  Point2 max;

  double Width() const { return max.x - min.x; }
  double Height() const { return max.y - min.y; }
  bool Holds(Point2 p) const {
    return p.x >= min.x && p.x <= max.x && p.y >= min.y && p.y <= max.y;
  }
};

Frame FrameOf(const MeshPicture& picture) {
  const Point2 a = Turned(picture.view_min), b = Turned(picture.view_max);
  const Point2 min{std::min(a.x, b.x), std::min(a.y, b.y)};
  const Point2 max{std::max(a.x, b.x), std::max(a.y, b.y)};
  const double margin = 0.04 * std::max(max.x - min.x, max.y - min.y);
  return {{min.x - margin, min.y - margin}, {max.x + margin, max.y + margin}};
}

// A coordinate in the picture's units (mm) to a tenth of a micrometre; y turned down for SVG.
std::string X(double x) {
  return DecimalText(x, 4);
}
std::string Y(double y) {
  return DecimalText(-y, 4);
}

std::string Stroke(const MeshStyle& style, double unit) {
  std::string text = " fill=\"none\" stroke=\"" + std::string(style.colour) + "\" stroke-width=\"" +
                     DecimalText(style.width * unit, 5) +
                     "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"";
  if (*style.dashes != '\0') {
    text += " stroke-dasharray=\"";
    std::string_view dashes = style.dashes;
    bool first = true;
    while (!dashes.empty()) {
      const std::size_t end = std::min(dashes.find(' '), dashes.size());
      if (!first) text += ' ';
      text += DecimalText(std::stod(std::string(dashes.substr(0, end))) * unit, 5);
      first = false;
      dashes.remove_prefix(std::min(end + 1, dashes.size()));
    }
    text += '"';
  }
  return text;
}

// The polar angles (in [0, 2 pi)) at which the circle crosses the frame's edges.
std::vector<double> Crossings(const MeshCircle& circle, const Frame& frame) {
  std::vector<double> angles;
  const auto add = [&](double angle) {
    angle = std::fmod(angle, 2 * pi);
    angles.push_back(angle < 0 ? angle + 2 * pi : angle);
  };
  const double r = circle.radius;
  for (double x : {frame.min.x, frame.max.x}) {
    const double dx = x - circle.centre.x;
    if (std::abs(dx) >= r) continue;
    const double dy = std::sqrt(r * r - dx * dx);
    for (double y : {circle.centre.y + dy, circle.centre.y - dy}) {
      if (y >= frame.min.y && y <= frame.max.y) add(std::atan2(y - circle.centre.y, dx));
    }
  }
  for (double y : {frame.min.y, frame.max.y}) {
    const double dy = y - circle.centre.y;
    if (std::abs(dy) >= r) continue;
    const double dx = std::sqrt(r * r - dy * dy);
    for (double x : {circle.centre.x + dx, circle.centre.x - dx}) {
      if (x >= frame.min.x && x <= frame.max.x) add(std::atan2(dy, x - circle.centre.x));
    }
  }
  std::sort(angles.begin(), angles.end());
  return angles;
}

Point2 OnCircle(const MeshCircle& circle, double angle) {
  return circle.centre + circle.radius * Point2{std::cos(angle), std::sin(angle)};
}

// The parts of a circle (turned) inside the frame: a whole circle, arcs, or nothing.
std::string CircleInFrame(MeshCircle circle, const Frame& frame, const std::string& stroke) {
  circle.centre = Turned(circle.centre);
  const std::vector<double> angles = Crossings(circle, frame);
  if (angles.size() < 2) {
    if (!frame.Holds(OnCircle(circle, 0))) return {};
    return "<circle cx=\"" + X(circle.centre.x) + "\" cy=\"" + Y(circle.centre.y) + "\" r=\"" +
           DecimalText(circle.radius, 4) + "\"" + stroke + "/>\n";
  }
  std::string path;
  for (std::size_t i = 0; i < angles.size(); ++i) {
    const double from = angles[i];
    const double to = i + 1 < angles.size() ? angles[i + 1] : angles.front() + 2 * pi;
    if (to - from < 1e-12 || !frame.Holds(OnCircle(circle, (from + to) / 2))) continue;
    const Point2 start = OnCircle(circle, from), end = OnCircle(circle, to);
    const std::string r = DecimalText(circle.radius, 4);
    // Counter-clockwise with y up is sweep 0 once y points down.
    path += "M" + X(start.x) + " " + Y(start.y) + "A" + r + " " + r + " 0 " +
            (to - from > pi ? "1" : "0") + " 0 " + X(end.x) + " " + Y(end.y);
  }
  if (path.empty()) return {};
  return "<path d=\"" + path + "\"" + stroke + "/>\n";
}

std::string Polyline(const MeshPath& path, const std::string& stroke) {
  std::string points;
  for (const Point2& point : path.points) {
    const Point2 p = Turned(point);
    if (!points.empty()) points += ' ';
    points += X(p.x) + "," + Y(p.y);
  }
  return "<polyline points=\"" + points + "\"" + stroke + "/>\n";
}

}  // namespace

MeshStyle MeshStyleOf(MeshRole role, int gear) {
  const bool small = gear == 1;
  switch (role) {
    case MeshRole::kFlank:
    case MeshRole::kTipLand:
    case MeshRole::kRootLand:
      return {small ? "#1d4f91" : "#a23b2a", 2.4, ""};
    case MeshRole::kFillet:
      return {small ? "#5f9be0" : "#e0846f", 2.4, ""};
    case MeshRole::kReferenceCircle:
      return {small ? "#1d4f91" : "#a23b2a", 0.8, "14 4 2 4"};
    case MeshRole::kBaseCircle:
      return {small ? "#1d4f91" : "#a23b2a", 0.8, "2 3"};
    case MeshRole::kTipCircle:
    case MeshRole::kRootCircle:
      return {small ? "#8aa9d1" : "#d1a096", 0.7, ""};
    case MeshRole::kWorkingPitchCircle:
      return {"#404040", 0.8, "8 5"};
    case MeshRole::kLineOfAction:
      return {"#2e7d32", 1.8, ""};
  }
  return {"#000000", 1, ""};
}

double MeshSvgAspect(const MeshPicture& picture) {
  const Frame frame = FrameOf(picture);
  return frame.Height() / frame.Width();
}

std::string MeshSvg(const MeshPicture& picture, double width_mm) {
  const Frame frame = FrameOf(picture);
  // Line widths and dashes in thousandths of the picture's width, so that they look the same at
  // every scale.
  const double unit = frame.Width() / 1000;
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
                    DecimalText(width_mm, 2) + "mm\" height=\"" +
                    DecimalText(width_mm * MeshSvgAspect(picture), 2) + "mm\" viewBox=\"" +
                    X(frame.min.x) + " " + Y(frame.max.y) + " " + DecimalText(frame.Width(), 4) +
                    " " + DecimalText(frame.Height(), 4) + "\">\n";
  svg += "<rect x=\"" + X(frame.min.x) + "\" y=\"" + Y(frame.max.y) + "\" width=\"" +
         DecimalText(frame.Width(), 4) + "\" height=\"" + DecimalText(frame.Height(), 4) +
         "\" fill=\"#ffffff\"/>\n";
  // Thin lines first, the outlines over them.
  for (const MeshCircle& circle : picture.circles)
    svg += CircleInFrame(circle, frame, Stroke(MeshStyleOf(circle.role, circle.gear), unit));
  for (const MeshPath& path : picture.paths) {
    if (path.role == MeshRole::kLineOfAction) continue;
    svg += Polyline(path, Stroke(MeshStyleOf(path.role, path.gear), unit));
  }
  for (const MeshPath& path : picture.paths) {
    if (path.role == MeshRole::kLineOfAction)
      svg += Polyline(path, Stroke(MeshStyleOf(path.role, path.gear), unit));
  }
  const Point2 p = Turned(picture.pitch_point);
  svg += "<circle cx=\"" + X(p.x) + "\" cy=\"" + Y(p.y) + "\" r=\"" + DecimalText(5 * unit, 5) +
         "\" fill=\"#000000\"/>\n";
  svg += "<text x=\"" + X(p.x + 12 * unit) + "\" y=\"" + Y(p.y - 40 * unit) +
         "\" font-family=\"serif\" font-style=\"italic\" font-size=\"" + DecimalText(36 * unit, 5) +
         "\" fill=\"#000000\">P</text>\n";
  svg += "</svg>\n";
  return svg;
}

}  // namespace kelvo

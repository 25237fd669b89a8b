// The mesh picture as SVG: every piece of the picture in it, nothing drawn outside its frame, the
// circles cut to the frame as true arcs.
#include "report/mesh_svg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "geometry/mesh_picture.h"
#include "geometry/solved_pairs.h"

namespace kelvo {
namespace {

std::vector<double> Numbers(const std::string& text) {
  std::vector<double> numbers;
  static const std::regex number(R"(-?\d+(\.\d+)?)");
  for (std::sregex_iterator it(text.begin(), text.end(), number), end; it != end; ++it)
    numbers.push_back(std::stod(it->str()));
  return numbers;
}

std::vector<std::string> Attributes(const std::string& svg, const std::string& element,
                                    const std::string& attribute) {
  std::vector<std::string> values;
  const std::regex pattern("<" + element + " [^>]*?" + attribute + R"re(="([^"]*)")re");
  for (std::sregex_iterator it(svg.begin(), svg.end(), pattern), end; it != end; ++it)
    values.push_back((*it)[1]);
  return values;
}

struct ViewBox {
  double x, y, width, height;
  bool Holds(double px, double py) const {
    constexpr double kRounding = 1e-4;  // coordinates are written to 0.1 µm
    return px >= x - kRounding && px <= x + width + kRounding && py >= y - kRounding &&
           py <= y + height + kRounding;
  }
};

ViewBox ViewBoxOf(const std::string& svg) {
  const std::vector<double> box = Numbers(Attributes(svg, "svg", "viewBox").at(0));
  return {box.at(0), box.at(1), box.at(2), box.at(3)};
}

TEST(MeshSvg, DrawsEveryPathInsideItsFrameTheLargeGearAbove) {
  for (const PairInputs& inputs : {kDefaultPair, kHelicalPair, kEightToothPinionPair}) {
    const MeshPicture picture = BuildMeshPicture(SolvedPair(inputs));
    const std::string svg = MeshSvg(picture, 150);
    const ViewBox box = ViewBoxOf(svg);
    EXPECT_NEAR(box.height / box.width, MeshSvgAspect(picture), 1e-4);
    EXPECT_LT(box.height, box.width)
        << "turned: the teeth side by side, the gears one above the other";
    EXPECT_EQ(Attributes(svg, "svg", "width").at(0), "150mm");

    const std::vector<std::string> polylines = Attributes(svg, "polyline", "points");
    ASSERT_EQ(polylines.size(), picture.paths.size());
    std::size_t checked = 0;
    for (const MeshPath& path : picture.paths) {
      // The line of action is drawn last, over the outlines.
      const std::string& points =
          polylines[path.role == MeshRole::kLineOfAction ? polylines.size() - 1 : checked];
      const std::vector<double> numbers = Numbers(points);
      ASSERT_EQ(numbers.size(), 2 * path.points.size());
      for (std::size_t i = 0; i < path.points.size(); ++i) {
        // Turned a quarter turn counter-clockwise, then y down for SVG.
        EXPECT_NEAR(numbers[2 * i], -path.points[i].y, 1e-4);
        EXPECT_NEAR(numbers[2 * i + 1], -path.points[i].x, 1e-4);
        EXPECT_TRUE(box.Holds(numbers[2 * i], numbers[2 * i + 1]));
      }
      if (path.role != MeshRole::kLineOfAction) ++checked;
    }
  }
}

// The circles are far larger than the frame: only their arcs inside it are drawn, each starting
// and ending on the frame's edge, on the circle.
TEST(MeshSvg, CutsTheCirclesToTheFrameAsArcs) {
  const MeshPicture picture = BuildMeshPicture(SolvedPair(kDefaultPair));
  const std::string svg = MeshSvg(picture, 150);
  const ViewBox box = ViewBoxOf(svg);
  const std::vector<std::string> arcs = Attributes(svg, "path", "d");
  ASSERT_GE(arcs.size(), 6u) << "reference, base, tip, root and working pitch circles cross it";
  const std::regex arc(
      R"(M(-?[\d.]+) (-?[\d.]+)A([\d.]+) ([\d.]+) 0 ([01]) 0 (-?[\d.]+) (-?[\d.]+))");
  int pieces = 0;
  for (const std::string& d : arcs) {
    for (std::sregex_iterator it(d.begin(), d.end(), arc), end; it != end; ++it) {
      ++pieces;
      const double r = std::stod((*it)[3]);
      const double ends[2][2] = {{std::stod((*it)[1]), std::stod((*it)[2])},
                                 {std::stod((*it)[6]), std::stod((*it)[7])}};
      bool on_a_circle = false;
      for (const MeshCircle& circle : picture.circles) {
        if (std::abs(circle.radius - r) > 1e-4) continue;
        // An SVG point (sx, sy) is the picture's point (-sy, -sx).
        const auto on = [&](const double* p) {
          return std::abs(std::hypot(-p[1] - circle.centre.x, -p[0] - circle.centre.y) - r) < 1e-3;
        };
        on_a_circle = on_a_circle || (on(ends[0]) && on(ends[1]));
      }
      EXPECT_TRUE(on_a_circle) << it->str();
      for (const auto& p : ends) {
        EXPECT_TRUE(box.Holds(p[0], p[1]));
        const double to_edge =
            std::min({std::abs(p[0] - box.x), std::abs(p[0] - box.x - box.width),
                      std::abs(p[1] - box.y), std::abs(p[1] - box.y - box.height)});
        EXPECT_LT(to_edge, 2e-4) << "an arc ends on the frame";
      }
    }
  }
  EXPECT_EQ(pieces, static_cast<int>(arcs.size())) << "one arc each: no circle crosses twice";
  const std::vector<std::string> dots = Attributes(svg, "circle", "r");
  ASSERT_EQ(dots.size(), 1u) << "no whole circle of a gear, only the pitch point";
  EXPECT_LT(std::stod(dots[0]), box.width / 100);
}

}  // namespace
}  // namespace kelvo

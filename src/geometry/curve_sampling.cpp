#include "geometry/curve_sampling.h"

#include <cmath>

namespace kelvo {
namespace {

constexpr int kFirstIntervals = 16;
constexpr int kDeepestHalving = 40;

double DistanceFromChord(Point2 p, Point2 a, Point2 b) {
  const Point2 chord = b - a;
  const double length = Length(chord);
  if (length == 0) return Length(p - a);
  return std::abs(Cross(chord, p - a)) / length;
}

// Appends the points after a up to and including b.
void Refine(const std::function<Point2(double)>& curve, double ua, Point2 a, double ub, Point2 b,
            double tolerance, int depth, std::vector<Point2>& out) {
  const double um = (ua + ub) / 2;
  const Point2 m = curve(um);
  if (depth < kDeepestHalving && DistanceFromChord(m, a, b) > tolerance) {
    Refine(curve, ua, a, um, m, tolerance, depth + 1, out);
    Refine(curve, um, m, ub, b, tolerance, depth + 1, out);
    return;
  }
  out.push_back(b);
}

}  // namespace

std::vector<Point2> SampleCurve(const std::function<Point2(double)>& curve, double from, double to,
                                double tolerance) {
  std::vector<Point2> points{curve(from)};
  if (from == to) return points;
  Point2 a = points.front();
  for (int i = 1; i <= kFirstIntervals; ++i) {
    const double ua = from + (to - from) * (i - 1) / kFirstIntervals;
    const double ub = i == kFirstIntervals ? to : from + (to - from) * i / kFirstIntervals;
    const Point2 b = curve(ub);
    Refine(curve, ua, a, ub, b, tolerance, 0, points);
    a = b;
  }
  return points;
}

}  // namespace kelvo

#pragma once

#include <cmath>

namespace kelvo {

// A point or vector of the transverse plane, in mm.
struct Point2 {
  double x = 0;
  double y = 0;
};

inline Point2 operator+(Point2 a, Point2 b) {
  return {a.x + b.x, a.y + b.y};
}
inline Point2 operator-(Point2 a, Point2 b) {
  return {a.x - b.x, a.y - b.y};
}
inline Point2 operator*(double k, Point2 a) {
  return {k * a.x, k * a.y};
}
inline double Dot(Point2 a, Point2 b) {
  return a.x * b.x + a.y * b.y;
}
// z component of a x b: positive when b lies counter-clockwise of a.
inline double Cross(Point2 a, Point2 b) {
  return a.x * b.y - a.y * b.x;
}
inline double Length(Point2 a) {
  return std::hypot(a.x, a.y);
}
// Polar angle in (-pi, pi].
inline double Angle(Point2 a) {
  return std::atan2(a.y, a.x);
}
// a turned counter-clockwise by angle (radians) about the origin.
inline Point2 Rotated(Point2 a, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {c * a.x - s * a.y, s * a.x + c * a.y};
}
inline Point2 MirroredInX(Point2 a) {
  return {a.x, -a.y};
}

}  // namespace kelvo

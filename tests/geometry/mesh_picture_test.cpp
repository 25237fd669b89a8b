// The mesh picture's geometry, not its pixels: involute flanks as the tables make them, fillets
// that meet them on the root form circle, and two gears that touch without overlapping.

#include "geometry/mesh_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <numbers>
#include <optional>
#include <utility>
#include <vector>

#include "geometry/derived_values.h"
#include "geometry/gear_constants.h"
#include "geometry/involute.h"
#include "geometry/pair_gear.h"
#include "solved_pairs.h"

namespace kelvo {
namespace {

constexpr double kTwoPiExact = 2 * std::numbers::pi;

struct Drawn {
  GearPairData pair;
  DerivedValues derived;
  MeshPicture picture;

  Point2 Centre(int gear) const { return gear == 1 ? Point2{0, 0} : Point2{pair.a_true, 0}; }
};

Drawn Draw(const PairInputs& inputs, double tolerance = 1e-4) {
  const GearPairData pair = SolvedPair(inputs);
  return {pair, DeriveValues(pair),
          BuildMeshPicture(pair, {.teeth = 3, .chord_tolerance = tolerance})};
}

// Polar angle of p about the gear's centre, and the angle where the involute through p leaves
// the base circle: the flank's polar angle grows outward on a rising flank.
double InvoluteStart(Point2 p, double base_radius, bool rising) {
  const double involute = inv(std::acos(base_radius / Length(p)));
  return Angle(p) - (rising ? involute : -involute);
}

bool Rising(const MeshPath& flank, Point2 centre) {
  const Point2 a = flank.points.front() - centre, b = flank.points.back() - centre;
  return (std::remainder(Angle(b) - Angle(a), kTwoPiExact) > 0) == (Length(b) > Length(a));
}

// The indices of gear's paths of role, in the outline's order.
std::vector<std::size_t> PathsOf(const MeshPicture& picture, int gear, MeshRole role) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < picture.paths.size(); ++i)
    if (picture.paths[i].gear == gear && picture.paths[i].role == role) found.push_back(i);
  return found;
}

TEST(MeshPicture, FlanksAreTheInvolutesOfTheTablesToothThickness) {
  for (const PairInputs& inputs :
       {kDefaultPair, kHelicalPair, kShiftedPair, kEightToothPinionPair, kPointedPair}) {
    SCOPED_TRACE(inputs.a_true);
    const Drawn drawn = Draw(inputs);
    for (const int gear : {1, 2}) {
      const PairGear g = GearOf(drawn.pair, static_cast<std::int16_t>(gear));
      const double rb = drawn.derived.Of(static_cast<std::int16_t>(gear)).db / 2, r = g.d / 2;
      const Point2 centre = drawn.Centre(gear);
      // The tables' transverse tooth thickness on the reference circle sets the involutes' start
      // angles st / r + 2 inv(alpha_t) apart, symmetric about the tooth's middle.
      const double st = drawn.pair.m * (kPi / 2 + 2 * g.x * std::tan(kNormalPressureAngle)) /
                        std::cos(drawn.pair.beta);
      const double half_apart = st / (2 * r) + inv(drawn.pair.alpha_t);
      const std::vector<std::size_t> flanks = PathsOf(drawn.picture, gear, MeshRole::kFlank);
      ASSERT_EQ(flanks.size(), 6u);
      for (std::size_t i = 0; i < flanks.size(); i += 2) {
        const MeshPath& rising = drawn.picture.paths[flanks[i]];
        const MeshPath& falling = drawn.picture.paths[flanks[i + 1]];
        ASSERT_TRUE(Rising(rising, centre));
        ASSERT_FALSE(Rising(falling, centre));
        const double start = InvoluteStart(rising.points.front() - centre, rb, true);
        const double middle =
            start + std::remainder(InvoluteStart(falling.points.back() - centre, rb, false) - start,
                                   kTwoPiExact) /
                        2;
        for (const auto& [flank, expected] :
             {std::pair(&rising, middle - half_apart), std::pair(&falling, middle + half_apart)}) {
          for (const Point2& p : flank->points) {
            const double off = std::remainder(
                InvoluteStart(p - centre, rb, flank == &rising) - expected, kTwoPiExact);
            ASSERT_LE(std::abs(off) * rb, 1e-6) << "gear " << gear << " flank " << i;
          }
        }
      }
    }
  }
}

TEST(MeshPicture, FilletsMeetTheInvolutesOnTheRootFormCircle) {
  for (const PairInputs& inputs :
       {kDefaultPair, kHelicalPair, kShiftedPair, kEightToothPinionPair}) {
    SCOPED_TRACE(inputs.a_true);
    const Drawn drawn = Draw(inputs);
    const std::vector<MeshPath>& paths = drawn.picture.paths;
    for (const int gear : {1, 2}) {
      const GearDerivedValues& values = drawn.derived.Of(static_cast<std::int16_t>(gear));
      const Point2 centre = drawn.Centre(gear);
      for (const std::size_t i : PathsOf(drawn.picture, gear, MeshRole::kFlank)) {
        const bool rising = Rising(paths[i], centre);
        const MeshPath& fillet = paths[rising ? i - 1 : i + 1];
        ASSERT_EQ(fillet.role, MeshRole::kFillet);
        const Point2 join = rising ? paths[i].points.front() : paths[i].points.back();
        EXPECT_EQ(Length(join - (rising ? fillet.points.back() : fillet.points.front())), 0);
        EXPECT_NEAR(Length(join - centre), values.dFf / 2, 1e-6);
      }
      // The cutter's flat tip cuts the root: 1.25 m below the datum less the 0.00003 m by which
      // the tip arcs of 0.38 m reach lower.
      const double deeper = drawn.pair.m * (0.38 * (1 - std::sin(kNormalPressureAngle)) - 0.25);
      for (const std::size_t i : PathsOf(drawn.picture, gear, MeshRole::kRootLand))
        for (const Point2& p : paths[i].points)
          EXPECT_NEAR(Length(p - centre), values.df / 2 - deeper, 1e-9);
    }
  }
}

TEST(MeshPicture, TipLandsAreAsThickAsTheTipThickness) {
  for (const PairInputs& inputs : {kDefaultPair, kHelicalPair, kShiftedPair, kPointedPair}) {
    SCOPED_TRACE(inputs.a_true);
    const Drawn drawn = Draw(inputs);
    for (const int gear : {1, 2}) {
      const PairGear g = GearOf(drawn.pair, static_cast<std::int16_t>(gear));
      const double san = drawn.derived.Of(static_cast<std::int16_t>(gear)).san;
      const std::vector<std::size_t> lands = PathsOf(drawn.picture, gear, MeshRole::kTipLand);
      if (san <= 0) {  // pointed: each tooth's flanks meet in a point
        EXPECT_TRUE(lands.empty());
        for (const std::size_t i : PathsOf(drawn.picture, gear, MeshRole::kFlank)) {
          if (drawn.picture.paths[i + 1].role != MeshRole::kFlank) continue;
          EXPECT_NEAR(Length(drawn.picture.paths[i].points.back() -
                             drawn.picture.paths[i + 1].points.front()),
                      0, 1e-9);
        }
        continue;
      }
      ASSERT_EQ(lands.size(), 3u);
      const double beta_a = std::atan(std::tan(drawn.pair.beta) * g.da / g.d);
      for (const std::size_t i : lands) {
        const std::vector<Point2>& land = drawn.picture.paths[i].points;
        const Point2 a = land.front() - drawn.Centre(gear), b = land.back() - drawn.Centre(gear);
        const double sat = std::remainder(Angle(b) - Angle(a), kTwoPiExact) * g.da / 2;
        EXPECT_NEAR(sat * std::cos(beta_a), san, 1e-6);
      }
    }
  }
}

// Signed distances from points to an outline: negative on its left, inside the gear's material.
class OutlineDistance {
 public:
  explicit OutlineDistance(std::vector<Point2> outline) : outline_(std::move(outline)) {
    for (std::size_t i = 0; i + 1 < outline_.size(); ++i) {
      const auto [x0, y0] = Cell(outline_[i]);
      const auto [x1, y1] = Cell(outline_[i + 1]);
      for (long x = std::min(x0, x1); x <= std::max(x0, x1); ++x)
        for (long y = std::min(y0, y1); y <= std::max(y0, y1); ++y)
          cells_[{x, y}].push_back(i);
    }
  }

  // None when the outline passes nowhere near p, or nearest at one of its two ends.
  std::optional<double> To(Point2 p) const {
    const auto [cx, cy] = Cell(p);
    double best = std::numeric_limits<double>::infinity(), sign = 1;
    bool at_end = true;
    for (long x = cx - 1; x <= cx + 1; ++x) {
      for (long y = cy - 1; y <= cy + 1; ++y) {
        const auto cell = cells_.find({x, y});
        if (cell == cells_.end()) continue;
        for (const std::size_t i : cell->second) {
          const Point2 a = outline_[i], d = outline_[i + 1] - a;
          const double t = std::clamp(Dot(p - a, d) / Dot(d, d), 0.0, 1.0);
          const double distance = Length(p - (a + t * d));
          if (distance >= best) continue;
          best = distance;
          sign = Cross(d, p - a) > 0 ? -1 : 1;
          at_end = (i == 0 && t == 0) || (i + 2 == outline_.size() && t == 1);
        }
      }
    }
    if (at_end) return std::nullopt;
    return sign * best;
  }

 private:
  static constexpr double kCell = 0.05;
  static std::pair<long, long> Cell(Point2 p) {
    return {std::lround(std::floor(p.x / kCell)), std::lround(std::floor(p.y / kCell))};
  }
  std::vector<Point2> outline_;
  std::map<std::pair<long, long>, std::vector<std::size_t>> cells_;
};

std::vector<Point2> Outline(const MeshPicture& picture, int gear) {
  std::vector<Point2> outline;
  for (const MeshPath& path : picture.paths) {
    if (path.gear != gear) continue;
    if (!outline.empty()) {
      EXPECT_EQ(Length(path.points.front() - outline.back()), 0) << RoleName(path.role);
    }
    outline.insert(outline.end(), path.points.begin() + (outline.empty() ? 0 : 1),
                   path.points.end());
  }
  return outline;
}

// Least signed distance of the points of `from` near `to`.
double LeastDistance(const std::vector<Point2>& from, const OutlineDistance& to) {
  double least = std::numeric_limits<double>::infinity();
  for (const Point2& p : from)
    if (const std::optional<double> d = to.To(p)) least = std::min(least, *d);
  return least;
}

TEST(MeshPicture, TheGearsTouchWithoutOverlappingAtTheWorkingCentreDistance) {
  for (const PairInputs& inputs : {kDefaultPair, kHelicalPair, kShiftedPair}) {
    SCOPED_TRACE(inputs.a_true);
    const Drawn drawn = Draw(inputs, 1e-7);
    const std::vector<Point2> small = Outline(drawn.picture, 1), large = Outline(drawn.picture, 2);
    const OutlineDistance to_small(small), to_large(large);
    for (const double least : {LeastDistance(large, to_small), LeastDistance(small, to_large)}) {
      EXPECT_GE(least, -1e-6);
      EXPECT_LE(least, 1e-6);
    }
    // They touch at the pitch point, on the working pitch circles.
    EXPECT_NEAR(drawn.picture.pitch_point.x, drawn.derived.gear1.dw / 2, 1e-12);
    EXPECT_NEAR(*to_small.To(drawn.picture.pitch_point), 0, 1e-6);
    EXPECT_NEAR(*to_large.To(drawn.picture.pitch_point), 0, 1e-6);
  }
}

TEST(MeshPicture, TheLineOfActionRunsBetweenTheTipCirclesOverEpsAlphaBasePitches) {
  for (const PairInputs& inputs : {kDefaultPair, kHelicalPair, kShiftedPair}) {
    SCOPED_TRACE(inputs.a_true);
    const Drawn drawn = Draw(inputs);
    const GearPairData& pair = drawn.pair;
    const std::vector<std::size_t> lines = PathsOf(drawn.picture, 0, MeshRole::kLineOfAction);
    ASSERT_EQ(lines.size(), 1u);
    const Point2 start = drawn.picture.paths[lines[0]].points.front();
    const Point2 end = drawn.picture.paths[lines[0]].points.back();
    EXPECT_NEAR(Length(start - drawn.Centre(2)), pair.da2 / 2, 1e-9);
    EXPECT_NEAR(Length(end - drawn.Centre(1)), pair.da1 / 2, 1e-9);
    const double base_pitch = kPi * pair.m * std::cos(pair.alpha_t) / std::cos(pair.beta);
    EXPECT_NEAR(Length(end - start), pair.eps_alpha * base_pitch, 1e-9);
    // Tangent to both base circles, through the pitch point.
    const Point2 along = (1 / Length(end - start)) * (end - start);
    EXPECT_NEAR(std::abs(Cross(along, drawn.Centre(1) - start)), drawn.derived.gear1.db / 2, 1e-9);
    EXPECT_NEAR(std::abs(Cross(along, drawn.Centre(2) - start)), drawn.derived.gear2.db / 2, 1e-9);
    EXPECT_NEAR(Cross(along, drawn.picture.pitch_point - start), 0, 1e-9);
  }
}

}  // namespace
}  // namespace kelvo

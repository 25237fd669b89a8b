#include "geometry/mesh_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

#include "geometry/curve_sampling.h"
#include "geometry/derived_values.h"
#include "geometry/gear_constants.h"
#include "geometry/generated_tooth_space.h"
#include "geometry/pair_gear.h"

namespace kelvo {
namespace {

// A nanometre: finer is rounding, and would only multiply points.
constexpr double kFinestTolerance = 1e-9;

// The counter-clockwise side of a tooth space, sampled once in the space's frame; every side
// drawn is a turned (and, for the clockwise sides, mirrored) copy of it.
struct SpaceSide {
  std::vector<Point2> root_land;
  std::vector<Point2> fillet;
  std::vector<Point2> flank;
  bool pointed = false;
};

SpaceSide SampleSpaceSide(const GeneratedToothSpace& space, double tolerance) {
  SpaceSide side;
  side.root_land = SampleCurve([&](double u) { return space.RootLand(u); }, 0, 1, tolerance);
  side.fillet = SampleCurve([&](double phi) { return space.Fillet(phi); },
                            TransverseRack::kTipArcLowest, space.FilletEnd(), tolerance);
  side.flank = SampleCurve([&](double y) { return space.Flank(y); }, space.FlankStart(),
                           space.FlankEnd(), tolerance);
  side.pointed = space.Pointed();
  return side;
}

// One gear's outline, tooth by tooth, in the picture's frame.
class OutlineBuilder {
 public:
  OutlineBuilder(int gear, Point2 centre, double tolerance, std::vector<MeshPath>& paths)
      : gear_(gear), centre_(centre), tolerance_(tolerance), paths_(paths) {}

  // The tooth between the space turned by `space` and the next one, `pitch` further on,
  // with the halves of both spaces' roots.
  void AddTooth(const SpaceSide& side, double space, double pitch) {
    Add(MeshRole::kRootLand, side.root_land, space, false);
    Add(MeshRole::kFillet, side.fillet, space, false);
    Add(MeshRole::kFlank, side.flank, space, false);
    const double next = space + pitch;
    if (!side.pointed) AddTipLand(side.flank.back(), space, next);
    Add(MeshRole::kFlank, side.flank, next, true);
    Add(MeshRole::kFillet, side.fillet, next, true);
    Add(MeshRole::kRootLand, side.root_land, next, true);
  }

 private:
  // The clockwise side of a space is the counter-clockwise one mirrored and walked backwards.
  void Add(MeshRole role, const std::vector<Point2>& points, double turn, bool clockwise_side) {
    MeshPath path{role, gear_, {}};
    path.points.reserve(points.size());
    for (const Point2& p : points)
      path.points.push_back(centre_ + Rotated(clockwise_side ? MirroredInX(p) : p, turn));
    if (clockwise_side) std::reverse(path.points.begin(), path.points.end());
    paths_.push_back(std::move(path));
  }

  void AddTipLand(Point2 flank_top, double space, double next) {
    const double radius = Length(flank_top);
    const double from = space + Angle(flank_top), to = next - Angle(flank_top);
    const auto on_tip = [&](double angle) {
      return centre_ + Point2{radius * std::cos(angle), radius * std::sin(angle)};
    };
    paths_.push_back({MeshRole::kTipLand, gear_, SampleCurve(on_tip, from, to, tolerance_)});
  }

  int gear_;
  Point2 centre_;
  double tolerance_;
  std::vector<MeshPath>& paths_;
};

// A gear's outline: `teeth` teeth, the first -(teeth - 1) / 2 pitches before the tooth whose
// clockwise flank passes through the pitch point. That flank is the counter-clockwise side of
// space 0, which is turned so that the side's involute passes the working pitch circle at the
// pitch point's polar angle.
void AddOutline(const GearPairData& pair, std::int16_t gearNo, Point2 centre,
                double pitch_point_angle, const MeshPictureOptions& options,
                std::vector<MeshPath>& paths) {
  const GeneratedToothSpace space(pair, gearNo);
  const double tolerance = std::max(options.chord_tolerance, kFinestTolerance);
  const SpaceSide side = SampleSpaceSide(space, tolerance);
  const double working_radius = space.BaseRadius() / std::cos(pair.alpha_wt);
  const double turn = pitch_point_angle - space.InvoluteAngle(working_radius);
  const double pitch = 2 * space.ToothMiddleAngle();
  const std::size_t first_path = paths.size();
  OutlineBuilder outline(gearNo, centre, tolerance, paths);
  const int first = -(options.teeth - 1) / 2;
  for (int k = first; k < first + options.teeth; ++k)
    outline.AddTooth(side, turn + k * pitch, pitch);
  // Neighbouring pieces end in the same point up to rounding; make it the very same point.
  for (std::size_t i = first_path + 1; i < paths.size(); ++i)
    paths[i].points.front() = paths[i - 1].points.back();
}

void AddCircles(const GearPairData& pair, const DerivedValues& derived, std::int16_t gearNo,
                Point2 centre, std::vector<MeshCircle>& circles) {
  const PairGear gear = GearOf(pair, gearNo);
  const GearDerivedValues& values = derived.Of(gearNo);
  const std::pair<MeshRole, double> diameters[] = {{MeshRole::kReferenceCircle, gear.d},
                                                   {MeshRole::kBaseCircle, values.db},
                                                   {MeshRole::kTipCircle, gear.da},
                                                   {MeshRole::kRootCircle, values.df},
                                                   {MeshRole::kWorkingPitchCircle, values.dw}};
  for (const auto& [role, diameter] : diameters)
    circles.push_back({role, gearNo, centre, diameter / 2});
}

// From the large gear's tip circle to the small gear's, along the tangent to both base circles
// that touches the small one at polar angle alpha_wt.
MeshPath LineOfAction(const GearPairData& pair, const DerivedValues& derived) {
  const double c = std::cos(pair.alpha_wt), s = std::sin(pair.alpha_wt);
  const double rb1 = derived.gear1.db / 2, rb2 = derived.gear2.db / 2;
  const double ra1 = pair.da1 / 2, ra2 = pair.da2 / 2;
  const Point2 along{s, -c};  // from the small gear's tangent point towards the large gear's
  const Point2 tangent1{rb1 * c, rb1 * s};
  const Point2 tangent2{pair.a_true - rb2 * c, -rb2 * s};
  const Point2 start = tangent2 - std::sqrt(ra2 * ra2 - rb2 * rb2) * along;
  const Point2 end = tangent1 + std::sqrt(ra1 * ra1 - rb1 * rb1) * along;
  return {MeshRole::kLineOfAction, 0, {start, end}};
}

}  // namespace

std::string_view RoleName(MeshRole role) {
  switch (role) {
    case MeshRole::kFlank:
      return "flank";
    case MeshRole::kFillet:
      return "fillet";
    case MeshRole::kTipLand:
      return "tip-land";
    case MeshRole::kRootLand:
      return "root-land";
    case MeshRole::kReferenceCircle:
      return "reference-circle";
    case MeshRole::kBaseCircle:
      return "base-circle";
    case MeshRole::kTipCircle:
      return "tip-circle";
    case MeshRole::kRootCircle:
      return "root-circle";
    case MeshRole::kWorkingPitchCircle:
      return "working-pitch-circle";
    case MeshRole::kLineOfAction:
      return "line-of-action";
  }
  return "";
}

std::string_view RoleChinese(MeshRole role) {
  switch (role) {
    case MeshRole::kFlank:
      return "渐开线齿廓";
    case MeshRole::kFillet:
      return "齿根过渡曲线";
    case MeshRole::kTipLand:
      return "齿顶";
    case MeshRole::kRootLand:
      return "齿槽底";
    case MeshRole::kReferenceCircle:
      return "分度圆";
    case MeshRole::kBaseCircle:
      return "基圆";
    case MeshRole::kTipCircle:
      return "齿顶圆";
    case MeshRole::kRootCircle:
      return "齿根圆";
    case MeshRole::kWorkingPitchCircle:
      return "节圆";
    case MeshRole::kLineOfAction:
      return "啮合线";
  }
  return "";
}

MeshPicture BuildMeshPicture(const GearPairData& pair, const MeshPictureOptions& options) {
  const DerivedValues derived = DeriveValues(pair);
  const Point2 centre1{0, 0}, centre2{pair.a_true, 0};
  MeshPicture picture;
  picture.pitch_point = {derived.gear1.dw / 2, 0};
  AddOutline(pair, 1, centre1, 0, options, picture.paths);
  AddOutline(pair, 2, centre2, std::numbers::pi, options, picture.paths);
  picture.paths.push_back(LineOfAction(pair, derived));
  AddCircles(pair, derived, 1, centre1, picture.circles);
  AddCircles(pair, derived, 2, centre2, picture.circles);
  picture.view_min = picture.view_max = picture.pitch_point;
  for (const MeshPath& path : picture.paths) {
    for (const Point2& p : path.points) {
      picture.view_min = {std::min(picture.view_min.x, p.x), std::min(picture.view_min.y, p.y)};
      picture.view_max = {std::max(picture.view_max.x, p.x), std::max(picture.view_max.y, p.y)};
    }
  }
  return picture;
}

}  // namespace kelvo

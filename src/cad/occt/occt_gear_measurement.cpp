#include "cad/occt/occt_gear_measurement.h"

#include <BRepAdaptor_Curve.hxx>
#include <BRepAlgoAPI_Section.hxx>
#include <BRepClass3d_SolidClassifier.hxx>
#include <GCPnts_AbscissaPoint.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "cad/occt/occt_deferred.h"
#include "cad/occt/occt_entity.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_measure.h"

namespace kelvo::cad {
namespace {

constexpr std::string_view kOperation = "InspectGear";
// The exact pi, not the gear formulas' kPi: the angles measured here are read off the modeller's
// geometry, and an angle wrapped with a shorter turn would leave a gap at the seam.
using std::numbers::pi;
// Sampling of the section's edges before refining: the generated flank's facets are a few
// tenths of a millimetre long, and the cusps between them are the edges' ends.
constexpr double kSampleSpacing = 0.02;  // mm
constexpr int kMinSamples = 24;
constexpr int kMaxSamples = 4000;

double Radius(const gp_Pnt& p) {
  return std::hypot(p.X(), p.Y());
}

double Angle(const gp_Pnt& p) {
  return std::atan2(p.Y(), p.X());
}

// Into [0, 2 pi).
double Normalized(double angle) {
  angle = std::fmod(angle, 2 * pi);
  return angle < 0 ? angle + 2 * pi : angle;
}

// One edge of a transverse section, with its parameters sampled.
struct SectionEdge {
  BRepAdaptor_Curve curve;
  std::vector<double> t;

  gp_Pnt At(double u) const { return curve.Value(u); }
  double RadiusAt(double u) const { return Radius(curve.Value(u)); }
};

std::vector<SectionEdge> Section(const TopoDS_Shape& solid, double z) {
  BRepAlgoAPI_Section section(solid, gp_Pln(gp_Pnt(0, 0, z), gp_Dir(0, 0, 1)), Standard_False);
  section.Build();
  if (!section.IsDone()) ThrowCadError(kOperation, "the transverse section failed");
  std::vector<SectionEdge> edges;
  for (TopExp_Explorer explorer(section.Shape(), TopAbs_EDGE); explorer.More(); explorer.Next()) {
    SectionEdge edge{BRepAdaptor_Curve(TopoDS::Edge(explorer.Current())), {}};
    const double first = edge.curve.FirstParameter();
    const double last = edge.curve.LastParameter();
    const double length = GCPnts_AbscissaPoint::Length(edge.curve, first, last);
    const int n = std::clamp(static_cast<int>(length / kSampleSpacing), kMinSamples, kMaxSamples);
    for (int i = 0; i <= n; ++i)
      edge.t.push_back(first + (last - first) * i / n);
    edges.push_back(std::move(edge));
  }
  if (edges.empty())
    ThrowCadError(kOperation, "the plane z = " + std::to_string(z) + " does not cut the solid");
  return edges;
}

// The largest (or smallest) radius on an edge: the best sample, refined by golden section
// between its neighbours.
double ExtremeRadius(const SectionEdge& edge, bool largest) {
  const double sign = largest ? -1 : 1;
  auto f = [&](double u) { return sign * edge.RadiusAt(u); };
  std::size_t best = 0;
  for (std::size_t i = 1; i < edge.t.size(); ++i)
    if (f(edge.t[i]) < f(edge.t[best])) best = i;
  double a = edge.t[best == 0 ? 0 : best - 1];
  double b = edge.t[std::min(best + 1, edge.t.size() - 1)];
  const double ratio = (std::sqrt(5.0) - 1) / 2;
  double c = b - ratio * (b - a), d = a + ratio * (b - a);
  for (int i = 0; i < 80 && std::abs(b - a) > 1e-14 * (1 + std::abs(a)); ++i) {
    if (f(c) < f(d)) {
      b = d;
    } else {
      a = c;
    }
    c = b - ratio * (b - a);
    d = a + ratio * (b - a);
  }
  return sign * std::min({f(edge.t[best]), f(a), f(b), f((a + b) / 2)});
}

// Angles (in [0, 2 pi)) at which the section's outline crosses the circle of radius r.
std::vector<double> Crossings(const std::vector<SectionEdge>& edges, double r) {
  std::vector<double> angles;
  for (const SectionEdge& edge : edges) {
    auto g = [&](double u) { return edge.RadiusAt(u) - r; };
    for (std::size_t i = 0; i + 1 < edge.t.size(); ++i) {
      double a = edge.t[i], b = edge.t[i + 1];
      double ga = g(a), gb = g(b);
      if (ga == 0) angles.push_back(Normalized(Angle(edge.At(a))));
      if (ga * gb >= 0) continue;
      for (int k = 0; k < 100 && std::abs(b - a) > 1e-15 * (1 + std::abs(a)); ++k) {
        const double m = (a + b) / 2;
        const double gm = g(m);
        if ((gm < 0) == (ga < 0)) {
          a = m;
          ga = gm;
        } else {
          b = m;
        }
      }
      angles.push_back(Normalized(Angle(edge.At((a + b) / 2))));
    }
    if (g(edge.t.back()) == 0) angles.push_back(Normalized(Angle(edge.At(edge.t.back()))));
  }
  std::sort(angles.begin(), angles.end());
  // A crossing at a vertex is found on both edges that meet there.
  angles.erase(std::unique(angles.begin(), angles.end(),
                           [](double x, double y) { return std::abs(x - y) < 1e-10; }),
               angles.end());
  return angles;
}

// The arcs of the circle of radius r that run through material: the teeth, as [from, to]
// counter-clockwise (to may exceed 2 pi).
std::vector<std::pair<double, double>> MaterialArcs(BRepClass3d_SolidClassifier& inside,
                                                    const std::vector<SectionEdge>& edges, double r,
                                                    double z) {
  const std::vector<double> angles = Crossings(edges, r);
  std::vector<std::pair<double, double>> arcs;
  for (std::size_t i = 0; i < angles.size(); ++i) {
    const double from = angles[i];
    const double to = i + 1 < angles.size() ? angles[i + 1] : angles.front() + 2 * pi;
    const double mid = (from + to) / 2;
    inside.Perform(gp_Pnt(r * std::cos(mid), r * std::sin(mid), z), 1e-7);
    if (inside.State() == TopAbs_IN) arcs.emplace_back(from, to);
  }
  return arcs;
}

// Tip lands: the edges that lie on the tip circle, merged where they meet (a land may be
// split where the cylinder's seam crosses it).
int CountTipLands(const std::vector<SectionEdge>& edges, double tip_radius) {
  const double tolerance = 1e-5 + 1e-7 * tip_radius;
  std::vector<std::pair<double, double>> lands;
  for (const SectionEdge& edge : edges) {
    if (ExtremeRadius(edge, false) < tip_radius - tolerance) continue;
    const double start = Angle(edge.At(edge.t.front()));
    const double sweep = std::remainder(Angle(edge.At(edge.t.back())) - start, 2 * pi);
    const double from = Normalized(sweep >= 0 ? start : start + sweep);
    lands.emplace_back(from, from + std::abs(sweep));
  }
  if (lands.empty()) return 0;
  std::sort(lands.begin(), lands.end());
  constexpr double kTouch = 1e-6;
  int count = 0;
  double reach = -1;
  for (const auto& [from, to] : lands) {
    if (count == 0 || from > reach + kTouch) ++count;
    reach = std::max(reach, to);
  }
  // The last land may run on past 2 pi into the first.
  if (count > 1 && reach - 2 * pi >= lands.front().first - kTouch) --count;
  return count;
}

// Splits values on the circle into clusters wherever neighbours lie more than gap apart, and
// returns each cluster's spread.
std::vector<double> CyclicSpreads(std::vector<double> values, double gap) {
  std::vector<double> spreads;
  if (values.empty()) return spreads;
  for (double& v : values)
    v = Normalized(v);
  std::sort(values.begin(), values.end());
  // Start after the widest gap, so no cluster straddles the start.
  std::size_t start = 0;
  double widest = values.front() + 2 * pi - values.back();
  for (std::size_t i = 1; i < values.size(); ++i) {
    if (values[i] - values[i - 1] > widest) {
      widest = values[i] - values[i - 1];
      start = i;
    }
  }
  double first = values[start], last = first;
  for (std::size_t k = 1; k < values.size(); ++k) {
    double v = values[(start + k) % values.size()];
    if (v < last) v += 2 * pi;
    if (v - last > gap) {
      spreads.push_back(last - first);
      first = v;
    }
    last = v;
  }
  spreads.push_back(last - first);
  return spreads;
}

// The generated flanks between the root form circle and the tip against the true involute.
// On an involute of the base circle the polar angle at radius r is theta0 +- inv(arccos(rb/r));
// each flank point gives its theta0, and a flank's spread of theta0 times rb is its form
// deviation.
std::pair<double, int> ProfileDeviation(const std::vector<SectionEdge>& edges,
                                        const GearInspectionPlan& plan, double tip_radius,
                                        int teeth) {
  const double rb = plan.base_radius;
  const double low = std::max(plan.form_radius, rb * (1 + 1e-9));
  const double high = tip_radius * (1 - 1e-9);
  std::vector<double> rising, falling;  // theta0 of flanks whose angle grows or falls with r
  for (const SectionEdge& edge : edges) {
    std::vector<gp_Pnt> points;
    for (double u : edge.t) {
      const gp_Pnt p = edge.At(u);
      if (Radius(p) >= low && Radius(p) <= high) points.push_back(p);
    }
    if (points.size() < 2) continue;
    const double dr = Radius(points.back()) - Radius(points.front());
    if (std::abs(dr) < 1e-6) continue;  // an arc about the axis: no flank
    const double dtheta = std::remainder(Angle(points.back()) - Angle(points.front()), 2 * pi);
    const bool grows = (dtheta > 0) == (dr > 0);
    for (const gp_Pnt& p : points) {
      const double alpha = std::acos(rb / Radius(p));
      const double involute = std::tan(alpha) - alpha;
      (grows ? rising : falling).push_back(Angle(p) - (grows ? involute : -involute));
    }
  }
  const double gap = pi / (2 * std::max(teeth, 1));  // a quarter pitch
  double deviation = 0;
  int flanks = 0;
  for (const std::vector<double>* side : {&rising, &falling}) {
    for (double spread : CyclicSpreads(*side, gap)) {
      deviation = std::max(deviation, rb * spread);
      ++flanks;
    }
  }
  return {deviation, flanks};
}

// Centres of the teeth on the reference circle of one section.
std::vector<double> ToothCentres(BRepClass3d_SolidClassifier& inside, const TopoDS_Shape& solid,
                                 double r, double z) {
  std::vector<double> centres;
  for (const auto& [from, to] : MaterialArcs(inside, Section(solid, z), r, z))
    centres.push_back((from + to) / 2);
  return centres;
}

// The helix angle from the turn of the teeth between z and z + dz.
double HelixAngle(BRepClass3d_SolidClassifier& inside, const TopoDS_Shape& solid,
                  const std::vector<double>& centres, double r, double z, double dz) {
  const std::vector<double> above = ToothCentres(inside, solid, r, z + dz);
  if (above.empty() || centres.empty()) return 0;
  double turn = 0;
  for (double centre : centres) {
    double nearest = 2 * pi;
    for (double other : above) {
      const double d = std::remainder(other - centre, 2 * pi);
      if (std::abs(d) < std::abs(nearest)) nearest = d;
    }
    turn += nearest;
  }
  turn /= static_cast<double>(centres.size());
  return std::atan(r * turn / dz);
}

}  // namespace

GearInspection InspectGear(const CadEntity& solid, const GearInspectionPlan& plan) {
  return Guarded(kOperation, [&] {
    RequirePositive(kOperation, "the reference radius", plan.reference_radius);
    RequirePositive(kOperation, "the base radius", plan.base_radius);
    RequireFinite(kOperation, "the form radius", plan.form_radius);
    RequireFinite(kOperation, "the section height", plan.section_z);
    const OcctEntityLink::Live live = ResolveEntity(solid, kOperation);
    EvaluateDeferred(*live.document, AsOcctEntity(solid)->Id());
    if (live.record->kind != EntityKind::Solid) ThrowCadError(kOperation, "the entity is no solid");
    const TopoDS_Shape shape = live.record->Located();

    const std::vector<SectionEdge> edges = Section(shape, plan.section_z);
    GearInspection result;
    double tip = 0, root = std::numeric_limits<double>::infinity();
    for (const SectionEdge& edge : edges) {
      tip = std::max(tip, ExtremeRadius(edge, true));
      root = std::min(root, ExtremeRadius(edge, false));
    }
    result.tip_diameter = 2 * tip;
    result.root_diameter = 2 * root;
    result.teeth = CountTipLands(edges, tip);  // 0 for pointed teeth: no land left

    BRepClass3d_SolidClassifier inside(shape);
    const double r = plan.reference_radius;
    const auto arcs = MaterialArcs(inside, edges, r, plan.section_z);
    if (arcs.empty()) ThrowCadError(kOperation, "no tooth crosses the reference circle");
    result.tooth_thickness_min = std::numeric_limits<double>::infinity();
    std::vector<double> centres;
    for (const auto& [from, to] : arcs) {
      const double thickness = r * (to - from);
      result.tooth_thickness += thickness / static_cast<double>(arcs.size());
      result.tooth_thickness_min = std::min(result.tooth_thickness_min, thickness);
      result.tooth_thickness_max = std::max(result.tooth_thickness_max, thickness);
      centres.push_back((from + to) / 2);
    }
    result.tooth_chord = 2 * r * std::sin(result.tooth_thickness / (2 * r));

    const int teeth = result.teeth > 0 ? result.teeth : static_cast<int>(arcs.size());
    std::tie(result.profile_deviation, result.flanks) = ProfileDeviation(edges, plan, tip, teeth);

    // A second section a quarter of a transverse pitch higher: even a 45-degree helix turns
    // the teeth by less than half a pitch there, so each tooth is found again unmistakably.
    const BoundingBox box = ShapeBox(shape);
    const double dz = std::min(pi * r / (2 * teeth), (box.max.z - plan.section_z) / 2);
    if (dz > 1e-3) result.helix_angle = HelixAngle(inside, shape, centres, r, plan.section_z, dz);
    return result;
  });
}

}  // namespace kelvo::cad

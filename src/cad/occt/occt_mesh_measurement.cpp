#include "cad/occt/occt_mesh_measurement.h"

#include <BRepAdaptor_Curve.hxx>
#include <BRepAlgoAPI_Common.hxx>
#include <BRepAlgoAPI_Section.hxx>
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRep_Builder.hxx>
#include <Bnd_Box.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <gp_Ax2.hxx>
#include <gp_Circ.hxx>
#include <gp_Pln.hxx>
#include <limits>
#include <numbers>
#include <optional>
#include <string>

#include "cad/occt/occt_deferred.h"
#include "cad/occt/occt_entity.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_measure.h"

namespace kelvo::cad {
namespace {

constexpr std::string_view kOperation = "MeasureMesh";
// The exact pi, as everywhere the modeller's geometry is read.
using std::numbers::pi;
// Flanks closer than this touch (mm); a turn bracketed closer than this is found (rad).
constexpr double kTouch = 1e-7;
constexpr double kAngleResolution = 1e-10;
// Faces are picked a little beyond the flanks kept, so no edge near the window's edge is lost.
constexpr double kFaceMargin = 0.05;  // rad

// One gear as it stands in the mesh drawing: its shape in its own frame and the placement that
// brings it into the drawing; turning it about its axis by an angle puts a turn about the
// world Z axis through its centre in front of the placement.
struct PlacedGear {
  TopoDS_Shape shape;
  gp_Trsf placement;
  gp_Pnt centre;    // where the placement takes the own frame's origin
  double own_turn;  // how far the placement turns the own frame about Z

  TopLoc_Location Turned(double angle) const {
    gp_Trsf turn;
    turn.SetRotation(gp_Ax1(centre, gp_Dir(0, 0, 1)), angle);
    return TopLoc_Location(turn * placement);
  }
};

PlacedGear Place(const OcctEntityRecord& record) {
  PlacedGear gear{record.shape, record.placement.Transformation(), gp_Pnt(0, 0, 0), 0};
  gear.centre = gp_Pnt(0, 0, 0).Transformed(gear.placement);
  const gp_Vec x = gp_Vec(1, 0, 0).Transformed(gear.placement);
  gear.own_turn = std::atan2(x.Y(), x.X());
  return gear;
}

// The edges of one transverse section of a gear, in the gear's own frame, split by the way
// their flank faces: counter-clockwise (the outward normal has a counter-clockwise component
// about the gear's axis) or clockwise. Only the teeth that can reach the mate are kept.
struct FlankEdges {
  TopoDS_Compound ccw;
  TopoDS_Compound cw;
  int ccw_count = 0;
  int cw_count = 0;
};

struct GearSection {
  double z = 0;
  std::vector<TopoDS_Edge> all;
  FlankEdges flanks;
};

// The faces of a gear that a transverse plane at height z can cut within the window of angles
// about the direction towards the mate (own frame): a hobbed gear has thousands of faces, and
// a section of all of them costs many times one of the few near the mesh.
TopoDS_Compound FacesNear(const TopoDS_Shape& shape, double z, double towards_mate, double window) {
  BRep_Builder builder;
  TopoDS_Compound near;
  builder.MakeCompound(near);
  for (TopExp_Explorer explorer(shape, TopAbs_FACE); explorer.More(); explorer.Next()) {
    Bnd_Box box;
    BRepBndLib::Add(explorer.Current(), box, Standard_False);
    if (box.IsVoid()) continue;
    double x0 = 0, y0 = 0, z0 = 0, x1 = 0, y1 = 0, z1 = 0;
    box.Get(x0, y0, z0, x1, y1, z1);
    if (z < z0 || z > z1) continue;
    // Within the window if any corner is, or the box spans the axis or a wide angle.
    bool keep = x0 <= 0 && x1 >= 0 && y0 <= 0 && y1 >= 0;
    double least = pi, most = -pi;
    for (const double x : {x0, x1}) {
      for (const double y : {y0, y1}) {
        const double off = std::remainder(std::atan2(y, x) - towards_mate, 2 * pi);
        least = std::min(least, off);
        most = std::max(most, off);
        keep = keep || std::abs(off) <= window;
      }
    }
    keep = keep || (least < -window && most > window && most - least < pi);
    if (keep) builder.Add(near, explorer.Current());
  }
  return near;
}

std::vector<TopoDS_Edge> SectionEdges(const TopoDS_Shape& shape, double z, double towards_mate,
                                      double window) {
  BRepAlgoAPI_Section section(FacesNear(shape, z, towards_mate, window),
                              gp_Pln(gp_Pnt(0, 0, z), gp_Dir(0, 0, 1)), Standard_False);
  section.Build();
  if (!section.IsDone()) ThrowCadError(kOperation, "a transverse section failed");
  std::vector<TopoDS_Edge> edges;
  for (TopExp_Explorer explorer(section.Shape(), TopAbs_EDGE); explorer.More(); explorer.Next())
    edges.push_back(TopoDS::Edge(explorer.Current()));
  if (edges.empty()) ThrowCadError(kOperation, "a transverse section does not cut the gear");
  return edges;
}

// Which teeth of a section matter, and which way each flank faces. The teeth's middles lie half
// a pitch beside the spaces'; a flank on the counter-clockwise side of its tooth's middle faces
// counter-clockwise. Arcs about the axis (tip and root lands) face neither way.
FlankEdges SortFlanks(const std::vector<TopoDS_Edge>& edges, int z, double space_angle,
                      double towards_mate, double window) {
  FlankEdges flanks;
  BRep_Builder builder;
  builder.MakeCompound(flanks.ccw);
  builder.MakeCompound(flanks.cw);
  const double pitch = 2 * pi / z;
  const double tooth = space_angle + pitch / 2;
  for (const TopoDS_Edge& edge : edges) {
    const BRepAdaptor_Curve curve(edge);
    const double first = curve.FirstParameter();
    const double last = curve.LastParameter();
    double least = std::numeric_limits<double>::infinity();
    double most = 0;
    for (int i = 0; i <= 4; ++i) {
      const gp_Pnt p = curve.Value(first + (last - first) * i / 4);
      const double r = std::hypot(p.X(), p.Y());
      least = std::min(least, r);
      most = std::max(most, r);
    }
    if (most - least < 1e-6 * (1 + most)) continue;
    const gp_Pnt middle = curve.Value((first + last) / 2);
    const double angle = std::atan2(middle.Y(), middle.X());
    if (std::abs(std::remainder(angle - towards_mate, 2 * pi)) > window) continue;
    if (std::remainder(angle - tooth, pitch) > 0) {
      builder.Add(flanks.ccw, edge);
      ++flanks.ccw_count;
    } else {
      builder.Add(flanks.cw, edge);
      ++flanks.cw_count;
    }
  }
  return flanks;
}

// Heights of the transverse sections: the middle plane of a spur gear is the gear; across a
// helical face the contact lines run obliquely, so several sections sample them.
std::vector<double> SectionHeights(const MeshPlan& plan) {
  if (plan.helix_angle == 0) return {0};
  constexpr int kHelicalSections = 7;
  std::vector<double> heights;
  for (int k = 0; k < kHelicalSections; ++k)
    heights.push_back(plan.face_width * ((k + 0.5) / kHelicalSections - 0.5));
  return heights;
}

struct Gap {
  double distance = std::numeric_limits<double>::infinity();
  gp_Pnt on_small;
  gp_Pnt on_large;
};

Gap Distance(const TopoDS_Shape& a, const TopoDS_Shape& b) {
  BRepExtrema_DistShapeShape extrema(a, b, Extrema_ExtFlag_MIN);
  if (!extrema.IsDone() || extrema.NbSolution() == 0)
    ThrowCadError(kOperation, "the distance between the flanks could not be found");
  return {extrema.Value(), extrema.PointOnShape1(1), extrema.PointOnShape2(1)};
}

class MeshGeometry {
 public:
  MeshGeometry(const PlacedGear& small, const PlacedGear& large, const MeshPlan& plan)
      : small_(small), large_(large), plan_(plan) {
    const gp_Vec line(small.centre, large.centre);
    centre_distance_ = std::hypot(line.X(), line.Y());
    const double to_large = std::atan2(line.Y(), line.X());
    const double ra1 = plan.tip_radius1, ra2 = plan.tip_radius2;
    // Only the teeth inside the lens where the two tip circles overlap can touch; a pitch more on
    // each side lets the small gear turn through one pitch.
    const double d = centre_distance_;
    const double x = std::clamp((d * d + ra1 * ra1 - ra2 * ra2) / (2 * d), -ra1, ra1);
    const double half_lens = std::sqrt(std::max(ra1 * ra1 - x * x, 0.0));
    const double window1 = std::atan2(half_lens, x) + 2 * pi / plan.z1 * 1.5;
    const double window2 = std::atan2(half_lens, d - x) + 2 * pi / plan.z2 * 1.5;
    const double tan_beta = std::tan(plan.helix_angle);
    for (const double z : SectionHeights(plan)) {
      // The pinion's cutter leans by -beta, the wheel's by +beta: at height z the cutter stood
      // z tan(beta) further back along its travel for the one, further on for the other.
      const double towards2 = to_large - small.own_turn;
      const double towards1 = to_large + pi - large.own_turn;
      GearSection s1{z, SectionEdges(small.shape, z, towards2, window1 + kFaceMargin), {}};
      s1.flanks =
          SortFlanks(s1.all, plan.z1, plan.space_angle1 + z * tan_beta / plan.reference_radius1,
                     towards2, window1);
      GearSection s2{z, SectionEdges(large.shape, z, towards1, window2 + kFaceMargin), {}};
      s2.flanks =
          SortFlanks(s2.all, plan.z2, plan.space_angle2 - z * tan_beta / plan.reference_radius2,
                     towards1, window2);
      if (s1.flanks.ccw_count == 0 || s1.flanks.cw_count == 0 || s2.flanks.ccw_count == 0 ||
          s2.flanks.cw_count == 0)
        ThrowCadError(kOperation, "no flanks face the mate in a transverse section");
      small_sections_.push_back(std::move(s1));
      large_sections_.push_back(std::move(s2));
    }
  }

  double CentreDistance() const { return centre_distance_; }
  const std::vector<GearSection>& SmallSections() const { return small_sections_; }
  const std::vector<GearSection>& LargeSections() const { return large_sections_; }

  // The least gap between the flanks that face one way (counter-clockwise: the small gear's
  // driving flanks when it turns counter-clockwise), with the small gear turned by small_turn
  // and the large gear by large_turn from where they stand.
  Gap FlankGap(bool ccw, double small_turn, double large_turn) const {
    const TopLoc_Location at1 = small_.Turned(small_turn);
    const TopLoc_Location at2 = large_.Turned(large_turn);
    Gap least;
    for (std::size_t k = 0; k < small_sections_.size(); ++k) {
      const FlankEdges& f1 = small_sections_[k].flanks;
      const FlankEdges& f2 = large_sections_[k].flanks;
      const Gap gap =
          Distance((ccw ? f1.ccw : f1.cw).Moved(at1), (ccw ? f2.ccw : f2.cw).Moved(at2));
      if (gap.distance < least.distance) least = gap;
    }
    return least;
  }

  // How far the large gear turns from large_turn (counter-clockwise positive) until the flanks
  // that face the given way touch, the small gear held at small_turn. Turning the large gear
  // counter-clockwise closes the counter-clockwise-facing pairs. Negative (for ccw) where they
  // overlap already.
  double TurnToTouch(bool ccw, double small_turn, double large_turn) const {
    const double closing = ccw ? 1 : -1;
    // Open the flanks first: back off until they are apart.
    const double pitch2 = 2 * pi / plan_.z2;
    double open = -closing * 0.01 * pitch2;
    Gap at_open = FlankGap(ccw, small_turn, large_turn + open);
    for (int tries = 0; at_open.distance <= kTouch; ++tries) {
      if (tries == 12) ThrowCadError(kOperation, "the flanks cannot be brought apart");
      open -= closing * 0.08 * pitch2;
      at_open = FlankGap(ccw, small_turn, large_turn + open);
    }
    // Newton's steps on the gap: the large gear's point nearest the mate moves with the turn
    // along the tangent of its circle about the large gear's axis; a step that overshoots into
    // overlap is bisected back.
    const double least_rate = 0.2 * plan_.working_pitch_radius2;
    for (int step = 0; step < 60; ++step) {
      const gp_Vec towards(at_open.on_large, at_open.on_small);
      const gp_Vec arm(large_.centre, at_open.on_large);
      const gp_Vec velocity = gp_Vec(0, 0, closing).Crossed(arm);
      const double rate = std::max(
          towards.Magnitude() > 0 ? velocity.Dot(towards) / towards.Magnitude() : least_rate,
          least_rate);
      const double next = open + closing * at_open.distance / rate;
      const Gap at_next = FlankGap(ccw, small_turn, large_turn + next);
      if (at_next.distance > kTouch) {
        open = next;
        at_open = at_next;
        continue;
      }
      if (at_next.distance > 0) return next;
      // Overlap: the touch lies between open and next.
      double apart = open, over = next;
      while (std::abs(over - apart) > kAngleResolution) {
        const double middle = (apart + over) / 2;
        const Gap at_middle = FlankGap(ccw, small_turn, large_turn + middle);
        if (at_middle.distance > kTouch) {
          apart = middle;
        } else if (at_middle.distance > 0) {
          return middle;
        } else {
          over = middle;
        }
      }
      return apart;
    }
    return open;
  }

 private:
  const PlacedGear& small_;
  const PlacedGear& large_;
  const MeshPlan& plan_;
  double centre_distance_ = 0;
  std::vector<GearSection> small_sections_;
  std::vector<GearSection> large_sections_;
};

// All the edges of a section as one shape, for distances to the whole outline.
TopoDS_Compound OutlineOf(const GearSection& section) {
  BRep_Builder builder;
  TopoDS_Compound outline;
  builder.MakeCompound(outline);
  for (const TopoDS_Edge& edge : section.all)
    builder.Add(outline, edge);
  return outline;
}

// The least distance from the gear's axis to its outline, over its sections: the root radius.
double RootRadius(const std::vector<GearSection>& sections) {
  double least = std::numeric_limits<double>::infinity();
  for (const GearSection& section : sections) {
    const TopoDS_Vertex axis = BRepBuilderAPI_MakeVertex(gp_Pnt(0, 0, section.z));
    least = std::min(least, Distance(axis, OutlineOf(section)).distance);
  }
  return least;
}

// The largest distance from the gear's axis to its outline: a circle well outside the gear, less
// its least distance to the outline.
double TipRadius(const std::vector<GearSection>& sections, double beyond) {
  double most = 0;
  for (const GearSection& section : sections) {
    const TopoDS_Edge circle =
        BRepBuilderAPI_MakeEdge(gp_Circ(gp_Ax2(gp_Pnt(0, 0, section.z), gp_Dir(0, 0, 1)), beyond));
    most = std::max(most, beyond - Distance(circle, OutlineOf(section)).distance);
  }
  return most;
}

// The volume the two solids share, cut down first to the lens where the tip circles overlap:
// nothing of either gear outside it can be shared.
double InterferenceVolume(const PlacedGear& small, const PlacedGear& large, const MeshPlan& plan,
                          double centre_distance) {
  const double ra1 = plan.tip_radius1, ra2 = plan.tip_radius2, d = centre_distance;
  if (ra1 + ra2 <= d) return 0;
  const double x = std::clamp((d * d + ra1 * ra1 - ra2 * ra2) / (2 * d), -ra1, ra1);
  const double half_lens = std::sqrt(std::max(ra1 * ra1 - x * x, 0.0));
  constexpr double kMargin = 0.5;  // mm
  const gp_Dir along(gp_Vec(small.centre, large.centre));
  const gp_Dir across = gp_Dir(0, 0, 1).Crossed(along);
  const double reach = plan.face_width + 1;
  const gp_Pnt corner =
      small.centre.Translated(gp_Vec(along) * (d - ra2 - kMargin) -
                              gp_Vec(across) * (half_lens + kMargin) + gp_Vec(0, 0, -reach));
  const TopoDS_Shape box =
      BRepPrimAPI_MakeBox(gp_Ax2(corner, gp_Dir(0, 0, 1), along), ra1 + ra2 - d + 2 * kMargin,
                          2 * (half_lens + kMargin), 2 * reach)
          .Shape();
  auto local = [&](const PlacedGear& gear) {
    BRepAlgoAPI_Common common(gear.shape.Moved(TopLoc_Location(gear.placement)), box);
    common.SetRunParallel(Standard_True);
    common.Build();
    if (!common.IsDone()) ThrowCadError(kOperation, "the mesh zone could not be cut out");
    return common.Shape();
  };
  BRepAlgoAPI_Common shared(local(small), local(large));
  shared.SetRunParallel(Standard_True);
  shared.Build();
  if (!shared.IsDone()) ThrowCadError(kOperation, "the common part of the gears failed");
  return ShapeVolume(shared.Shape());
}

// The time each stage took, for KELVO_LOG=1.
class StageClock {
 public:
  void Done(std::string_view stage) {
    const auto now = std::chrono::steady_clock::now();
    LogTechnicalDetail("MeasureMesh: " + std::string(stage) + " " +
                       std::to_string(std::chrono::duration<double>(now - last_).count()) + " s");
    last_ = now;
  }

 private:
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

bool Valid(OcctEntityRecord& record) {
  if (!record.valid) record.valid = IsOneValidSolid(record.Located());
  return *record.valid;
}

}  // namespace

MeshMeasurement MeasureMesh(const CadEntity& small_gear, const CadEntity& large_gear,
                            const MeshPlan& plan) {
  return Guarded(kOperation, [&] {
    const auto start = std::chrono::steady_clock::now();
    if (plan.z1 < 1 || plan.z2 < 1) ThrowCadError(kOperation, "a gear has no teeth");
    RequirePositive(kOperation, "the working pitch radius", plan.working_pitch_radius2);
    RequirePositive(kOperation, "the face width", plan.face_width);
    if (plan.transmission_positions < 0)
      ThrowCadError(kOperation, "a negative number of positions for the transmission error");
    const OcctEntityLink::Live live1 = ResolveEntity(small_gear, kOperation);
    const OcctEntityLink::Live live2 = ResolveEntity(large_gear, kOperation);
    EvaluateDeferred(*live1.document, AsOcctEntity(small_gear)->Id());
    EvaluateDeferred(*live2.document, AsOcctEntity(large_gear)->Id());
    if (live1.record->kind != EntityKind::Solid || live2.record->kind != EntityKind::Solid)
      ThrowCadError(kOperation, "a gear is no solid");

    const PlacedGear small = Place(*live1.record);
    const PlacedGear large = Place(*live2.record);
    MeshMeasurement result;
    StageClock clock;
    result.valid = Valid(*live1.record) && Valid(*live2.record);
    clock.Done("validity");

    const MeshGeometry mesh(small, large, plan);
    const double d = mesh.CentreDistance();
    result.sections = static_cast<int>(mesh.SmallSections().size());
    clock.Done("sections");
    result.interference_volume = InterferenceVolume(small, large, plan, d);
    clock.Done("interference");

    const double tip1 = TipRadius(mesh.SmallSections(), plan.tip_radius1 + 10);
    const double tip2 = TipRadius(mesh.LargeSections(), plan.tip_radius2 + 10);
    result.tip_clearance1 = d - tip1 - RootRadius(mesh.LargeSections());
    result.tip_clearance2 = d - tip2 - RootRadius(mesh.SmallSections());
    result.tip_clearance1_theory = d - plan.tip_radius1 - plan.root_radius2;
    result.tip_clearance2_theory = d - plan.tip_radius2 - plan.root_radius1;

    const double ccw_free = mesh.TurnToTouch(true, 0, 0);
    const double cw_free = -mesh.TurnToTouch(false, 0, 0);
    result.backlash = (ccw_free + cw_free) * plan.working_pitch_radius2;
    clock.Done("tip clearances and backlash");

    const double pitch1 = 2 * pi / plan.z1;
    const double ratio = static_cast<double>(plan.z1) / plan.z2;
    double least = std::numeric_limits<double>::infinity();
    double most = -least;
    for (int j = 0; j < plan.transmission_positions; ++j) {
      const double turn = pitch1 * j / plan.transmission_positions;
      const double error = mesh.TurnToTouch(true, turn, -ratio * turn);
      result.transmission_error.emplace_back(turn, error * 1e6);
      least = std::min(least, error * 1e6);
      most = std::max(most, error * 1e6);
    }
    result.transmission_error_peak_to_peak = plan.transmission_positions > 0 ? most - least : 0;
    clock.Done("transmission error");
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
  });
}

}  // namespace kelvo::cad

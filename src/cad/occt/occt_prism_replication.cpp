#include "cad/occt/occt_prism_replication.h"

#include <BRepAdaptor_Curve.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepLib.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <ElCLib.hxx>
#include <Geom_Circle.hxx>
#include <Message_ProgressScope.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Iterator.hxx>
#include <algorithm>
#include <cmath>
#include <gp_Circ.hxx>
#include <gp_Pln.hxx>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>

#include "cad/occt/occt_boolean.h"
#include "cad/occt/occt_deferred_faults.h"
#include "cad/occt/occt_deferred_job.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_measure.h"
#include "cad/occt/occt_prism.h"

namespace kelvo::cad {
namespace {

// Angles of the modeller, with the exact pi.
using std::numbers::pi;

constexpr std::string_view kOperation = "Replication on the section";
// Areas are integrated, not exact; as the one cut's volumes (occt_deferred_job.cpp).
constexpr double kIdentityTolerance = 1e-7;
// Where a copy's turn may put the axis, as the placed cylinders may lie apart (occt_deferred.cpp).
constexpr double kCentreMatch = 1e-9;
// Of the narrowest gap between two copies' turns, the share no wedge takes: neighbouring wedges
// keep that much apart.
constexpr double kWedgeMargin = 1e-6;
// A wedge stops this share of the rim's radius short of the axis, where all wedges meet.
constexpr double kInnerRadius = 1e-3;

[[noreturn]] void Refuse(const std::string& why) {
  ThrowCadError(kOperation, why);
}

// The disk in the plane of the section.
struct Rim {
  gp_Ax2 axes;  // at the centre, Z up, X as the solid's frame's
  double radius = 0;
  double tolerance = 0;

  gp_Pnt Centre() const { return axes.Location(); }
  double AngleOf(const gp_Pnt& point) const {
    return std::atan2(point.Y() - Centre().Y(), point.X() - Centre().X());
  }
  gp_Pnt At(double r, double angle) const {
    return {Centre().X() + r * std::cos(angle), Centre().Y() + r * std::sin(angle), Centre().Z()};
  }
};

bool OnRim(const TopoDS_Edge& edge, const Rim& rim) {
  const BRepAdaptor_Curve curve(edge);
  if (curve.GetType() != GeomAbs_Circle) return false;
  const gp_Circ circle = curve.Circle();
  return std::abs(circle.Radius() - rim.radius) <= rim.tolerance &&
         circle.Location().Distance(rim.Centre()) <= rim.tolerance &&
         circle.Axis().Direction().IsParallel(rim.axes.Direction(), 1e-12);
}

// The edges of the notch, in the order and direction of the outer wire, which runs
// counter-clockwise: from the rim at `start` into the material and out to the rim at `end`.
struct Chain {
  std::vector<TopoDS_Edge> edges;
  gp_Pnt start;
  gp_Pnt end;
};

// The one chain of the section's wire off the rim; nullopt when the section is the whole disk.
std::optional<Chain> NotchChain(const TopoDS_Face& section, const Rim& rim) {
  if (section.Orientation() != TopAbs_FORWARD) Refuse("the section is reversed");
  TopoDS_Wire wire;
  int wires = 0;
  for (TopExp_Explorer explorer(section, TopAbs_WIRE); explorer.More(); explorer.Next()) {
    wire = TopoDS::Wire(explorer.Current());
    ++wires;
  }
  if (wires != 1) Refuse("the section has " + std::to_string(wires) + " boundaries, not one");
  std::vector<TopoDS_Edge> edges;
  std::vector<bool> on_rim;
  for (BRepTools_WireExplorer explorer(wire, section); explorer.More(); explorer.Next()) {
    TopoDS_Edge edge = explorer.Current();
    edge.Orientation(explorer.Orientation());
    edges.push_back(edge);
    on_rim.push_back(OnRim(edge, rim));
  }
  const std::size_t count = edges.size();
  const auto off_rim = static_cast<std::size_t>(std::count(on_rim.begin(), on_rim.end(), false));
  if (off_rim == 0) return std::nullopt;
  if (off_rim == count) Refuse("the section does not reach the rim");
  std::size_t first = 0;
  while (!(on_rim[(first + count - 1) % count] && !on_rim[first]))
    ++first;
  Chain chain;
  for (std::size_t i = first; !on_rim[i % count]; ++i)
    chain.edges.push_back(edges[i % count]);
  if (chain.edges.size() != off_rim) Refuse("the section has more than one notch");
  chain.start = BRep_Tool::Pnt(TopExp::FirstVertex(chain.edges.front(), Standard_True));
  chain.end = BRep_Tool::Pnt(TopExp::LastVertex(chain.edges.back(), Standard_True));
  return chain;
}

// A copy of the section: its turn about the axis, from 0 up to a full turn, and the motion.
struct Copy {
  double angle = 0;
  std::optional<gp_Trsf> motion;  // none for the section itself
};

std::vector<Copy> CopiesInTurn(const std::vector<gp_Trsf>& turns, const Rim& rim) {
  std::vector<Copy> copies{{0, std::nullopt}};
  for (const gp_Trsf& turn : turns) {
    const std::optional<gp_Trsf> in_plane = InPlanePart(turn, 0);
    if (!in_plane) Refuse("a copy is tilted");
    if (rim.Centre().Transformed(*in_plane).Distance(rim.Centre()) > rim.tolerance) {
      Refuse("a copy is not turned about the cylinder's axis");
    }
    double angle = std::atan2(in_plane->Value(2, 1), in_plane->Value(1, 1));
    if (angle < 0) angle += 2 * pi;
    copies.push_back({angle, in_plane});
  }
  std::stable_sort(copies.begin(), copies.end(),
                   [](const Copy& a, const Copy& b) { return a.angle < b.angle; });
  return copies;
}

// The narrowest turn between two neighbouring copies, round the full turn.
double NarrowestGap(const std::vector<Copy>& copies) {
  double narrowest = 2 * pi - copies.back().angle + copies.front().angle;
  for (std::size_t i = 1; i < copies.size(); ++i)
    narrowest = std::min(narrowest, copies[i].angle - copies[i - 1].angle);
  return narrowest;
}

// The annular sector about the notch's middle that its neighbours leave it, from near the axis
// to well beyond the rim.
TopoDS_Face Wedge(const Rim& rim, double middle, double half_width) {
  const double inner = kInnerRadius * rim.radius;
  const double outer = 2 * rim.radius;
  const double from = middle - half_width;
  const double to = middle + half_width;
  const gp_Circ inner_circle(rim.axes, inner);
  const gp_Circ outer_circle(rim.axes, outer);
  BRepBuilderAPI_MakeWire wire(
      BRepBuilderAPI_MakeEdge(rim.At(inner, from), rim.At(outer, from)),
      BRepBuilderAPI_MakeEdge(outer_circle, from, to),
      BRepBuilderAPI_MakeEdge(rim.At(outer, to), rim.At(inner, to)),
      TopoDS::Edge(BRepBuilderAPI_MakeEdge(inner_circle, from, to).Edge().Reversed()));
  if (!wire.IsDone()) Refuse("OpenCASCADE could not make the wedge");
  BRepBuilderAPI_MakeFace face(gp_Pln(rim.axes), wire.Wire());
  if (!face.IsDone()) Refuse("OpenCASCADE could not make the wedge");
  return face.Face();
}

// A turned copy of the chain: its edges in order, and where it begins and ends.
struct Piece {
  std::vector<TopoDS_Edge> edges;
  TopoDS_Vertex first;
  TopoDS_Vertex last;
};

Piece PieceOf(const TopoDS_Wire& chain, const std::optional<gp_Trsf>& motion) {
  // Every piece gets edges and geometry of its own, the section's own place included: the rim's
  // arcs and the extrusion add to the edges and vertices they meet, and the section's are shared
  // with the drawing's other solids. Geometry rather than a location: the solid's faces then carry
  // no locations, which every later question about them would have to compose.
  const TopoDS_Shape turned =
      BRepBuilderAPI_Transform(chain, motion.value_or(gp_Trsf()), Standard_True).Shape();
  Piece piece;
  for (TopoDS_Iterator edge(turned); edge.More(); edge.Next())
    piece.edges.push_back(TopoDS::Edge(edge.Value()));
  if (piece.edges.empty()) Refuse("a turned chain has no edges");
  piece.first = TopExp::FirstVertex(piece.edges.front(), Standard_True);
  piece.last = TopExp::LastVertex(piece.edges.back(), Standard_True);
  return piece;
}

// The arc of the rim from one piece's end to the next one's start, counter-clockwise.
TopoDS_Edge RimArc(const Handle(Geom_Circle) & circle, const TopoDS_Vertex& from,
                   const TopoDS_Vertex& to) {
  const double start = ElCLib::Parameter(circle->Circ(), BRep_Tool::Pnt(from));
  double end = ElCLib::Parameter(circle->Circ(), BRep_Tool::Pnt(to));
  while (end <= start)
    end += 2 * pi;
  BRepBuilderAPI_MakeEdge arc(circle, from, to, start, end);
  if (!arc.IsDone()) {
    Refuse("OpenCASCADE could not join two notches by the rim (error " +
           std::to_string(static_cast<int>(arc.Error())) + ")");
  }
  return arc.Edge();
}

}  // namespace

ReplicatedSection ReplicateSection(const PrismForm& section, const SolidEnvelope& envelope,
                                   const std::vector<gp_Trsf>& turns,
                                   const Message_ProgressRange& progress) {
  ReachDeferredStage(DeferredStage::SectionReplication);
  Message_ProgressScope scope(progress, "replication on the section", 4);
  Rim rim;
  rim.radius = envelope.radius;
  rim.tolerance = kCentreMatch * std::max({1.0, envelope.radius, envelope.height});
  const gp_Pnt centre = envelope.axis.Location();
  if (std::abs(centre.Z() - section.bottom) > rim.tolerance ||
      !envelope.axis.Direction().IsParallel(gp::DZ(), 1e-12)) {
    Refuse("the cylinder's axis does not stand on the section");
  }
  rim.axes = gp_Ax2(centre, gp::DZ(), gp::DX());

  ReplicatedSection result;
  const std::optional<Chain> chain = NotchChain(section.section, rim);
  if (!chain) return result;  // the whole disk: every copy is its whole cylinder

  // Each copy's notch must keep to a wedge of its own: then no two can meet, and neither can
  // the rim's arcs between them.
  const std::vector<Copy> copies = CopiesInTurn(turns, rim);
  const double gap = NarrowestGap(copies);
  if (!(gap > 0)) Refuse("two copies are turned alike");
  const double start = rim.AngleOf(chain->start);
  double sweep = std::fmod(rim.AngleOf(chain->end) - start, 2 * pi);
  if (sweep <= 0) sweep += 2 * pi;
  const TopoDS_Face wedge = Wedge(rim, start + sweep / 2, gap / 2 * (1 - kWedgeMargin));
  const TopoDS_Shape outside = CutByMany(envelope.disk, {section.section, wedge}, {}, scope.Next());
  if (TopExp_Explorer(outside, TopAbs_FACE).More()) {
    Refuse("the notch reaches beyond the wedge between its neighbours");
  }

  // The outline: every turned chain, in turn, and the rim's arc on to the next.
  BRep_Builder builder;
  TopoDS_Wire chain_wire;
  builder.MakeWire(chain_wire);
  for (const TopoDS_Edge& edge : chain->edges)
    builder.Add(chain_wire, edge);
  std::vector<Piece> pieces;
  pieces.reserve(copies.size());
  {
    Message_ProgressScope turning(scope.Next(2), "turned notches",
                                  static_cast<double>(copies.size()));
    for (const Copy& copy : copies) {
      if (turning.UserBreak()) throw EvaluationStopped(std::string(kOperation) + ": stopped");
      pieces.push_back(PieceOf(chain_wire, copy.motion));
      turning.Next();
    }
  }
  const Handle(Geom_Circle) circle = new Geom_Circle(rim.axes, rim.radius);
  TopoDS_Wire outline;
  builder.MakeWire(outline);
  TopTools_ListOfShape edges;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    for (const TopoDS_Edge& edge : pieces[k].edges) {
      builder.Add(outline, edge);
      edges.Append(edge);
    }
    const TopoDS_Edge arc = RimArc(circle, pieces[k].last, pieces[(k + 1) % pieces.size()].first);
    builder.Add(outline, arc);
    edges.Append(arc);
  }
  outline.Closed(Standard_True);
  TopLoc_Location location;
  const Handle(Geom_Surface) plane = BRep_Tool::Surface(section.section, location);
  TopoDS_Face face;
  builder.MakeFace(face, plane, location, BRep_Tool::Tolerance(section.section));
  builder.Add(face, outline);
  BRepLib::BuildPCurveForEdgesOnPlane(edges, face);

  // The set algebra's area: each copy takes away one more notch.
  const double disk = ShapeArea(envelope.disk);
  const double predicted = section.area - static_cast<double>(turns.size()) * (disk - section.area);
  auto replicated = std::make_shared<PrismForm>();
  replicated->section = face;
  replicated->bottom = section.bottom;
  replicated->top = section.top;
  replicated->area = ShapeArea(face);
  if (!(std::abs(replicated->area - predicted) <= kIdentityTolerance * disk)) {
    std::ostringstream reason;
    reason.precision(10);
    reason << "the area " << replicated->area << " is not the " << predicted
           << " that the set algebra predicts";
    Refuse(reason.str());
  }
  if (scope.UserBreak()) throw EvaluationStopped(std::string(kOperation) + ": stopped");
  std::tie(result.solid, result.volume) = ExtrudeSection(*replicated, scope.Next());
  result.prism = std::move(replicated);
  return result;
}

}  // namespace kelvo::cad

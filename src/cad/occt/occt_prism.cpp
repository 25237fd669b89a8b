#include "cad/occt/occt_prism.h"

#include <BRepBuilderAPI_Transform.hxx>
#include <BRepLib.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <Geom_Plane.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopoDS.hxx>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <gp_Vec.hxx>
#include <sstream>
#include <string>

#include "cad/occt/occt_boolean.h"
#include "cad/occt/occt_deferred_faults.h"
#include "cad/occt/occt_deferred_job.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_measure.h"

namespace kelvo::cad {
namespace {

// How far a motion between frames of prisms may stray from keeping Z: rounding of the turns
// about Z that made it. A tilt of this size moves a point 1e-12 mm per mm.
constexpr double kKeepsZ = 1e-12;
// Heights closer than this share of the solid's size are the same height.
constexpr double kHeightMatch = 1e-9;
// The extruded section's volume against its area times its height: both integrated.
constexpr double kExtrusionTolerance = 1e-7;

// The plane of a face and whether the face looks up +Z.
bool FacesUp(const TopoDS_Face& face, double& z) {
  TopLoc_Location location;
  const Handle(Geom_Plane) plane = Handle(Geom_Plane)::DownCast(BRep_Tool::Surface(face, location));
  if (plane.IsNull()) return false;
  const gp_Ax3 axes = plane->Position().Transformed(location.Transformation());
  gp_Dir normal = axes.Direction();
  if (face.Orientation() == TopAbs_REVERSED) normal.Reverse();
  if (normal.Z() < 1 - kKeepsZ) return false;
  z = axes.Location().Z();
  return true;
}

// Stores each edge's curve in the plane's parameters on the edge. OpenCASCADE works a section's
// Booleans in those parameters; without them stored it projects every edge afresh each time.
TopoDS_Face WithPlaneCurves(const TopoDS_Face& face) {
  TopTools_ListOfShape edges;
  for (TopExp_Explorer edge(face, TopAbs_EDGE); edge.More(); edge.Next())
    edges.Append(edge.Current());
  BRepLib::BuildPCurveForEdgesOnPlane(edges, face);
  return face;
}

// The boundary of `face` on the plane of `plane_of`, which it lies in: one surface for both
// sections spares OpenCASCADE working out that the two planes are one.
TopoDS_Face OnPlaneOf(const TopoDS_Face& plane_of, const TopoDS_Face& face) {
  TopLoc_Location location;
  const Handle(Geom_Surface) plane = BRep_Tool::Surface(plane_of, location);
  BRep_Builder builder;
  TopoDS_Face moved;
  builder.MakeFace(moved, plane, location, BRep_Tool::Tolerance(face));
  // Explored through the face, each wire runs as a face looking up +Z wants it; the new face
  // looks up too, so on a plane whose own normal points down (a reversed face) its wires run the
  // other way round that plane.
  const bool reversed = plane_of.Orientation() == TopAbs_REVERSED;
  for (TopExp_Explorer wire(face, TopAbs_WIRE); wire.More(); wire.Next())
    builder.Add(moved, reversed ? wire.Current().Reversed() : wire.Current());
  moved.Orientation(plane_of.Orientation());
  return WithPlaneCurves(moved);
}

double HeightTolerance(const PrismForm& prism) {
  return kHeightMatch * std::max({1.0, std::abs(prism.bottom), std::abs(prism.top)});
}

}  // namespace

std::shared_ptr<const PrismForm> PrismOfExtrusion(const TopoDS_Face& face, double height) {
  double z = 0;
  if (!FacesUp(face, z) || !(height != 0)) return nullptr;
  auto prism = std::make_shared<PrismForm>();
  prism->area = ShapeArea(face);
  if (height > 0) {
    prism->section = WithPlaneCurves(face);
    prism->bottom = z;
    prism->top = z + height;
  } else {
    // Swept downwards: the section is the face moved to the bottom.
    gp_Trsf down;
    down.SetTranslation(gp_Vec(0, 0, height));
    prism->section =
        WithPlaneCurves(TopoDS::Face(BRepBuilderAPI_Transform(face, down, Standard_True).Shape()));
    prism->bottom = z + height;
    prism->top = z;
  }
  return prism;
}

std::shared_ptr<const PrismForm> PrismOfCylinder(const SolidEnvelope& envelope) {
  double z = 0;
  if (envelope.disk.IsNull() || !FacesUp(envelope.disk, z)) return nullptr;
  auto prism = std::make_shared<PrismForm>();
  prism->section = WithPlaneCurves(envelope.disk);
  prism->bottom = z;
  prism->top = z + envelope.height;
  prism->area = ShapeArea(envelope.disk);
  return prism;
}

bool TurnKeepsPrism(const Point& point1, const Point& point2) {
  return point1.x == point2.x && point1.y == point2.y;
}

std::optional<gp_Trsf> InPlanePart(const gp_Trsf& motion, double z_shift) {
  const auto v = [&](int row, int column) { return motion.Value(row, column); };
  if (std::abs(v(1, 3)) > kKeepsZ || std::abs(v(2, 3)) > kKeepsZ || std::abs(v(3, 1)) > kKeepsZ ||
      std::abs(v(3, 2)) > kKeepsZ || std::abs(v(3, 3) - 1) > kKeepsZ) {
    return std::nullopt;
  }
  gp_Trsf in_plane;
  in_plane.SetValues(v(1, 1), v(1, 2), 0, v(1, 4),  //
                     v(2, 1), v(2, 2), 0, v(2, 4),  //
                     0, 0, 1, z_shift);
  return in_plane;
}

bool BooleanOnSections(OcctDocumentState& document, OcctEntityRecord& solid,
                       const OcctEntityRecord& other, BooleanOperation operation,
                       const Message_ProgressRange& progress) {
  if (operation == BooleanOperation::Union || !solid.prism || !other.prism ||
      !solid.deferred.empty() || other.Pending()) {
    return false;
  }
  const PrismForm& mine = *solid.prism;
  const PrismForm& tool = *other.prism;
  const gp_Trsf to_solid =
      solid.placement.Transformation().Inverted() * other.placement.Transformation();
  // The tool's section brought into the plane of the solid's; the tool must span the solid's
  // heights, or its prism would not cut the solid's whole height alike.
  const std::optional<gp_Trsf> in_plane = InPlanePart(to_solid, mine.bottom - tool.bottom);
  if (!in_plane) return false;
  const double lift = to_solid.TranslationPart().Z();
  const double tolerance = HeightTolerance(mine);
  if (tool.bottom + lift > mine.bottom + tolerance || tool.top + lift < mine.top - tolerance) {
    return false;
  }

  const std::string name = "Boolean " + std::string(BooleanOperationName(operation));
  try {
    const SectionOperand made = Guarded(name + " of sections", [&] {
      ReachDeferredStage(DeferredStage::SectionBoolean);
      // The moved section gets its own geometry, so that the solid's section never carries a
      // chain of locations (every later question about it would walk that chain).
      const TopoDS_Face moved = OnPlaneOf(
          mine.section,
          TopoDS::Face(BRepBuilderAPI_Transform(tool.section, *in_plane, Standard_True).Shape()));
      return EvaluateSectionBoolean(operation, {mine.section, mine.area}, {moved, tool.area},
                                    progress);
    });
    auto section = std::make_shared<PrismForm>();
    section->section = WithPlaneCurves(made.face);
    section->bottom = mine.bottom;
    section->top = mine.top;
    section->area = made.area;
    solid.unmade.push_back(
        {operation, other.shape.Moved(TopLoc_Location(to_solid)), other.volume.value_or(0)});
    solid.prism = std::move(section);
    ++document.evaluation.prism_booleans;
    return true;
  } catch (const CadError& error) {
    ++document.evaluation.prism_fallbacks;
    LogTechnicalDetail(document.name + ": " + error.what() + "; made on the solids instead");
    return false;
  }
}

std::pair<TopoDS_Solid, double> ExtrudeSection(const PrismForm& prism,
                                               const Message_ProgressRange& progress) {
  constexpr std::string_view kOperation = "Extrusion of a section";
  ReachDeferredStage(DeferredStage::SectionExtrusion);
  const double height = prism.top - prism.bottom;
  BRepPrimAPI_MakePrism maker(prism.section, gp_Vec(0, 0, height), Standard_False, Standard_True);
  if (!maker.IsDone()) ThrowCadError(kOperation, "OpenCASCADE could not sweep the section");
  const TopoDS_Solid solid = SingleSolid(maker.Shape());
  if (solid.IsNull()) ThrowCadError(kOperation, WhyNotOneSolid(maker.Shape()));
  // A gear of thousands of teeth takes a while to sweep and to integrate.
  if (progress.UserBreak()) throw EvaluationStopped(std::string(kOperation) + ": stopped");
  const double volume = ShapeVolumeOnTwoThreads(solid);
  const double expected = prism.area * height;
  if (!(std::abs(volume - expected) <= kExtrusionTolerance * expected)) {
    std::ostringstream reason;
    reason.precision(10);
    reason << "the volume " << volume << " is not the section's area times its height, "
           << expected;
    ThrowCadError(kOperation, reason.str());
  }
  return {solid, volume};
}

void MakeShapeFromSection(OcctDocumentState& document, EntityId id) {
  const auto found = document.entities.find(id);
  if (found == document.entities.end() || found->second.unmade.empty()) return;
  OcctEntityRecord& record = found->second;
  const auto start = std::chrono::steady_clock::now();
  try {
    const auto [solid, volume] =
        Guarded("Extrusion of a section", [&] { return ExtrudeSection(*record.prism); });
    record.shape = solid;
    record.volume = volume;
    record.valid = true;
  } catch (const CadError& error) {
    ++document.evaluation.prism_fallbacks;
    LogTechnicalDetail(document.name + ": " + error.what() +
                       "; making the solid from its Booleans instead");
    // The present evaluation, from the last shape made: each Boolean as it would have been made
    // at its call, in the solid's frame.
    BooleanOperand current{record.shape, 0};
    current.volume = record.volume ? *record.volume : ShapeVolume(record.shape);
    int number = 0;
    for (const UnmadeBoolean& step : record.unmade) {
      ++number;
      try {
        const BooleanOutcome made = Guarded("Boolean", [&] {
          const double tool_volume =
              step.tool_volume > 0 ? step.tool_volume : ShapeVolume(step.tool);
          return EvaluateBoolean(
              step.operation, current, {step.tool, tool_volume},
              {.oriented_boxes = true, .parallel = true, .glue = false, .parallel_check = true});
        });
        current = {made.solid, made.volume};
        record.valid = true;
      } catch (const CadError& failed) {
        ++document.evaluation.failed_booleans;
        LogTechnicalDetail(document.name + ": " + failed.what() + " (skipped)");
        MarkShortfall(
            document, Shortfall::Incomplete,
            "由截面补做实体时，第 " + std::to_string(number) + " 次延后的布尔运算失败，已跳过");
      }
    }
    record.shape = current.shape;
    record.volume = current.volume;
    record.prism.reset();
  }
  record.unmade.clear();
  document.evaluation.seconds +=
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (record.observer_stale) RecordChanged(document, id);
}

}  // namespace kelvo::cad

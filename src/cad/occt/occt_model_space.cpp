#include "cad/occt/occt_model_space.h"

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <TopoDS.hxx>
#include <gp_Ax2.hxx>
#include <gp_Ax3.hxx>
#include <gp_Circ.hxx>
#include <gp_Pln.hxx>
#include <set>
#include <string>

#include "cad/occt/occt_curves.h"
#include "cad/occt/occt_deferred.h"
#include "cad/occt/occt_entity.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_prism.h"
#include "cad/occt/occt_region.h"

namespace kelvo::cad {

EntityRef OcctModelSpace::Add(std::string_view operation, EntityKind kind,
                              const TopoDS_Shape& shape,
                              std::shared_ptr<const SolidEnvelope> envelope,
                              std::shared_ptr<const PrismForm> prism) {
  std::shared_ptr<OcctDocumentState> document = LiveDocument(document_, operation);
  OcctEntityRecord record;
  record.kind = kind;
  record.shape = shape;
  if (envelope) record.volume = envelope->volume;
  record.envelope = std::move(envelope);
  record.prism = std::move(prism);
  return MakeEntityHandle(document_, AddRecord(*document, std::move(record)), kind);
}

std::shared_ptr<Cad3DSolid> OcctModelSpace::AddCylinder(const Point& centre, double radius,
                                                        double height) {
  constexpr std::string_view kOperation = "AddCylinder";
  return Guarded(kOperation, [&] {
    RequireFinite(kOperation, "the centre", centre);
    RequirePositive(kOperation, "the radius", radius);
    RequirePositive(kOperation, "the height", height);
    LiveDocument(document_, kOperation);
    // Centred on the centre: the end faces lie at centre.z -+ height / 2, so a gear blank
    // made about the origin spans its face width symmetrically about z = 0.
    const gp_Ax2 axis(gp_Pnt(centre.x, centre.y, centre.z - height / 2), gp_Dir(0, 0, 1));
    BRepPrimAPI_MakeCylinder maker(axis, radius, height);
    const TopoDS_Solid cylinder = maker.Solid();
    // Its section, for the prism it is (occt_prism.h): the circle starts where the cylinder's
    // seam runs, so that an extruded section has its seam where the cylinder had it.
    const TopoDS_Face disk =
        BRepBuilderAPI_MakeFace(
            gp_Pln(gp_Ax3(axis)),
            BRepBuilderAPI_MakeWire(BRepBuilderAPI_MakeEdge(gp_Circ(axis, radius))).Wire())
            .Face();
    // A blank that is later cut and intersected with turned copies of itself stays inside this
    // cylinder, which is what lets those intersections wait (occt_deferred.h).
    const std::shared_ptr<const SolidEnvelope> envelope =
        MakeCylinderEnvelope(cylinder, disk, axis.Axis(), radius, height);
    return std::dynamic_pointer_cast<Cad3DSolid>(
        Add(kOperation, EntityKind::Solid, cylinder, envelope, PrismOfCylinder(*envelope)));
  });
}

std::shared_ptr<CadCircle> OcctModelSpace::AddCircle(const Point& centre, double radius) {
  constexpr std::string_view kOperation = "AddCircle";
  return Guarded(kOperation, [&] {
    LiveDocument(document_, kOperation);
    return std::dynamic_pointer_cast<CadCircle>(
        Add(kOperation, EntityKind::Circle, MakeCircleEdge(centre, radius)));
  });
}

std::shared_ptr<CadArc> OcctModelSpace::AddArc(const Point& centre, double radius,
                                               double start_angle, double end_angle) {
  constexpr std::string_view kOperation = "AddArc";
  return Guarded(kOperation, [&] {
    LiveDocument(document_, kOperation);
    return std::dynamic_pointer_cast<CadArc>(
        Add(kOperation, EntityKind::Arc, MakeArcEdge(centre, radius, start_angle, end_angle)));
  });
}

EntityRef OcctModelSpace::AddLine(const Point& start, const Point& end) {
  constexpr std::string_view kOperation = "AddLine";
  return Guarded(kOperation, [&] {
    LiveDocument(document_, kOperation);
    return Add(kOperation, EntityKind::Line, MakeLineEdge(start, end));
  });
}

std::vector<EntityRef> OcctModelSpace::AddRegion(const std::vector<EntityRef>& curves) {
  constexpr std::string_view kOperation = "AddRegion";
  return Guarded(kOperation, [&] {
    std::shared_ptr<OcctDocumentState> document = LiveDocument(document_, kOperation);
    if (curves.empty()) ThrowCadError(kOperation, "no curves given");
    std::vector<TopoDS_Edge> edges;
    std::set<EntityId> seen;
    for (std::size_t i = 0; i < curves.size(); ++i) {
      const std::string which = "curve " + std::to_string(i + 1);
      if (!curves[i]) ThrowCadError(kOperation, which + " is missing");
      const OcctEntityLink::Live live = ResolveEntity(*curves[i], kOperation);
      if (live.document != document) ThrowCadError(kOperation, which + " is in another drawing");
      const EntityKind kind = live.record->kind;
      if (kind != EntityKind::Line && kind != EntityKind::Arc && kind != EntityKind::Circle) {
        ThrowCadError(kOperation, which + " is a " + std::string(EntityKindName(kind)) +
                                      ", not a line, arc or circle");
      }
      if (!seen.insert(AsOcctEntity(*curves[i])->Id()).second) {
        ThrowCadError(kOperation, which + " is given twice");
      }
      edges.push_back(TopoDS::Edge(live.record->Located()));
    }
    std::vector<EntityRef> regions;
    for (const TopoDS_Face& face : FacesFromLoops(edges)) {
      regions.push_back(Add(kOperation, EntityKind::Region, face));
    }
    return regions;
  });
}

std::shared_ptr<Cad3DSolid> OcctModelSpace::AddExtrudedSolid(CadEntity& region, double height,
                                                             double taper_angle) {
  constexpr std::string_view kOperation = "AddExtrudedSolid";
  return Guarded(kOperation, [&] {
    RequireFinite(kOperation, "the height", height);
    RequireFinite(kOperation, "the taper angle", taper_angle);
    if (height == 0) ThrowCadError(kOperation, "the height is 0");
    if (taper_angle != 0) ThrowCadError(kOperation, "tapered extrusions are not supported");
    std::shared_ptr<OcctDocumentState> document = LiveDocument(document_, kOperation);
    const OcctEntityLink::Live live = ResolveEntity(region, kOperation);
    if (live.document != document) {
      ThrowCadError(kOperation, "the region is in another drawing");
    }
    if (live.record->kind != EntityKind::Region) {
      ThrowCadError(
          kOperation,
          "the profile is a " + std::string(EntityKindName(live.record->kind)) + ", not a region");
    }
    const TopoDS_Face face = TopoDS::Face(live.record->Located());
    const TopoDS_Solid solid = ExtrudeAlongZ(face, height);
    // A region in a plane z = const makes a prism along Z (occt_prism.h).
    return std::dynamic_pointer_cast<Cad3DSolid>(
        Add(kOperation, EntityKind::Solid, solid, nullptr, PrismOfExtrusion(face, height)));
  });
}

}  // namespace kelvo::cad

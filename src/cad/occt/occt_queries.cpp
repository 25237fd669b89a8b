#include "cad/occt/occt_queries.h"

#include <BRepAdaptor_Curve.hxx>
#include <TopoDS.hxx>
#include <gp_Circ.hxx>
#include <string>

#include "cad/occt/occt_deferred.h"
#include "cad/occt/occt_entity.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_measure.h"

namespace kelvo::cad {
namespace {

// The record behind a handle, with any deferred work applied: every question here is about
// the solid the designer asked for.
OcctEntityRecord& EvaluatedRecord(const CadEntity& entity, std::string_view operation) {
  const OcctEntityLink::Live live = ResolveEntity(entity, operation);
  EvaluateDeferred(*live.document, AsOcctEntity(entity)->Id());
  return *live.record;
}

OcctEntityRecord& RecordOfKind(const CadEntity& entity, EntityKind kind,
                               std::string_view operation) {
  OcctEntityRecord& record = EvaluatedRecord(entity, operation);
  if (record.kind != kind) {
    ThrowCadError(operation, "the entity is a " + std::string(EntityKindName(record.kind)) +
                                 ", not a " + std::string(EntityKindName(kind)));
  }
  return record;
}

}  // namespace

std::string_view EntityKindName(EntityKind kind) {
  switch (kind) {
    case EntityKind::Line:
      return "line";
    case EntityKind::Arc:
      return "arc";
    case EntityKind::Circle:
      return "circle";
    case EntityKind::Region:
      return "region";
    case EntityKind::Solid:
      return "solid";
  }
  return "entity";
}

std::string_view ShadeModeName(ShadeMode mode) {
  return mode == ShadeMode::Gouraud ? "gouraud" : "wireframe";
}

bool IsAlive(const CadEntity& entity) {
  const OcctEntityLink* link = AsOcctEntity(entity);
  if (link == nullptr) return false;
  std::shared_ptr<OcctDocumentState> document = link->Document().lock();
  return document && document->open && document->entities.contains(link->Id());
}

EntityKind KindOf(const CadEntity& entity) {
  return ResolveEntity(entity, "Kind").record->kind;
}

EntityId IdOf(const CadEntity& entity) {
  const OcctEntityLink* link = AsOcctEntity(entity);
  if (link == nullptr) ThrowCadError("Id", "the entity does not belong to this application");
  return link->Id();
}

int ColorOf(const CadEntity& entity) {
  return ResolveEntity(entity, "Color").record->color;
}

BoundingBox BoundingBoxOf(const CadEntity& entity) {
  return Guarded("BoundingBox",
                 [&] { return ShapeBox(EvaluatedRecord(entity, "BoundingBox").Located()); });
}

SolidMeasures MeasureSolid(const CadEntity& solid) {
  constexpr std::string_view kOperation = "MeasureSolid";
  return Guarded(kOperation, [&] {
    OcctEntityRecord& record = RecordOfKind(solid, EntityKind::Solid, kOperation);
    const TopoDS_Shape shape = record.Located();
    // The checker takes a second for a gear of many teeth; every Boolean result has passed it
    // already, and a placement changes neither answer.
    if (!record.valid) record.valid = IsOneValidSolid(record.shape);
    SolidMeasures measures;
    measures.volume = ShapeVolume(shape, measures.centre_of_mass);
    measures.surface_area = ShapeArea(shape);
    measures.face_count = FaceCount(shape);
    measures.is_one_valid_solid = *record.valid && !SingleSolid(record.shape).IsNull();
    measures.box = ShapeBox(shape);
    return measures;
  });
}

CircleGeometry CircleOf(const CadEntity& circle) {
  constexpr std::string_view kOperation = "Circle";
  return Guarded(kOperation, [&] {
    const OcctEntityRecord& record = RecordOfKind(circle, EntityKind::Circle, kOperation);
    const gp_Circ geometry = BRepAdaptor_Curve(TopoDS::Edge(record.Located())).Circle();
    const gp_Pnt centre = geometry.Location();
    return CircleGeometry{{centre.X(), centre.Y(), centre.Z()}, geometry.Radius(), record.color};
  });
}

}  // namespace kelvo::cad

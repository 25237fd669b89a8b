#include "cad/occt/occt_entity.h"

#include <Precision.hxx>
#include <gp_Ax1.hxx>
#include <gp_Dir.hxx>
#include <gp_Pnt.hxx>
#include <gp_Trsf.hxx>
#include <gp_Vec.hxx>
#include <string>
#include <utility>

#include "cad/occt/occt_deferred.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_prism.h"

namespace kelvo::cad {
namespace {

gp_Pnt ToPnt(const Point& point) {
  return gp_Pnt(point.x, point.y, point.z);
}

// Applies a rigid motion to an entity: one more factor on its placement, its geometry untouched.
void Place(OcctDocumentState& document, EntityId id, OcctEntityRecord& record,
           const gp_Trsf& motion) {
  record.placement = document.locations.Get(motion) * record.placement;
  RecordChanged(document, id);
}

}  // namespace

OcctEntityLink::Live OcctEntityLink::Resolve(std::string_view operation) const {
  std::shared_ptr<OcctDocumentState> document = LiveDocument(document_, operation);
  OcctEntityRecord& record = LiveRecord(*document, id_, operation);
  return {std::move(document), &record};
}

const OcctEntityLink* AsOcctEntity(const CadEntity& entity) {
  return dynamic_cast<const OcctEntityLink*>(&entity);
}

OcctEntityLink::Live ResolveEntity(const CadEntity& entity, std::string_view operation) {
  const OcctEntityLink* link = AsOcctEntity(entity);
  if (link == nullptr) ThrowCadError(operation, "the entity does not belong to this application");
  return link->Resolve(operation);
}

EntityRef MakeEntityHandle(std::weak_ptr<OcctDocumentState> document, EntityId id,
                           EntityKind kind) {
  switch (kind) {
    case EntityKind::Arc:
      return std::make_shared<OcctArc>(std::move(document), id);
    case EntityKind::Circle:
      return std::make_shared<OcctCircle>(std::move(document), id);
    case EntityKind::Solid:
      return std::make_shared<OcctSolid>(std::move(document), id);
    case EntityKind::Line:
    case EntityKind::Region:
      break;
  }
  return std::make_shared<OcctPlainEntity>(std::move(document), id);
}

void MoveEntity(const OcctEntityLink& entity, const Point& from, const Point& to) {
  constexpr std::string_view kOperation = "Move";
  Guarded(kOperation, [&] {
    RequireFinite(kOperation, "the base point", from);
    RequireFinite(kOperation, "the second point", to);
    OcctEntityLink::Live live = entity.Resolve(kOperation);
    const gp_Vec shift(to.x - from.x, to.y - from.y, to.z - from.z);
    if (shift.SquareMagnitude() == 0) return;
    gp_Trsf motion;
    motion.SetTranslation(shift);
    Place(*live.document, entity.Id(), *live.record, motion);
  });
}

void RotateEntity(const OcctEntityLink& entity, const Point& point1, const Point& point2,
                  double angle) {
  constexpr std::string_view kOperation = "Rotate3D";
  Guarded(kOperation, [&] {
    RequireFinite(kOperation, "the first axis point", point1);
    RequireFinite(kOperation, "the second axis point", point2);
    RequireFinite(kOperation, "the angle", angle);
    OcctEntityLink::Live live = entity.Resolve(kOperation);
    const gp_Vec axis(ToPnt(point1), ToPnt(point2));
    if (axis.Magnitude() <= Precision::Confusion()) {
      ThrowCadError(kOperation, "the two axis points coincide");
    }
    if (angle == 0) return;
    // gp_Trsf turns by the right-hand rule about the axis direction, point1 towards point2:
    // counter-clockwise seen from point2 looking back at point1.
    gp_Trsf motion;
    motion.SetRotation(gp_Ax1(ToPnt(point1), gp_Dir(axis)), angle);
    if (live.record->prism && !TurnKeepsPrism(point1, point2)) {
      // Tilted, a prism along Z is an ordinary solid at once: its shape is made from its
      // section, and it is no longer one.
      EvaluateDeferred(*live.document, entity.Id());
      live.record->prism.reset();
    }
    Place(*live.document, entity.Id(), *live.record, motion);
  });
}

EntityRef CopyEntity(const OcctEntityLink& entity) {
  constexpr std::string_view kOperation = "Copy";
  return Guarded(kOperation, [&] {
    OcctEntityLink::Live live = entity.Resolve(kOperation);
    EvaluateDeferred(*live.document, entity.Id());
    // The copy shares the original's geometry: OCCT shapes are never edited in place here
    // (Booleans run non-destructively), so sharing is safe and costs nothing.
    const EntityKind kind = live.record->kind;
    const EntityId id = AddRecord(*live.document, *live.record);
    return MakeEntityHandle(entity.Document(), id, kind);
  });
}

std::vector<EntityRef> ArrayEntityPolar(const OcctEntityLink& entity, int count,
                                        double angle_to_fill, const Point& centre) {
  constexpr std::string_view kOperation = "ArrayPolar";
  return Guarded(kOperation, [&] {
    if (count < 2) {
      ThrowCadError(kOperation,
                    "the number of objects must be at least 2, not " + std::to_string(count));
    }
    RequireFinite(kOperation, "the angle to fill", angle_to_fill);
    RequireFinite(kOperation, "the centre", centre);
    OcctEntityLink::Live live = entity.Resolve(kOperation);
    EvaluateDeferred(*live.document, entity.Id());

    // The copies turn about the Z axis through the centre; the original is the count-th
    // object and stays where it is. All copies are made before any is added, so a failure
    // leaves the drawing as it was.
    const gp_Ax1 axis(gp_Pnt(centre.x, centre.y, 0), gp_Dir(0, 0, 1));
    const double step = angle_to_fill / (count - 1);
    std::vector<OcctEntityRecord> copies;
    copies.reserve(static_cast<std::size_t>(count - 1));
    for (int k = 1; k < count; ++k) {
      gp_Trsf turn;
      turn.SetRotation(axis, k * step);
      OcctEntityRecord copy = *live.record;
      copy.placement = TopLoc_Location(turn) * live.record->placement;
      copies.push_back(std::move(copy));
    }
    std::vector<EntityRef> handles;
    handles.reserve(copies.size());
    for (OcctEntityRecord& copy : copies) {
      const EntityKind kind = copy.kind;
      const EntityId id = AddRecord(*live.document, std::move(copy));
      handles.push_back(MakeEntityHandle(entity.Document(), id, kind));
    }
    return handles;
  });
}

void DeleteEntity(const OcctEntityLink& entity) {
  constexpr std::string_view kOperation = "Delete";
  Guarded(kOperation, [&] {
    OcctEntityLink::Live live = entity.Resolve(kOperation);
    RemoveRecord(*live.document, entity.Id());
  });
}

}  // namespace kelvo::cad

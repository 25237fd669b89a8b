#pragma once

#include <TopLoc_Location.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Ax1.hxx>
#include <gp_Trsf.hxx>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cad/occt/occt_evaluation.h"
#include "cad/occt/occt_location_cache.h"
#include "cad/occt/occt_observer.h"
#include "cad/occt/occt_types.h"

// The state behind the OCCT application's handles. The application owns its drawings, each
// drawing owns its entity records; every handle given out holds only a weak reference to its
// drawing and an entity number, and resolves them on each call. A deleted entity or a closed
// drawing therefore turns into a CadError, never into a dangling pointer.

namespace kelvo::cad {

// The cylinder a solid was made as, in the solid's own frame. Subtractions and intersections
// only take material away, so the solid stays inside it; a union may not, and drops it.
struct SolidEnvelope {
  TopoDS_Shape cylinder;
  TopoDS_Face disk;  // its bottom face, facing +Z along the axis: the section of the cylinder
  gp_Ax1 axis;       // through the centre of the bottom face, towards the top face
  double radius = 0;
  double height = 0;
  double volume = 0;
};

// A solid that is a prism along Z in its own frame (occt_prism.h): the extrusion of its section,
// a planar face at z = bottom facing +Z, up to z = top. Shared by copies; never changed.
struct PrismForm {
  TopoDS_Face section;
  double bottom = 0;
  double top = 0;
  double area = 0;  // of the section
};

// An intersection of a solid with a turned copy of a solid made from the same cylinder, kept
// for later: the solid loses the copy's removed space (its cylinder less the copy), brought
// into the solid's frame.
struct DeferredIntersection {
  TopoDS_Shape copy;  // the copy's shape, in the copy's own frame
  std::shared_ptr<const SolidEnvelope> copy_envelope;
  gp_Trsf to_solid;  // from the copy's frame into the solid's
  double copy_volume = 0;
  // The copy's prism form, when both the solid and the copy are prisms over the same heights:
  // the intersection may then be made on the sections.
  std::shared_ptr<const PrismForm> copy_prism;
};

// A Boolean made on a prism's section and not yet on its 3D shape. Kept until the shape is
// made from the section, so that the present evaluation can take over if that fails its check.
struct UnmadeBoolean {
  BooleanOperation operation = BooleanOperation::Subtraction;
  TopoDS_Shape tool;  // the tool's 3D shape, in the solid's frame
  double tool_volume = 0;
};

// One entity of a drawing. The shape is the geometry as made (or as the last Boolean left it);
// the placement is every Move and Rotate3D applied since. Keeping the two apart lets an
// evaluation work in a solid's own frame without rebuilding its geometry.
struct OcctEntityRecord {
  EntityKind kind = EntityKind::Line;
  TopoDS_Shape shape;
  TopLoc_Location placement;
  int color = kColorByLayer;
  // Solids: the volume of the shape (before any deferred work), measured once; a placement
  // does not change it.
  std::optional<double> volume;
  // Solids: whether the shape is one solid that passes OCCT's checker, once someone checked.
  std::optional<bool> valid;
  // Solids made as a cylinder (and copies of them), while they only lose material.
  std::shared_ptr<const SolidEnvelope> envelope;
  // Intersections still to apply to shape, in order; the solid is shape once they are.
  std::vector<DeferredIntersection> deferred;
  // Solids that are prisms along Z in their own frame (see occt_prism.h): the section, which is
  // always the solid as asked for, and the Booleans made on it that the shape lacks. At most one
  // of `deferred` and `unmade` holds anything: a prism defers intersections once its shape is
  // made, and a Boolean made on the section evaluates the deferred work first.
  std::shared_ptr<const PrismForm> prism;
  std::vector<UnmadeBoolean> unmade;
  // A change the observer has not heard of, because the shape was not evaluated yet.
  bool observer_stale = false;
  // The gear part the entity belongs to (CadDocument::DescribePart), if it was told one.
  std::shared_ptr<const GearPart> part;

  bool Pending() const { return !deferred.empty() || !unmade.empty(); }
  // The shape as placed. Callers evaluate deferred work first (see occt_deferred.h).
  TopoDS_Shape Located() const;
};

struct OcctApplicationState;
class OcctViewport;

struct OcctDocumentState {
  int number = 0;
  std::string name;
  bool open = true;
  std::map<EntityId, OcctEntityRecord> entities;  // ordered by id, that is by creation
  EntityId next_id = 1;
  ViewState view;
  std::shared_ptr<OcctViewport> active_viewport;  // made on the first read
  std::vector<std::string> command_log;
  DrawingShortfalls shortfalls;
  DrawingDescription description;  // what it holds, as its maker said
  LocationCache locations;
  EvaluationStats evaluation;
  // A mesh drawing (MESH): its two gears and how they roll together.
  std::optional<MeshMotion> mesh;
  std::weak_ptr<OcctApplicationState> application;
};

struct OcctApplicationState {
  bool visible = true;
  int next_number = 1;
  std::vector<std::shared_ptr<OcctDocumentState>> documents;  // open ones, oldest first
  std::weak_ptr<OcctObserver> observer;
  BooleanEvaluation boolean_evaluation = BooleanEvaluation::Fast;
  EvaluationHooks hooks;
};

// The drawing behind a handle, or CadError("<operation>: the drawing ... is closed").
std::shared_ptr<OcctDocumentState> LiveDocument(const std::weak_ptr<OcctDocumentState>& document,
                                                std::string_view operation);
// The record of a live entity, or CadError("<operation>: the entity has been deleted").
OcctEntityRecord& LiveRecord(OcctDocumentState& document, EntityId id, std::string_view operation);

// Adds, replaces and removes records, telling the observer.
EntityId AddRecord(OcctDocumentState& document, OcctEntityRecord record);
void RecordChanged(OcctDocumentState& document, EntityId id);
void RemoveRecord(OcctDocumentState& document, EntityId id);

// Closes a drawing: its records go, it leaves its application's list, the observer hears.
void CloseDocument(std::shared_ptr<OcctDocumentState> document);

// Appends a line to the drawing's command-line log and shows it to the observer.
void LogCommandLine(OcctDocumentState& document, std::string line);
// Marks the drawing as lacking part of what was asked for and logs what, telling the observer.
void MarkShortfall(OcctDocumentState& document, Shortfall shortfall, std::string what);

// How the application a drawing belongs to evaluates Booleans, and its hooks (none when the
// application is gone).
BooleanEvaluation EvaluationOf(const OcctDocumentState& document);
EvaluationHooks HooksOf(const OcctDocumentState& document);

// The observer of the application a drawing belongs to, or null (headless).
std::shared_ptr<OcctObserver> ObserverOf(const OcctDocumentState& document);
ObservedEntity Observe(EntityId id, const OcctEntityRecord& record);

// Tells the observer, if any. The change is already made when the observer hears of it, so an
// observer that throws must not turn a done operation into a reported failure: its exception
// stops here.
template <class Call>
void NotifyObserver(const std::shared_ptr<OcctObserver>& observer, Call&& call) {
  if (!observer) return;
  try {
    call(*observer);
  } catch (...) {
  }
}

template <class Call>
void Notify(const OcctDocumentState& document, Call&& call) {
  NotifyObserver(ObserverOf(document), std::forward<Call>(call));
}

}  // namespace kelvo::cad

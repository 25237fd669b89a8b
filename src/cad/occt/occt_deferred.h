#pragma once

#include <memory>

#include "cad/occt/occt_state.h"

// The fast evaluation's deferred intersections (see occt_evaluation.h for the set algebra and
// when deferred work is evaluated). Called on the thread that drives the application.

namespace kelvo::cad {

// The envelope of a solid made as this cylinder (in the solid's own frame).
std::shared_ptr<const SolidEnvelope> MakeCylinderEnvelope(const TopoDS_Shape& cylinder,
                                                          const gp_Ax1& axis, double radius,
                                                          double height);

// Records solid n other for later if the set algebra allows it exactly: both were made from
// cylinders that coincide where they are now placed, and other has no deferred work of its
// own. Returns false (and changes nothing) otherwise. The caller removes other.
bool DeferIntersection(OcctDocumentState& document, OcctEntityRecord& solid,
                       const OcctEntityRecord& other);

// Applies the deferred intersections of one entity, of a drawing, or of every drawing of an
// application, then tells the observer of the solids that changed. The OpenCASCADE work runs
// on worker threads, one solid per core at a time, while the calling thread reports progress
// and passes on a stop; drawings, logs and the observer are touched on the calling thread only.
// Never raises CadError: an intersection that fails is skipped and counted, as in the
// operation-by-operation order. Raises EvaluationStopped when the application's stop hook
// asks for it; each solid then keeps what was applied, and its drawing's log says how many
// intersections were dropped.
void EvaluateDeferred(OcctDocumentState& document, EntityId id);
void EvaluateDocument(OcctDocumentState& document);
void EvaluateApplication(const OcctApplicationState& application);

}  // namespace kelvo::cad

#pragma once

#include <memory>

#include "cad/occt/occt_state.h"

// The fast evaluation's deferred intersections (see occt_evaluation.h for the set algebra and
// when deferred work is evaluated). Called on the thread that drives the application.

namespace kelvo::cad {

// The envelope of a solid made as this cylinder (in the solid's own frame), with its bottom face.
std::shared_ptr<const SolidEnvelope> MakeCylinderEnvelope(const TopoDS_Shape& cylinder,
                                                          const TopoDS_Face& disk,
                                                          const gp_Ax1& axis, double radius,
                                                          double height);

// Records solid n other for later if the set algebra allows it exactly: both were made from
// cylinders that coincide where they are now placed, and other has no deferred work of its
// own. Returns false (and changes nothing) otherwise. The caller removes other. With
// on_sections, an intersection of two prisms is marked to be made on their sections
// (occt_prism_replication.h); a prism whose shape lacks Booleans made on its section has its
// shape made first.
bool DeferIntersection(OcctDocumentState& document, EntityId id, OcctEntityRecord& solid,
                       const OcctEntityRecord& other, bool on_sections);

// Applies the deferred work of one entity, of a drawing, or of every drawing of an application,
// then tells the observer of the solids that changed: the deferred intersections, and the
// extrusion of a prism's section whose Booleans its shape lacks (occt_prism.h; on the calling
// thread). The OpenCASCADE work runs
// on worker threads (occt_deferred_job.h), one solid per core at a time, while the calling
// thread reports progress and passes on a stop; drawings, logs and the observer are touched on
// the calling thread only, and a solid changes only when its whole outcome is applied.
//
// Never raises CadError. A failure of any kind in the one cut makes the intersections one at a
// time; one that fails there is skipped, counted and named in the drawing's log, as in the
// operation-by-operation order, and the drawing is marked incomplete. A job that breaks beyond
// that is done again one at a time; if that breaks too, the solid stays exactly as it was, its
// intersections deferred still, and the failure is counted and marked the same way.
//
// A stop (the application's stop hook) ends only the work on the application's newest drawing,
// the one being worked on: its solid keeps what was applied, the rest is dropped, the drawing is
// marked unfinished and says how much was dropped, and EvaluationStopped is raised. The deferred
// work of every older drawing goes on to completion. A stop that drops nothing raises nothing.
void EvaluateDeferred(OcctDocumentState& document, EntityId id);
void EvaluateDocument(OcctDocumentState& document);
void EvaluateApplication(const OcctApplicationState& application);

}  // namespace kelvo::cad

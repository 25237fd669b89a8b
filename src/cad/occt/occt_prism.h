#pragma once

#include <Message_ProgressRange.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Solid.hxx>
#include <gp_Trsf.hxx>
#include <memory>
#include <optional>
#include <utility>

#include "cad/occt/occt_state.h"

// Solids that are prisms along Z (occt_evaluation.h), evaluated on their sections.
//
// A record keeps its prism form (its section, a planar face at z = bottom facing +Z in the
// solid's own frame, and its heights) while everything done to it keeps it a prism: a Move, a
// turn about an axis parallel to Z, a Copy, an ArrayPolar, and a subtraction or intersection by
// another prism whose heights span its own. Such a Boolean is the prism of the same Boolean of
// the two sections; it is made on the sections at the call, checked as every Boolean is (one
// face that passes OpenCASCADE's checker, an area possible for the operation), and the 3D shape
// waits: the solid is its section extruded, made on the first use of its shape (occt_deferred.h)
// and checked again (one valid solid, the section's area times its height as volume). Should a
// section Boolean or the extrusion fail a check, the present evaluation takes over, from the
// solids, and the fallback is counted (EvaluationStats::prism_fallbacks).

namespace kelvo::cad {

// The prism form of the solid that extruding face by height along Z makes, when the face lies
// in a plane z = const facing +Z; null for a region in any other plane.
std::shared_ptr<const PrismForm> PrismOfExtrusion(const TopoDS_Face& face, double height);
// The prism form of a solid made as a cylinder about Z: its disk, over its height.
std::shared_ptr<const PrismForm> PrismOfCylinder(const SolidEnvelope& envelope);

// Whether a turn about the line through the two points keeps a prism along Z a prism: the line
// runs parallel to Z. (A turn by exactly 0 is no turn at all, about any line.)
bool TurnKeepsPrism(const Point& point1, const Point& point2);

// The part in the XY plane of a motion between two frames of prisms, which keep the Z direction
// whatever they do: the same turn and shift in X and Y, and z_shift along Z. nullopt when the
// motion tilts Z.
std::optional<gp_Trsf> InPlanePart(const gp_Trsf& motion, double z_shift);

// solid (operation) other, made on their sections when both are prisms along Z, operation is a
// subtraction or an intersection and other spans the solid's heights; other's shape must be made
// (no deferred work). The solid's section changes, and the Boolean joins the ones its shape
// lacks. Returns false and changes nothing when the Boolean is not one of such prisms, or when
// the section Boolean fails its check (counted, and logged for KELVO_LOG=1): the caller then
// makes it on the solids. EvaluationStopped on a stop, nothing changed.
bool BooleanOnSections(OcctDocumentState& document, OcctEntityRecord& solid,
                       const OcctEntityRecord& other, BooleanOperation operation,
                       const Message_ProgressRange& progress);

// The solid that a prism form extrudes to, in the frame of its section, and its volume; checked
// to be one solid whose volume is the section's area times its height. CadError otherwise. The
// section has passed a check of its own (OpenCASCADE's checker, or the construction of
// occt_prism_replication.h), and an extrusion of a valid planar face along its normal is a valid
// solid by construction.
// A stop asked for through progress before the volume is integrated raises EvaluationStopped.
std::pair<TopoDS_Solid, double> ExtrudeSection(const PrismForm& prism,
                                               const Message_ProgressRange& progress = {});

// Makes the shape of a prism whose section has Booleans its shape lacks: the section extruded.
// Should that fail its check, the Booleans are made on the solids instead, one at a time, as
// the fast evaluation makes them at the call; one that fails there is skipped, counted and named
// in the drawing's log, and the solid is an ordinary solid from then on. Never raises CadError.
void MakeShapeFromSection(OcctDocumentState& document, EntityId id);

}  // namespace kelvo::cad

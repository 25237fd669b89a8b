#pragma once

#include "cad/cad_application.h"

// How the OpenCASCADE application evaluates Booleans, and the hooks through which a caller
// follows and stops a long evaluation. No OpenCASCADE in here.
//
// The hobbing sequence asks for z - 1 intersections of a gear blank with turned copies of
// itself. Done one by one, each intersection works through every face of two whole gears: a
// default gear takes half a minute, a gear of 73 teeth ten minutes. The fast evaluation gives
// the same solid far quicker:
//   - a Boolean is done in the solid's own frame: the tool is brought there by one rigid
//     motion, and the solid's geometry never carries a chain of turns;
//   - an intersection of a solid with a turned copy of a solid made from the same cylinder is
//     deferred. Both are the cylinder less some removed space, and the cylinder is symmetric
//     about its axis, so  A n turn(B) = A - turn(cylinder - B)  exactly. All deferred
//     intersections are later evaluated together as one cut of the solid by the turned
//     removed spaces.
// Deferred work is evaluated on the first use that needs the shape: a measurement, an export,
// a Copy, a Boolean that cannot be deferred, showing the application, a new observer, or
// OcctDocument::Evaluate / OcctCadApplication::Evaluate. Until then the observer keeps the
// solid as it last heard of it. When several drawings wait (both gears of a pair, shown at the
// end of the generate command), their solids are evaluated at the same time, one per core.
// The one cut is checked (one valid solid, and the volume the set algebra predicts); if a
// check fails, the cut is redone without OpenCASCADE's glue option, and at worst the
// intersections are made one at a time as asked, where one that fails is skipped and the rest
// applied, as the operation-by-operation evaluation does. Any exception counts as a failed
// check there, an OpenCASCADE one or exhausted memory alike, on whichever thread it happens.
//
// A spur gear goes further (occt_prism.h). Every solid its hobbing makes is a prism along Z:
// the blank is a cylinder about Z, the cutter a region extruded along Z and longer than the
// blank, every turn is about Z, and a copy of a prism is a prism. A subtraction or an
// intersection of two such prisms, the tool spanning the solid's heights, is the prism of the
// same Boolean of their sections, made on planar faces; the turned copies of the replication
// are put together on the section as well. The 3D solid is the section extruded once, on the
// first use of its shape. Whatever is not such a prism (a tilted helical cutter, a turn about
// another axis, a union, a tool too short) takes the way above at once; so does any work on a
// section that fails its check, and that fallback is counted.

namespace kelvo::cad {

enum class BooleanEvaluation {
  Fast,                 // prisms along Z on their sections; all else as Fast3D
  Fast3D,               // own frames, deferred intersections evaluated as one checked cut
  OperationByOperation  // every Boolean at once, on the solids as placed: the reference
};

// What the evaluation of one drawing has done so far.
struct EvaluationStats {
  int deferred_intersections = 0;  // intersections recorded for a later evaluation
  int one_cut_evaluations = 0;     // deferred sets evaluated as one checked cut
  int fallbacks = 0;               // one cut that failed a check and was evaluated more safely
  // Booleans that failed: at the call, or deferred and skipped, or deferred and not evaluated
  // because the whole evaluation broke (those stay deferred)
  int failed_booleans = 0;
  int dropped_by_stop = 0;     // deferred intersections dropped because of a stop
  int prism_booleans = 0;      // Booleans of prisms made on their sections
  int prism_replications = 0;  // deferred sets put together on a prism's section
  // work on a section that failed a check (or broke) and was made on the solids instead
  int prism_fallbacks = 0;
  double seconds = 0;  // spent evaluating deferred work
};

}  // namespace kelvo::cad

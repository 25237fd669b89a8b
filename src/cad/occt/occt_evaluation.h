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

namespace kelvo::cad {

enum class BooleanEvaluation {
  Fast,                 // own frames, deferred intersections evaluated as one checked cut
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
  int dropped_by_stop = 0;  // deferred intersections dropped because of a stop
  double seconds = 0;       // spent evaluating deferred work
};

}  // namespace kelvo::cad

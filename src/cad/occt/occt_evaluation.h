#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

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
// applied, as the operation-by-operation evaluation does.

namespace kelvo::cad {

enum class BooleanEvaluation {
  Fast,                 // own frames, deferred intersections evaluated as one checked cut
  OperationByOperation  // every Boolean at once, on the solids as placed: the reference
};

// Follows and stops long evaluations. Both are called on the thread that drives the
// application (a few times a second while it waits for the evaluation), never from
// OpenCASCADE's worker threads.
struct EvaluationHooks {
  // What the evaluation is doing and the share of it done, 0 to 1.
  std::function<void(std::string_view what, double done)> progress;
  // Asked often during a long evaluation; true stops it as soon as OpenCASCADE can stop.
  std::function<bool()> stop_requested;
};

// Raised by the operation during which a stop was requested. It is no CadError: the hobbing
// sequence's skip-and-continue regime lets it through, so the whole build stops. What was cut
// before the stop stays; a Boolean that was stopped half way leaves its solids as they were,
// and deferred intersections not yet applied are dropped (the drawing log says how many).
class EvaluationStopped : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the evaluation of one drawing has done so far.
struct EvaluationStats {
  int deferred_intersections = 0;  // intersections recorded for a later evaluation
  int one_cut_evaluations = 0;     // deferred sets evaluated as one checked cut
  int fallbacks = 0;               // one cut that failed a check and was evaluated more safely
  int failed_booleans = 0;         // Booleans that failed: at the call, or deferred and skipped
  int dropped_by_stop = 0;         // deferred intersections dropped because of a stop
  double seconds = 0;              // spent evaluating deferred work
};

}  // namespace kelvo::cad

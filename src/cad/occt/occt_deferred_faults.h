#pragma once

// For tests only: a function that may throw at chosen stages of the deferred evaluation, to show
// that no failure there loses work. Nothing in the program sets it; unset, each stage costs one
// load of a pointer.

namespace kelvo::cad {

enum class DeferredStage {
  JobStart,         // a worker thread takes up one solid's deferred intersections
  RemovedSpace,     // the removed space of a turned copy is cut from its cylinder
  OneCut,           // the solid is cut by all its turned removed spaces at once
  CheckOneCut,      // the one cut's result is checked for validity, on a thread of its own
  OneIntersection,  // one intersection of the one-at-a-time evaluation
  // Prisms along Z (occt_prism.h):
  SectionBoolean,      // a Boolean of two prisms is made on their sections, at the call
  SectionExtrusion,    // a prism's section is extruded into its solid
  SectionReplication,  // the turned copies of a prism's section are put together on it
};
inline constexpr int kDeferredStageCount = 8;

// Called at every stage reached, on the thread the stage runs on; null for none.
using DeferredFault = void (*)(DeferredStage stage);
void SetDeferredFaultForTesting(DeferredFault fault);

}  // namespace kelvo::cad

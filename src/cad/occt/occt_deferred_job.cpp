#include "cad/occt/occt_deferred_job.h"

#include <Message_ProgressScope.hxx>
#include <TopExp_Explorer.hxx>
#include <algorithm>
#include <cmath>
#include <future>

#include "cad/occt/occt_boolean.h"
#include "cad/occt/occt_deferred_faults.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_measure.h"
#include "cad/occt/occt_prism_replication.h"

namespace kelvo::cad {
namespace {

// Volumes are integrated, not exact: helical solids bounded by approximated intersection
// curves come out within a few 1e-8 of what the set algebra predicts. A wrong solid misses at
// least a space or a sliver of one, a thousand times more.
constexpr double kIdentityTolerance = 1e-7;

std::atomic<DeferredFault> injected_fault{nullptr};

}  // namespace

void ReachDeferredStage(DeferredStage stage) {
  if (const DeferredFault fault = injected_fault.load(std::memory_order_relaxed)) fault(stage);
}

void SetDeferredFaultForTesting(DeferredFault fault) {
  injected_fault.store(fault);
}

// The turned space a deferred intersection removes, shared by all copies of one solid.
struct DeferredJob::RemovedSpace {
  TopoDS_Shape copy;
  const SolidEnvelope* envelope = nullptr;
  TopoDS_Shape space;  // null when the copy is its whole cylinder and removes nothing
  double volume = 0;

  bool Serves(const DeferredIntersection& item) const {
    return copy.IsEqual(item.copy) && envelope == item.copy_envelope.get();
  }
};

DeferredJob::DeferredJob(const OcctEntityRecord& record, DeferredWay way,
                         const std::atomic<bool>& stop)
    : items_(record.deferred),
      base_(record.shape),
      base_volume_(record.volume),
      prism_(record.prism),
      envelope_(record.envelope),
      way_(way),
      progress_(new WorkerProgress(stop)) {}

void DeferredJob::Run() noexcept {
  try {
    ReachDeferredStage(DeferredStage::JobStart);
    if (!base_volume_) base_volume_ = Guarded("Volume", [&] { return ShapeVolume(base_); });
    // Shares of the progress: on the section 1, where it can; the one cut 8; one at a time 2.
    const bool on_section = way_ == DeferredWay::AsOneCut && OnSectionPossible();
    Message_ProgressScope scope(progress_->Start(), "deferred intersections", on_section ? 11 : 10);
    if (on_section) {
      if (OnSection(scope.Next(1))) return;
      outcome_.prism_fell_back = true;
    }
    if (way_ == DeferredWay::AsOneCut) {
      if (AsOneCut(scope)) return;
      outcome_.fell_back = true;
    }
    OneAtATime(scope.Next(way_ == DeferredWay::AsOneCut ? 2 : 10));
  } catch (const EvaluationStopped&) {
    outcome_.stopped = true;
  } catch (...) {
    outcome_.broke = std::current_exception();
  }
}

// The set can be put together on the section when the solid is a prism and every copy shares
// its section and its cylinder: copies of the solid, made before the intersections.
bool DeferredJob::OnSectionPossible() const {
  if (!prism_ || !envelope_) return false;
  return std::all_of(items_.begin(), items_.end(), [&](const DeferredIntersection& item) {
    return item.copy_prism == prism_ && item.copy_envelope == envelope_;
  });
}

bool DeferredJob::OnSection(const Message_ProgressRange& range) {
  constexpr std::string_view kWhat = "Replication on the section";
  progress_->SetWhat("putting the turned spaces together on the section");
  try {
    const ReplicatedSection made = Guarded(kWhat, [&] {
      std::vector<gp_Trsf> turns;
      turns.reserve(items_.size());
      for (const DeferredIntersection& item : items_)
        turns.push_back(item.to_solid);
      return ReplicateSection(*prism_, *envelope_, turns, range);
    });
    outcome_.on_section = true;
    if (made.prism) {
      outcome_.solid.emplace(made.solid, made.volume);
      outcome_.prism = made.prism;
    } else {
      outcome_.prism = prism_;  // nothing taken away: the solid and its section stay
    }
    outcome_.done = items_.size();
    return true;
  } catch (const CadError& error) {
    outcome_.detail.push_back(std::string(error.what()) +
                              "; evaluating the intersections on the solids instead");
    return false;
  }
}

// The removed space of each distinct copy: its cylinder less the copy. One Boolean serves all
// z - 1 turned copies of the blank.
std::vector<DeferredJob::RemovedSpace> DeferredJob::RemovedSpaces(
    const Message_ProgressRange& range) {
  std::vector<RemovedSpace> spaces;
  Message_ProgressScope scope(range, "removed spaces", static_cast<double>(items_.size()));
  for (const DeferredIntersection& item : items_) {
    const Message_ProgressRange step = scope.Next();
    if (std::any_of(spaces.begin(), spaces.end(),
                    [&](const RemovedSpace& space) { return space.Serves(item); })) {
      continue;
    }
    RemovedSpace space{item.copy, item.copy_envelope.get(), {}, 0};
    const double predicted = item.copy_envelope->volume - item.copy_volume;
    const double slack = kIdentityTolerance * item.copy_envelope->volume;
    // Whether the copy lacks anything is told by its shape, not its volume: on the blank of a
    // gear of thousands of teeth one space weighs less than the volumes can resolve, and the
    // whole replication would be dropped without a word.
    if (!item.copy.IsPartner(item.copy_envelope->cylinder)) {
      ReachDeferredStage(DeferredStage::RemovedSpace);
      space.space = CutByMany(item.copy_envelope->cylinder, {item.copy}, {}, step);
      space.volume = ShapeVolume(space.space);
      if (std::abs(space.volume - predicted) > slack || !IsValidShape(space.space)) {
        ThrowCadError("Boolean subtraction", "the removed space fails its check");
      }
      if (!TopExp_Explorer(space.space, TopAbs_SOLID).More()) space.space.Nullify();
    }
    spaces.push_back(std::move(space));
  }
  return spaces;
}

// The one cut: first with OCCT's glue option, accepted only if the volume is exactly what
// disjoint turned spaces remove; then without glue, accepted as any Boolean is. False when
// neither passes, or anything in them fails; the solid is then unchanged.
bool DeferredJob::AsOneCut(Message_ProgressScope& scope) {
  std::vector<RemovedSpace> spaces;
  try {
    spaces = Guarded("Removed spaces", [&] { return RemovedSpaces(scope.Next(1)); });
  } catch (const CadError& error) {
    outcome_.detail.push_back(std::string(error.what()) +
                              "; applying the intersections one at a time");
    return false;
  }
  std::vector<TopoDS_Shape> tools;
  double predicted = *base_volume_;
  for (const DeferredIntersection& item : items_) {
    const RemovedSpace& space = *std::find_if(
        spaces.begin(), spaces.end(), [&](const RemovedSpace& s) { return s.Serves(item); });
    if (space.space.IsNull()) continue;
    tools.push_back(space.space.Moved(TopLoc_Location(item.to_solid)));
    predicted -= space.volume;
  }
  outcome_.one_cut = true;
  if (tools.empty()) {  // every copy was its whole cylinder: nothing to remove
    outcome_.done = items_.size();
    return true;
  }
  // Shares of the progress on the usual way: the removed spaces 1, the cut 6, its check 3; a
  // fallback takes what is left.
  progress_->SetWhat("cutting the turned spaces");
  const Message_ProgressRange glued = scope.Next(6);
  if (TryCut(tools, true, predicted, glued)) return true;
  progress_->SetWhat("cutting the turned spaces without glue");
  const Message_ProgressRange plain = scope.Next(1);
  return TryCut(tools, false, predicted, plain);
}

bool DeferredJob::TryCut(const std::vector<TopoDS_Shape>& tools, bool glue, double predicted,
                         const Message_ProgressRange& range) {
  const std::string what = "Boolean subtraction of " + std::to_string(tools.size()) +
                           " turned spaces" + (glue ? " with OpenCASCADE's glue option" : "");
  const double base = *base_volume_;
  const double slack = kIdentityTolerance * base;
  try {
    return Guarded(what, [&] {
      ReachDeferredStage(DeferredStage::OneCut);
      const TopoDS_Shape cut = CutByMany(base_, tools, {true, true, glue}, range);
      const TopoDS_Solid solid = SingleSolid(cut);
      if (solid.IsNull()) ThrowCadError(what, WhyNotOneSolid(cut));
      progress_->SetWhat("checking the solid");
      // The checker and the volume integration only read the solid: side by side they take the
      // time of the longer.
      std::future<bool> valid = std::async(std::launch::async, [&] {
        ReachDeferredStage(DeferredStage::CheckOneCut);
        return IsValidShape(solid);
      });
      const double volume = ShapeVolume(solid);
      const bool volume_ok =
          glue ? std::abs(volume - predicted) <= slack
               : volume > slack && volume <= base + slack && volume >= predicted - slack;
      if (!valid.get() || !volume_ok) ThrowCadError(what, "the result fails its check");
      outcome_.solid.emplace(solid, volume);
      outcome_.done = items_.size();
      return true;
    });
  } catch (const CadError& error) {
    outcome_.detail.push_back(error.what());
    return false;
  }
}

// The intersections as asked, one at a time, each checked like any Boolean; one that fails, of
// whatever cause, is skipped and the rest applied, as in the reference order.
void DeferredJob::OneAtATime(const Message_ProgressRange& range) {
  progress_->SetWhat("intersecting with the turned copies one at a time");
  Message_ProgressScope scope(range, "intersections", static_cast<double>(items_.size()));
  BooleanOperand current{base_, *base_volume_};
  for (const DeferredIntersection& item : items_) {
    const Message_ProgressRange step = scope.Next();
    if (step.UserBreak()) throw EvaluationStopped("Boolean intersection: stopped");
    try {
      const BooleanOutcome applied = Guarded("Boolean intersection", [&] {
        ReachDeferredStage(DeferredStage::OneIntersection);
        return EvaluateBoolean(BooleanOperation::Intersection, current,
                               {item.copy.Moved(TopLoc_Location(item.to_solid)), item.copy_volume},
                               {}, step);
      });
      current = {applied.solid, applied.volume};
      outcome_.solid.emplace(applied.solid, applied.volume);
    } catch (const CadError& error) {
      outcome_.skipped.push_back(static_cast<int>(outcome_.done + 1));
      outcome_.detail.push_back(std::string(error.what()) + " (skipped)");
    }
    ++outcome_.done;
  }
}

}  // namespace kelvo::cad

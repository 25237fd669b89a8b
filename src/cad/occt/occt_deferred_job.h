#pragma once

#include <Message_ProgressIndicator.hxx>
#include <TopoDS_Solid.hxx>
#include <atomic>
#include <cstddef>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cad/occt/occt_state.h"

// The OpenCASCADE work of applying one solid's deferred intersections (occt_evaluation.h). A
// job works on copies of what it needs and touches nothing else, so it may run on a worker
// thread; the thread that drives the application applies its outcome (occt_deferred.cpp).

namespace kelvo::cad {

enum class DeferredStage;
// Calls the fault that a test set for a stage, if any (occt_deferred_faults.h).
void ReachDeferredStage(DeferredStage stage);

// How far a job has come, read by the driving thread, and the stop the job answers to.
class WorkerProgress final : public Message_ProgressIndicator {
 public:
  explicit WorkerProgress(const std::atomic<bool>& stop) : stop_(stop) {}

  Standard_Boolean UserBreak() override { return stop_.load(); }
  void Show(const Message_ProgressScope& /*scope*/, const Standard_Boolean /*force*/) override {
    position_.store(GetPosition());
  }
  double Position() const { return position_.load(); }
  void SetWhat(const char* what) { what_.store(what); }
  const char* What() const { return what_.load(); }

 private:
  const std::atomic<bool>& stop_;
  std::atomic<double> position_{0};
  std::atomic<const char*> what_{"removed spaces"};
};

enum class DeferredWay {
  // on the prism's section where it can (occt_prism_replication.h), else one checked cut by
  // all turned removed spaces, else one at a time
  AsOneCut,
  OneAtATime  // each intersection as asked, as the reference order makes it
};

// What a job leaves for the driving thread.
struct DeferredOutcome {
  std::optional<std::pair<TopoDS_Solid, double>> solid;  // and its volume, once anything applied
  std::size_t done = 0;          // intersections applied or skipped, counted from the first
  std::vector<int> skipped;      // intersections that failed (1: the first deferred), left out
  bool one_cut = false;          // the set was evaluated as one cut
  bool fell_back = false;        // the one cut was given up for one at a time
  bool on_section = false;       // the set was put together on the prism's section
  bool prism_fell_back = false;  // that failed, and the solids took over
  // The solid's prism form after the work: the new section when it was made on the section;
  // null when it was made on the solids, and the solid is an ordinary one from then on.
  std::shared_ptr<const PrismForm> prism;
  bool stopped = false;  // a stop ended the work after `done` intersections
  // A failure no stage could absorb: the outcome counts for nothing, the solid is as it was.
  std::exception_ptr broke;
  std::vector<std::string> detail;  // technical detail of failures dealt with
};

class DeferredJob {
 public:
  // Copies the record's solid and its deferred intersections; the record keeps them until the
  // outcome is applied.
  DeferredJob(const OcctEntityRecord& record, DeferredWay way, const std::atomic<bool>& stop);

  // Every failure is caught here and described in the outcome.
  void Run() noexcept;

  const opencascade::handle<WorkerProgress>& Progress() const { return progress_; }
  const DeferredOutcome& Outcome() const { return outcome_; }
  std::size_t Size() const { return items_.size(); }

 private:
  struct RemovedSpace;

  bool OnSectionPossible() const;
  bool OnSection(const Message_ProgressRange& range);
  std::vector<RemovedSpace> RemovedSpaces(const Message_ProgressRange& range);
  bool AsOneCut(Message_ProgressScope& scope);
  bool TryCut(const std::vector<TopoDS_Shape>& tools, bool glue, double predicted,
              const Message_ProgressRange& range);
  void OneAtATime(const Message_ProgressRange& range);

  std::vector<DeferredIntersection> items_;
  TopoDS_Shape base_;
  std::optional<double> base_volume_;
  std::shared_ptr<const PrismForm> prism_;
  std::shared_ptr<const SolidEnvelope> envelope_;
  DeferredWay way_;
  opencascade::handle<WorkerProgress> progress_;
  DeferredOutcome outcome_;
};

}  // namespace kelvo::cad

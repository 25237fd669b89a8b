#include "cad/occt/occt_deferred.h"

#include <Message_ProgressIndicator.hxx>
#include <Message_ProgressScope.hxx>
#include <TopExp_Explorer.hxx>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "cad/occt/occt_boolean.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_measure.h"

namespace kelvo::cad {
namespace {

// Volumes are integrated, not exact: helical solids bounded by approximated intersection
// curves come out within a few 1e-8 of what the set algebra predicts. A wrong solid misses at
// least a space or a sliver of one, a thousand times more.
constexpr double kIdentityTolerance = 1e-7;

// How far two placed envelopes may lie apart and still count as the same cylinder: rounding
// of the turns that put them there, far below any modelling tolerance.
constexpr double kEnvelopeMatch = 1e-9;

// The turned space a deferred intersection removes, shared by all copies of one solid.
struct RemovedSpace {
  TopoDS_Shape copy;
  const SolidEnvelope* envelope = nullptr;
  TopoDS_Shape space;  // null when the copy is its whole cylinder and removes nothing
  double volume = 0;
};

bool SameCylinder(const SolidEnvelope& a, const gp_Trsf& place_a, const SolidEnvelope& b,
                  const gp_Trsf& place_b) {
  const double scale = std::max({1.0, a.radius, a.height});
  const double tolerance = kEnvelopeMatch * scale;
  if (std::abs(a.radius - b.radius) > tolerance || std::abs(a.height - b.height) > tolerance) {
    return false;
  }
  const gp_Ax1 axis_a = a.axis.Transformed(place_a);
  const gp_Ax1 axis_b = b.axis.Transformed(place_b);
  return axis_a.Location().Distance(axis_b.Location()) <= tolerance &&
         axis_a.Direction().IsEqual(axis_b.Direction(), tolerance / scale);
}

double Elapsed(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// OCCT's progress indicator for an evaluation on a worker thread: it only records how far the
// work has come and answers a user break from a flag the driving thread sets.
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

// The OpenCASCADE work of evaluating one solid's deferred intersections. It touches nothing
// but its own members, so it may run on a worker thread; the driving thread applies the
// outcome to the drawing, its log and its observer afterwards.
class EvaluationJob {
 public:
  EvaluationJob(OcctDocumentState& of_document, EntityId of_id, const std::atomic<bool>& stop)
      : document(of_document), id(of_id), progress(new WorkerProgress(stop)) {
    OcctEntityRecord& record = document.entities.at(id);
    items_ = std::move(record.deferred);
    record.deferred.clear();
    base_ = record.shape;
    base_volume_ = record.volume ? *record.volume : ShapeVolume(record.shape);
  }

  void Run() {
    try {
      Message_ProgressScope scope(progress->Start(), "deferred intersections", 10);
      if (AsOneCut(scope)) return;
      ++fallbacks;
      OneByOne(scope.Next(2));
    } catch (const EvaluationStopped&) {
      stopped = true;
      dropped = static_cast<int>(items_.size() - done_);
      log.push_back("Stopped: " + std::to_string(dropped) + " deferred intersection" +
                    (dropped == 1 ? "" : "s") + " not applied");
    } catch (...) {
      error = std::current_exception();
    }
  }

  // Outcome, read by the driving thread after Run.
  OcctDocumentState& document;
  const EntityId id;
  opencascade::handle<WorkerProgress> progress;
  std::optional<std::pair<TopoDS_Solid, double>> result;  // the solid, when anything changed
  std::vector<std::string> log;
  int one_cuts = 0;
  int fallbacks = 0;
  int failed = 0;
  int dropped = 0;
  bool stopped = false;
  std::exception_ptr error;

 private:
  void Stage(const char* what) { progress->SetWhat(what); }

  // The removed space of each distinct copy: its cylinder less the copy. One Boolean serves
  // all z - 1 turned copies of the blank.
  std::vector<RemovedSpace> RemovedSpaces(const Message_ProgressRange& range) {
    std::vector<RemovedSpace> spaces;
    Message_ProgressScope scope(range, "removed spaces", static_cast<double>(items_.size()));
    for (const DeferredIntersection& item : items_) {
      const Message_ProgressRange step = scope.Next();
      if (Find(spaces, item) != nullptr) continue;
      RemovedSpace space{item.copy, item.copy_envelope.get(), {}, 0};
      const double predicted = item.copy_envelope->volume - item.copy_volume;
      const double slack = kIdentityTolerance * item.copy_envelope->volume;
      // Whether the copy lacks anything is told by its shape, not its volume: on the blank of a
      // gear of thousands of teeth one space weighs less than the volumes can resolve, and the
      // whole replication would be dropped without a word.
      if (!item.copy.IsPartner(item.copy_envelope->cylinder)) {
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

  static const RemovedSpace* Find(const std::vector<RemovedSpace>& spaces,
                                  const DeferredIntersection& item) {
    for (const RemovedSpace& space : spaces) {
      if (space.copy.IsEqual(item.copy) && space.envelope == item.copy_envelope.get()) {
        return &space;
      }
    }
    return nullptr;
  }

  // The one cut: first with OCCT's glue option, accepted only if the volume is exactly what
  // disjoint turned spaces remove; then without glue, accepted as any Boolean is. False when
  // neither passes; the solid is then unchanged.
  bool AsOneCut(Message_ProgressScope& scope) {
    std::vector<RemovedSpace> spaces;
    try {
      spaces = RemovedSpaces(scope.Next(1));
    } catch (const CadError& error_text) {
      log.push_back(std::string(error_text.what()) + "; applying the intersections one at a time");
      return false;
    }
    std::vector<TopoDS_Shape> tools;
    double predicted = base_volume_;
    for (const DeferredIntersection& item : items_) {
      const RemovedSpace& space = *Find(spaces, item);
      if (space.space.IsNull()) continue;
      tools.push_back(space.space.Moved(TopLoc_Location(item.to_solid)));
      predicted -= space.volume;
    }
    ++one_cuts;
    if (tools.empty()) {  // every copy was its whole cylinder: nothing to remove
      done_ = items_.size();
      return true;
    }

    const double slack = kIdentityTolerance * base_volume_;
    Stage("cutting the turned spaces");
    // Shares of the progress on the usual way: the removed spaces 1, the cut 6, its check 3;
    // a fallback takes what is left.
    const Message_ProgressRange glued = scope.Next(6);
    if (TryCut(tools, {true, true, true}, glued,
               [&](double volume) { return std::abs(volume - predicted) <= slack; })) {
      return true;
    }
    Stage("cutting the turned spaces without glue");
    const Message_ProgressRange plain = scope.Next(1);
    return TryCut(tools, {true, true, false}, plain, [&](double volume) {
      return volume > slack && volume <= base_volume_ + slack && volume >= predicted - slack;
    });
  }

  template <class VolumeCheck>
  bool TryCut(const std::vector<TopoDS_Shape>& tools, const BooleanOptions& options,
              const Message_ProgressRange& range, VolumeCheck&& volume_ok) {
    const std::string what = "Boolean subtraction of " + std::to_string(tools.size()) +
                             " turned spaces" +
                             (options.glue ? " with OpenCASCADE's glue option" : "");
    try {
      const TopoDS_Shape cut = CutByMany(base_, tools, options, range);
      const TopoDS_Solid solid = SingleSolid(cut);
      if (solid.IsNull()) {
        log.push_back(what + ": " + WhyNotOneSolid(cut));
        return false;
      }
      Stage("checking the solid");
      // The checker and the volume integration only read the solid: side by side they
      // take the time of the longer.
      std::future<bool> valid = std::async(std::launch::async, [&] { return IsValidShape(solid); });
      const double volume = ShapeVolume(solid);
      if (!valid.get() || !volume_ok(volume)) {
        log.push_back(what + ": the result fails its check");
        return false;
      }
      result.emplace(solid, volume);
      done_ = items_.size();
      return true;
    } catch (const CadError& error_text) {
      log.push_back(error_text.what());
      return false;
    }
  }

  // The intersections as asked, one at a time, each checked like any Boolean; one that fails
  // is skipped and the rest applied.
  void OneByOne(const Message_ProgressRange& range) {
    Stage("intersecting with the turned copies one at a time");
    Message_ProgressScope scope(range, "intersections", static_cast<double>(items_.size()));
    BooleanOperand current{base_, base_volume_};
    for (const DeferredIntersection& item : items_) {
      const Message_ProgressRange step = scope.Next();
      if (step.UserBreak()) throw EvaluationStopped("Boolean intersection: stopped");
      try {
        const BooleanOutcome outcome = EvaluateBoolean(
            BooleanOperation::Intersection, current,
            {item.copy.Moved(TopLoc_Location(item.to_solid)), item.copy_volume}, {}, step);
        current = {outcome.solid, outcome.volume};
        result.emplace(outcome.solid, outcome.volume);
      } catch (const CadError& error_text) {
        ++failed;
        log.push_back(std::string(error_text.what()) + " (skipped)");
      }
      ++done_;
    }
  }

  std::vector<DeferredIntersection> items_;
  TopoDS_Shape base_;
  double base_volume_ = 0;
  std::size_t done_ = 0;  // intersections applied or skipped so far
};

// Runs the jobs on worker threads, as many at a time as there are cores, while the driving
// thread reports progress and passes on a stop; then applies every outcome to its drawing.
void RunJobs(std::vector<std::unique_ptr<EvaluationJob>>& jobs, const EvaluationHooks& hooks,
             std::atomic<bool>& stop) {
  const std::size_t workers =
      std::min<std::size_t>(jobs.size(), std::max(1u, std::thread::hardware_concurrency()));
  std::mutex mutex;
  std::condition_variable finished_one;
  std::size_t next = 0;
  std::size_t finished = 0;
  auto work = [&] {
    for (;;) {
      std::size_t i = 0;
      {
        const std::lock_guard<std::mutex> lock(mutex);
        if (next == jobs.size()) return;
        i = next++;
      }
      jobs[i]->Run();
      const std::lock_guard<std::mutex> lock(mutex);
      ++finished;
      finished_one.notify_all();
    }
  };
  std::vector<std::thread> threads;
  try {
    for (std::size_t w = 0; w < workers; ++w)
      threads.emplace_back(work);
  } catch (const std::system_error&) {
    if (threads.empty()) work();  // no thread to be had: the driving thread does the work
  }
  // A few times a second, the driving thread tells how far the work has come and passes on a
  // stop; it wakes at once when the last job is done.
  std::unique_lock<std::mutex> lock(mutex);
  while (!finished_one.wait_for(lock, std::chrono::milliseconds(50),
                                [&] { return finished == jobs.size(); })) {
    lock.unlock();
    if (hooks.stop_requested && !stop.load() && hooks.stop_requested()) stop = true;
    if (hooks.progress) {
      double done = 0;
      const char* what = jobs.front()->progress->What();
      for (const auto& job : jobs) {
        done += job->progress->Position();
        if (job->progress->Position() < 1) what = job->progress->What();
      }
      hooks.progress(what, done / static_cast<double>(jobs.size()));
    }
    lock.lock();
  }
  lock.unlock();
  for (std::thread& thread : threads)
    thread.join();
  if (hooks.progress) hooks.progress("done", 1);
}

void Evaluate(const std::vector<std::pair<OcctDocumentState*, EntityId>>& pending) {
  if (pending.empty()) return;
  const auto start = std::chrono::steady_clock::now();
  const EvaluationHooks hooks = HooksOf(*pending.front().first);
  // A stop asked for before the work starts is honoured however short the work would be.
  std::atomic<bool> stop{hooks.stop_requested && hooks.stop_requested()};
  std::vector<std::unique_ptr<EvaluationJob>> jobs;
  for (const auto& [document, id] : pending)
    jobs.push_back(std::make_unique<EvaluationJob>(*document, id, stop));
  RunJobs(jobs, hooks, stop);

  const double seconds = Elapsed(start);
  std::vector<OcctDocumentState*> timed;
  bool stopped = false;
  std::exception_ptr error;
  for (const auto& job : jobs) {
    OcctDocumentState& document = job->document;
    OcctEntityRecord& record = document.entities.at(job->id);
    if (job->result) {
      record.shape = job->result->first;
      record.volume = job->result->second;
      record.valid = true;
    }
    EvaluationStats& stats = document.evaluation;
    stats.one_cut_evaluations += job->one_cuts;
    stats.fallbacks += job->fallbacks;
    stats.failed_booleans += job->failed;
    stats.dropped_by_stop += job->dropped;
    if (std::find(timed.begin(), timed.end(), &document) == timed.end()) {
      stats.seconds += seconds;
      timed.push_back(&document);
    }
    for (std::string& line : job->log)
      LogCommandLine(document, std::move(line));
    if (record.observer_stale) RecordChanged(document, job->id);
    stopped = stopped || job->stopped;
    if (!error) error = job->error;
  }
  if (error) std::rethrow_exception(error);
  if (stopped) throw EvaluationStopped("Evaluate: stopped");
}

}  // namespace

std::shared_ptr<const SolidEnvelope> MakeCylinderEnvelope(const TopoDS_Shape& cylinder,
                                                          const gp_Ax1& axis, double radius,
                                                          double height) {
  auto envelope = std::make_shared<SolidEnvelope>();
  envelope->cylinder = cylinder;
  envelope->axis = axis;
  envelope->radius = radius;
  envelope->height = height;
  envelope->volume = ShapeVolume(cylinder);
  return envelope;
}

bool DeferIntersection(OcctDocumentState& document, OcctEntityRecord& solid,
                       const OcctEntityRecord& other) {
  if (!solid.envelope || !other.envelope || other.Pending()) return false;
  const gp_Trsf place_solid = solid.placement.Transformation();
  const gp_Trsf place_other = other.placement.Transformation();
  if (!SameCylinder(*solid.envelope, place_solid, *other.envelope, place_other)) return false;

  DeferredIntersection item;
  item.copy = other.shape;
  item.copy_envelope = other.envelope;
  item.to_solid = place_solid.Inverted() * place_other;
  item.copy_volume = other.volume ? *other.volume : ShapeVolume(other.shape);
  solid.deferred.push_back(std::move(item));
  ++document.evaluation.deferred_intersections;
  return true;
}

void EvaluateDeferred(OcctDocumentState& document, EntityId id) {
  const auto found = document.entities.find(id);
  if (found == document.entities.end() || !found->second.Pending()) return;
  Evaluate({{&document, id}});
}

void EvaluateDocument(OcctDocumentState& document) {
  std::vector<std::pair<OcctDocumentState*, EntityId>> pending;
  for (const auto& [id, record] : document.entities) {
    if (record.Pending()) pending.emplace_back(&document, id);
  }
  Evaluate(pending);
}

void EvaluateApplication(const OcctApplicationState& application) {
  std::vector<std::pair<OcctDocumentState*, EntityId>> pending;
  for (const std::shared_ptr<OcctDocumentState>& document : application.documents) {
    for (const auto& [id, record] : document->entities) {
      if (record.Pending()) pending.emplace_back(document.get(), id);
    }
  }
  Evaluate(pending);
}

}  // namespace kelvo::cad

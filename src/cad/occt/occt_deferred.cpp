#include "cad/occt/occt_deferred.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <exception>
#include <future>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "cad/occt/occt_deferred_job.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_log_texts.h"
#include "cad/occt/occt_measure.h"
#include "cad/occt/occt_prism.h"

namespace kelvo::cad {
namespace {

// How far two placed envelopes may lie apart and still count as the same cylinder: rounding
// of the turns that put them there, far below any modelling tolerance.
constexpr double kEnvelopeMatch = 1e-9;

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

// A stop ends the work on the drawing being worked on, the application's newest. Every other
// drawing's deferred work belongs to a solid whose every step had run before; a stop must not
// take that from it, so it goes on to completion.
bool StoppableIn(const OcctDocumentState& document) {
  const std::shared_ptr<OcctApplicationState> application = document.application.lock();
  return !application || application->documents.empty() ||
         application->documents.back().get() == &document;
}

// What the driving thread tells the hooks while the jobs run: the share of the work done and
// what a job still running is doing, each job's share under its drawing's subject; and the
// stop it passes on.
void ReportProgress(const std::vector<DeferredJob*>& jobs, const std::vector<std::string>& subjects,
                    const std::vector<std::atomic<bool>>& finished, const EvaluationHooks& hooks,
                    std::atomic<bool>& stop) {
  double done = 0;
  const char* what = jobs.front()->Progress()->What();
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    done += finished[i] ? 1.0 : jobs[i]->Progress()->Position();
    if (!finished[i]) what = jobs[i]->Progress()->What();
  }
  // The workers must be waited for whatever the hooks do: one that fails goes unheard.
  try {
    if (hooks.stop_requested && !stop.load() && hooks.stop_requested()) stop = true;
    if (hooks.progress) hooks.progress(what, done / static_cast<double>(jobs.size()));
    for (std::size_t i = 0; hooks.drawing_progress && i < jobs.size(); ++i)
      hooks.drawing_progress(subjects[i], finished[i] ? 1.0 : jobs[i]->Progress()->Position());
  } catch (...) {
  }
}

// Runs the jobs on worker threads, as many at a time as there are cores, while the driving
// thread reports progress and passes on a stop a few times a second.
void RunJobs(const std::vector<DeferredJob*>& jobs, const std::vector<std::string>& subjects,
             const EvaluationHooks& hooks, std::atomic<bool>& stop) {
  if (jobs.empty()) return;
  std::vector<std::atomic<bool>> finished(jobs.size());
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < jobs.size(); i = next++) {
      jobs[i]->Run();
      finished[i] = true;
    }
  };
  const std::size_t worker_count =
      std::min<std::size_t>(jobs.size(), std::max(1u, std::thread::hardware_concurrency()));
  std::vector<std::future<void>> workers;
  try {
    for (std::size_t w = 0; w < worker_count; ++w)
      workers.push_back(std::async(std::launch::async, work));
  } catch (const std::system_error&) {
    if (workers.empty()) work();  // no thread to be had: the driving thread does the work
  }
  // Waiting on each worker in turn wakes the driving thread as soon as the last one is done.
  for (const std::future<void>& worker : workers) {
    while (worker.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
      ReportProgress(jobs, subjects, finished, hooks, stop);
  }
  if (hooks.progress) hooks.progress("done", 1);
  for (std::size_t i = 0; hooks.drawing_progress && i < jobs.size(); ++i)
    hooks.drawing_progress(subjects[i], 1);
}

// The failure that broke a job, for the technical log and in the designer's words.
std::pair<std::string, std::string> Described(const std::exception_ptr& failure) {
  std::string in_words = "建模计算出错";
  try {
    std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    in_words = "内存不足";
  } catch (...) {
  }
  try {
    Guarded("Deferred intersections", [&] { std::rethrow_exception(failure); });
  } catch (const CadError& error) {
    return {error.what(), in_words};
  }
  return {"", in_words};
}

// Applies a finished job's outcome to its solid, counts it and tells the drawing what the solid
// lacks; returns how many intersections a stop dropped.
std::size_t Apply(OcctDocumentState& document, EntityId id, const DeferredJob& job, bool redone) {
  const auto found = document.entities.find(id);
  if (!document.open || found == document.entities.end()) return 0;
  OcctEntityRecord& record = found->second;
  const DeferredOutcome& outcome = job.Outcome();
  EvaluationStats& stats = document.evaluation;
  const std::string& subject = document.description.subject;
  for (const std::string& line : outcome.detail)
    LogTechnicalDetail(document.name + ": " + line);
  if (outcome.fell_back || redone) ++stats.fallbacks;
  if (outcome.prism_fell_back) ++stats.prism_fallbacks;
  if (outcome.on_section) ++stats.prism_replications;
  if (outcome.broke) {
    // Given back: the solid stays exactly as it was, its intersections still to apply.
    const auto [detail, in_words] = Described(outcome.broke);
    LogTechnicalDetail(document.name + ": " + detail + "; the intersections stay deferred");
    stats.failed_booleans += static_cast<int>(job.Size());
    MarkShortfall(document, Shortfall::Incomplete,
                  AboutSubject(subject, PutOffReplicationText(job.Size(), in_words)));
    return 0;
  }
  if (outcome.one_cut) ++stats.one_cut_evaluations;
  if (outcome.solid) {
    record.shape = outcome.solid->first;
    record.volume = outcome.solid->second;
    record.valid = true;
    record.prism = outcome.prism;  // none when made on the solids: no prism from then on
  }
  record.deferred.erase(record.deferred.begin(),
                        record.deferred.begin() + static_cast<std::ptrdiff_t>(outcome.done));
  std::size_t dropped = 0;
  if (outcome.stopped) {
    dropped = record.deferred.size();
    record.deferred.clear();
    stats.dropped_by_stop += static_cast<int>(dropped);
  }
  stats.failed_booleans += static_cast<int>(outcome.skipped.size());
  for (const int copy : outcome.skipped) {
    MarkShortfall(document, Shortfall::Incomplete, AboutSubject(subject, SkippedCopyText(copy)));
  }
  if (dropped > 0) {
    MarkShortfall(document, Shortfall::Unfinished,
                  AboutSubject(subject, StoppedReplicationText(dropped)));
  }
  if (record.observer_stale) RecordChanged(document, id);
  return dropped;
}

// One solid's deferred work under way.
struct Task {
  OcctDocumentState* document;
  EntityId id;
  std::unique_ptr<DeferredJob> job;
  bool redone = false;
};

void Evaluate(const std::vector<std::pair<OcctDocumentState*, EntityId>>& pending) {
  if (pending.empty()) return;
  const auto start = std::chrono::steady_clock::now();
  const EvaluationHooks hooks = HooksOf(*pending.front().first);
  // A stop asked for before the work starts is honoured however short the work would be.
  std::atomic<bool> stop{hooks.stop_requested && hooks.stop_requested()};
  static const std::atomic<bool> never{false};
  const auto stop_for = [&](const OcctDocumentState& document) -> const std::atomic<bool>& {
    return StoppableIn(document) ? stop : never;
  };
  std::vector<Task> tasks;
  std::vector<DeferredJob*> jobs;
  std::vector<std::string> subjects;
  for (const auto& [document, id] : pending) {
    tasks.push_back({document, id,
                     std::make_unique<DeferredJob>(document->entities.at(id), DeferredWay::AsOneCut,
                                                   stop_for(*document))});
    jobs.push_back(tasks.back().job.get());
    subjects.push_back(document->description.subject);
  }
  RunJobs(jobs, subjects, hooks, stop);
  // A job that broke on a failure none of its stages could absorb changed nothing; it is done
  // again the way the reference order does it, one intersection at a time.
  jobs.clear();
  subjects.clear();
  for (Task& task : tasks) {
    if (!task.job->Outcome().broke) continue;
    LogTechnicalDetail(task.document->name + ": " + Described(task.job->Outcome().broke).first +
                       "; applying the intersections one at a time");
    task.job = std::make_unique<DeferredJob>(task.document->entities.at(task.id),
                                             DeferredWay::OneAtATime, stop_for(*task.document));
    task.redone = true;
    jobs.push_back(task.job.get());
    subjects.push_back(task.document->description.subject);
  }
  RunJobs(jobs, subjects, hooks, stop);

  const double seconds = Elapsed(start);
  std::vector<OcctDocumentState*> timed;
  std::size_t dropped = 0;
  for (const Task& task : tasks) {
    if (std::find(timed.begin(), timed.end(), task.document) == timed.end()) {
      task.document->evaluation.seconds += seconds;
      timed.push_back(task.document);
    }
    dropped += Apply(*task.document, task.id, *task.job, task.redone);
  }
  // A stop that came too late to drop anything claims nothing.
  if (dropped > 0) throw EvaluationStopped("Evaluate: stopped");
}

}  // namespace

std::shared_ptr<const SolidEnvelope> MakeCylinderEnvelope(const TopoDS_Shape& cylinder,
                                                          const TopoDS_Face& disk,
                                                          const gp_Ax1& axis, double radius,
                                                          double height) {
  auto envelope = std::make_shared<SolidEnvelope>();
  envelope->cylinder = cylinder;
  envelope->disk = disk;
  envelope->axis = axis;
  envelope->radius = radius;
  envelope->height = height;
  envelope->volume = ShapeVolume(cylinder);
  return envelope;
}

bool DeferIntersection(OcctDocumentState& document, EntityId id, OcctEntityRecord& solid,
                       const OcctEntityRecord& other, bool on_sections) {
  if (!solid.envelope || !other.envelope || other.Pending()) return false;
  const gp_Trsf place_solid = solid.placement.Transformation();
  const gp_Trsf place_other = other.placement.Transformation();
  if (!SameCylinder(*solid.envelope, place_solid, *other.envelope, place_other)) return false;
  // Deferred work applies to the shape: a prism's shape is made first (a Boolean made on its
  // section evaluated the deferred work before, so the two never wait together).
  MakeShapeFromSection(document, id);

  DeferredIntersection item;
  item.copy = other.shape;
  item.copy_envelope = other.envelope;
  item.to_solid = place_solid.Inverted() * place_other;
  item.copy_volume = other.volume ? *other.volume : ShapeVolume(other.shape);
  // Copies of one cylinder placed alike span the same heights: the intersection can be made on
  // the sections if both are prisms.
  if (on_sections && solid.prism) item.copy_prism = other.prism;
  solid.deferred.push_back(std::move(item));
  ++document.evaluation.deferred_intersections;
  return true;
}

void EvaluateDeferred(OcctDocumentState& document, EntityId id) {
  const auto found = document.entities.find(id);
  if (found == document.entities.end() || !found->second.Pending()) return;
  if (found->second.deferred.empty()) return MakeShapeFromSection(document, id);
  Evaluate({{&document, id}});
}

namespace {

// The shapes that wait only for their sections' extrusion are made at once, on this thread (a
// section of a few dozen edges); the deferred intersections go to the workers.
void CollectPending(OcctDocumentState& document,
                    std::vector<std::pair<OcctDocumentState*, EntityId>>& pending) {
  std::vector<EntityId> unmade;
  for (const auto& [id, record] : document.entities) {
    if (!record.deferred.empty()) pending.emplace_back(&document, id);
    if (!record.unmade.empty()) unmade.push_back(id);
  }
  for (const EntityId id : unmade)
    MakeShapeFromSection(document, id);
}

}  // namespace

void EvaluateDocument(OcctDocumentState& document) {
  std::vector<std::pair<OcctDocumentState*, EntityId>> pending;
  CollectPending(document, pending);
  Evaluate(pending);
}

void EvaluateApplication(const OcctApplicationState& application) {
  std::vector<std::pair<OcctDocumentState*, EntityId>> pending;
  for (const std::shared_ptr<OcctDocumentState>& document : application.documents)
    CollectPending(*document, pending);
  Evaluate(pending);
}

}  // namespace kelvo::cad

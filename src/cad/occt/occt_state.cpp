#include "cad/occt/occt_state.h"

#include <utility>
#include <vector>

#include "cad/occt/occt_errors.h"

namespace kelvo::cad {

TopoDS_Shape OcctEntityRecord::Located() const {
  // A shape with intersections still to apply is not the solid: handing it out would show or
  // export a gear with one space. Every reader evaluates first; this is the safety net.
  if (Pending()) ThrowCadError("Shape", "the solid has deferred work not evaluated");
  return shape.Moved(placement);
}

BooleanEvaluation EvaluationOf(const OcctDocumentState& document) {
  const std::shared_ptr<OcctApplicationState> application = document.application.lock();
  return application ? application->boolean_evaluation : BooleanEvaluation::Fast;
}

EvaluationHooks HooksOf(const OcctDocumentState& document) {
  const std::shared_ptr<OcctApplicationState> application = document.application.lock();
  return application ? application->hooks : EvaluationHooks{};
}

std::shared_ptr<OcctDocumentState> LiveDocument(const std::weak_ptr<OcctDocumentState>& document,
                                                std::string_view operation) {
  std::shared_ptr<OcctDocumentState> state = document.lock();
  if (!state) ThrowCadError(operation, "the drawing is closed");
  if (!state->open) ThrowCadError(operation, "the drawing " + state->name + " is closed");
  return state;
}

OcctEntityRecord& LiveRecord(OcctDocumentState& document, EntityId id, std::string_view operation) {
  auto found = document.entities.find(id);
  if (found == document.entities.end()) {
    ThrowCadError(operation, "the entity has been deleted");
  }
  return found->second;
}

std::shared_ptr<OcctObserver> ObserverOf(const OcctDocumentState& document) {
  if (std::shared_ptr<OcctApplicationState> application = document.application.lock()) {
    return application->observer.lock();
  }
  return nullptr;
}

ObservedEntity Observe(EntityId id, const OcctEntityRecord& record) {
  return {id, record.kind, record.color, record.Located()};
}

EntityId AddRecord(OcctDocumentState& document, OcctEntityRecord record) {
  const EntityId id = document.next_id++;
  const OcctEntityRecord& stored = document.entities.emplace(id, std::move(record)).first->second;
  Notify(document, [&](OcctObserver& observer) {
    observer.OnEntityAdded(document.number, Observe(id, stored));
  });
  return id;
}

void RecordChanged(OcctDocumentState& document, EntityId id) {
  OcctEntityRecord& record = document.entities.at(id);
  // The observer hears of a solid with deferred work once it is evaluated (occt_deferred.h).
  record.observer_stale = record.Pending();
  if (record.observer_stale) return;
  Notify(document, [&](OcctObserver& observer) {
    observer.OnEntityChanged(document.number, Observe(id, record));
  });
}

void RemoveRecord(OcctDocumentState& document, EntityId id) {
  document.entities.erase(id);
  Notify(document, [&](OcctObserver& observer) { observer.OnEntityRemoved(document.number, id); });
}

void CloseDocument(std::shared_ptr<OcctDocumentState> document) {
  // Held by value: the application's list may hold the last other reference.
  if (!document || !document->open) return;
  document->open = false;
  document->entities.clear();
  std::shared_ptr<OcctApplicationState> application = document->application.lock();
  if (!application) return;
  std::erase(application->documents, document);
  NotifyObserver(application->observer.lock(),
                 [&](OcctObserver& observer) { observer.OnDocumentClosed(document->number); });
}

void LogCommandLine(OcctDocumentState& document, std::string line) {
  document.command_log.push_back(std::move(line));
  Notify(document, [&](OcctObserver& observer) {
    observer.OnCommandLine(document.number, document.command_log.back());
  });
}

void MarkShortfall(OcctDocumentState& document, Shortfall shortfall, std::string what) {
  bool& marked = shortfall == Shortfall::Incomplete ? document.shortfalls.incomplete
                                                    : document.shortfalls.unfinished;
  marked = true;
  Notify(document, [&](OcctObserver& observer) {
    observer.OnShortfall(document.number, document.shortfalls);
  });
  LogCommandLine(document, std::move(what));
}

}  // namespace kelvo::cad

#include "cad/occt/occt_application.h"

#include <string>

#include "cad/occt/occt_deferred.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_observer.h"
#include "cad/occt/occt_state.h"

namespace kelvo::cad {
namespace {

// Tells a newly attached observer what already exists, as if it had watched from the start.
void Replay(const OcctApplicationState& application,
            const std::shared_ptr<OcctObserver>& observer) {
  auto tell = [&](auto&& call) { NotifyObserver(observer, call); };
  tell([&](OcctObserver& o) { o.OnVisibilityChanged(application.visible); });
  for (const std::shared_ptr<OcctDocumentState>& document : application.documents) {
    const int number = document->number;
    tell([&](OcctObserver& o) { o.OnDocumentAdded(number, document->name); });
    // Not a structured binding: Clang 14 cannot capture one in a lambda.
    for (const auto& entity : document->entities) {
      tell([&](OcctObserver& o) { o.OnEntityAdded(number, Observe(entity.first, entity.second)); });
    }
    const ViewState& view = document->view;
    tell([&](OcctObserver& o) { o.OnViewportAssigned(number, view); });
    tell([&](OcctObserver& o) { o.OnShadeMode(number, view.shade_mode); });
    if (view.zoom_extents_requests > 0) tell([&](OcctObserver& o) { o.OnZoomExtents(number); });
    for (const std::string& line : document->command_log) {
      tell([&](OcctObserver& o) { o.OnCommandLine(number, line); });
    }
    if (document->description != DrawingDescription{}) {
      tell([&](OcctObserver& o) { o.OnDescribed(number, document->description); });
    }
    if (document->shortfalls.Any()) {
      tell([&](OcctObserver& o) { o.OnShortfall(number, document->shortfalls); });
    }
  }
}

// Applies the deferred work of every drawing, then runs `then`; a stop ends the work where it
// got to, and `then` still runs before the stop goes on to the caller.
template <typename Then>
void EvaluateThen(const OcctApplicationState& application, Then then) {
  try {
    EvaluateApplication(application);
  } catch (const EvaluationStopped&) {
    then();
    throw;
  }
  then();
}

}  // namespace

OcctDocuments::OcctDocuments(std::shared_ptr<OcctApplicationState> state)
    : state_(std::move(state)) {}

std::shared_ptr<CadDocument> OcctDocuments::Add() {
  return AddDrawing();
}

std::shared_ptr<OcctDocument> OcctDocuments::AddDrawing() {
  auto document = std::make_shared<OcctDocumentState>();
  document->number = state_->next_number++;
  document->name = "Drawing" + std::to_string(document->number);
  document->application = state_;
  state_->documents.push_back(document);
  NotifyObserver(state_->observer.lock(), [&](OcctObserver& observer) {
    observer.OnDocumentAdded(document->number, document->name);
  });
  return std::make_shared<OcctDocument>(document);
}

std::vector<std::shared_ptr<OcctDocument>> OcctDocuments::Open() const {
  std::vector<std::shared_ptr<OcctDocument>> open;
  open.reserve(state_->documents.size());
  for (const auto& document : state_->documents) {
    open.push_back(std::make_shared<OcctDocument>(document));
  }
  return open;
}

std::shared_ptr<OcctDocument> OcctDocuments::Current() const {
  if (state_->documents.empty()) return nullptr;
  return std::make_shared<OcctDocument>(state_->documents.back());
}

OcctCadApplication::OcctCadApplication()
    : state_(std::make_shared<OcctApplicationState>()), documents_(state_) {}

OcctCadApplication::~OcctCadApplication() {
  // The drawings go with the application; their handles, held elsewhere, go dead.
  while (!state_->documents.empty())
    CloseDocument(state_->documents.back());
}

bool OcctCadApplication::Visible() const {
  return state_->visible;
}

void OcctCadApplication::SetVisible(bool visible) {
  auto show = [&] {
    state_->visible = visible;
    NotifyObserver(state_->observer.lock(),
                   [&](OcctObserver& observer) { observer.OnVisibilityChanged(visible); });
  };
  if (!visible) return show();
  // The window is about to show the drawings: the solids must be the ones asked for. A stop
  // still shows what was cut.
  EvaluateThen(*state_, show);
}

void OcctCadApplication::SetObserver(const std::weak_ptr<OcctObserver>& observer) {
  auto attach = [&] {
    state_->observer = observer;
    Replay(*state_, observer.lock());
  };
  // The newcomer hears of every entity with its shape, so deferred work is applied first; a
  // stop leaves every solid evaluated as far as it got, and the observer still attaches.
  EvaluateThen(*state_, attach);
}

void OcctCadApplication::SetBooleanEvaluation(BooleanEvaluation evaluation) {
  state_->boolean_evaluation = evaluation;
}

BooleanEvaluation OcctCadApplication::GetBooleanEvaluation() const {
  return state_->boolean_evaluation;
}

void OcctCadApplication::SetEvaluationHooks(EvaluationHooks hooks) {
  state_->hooks = std::move(hooks);
}

void OcctCadApplication::Evaluate() {
  Guarded("Evaluate", [&] { EvaluateApplication(*state_); });
}

std::shared_ptr<OcctCadApplication> MakeHeadlessCadApplication() {
  return std::make_shared<OcctCadApplication>();
}

}  // namespace kelvo::cad

#include "cad/occt/occt_document.h"

#include "cad/occt/occt_deferred.h"
#include "cad/occt/occt_entity.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_model_space.h"
#include "cad/occt/occt_state.h"
#include "cad/occt/occt_view_state.h"

namespace kelvo::cad {

OcctDocument::OcctDocument(const std::shared_ptr<OcctDocumentState>& state)
    : state_(state), name_(state->name), number_(state->number) {}

std::shared_ptr<CadModelSpace> OcctDocument::ModelSpace() {
  LiveDocument(state_, "ModelSpace");
  return std::make_shared<OcctModelSpace>(state_);
}

std::shared_ptr<CadViewport> OcctDocument::ActiveViewport() {
  return ActiveViewportOf(*LiveDocument(state_, "ActiveViewport"));
}

void OcctDocument::SetActiveViewport(const std::shared_ptr<CadViewport>& viewport) {
  constexpr std::string_view kOperation = "ActiveViewport";
  Guarded(kOperation, [&] {
    std::shared_ptr<OcctDocumentState> document = LiveDocument(state_, kOperation);
    if (!viewport) ThrowCadError(kOperation, "no viewport given");
    AssignViewport(*document, *viewport);
  });
}

void OcctDocument::SendCommand(const std::string& command) {
  constexpr std::string_view kOperation = "SendCommand";
  Guarded(kOperation, [&] { RunCommandLine(*LiveDocument(state_, kOperation), command); });
}

void OcctDocument::MarkShortfall(Shortfall shortfall, const std::string& what,
                                 const std::string& detail) {
  const std::shared_ptr<OcctDocumentState> document = LiveDocument(state_, "MarkShortfall");
  if (!detail.empty()) LogTechnicalDetail(document->name + ": " + detail);
  cad::MarkShortfall(*document, shortfall, what);
}

void OcctDocument::DescribePart(CadEntity& entity, const GearPart& part) {
  constexpr std::string_view kOperation = "DescribePart";
  const std::shared_ptr<OcctDocumentState> document = LiveDocument(state_, kOperation);
  const OcctEntityLink::Live live = ResolveEntity(entity, kOperation);
  if (live.document != document) ThrowCadError(kOperation, "the entity is in another drawing");
  live.record->part = std::make_shared<const GearPart>(part);
}

std::shared_ptr<const GearPart> OcctDocument::PartOf(const CadEntity& entity) const {
  return ResolveEntity(entity, "PartOf").record->part;
}

std::optional<MeshMotion> OcctDocument::Mesh() const {
  return LiveDocument(state_, "Mesh")->mesh;
}

DrawingShortfalls OcctDocument::Shortfalls() const {
  return LiveDocument(state_, "Shortfalls")->shortfalls;
}

void OcctDocument::Describe(const DrawingDescription& description) {
  std::shared_ptr<OcctDocumentState> document = LiveDocument(state_, "Describe");
  document->description = description;
  Notify(*document, [&](OcctObserver& observer) {
    observer.OnDescribed(document->number, document->description);
  });
}

DrawingDescription OcctDocument::Description() const {
  return LiveDocument(state_, "Description")->description;
}

void OcctDocument::Evaluate() {
  constexpr std::string_view kOperation = "Evaluate";
  Guarded(kOperation, [&] { EvaluateDocument(*LiveDocument(state_, kOperation)); });
}

EvaluationStats OcctDocument::Evaluation() const {
  return LiveDocument(state_, "Evaluation")->evaluation;
}

bool OcctDocument::IsOpen() const {
  std::shared_ptr<OcctDocumentState> document = state_.lock();
  return document && document->open;
}

void OcctDocument::Close() {
  CloseDocument(state_.lock());
}

std::vector<EntityInfo> OcctDocument::Entities() const {
  std::shared_ptr<OcctDocumentState> document = LiveDocument(state_, "Entities");
  std::vector<EntityInfo> entities;
  entities.reserve(document->entities.size());
  for (const auto& [id, record] : document->entities) {
    entities.push_back({MakeEntityHandle(state_, id, record.kind), id, record.kind, record.color});
  }
  return entities;
}

std::shared_ptr<OcctDocumentState> OcctDocument::LiveState(std::string_view operation) const {
  return LiveDocument(state_, operation);
}

ViewState OcctDocument::View() const {
  return LiveDocument(state_, "View")->view;
}

std::vector<std::string> OcctDocument::CommandLog() const {
  return LiveDocument(state_, "CommandLog")->command_log;
}

}  // namespace kelvo::cad

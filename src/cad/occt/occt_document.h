#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/cad_application.h"
#include "cad/occt/occt_evaluation.h"
#include "cad/occt/occt_types.h"

// A drawing of Kelvo's own CAD application (OpenCASCADE inside; none of it shows here).

namespace kelvo::cad {

struct OcctDocumentState;

// A handle of a drawing. Like every handle of the application it is safe to keep: once the
// drawing is closed (or the application gone) its operations raise CadError.
class OcctDocument final : public CadDocument {
 public:
  explicit OcctDocument(const std::shared_ptr<OcctDocumentState>& state);

  std::shared_ptr<CadModelSpace> ModelSpace() override;
  std::shared_ptr<CadViewport> ActiveViewport() override;
  void SetActiveViewport(const std::shared_ptr<CadViewport>& viewport) override;
  // Never raises for what it cannot run (see RunCommandLine); answers go to CommandLog().
  // Raises CadError only when the drawing is closed. Deferred work stays deferred: the
  // intersections only take material from inside the blank's cylinder, so the extents a
  // zoom goes by do not wait for them.
  void SendCommand(const std::string& command) override;
  // CadError only when the drawing is closed.
  void MarkShortfall(Shortfall shortfall, const std::string& what,
                     const std::string& detail) override;
  // Keeps the part with the entity: its name goes into exports, and MESH finds the gears by it.
  // CadError when the drawing is closed or the entity is not one of its own.
  void DescribePart(CadEntity& entity, const GearPart& part) override;
  // The part an entity belongs to, or null.
  std::shared_ptr<const GearPart> PartOf(const CadEntity& entity) const;
  // A mesh drawing's two gears and how they roll together; none for any other drawing.
  std::optional<MeshMotion> Mesh() const;
  // What the drawing lacks of what was asked for in it, as marked so far.
  DrawingShortfalls Shortfalls() const;
  // CadError only when the drawing is closed; the observer hears of it.
  void Describe(const DrawingDescription& description) override;
  // What the drawing holds, as last described; empty when it never was.
  DrawingDescription Description() const;

  // Applies every deferred intersection of the drawing now (occt_evaluation.h); CadError only
  // when the drawing is closed, EvaluationStopped on a stop.
  void Evaluate();
  // What the evaluation of this drawing has done so far.
  EvaluationStats Evaluation() const;

  // "Drawing1", "Drawing2", ... in the order the application made them; readable after Close.
  const std::string& Name() const { return name_; }
  int Number() const { return number_; }
  bool IsOpen() const;
  // Closes the drawing unsaved; every handle of it and of its entities goes dead. Closing a
  // closed drawing does nothing.
  void Close();

  // The live entities in creation order.
  std::vector<EntityInfo> Entities() const;
  ViewState View() const;
  // Echoed commands and their answers, and what the drawing lacks, oldest first, in the
  // designer's words (occt_log_texts.h).
  std::vector<std::string> CommandLog() const;

  // The implementation's state of the open drawing, or CadError naming operation when it is
  // closed. Opaque outside src/cad/occt.
  std::shared_ptr<OcctDocumentState> LiveState(std::string_view operation) const;

 private:
  std::weak_ptr<OcctDocumentState> state_;
  std::string name_;
  int number_ = 0;
};

}  // namespace kelvo::cad

#include <gp_Trsf.hxx>
#include <string>
#include <vector>

#include "cad/occt/occt_boolean.h"
#include "cad/occt/occt_deferred.h"
#include "cad/occt/occt_entity.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_measure.h"
#include "cad/occt/occt_prism.h"
#include "cad/occt/occt_progress.h"

namespace kelvo::cad {
namespace {

double VolumeOf(OcctEntityRecord& record) {
  if (!record.volume) record.volume = ShapeVolume(record.shape);
  return *record.volume;
}

// The operation as asked, on both solids as placed; the result is in the world frame.
BooleanOutcome OperationByOperation(BooleanOperation operation, OcctEntityRecord& solid,
                                    OcctEntityRecord& other, const Message_ProgressRange& range) {
  BooleanOutcome outcome = EvaluateBoolean(operation, {solid.Located(), VolumeOf(solid)},
                                           {other.Located(), VolumeOf(other)}, {}, range);
  solid.placement = TopLoc_Location();
  solid.envelope.reset();  // it was described in the frame just given up
  return outcome;
}

// The same set, made in the solid's own frame: the tool is brought there by one rigid motion,
// so the solid's geometry never carries the chain of turns the rolling cut gives it.
BooleanOutcome InOwnFrame(BooleanOperation operation, OcctEntityRecord& solid,
                          OcctEntityRecord& other, const Message_ProgressRange& range) {
  const gp_Trsf to_solid =
      solid.placement.Transformation().Inverted() * other.placement.Transformation();
  const TopoDS_Shape tool = other.shape.Moved(TopLoc_Location(to_solid));
  BooleanOptions options;
  options.oriented_boxes = true;  // the tilted helical cutter's boxes overlap far too much
  options.parallel_check = true;
  options.parallel = true;
  BooleanOutcome outcome = EvaluateBoolean(operation, {solid.shape, VolumeOf(solid)},
                                           {tool, VolumeOf(other)}, options, range);
  if (operation == BooleanOperation::Union) solid.envelope.reset();  // it may grow beyond
  return outcome;
}

}  // namespace

void OcctSolid::Boolean(BooleanOperation operation, CadEntity& other) {
  std::shared_ptr<OcctDocumentState> counted;
  try {
    Evaluate(operation, other, counted);
  } catch (const CadError&) {
    // The summary of a build reports every Boolean that failed, at the call or when deferred.
    if (counted) ++counted->evaluation.failed_booleans;
    throw;
  }
}

void OcctSolid::Evaluate(BooleanOperation operation, CadEntity& other,
                         std::shared_ptr<OcctDocumentState>& document_of_self) {
  constexpr std::string_view kOperation = "Boolean";
  Guarded(kOperation, [&] {
    const Live self = Resolve(kOperation);
    document_of_self = self.document;
    const OcctEntityLink* other_link = AsOcctEntity(other);
    if (other_link == nullptr) {
      ThrowCadError(kOperation, "the other solid does not belong to this application");
    }
    const Live that = other_link->Resolve(kOperation);
    if (that.document != self.document) {
      ThrowCadError(kOperation, "the two solids belong to different drawings (" +
                                    self.document->name + ", " + that.document->name + ")");
    }
    if (other_link->Id() == Id()) {
      ThrowCadError(kOperation, "a solid cannot be combined with itself");
    }
    if (that.record->kind != EntityKind::Solid) {
      ThrowCadError(kOperation, "the other entity is a " +
                                    std::string(EntityKindName(that.record->kind)) +
                                    ", not a 3D solid");
    }

    OcctDocumentState& document = *self.document;
    const BooleanEvaluation evaluation = EvaluationOf(document);
    const bool fast = evaluation != BooleanEvaluation::OperationByOperation;
    const bool on_sections = evaluation == BooleanEvaluation::Fast;
    const EvaluationHooks hooks = HooksOf(document);
    const std::string name = "Boolean " + std::string(BooleanOperationName(operation));
    // Each algorithm reports into a range of its own.
    std::vector<opencascade::handle<HookProgress>> progresses;
    const auto range = [&] {
      if (!hooks.progress && !hooks.stop_requested) return Message_ProgressRange();
      progresses.push_back(new HookProgress(hooks));
      return progresses.back()->Start(name.c_str());
    };
    EvaluateDeferred(document, other_link->Id());
    if (fast) {
      if (operation == BooleanOperation::Intersection &&
          DeferIntersection(document, Id(), *self.record, *that.record, on_sections)) {
        RemoveRecord(document, other_link->Id());
        RecordChanged(document, Id());
        return;
      }
      if (on_sections) {
        // Deferred work comes first, as for any Boolean that cannot wait; the section Boolean
        // then leaves the shape to be made later (occt_prism.h).
        if (!self.record->deferred.empty()) EvaluateDeferred(document, Id());
        if (BooleanOnSections(document, *self.record, *that.record, operation, range())) {
          RemoveRecord(document, other_link->Id());
          RecordChanged(document, Id());
          return;
        }
      }
    }
    EvaluateDeferred(document, Id());

    // Nothing is touched until the evaluation has produced one good solid.
    const BooleanOutcome outcome =
        fast ? InOwnFrame(operation, *self.record, *that.record, range())
             : OperationByOperation(operation, *self.record, *that.record, range());
    self.record->shape = outcome.solid;
    self.record->volume = outcome.volume;
    self.record->valid = true;
    self.record->prism.reset();  // made on the solids: an ordinary solid from now on
    RemoveRecord(document, other_link->Id());
    RecordChanged(document, Id());
    // OpenCASCADE's warnings name its own alerts; the solid passed its checks all the same.
    if (!outcome.warnings.empty()) {
      LogTechnicalDetail(document.name + ": " + name + ": OpenCASCADE warned: " + outcome.warnings);
    }
  });
}

}  // namespace kelvo::cad

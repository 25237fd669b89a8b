#include <string>

#include "cad/occt/occt_boolean.h"
#include "cad/occt/occt_entity.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_measure.h"

namespace kelvo::cad {
namespace {

double VolumeOf(OcctEntityRecord& record) {
  if (!record.volume) record.volume = ShapeVolume(record.shape);
  return *record.volume;
}

}  // namespace

void OcctSolid::Boolean(BooleanOperation operation, CadEntity& other) {
  constexpr std::string_view kOperation = "Boolean";
  Guarded(kOperation, [&] {
    const Live self = Resolve(kOperation);
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

    // Nothing is touched until the evaluation has produced one good solid.
    const BooleanOutcome outcome =
        EvaluateBoolean(operation, {self.record->Located(), VolumeOf(*self.record)},
                        {that.record->Located(), VolumeOf(*that.record)});

    OcctDocumentState& document = *self.document;
    self.record->shape = outcome.solid;
    self.record->placement = TopLoc_Location();
    self.record->volume = outcome.volume;
    RemoveRecord(document, other_link->Id());
    RecordChanged(document, Id());
    if (!outcome.warnings.empty()) {
      LogCommandLine(document, "Boolean " + std::string(BooleanOperationName(operation)) +
                                   ": OpenCASCADE warned: " + outcome.warnings);
    }
  });
}

}  // namespace kelvo::cad

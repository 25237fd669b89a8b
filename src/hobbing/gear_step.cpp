#include "hobbing/gear_step.h"

namespace kelvo {

std::string_view StepName(GearStep step) {
  switch (step) {
    case GearStep::NewDrawing:
      return "new drawing";
    case GearStep::HideCadApplication:
      return "hide the CAD application";
    case GearStep::MakeBlank:
      return "make the blank";
    case GearStep::HobTheGear:
      return "hob the gear";
    case GearStep::PositionsPerPitch:
      return "positions per pitch";
    case GearStep::MakeRackCutter:
      return "make the rack cutter";
    case GearStep::RollStep:
      return "roll step";
    case GearStep::RollAngle:
      return "roll angle";
    case GearStep::PositionCount:
      return "position count";
    case GearStep::AdvanceCutter:
      return "advance the cutter at position";
    case GearStep::CopyCutter:
      return "copy the cutter at position";
    case GearStep::TurnBlank:
      return "turn the blank at position";
    case GearStep::CutAtPosition:
      return "cut at position";
    case GearStep::DiscardCutterCopy:
      return "discard the tool of cut at position";
    case GearStep::ArrayBlank:
      return "array the blank";
    case GearStep::IntersectWithCopy:
      return "intersect with copy";
    case GearStep::DiscardBlankCopy:
      return "discard the tool of intersect with copy";
    case GearStep::DeleteCutter:
      return "delete the cutter";
    case GearStep::AddReferenceCircle:
      return "add the reference circle";
    case GearStep::ColourReferenceCircle:
      return "colour the reference circle red";
    case GearStep::LookFromOneOneOne:
      return "look from (1, 1, 1)";
    case GearStep::CentreView:
      return "centre the view on the origin";
    case GearStep::ApplyView:
      return "apply the view";
    case GearStep::ZoomExtents:
      return "zoom to extents";
    case GearStep::Shade:
      return "shade";
  }
  return "a step";  // not reached: the switch names every step
}

}  // namespace kelvo

#pragma once

#include <string_view>

namespace kelvo {

// Every statement of a gear's build that can fail and be skipped, in the order they run: the
// drawing's own around the cut (BuildGearDrawing) and the cut's (HobGear, MakeRackCutter). A
// skipped statement carries its step, so that whoever reads it (the drawing's log in the
// designer's words, kelvo-cli's report) need not recognise it by its text.
enum class GearStep {
  // The drawing and the blank.
  NewDrawing,
  HideCadApplication,
  MakeBlank,
  HobTheGear,
  // The cut: the plan and the cutter.
  PositionsPerPitch,
  MakeRackCutter,
  RollStep,
  RollAngle,
  PositionCount,
  // The rolling cut, at each position.
  AdvanceCutter,
  CopyCutter,
  TurnBlank,
  CutAtPosition,
  DiscardCutterCopy,
  // The replication, with each turned copy.
  ArrayBlank,
  IntersectWithCopy,
  DiscardBlankCopy,
  DeleteCutter,
  // The reference circle and the view.
  AddReferenceCircle,
  ColourReferenceCircle,
  LookFromOneOneOne,
  CentreView,
  ApplyView,
  ZoomExtents,
  Shade,
};

// The statement in words, for technical detail and kelvo-cli: "cut at position".
std::string_view StepName(GearStep step);

}  // namespace kelvo

#include "cad/occt/occt_boolean.h"

#include <BOPAlgo_Alerts.hxx>
#include <BRepAlgoAPI_BooleanOperation.hxx>
#include <BRepAlgoAPI_Common.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_ListOfShape.hxx>
#include <algorithm>
#include <memory>
#include <sstream>

#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_evaluation.h"
#include "cad/occt/occt_measure.h"

namespace kelvo::cad {
namespace {

// Volumes are integrated, not exact: a result may exceed its bound by this share of the
// larger operand before it counts as impossible.
constexpr double kVolumeTolerance = 1e-7;

std::unique_ptr<BRepAlgoAPI_BooleanOperation> MakeAlgorithm(BooleanOperation operation) {
  switch (operation) {
    case BooleanOperation::Subtraction:
      return std::make_unique<BRepAlgoAPI_Cut>();
    case BooleanOperation::Intersection:
      return std::make_unique<BRepAlgoAPI_Common>();
    case BooleanOperation::Union:
      return std::make_unique<BRepAlgoAPI_Fuse>();
  }
  return nullptr;
}

std::string Dump(const BRepAlgoAPI_BooleanOperation& algorithm, bool errors) {
  std::ostringstream text;
  if (errors) {
    algorithm.DumpErrors(text);
  } else {
    algorithm.DumpWarnings(text);
  }
  std::string dumped = text.str();
  std::replace(dumped.begin(), dumped.end(), '\n', ' ');
  while (!dumped.empty() && dumped.back() == ' ')
    dumped.pop_back();
  return dumped;
}

// Runs a prepared algorithm; CadError naming what OCCT reported, EvaluationStopped on a stop.
void Run(BRepAlgoAPI_BooleanOperation& algorithm, const std::string& name,
         const TopTools_ListOfShape& arguments, const TopTools_ListOfShape& tools,
         const BooleanOptions& options, const Message_ProgressRange& progress) {
  algorithm.SetArguments(arguments);
  algorithm.SetTools(tools);
  // Shared sub-shapes (a copy shares its original's geometry) must not have their tolerances
  // widened behind the back of the entities that share them; a failed operation must leave
  // both inputs exactly as they were.
  algorithm.SetNonDestructive(Standard_True);
  algorithm.SetUseOBB(options.oriented_boxes);
  algorithm.SetRunParallel(options.parallel);
  if (options.glue) algorithm.SetGlue(BOPAlgo_GlueShift);
  algorithm.Build(progress);
  if (algorithm.HasError(STANDARD_TYPE(BOPAlgo_AlertUserBreak)) || progress.UserBreak()) {
    throw EvaluationStopped(name + ": stopped");
  }
  if (algorithm.HasErrors() || !algorithm.IsDone()) {
    const std::string errors = Dump(algorithm, true);
    ThrowCadError(name, "OpenCASCADE reported " + (errors.empty() ? "a failure" : errors));
  }
}

// Makes the operation's algorithm, runs it on one argument and one tool, and returns it done.
std::unique_ptr<BRepAlgoAPI_BooleanOperation> RunOnPair(
    BooleanOperation operation, const std::string& name, const TopoDS_Shape& argument,
    const TopoDS_Shape& tool, const BooleanOptions& options, const Message_ProgressRange& progress,
    bool fill_history = true) {
  std::unique_ptr<BRepAlgoAPI_BooleanOperation> algorithm = MakeAlgorithm(operation);
  if (!algorithm) ThrowCadError("Boolean", "unknown operation code");
  TopTools_ListOfShape arguments;
  TopTools_ListOfShape tools;
  arguments.Append(argument);
  tools.Append(tool);
  if (!fill_history) algorithm->SetToFillHistory(Standard_False);
  Run(*algorithm, name, arguments, tools, options, progress);
  return algorithm;
}

// Why a result that should be one solid (or one face) is not: how many it holds, or what lies
// outside it.
std::string WhyNotOne(const TopoDS_Shape& result, TopAbs_ShapeEnum kind, const std::string& plural,
                      const std::string& outside) {
  int count = 0;
  for (TopExp_Explorer explorer(result, kind); explorer.More(); explorer.Next())
    ++count;
  if (count == 0) return "the result is empty";
  if (count > 1) return "the result falls apart into " + std::to_string(count) + " " + plural;
  return "the result has " + outside;
}

std::string ImpossibleMeasure(const std::string& measure, double result, double a, double b) {
  std::ostringstream reason;
  reason.precision(10);
  reason << "the result's " << measure << " " << result << " is impossible for " << measure << "s "
         << a << " and " << b;
  return reason.str();
}

}  // namespace

// A valid solid can still be the wrong one; these bounds hold for every right one.
bool MeasurePossible(BooleanOperation operation, double result, double a, double b) {
  const double slack = kVolumeTolerance * std::max(a, b);
  if (!(result > 0)) return false;
  switch (operation) {
    case BooleanOperation::Subtraction:
      return result <= a + slack;
    case BooleanOperation::Intersection:
      return result <= std::min(a, b) + slack;
    case BooleanOperation::Union:
      return result >= std::max(a, b) - slack && result <= a + b + slack;
  }
  return false;
}

std::string WhyNotOneSolid(const TopoDS_Shape& result) {
  return WhyNotOne(result, TopAbs_SOLID, "solids", "faces or edges outside its solid");
}

std::string_view BooleanOperationName(BooleanOperation operation) {
  switch (operation) {
    case BooleanOperation::Subtraction:
      return "subtraction";
    case BooleanOperation::Intersection:
      return "intersection";
    case BooleanOperation::Union:
      return "union";
  }
  return "unknown operation";
}

BooleanOutcome EvaluateBoolean(BooleanOperation operation, const BooleanOperand& solid,
                               const BooleanOperand& other, const BooleanOptions& options,
                               const Message_ProgressRange& progress) {
  const std::string name = "Boolean " + std::string(BooleanOperationName(operation));
  const std::unique_ptr<BRepAlgoAPI_BooleanOperation> algorithm =
      RunOnPair(operation, name, solid.shape, other.shape, options, progress);

  BooleanOutcome outcome;
  if (algorithm->HasWarnings()) outcome.warnings = Dump(*algorithm, false);
  const std::string warned =
      outcome.warnings.empty() ? "" : " (OpenCASCADE warned: " + outcome.warnings + ")";

  outcome.solid = SingleSolid(algorithm->Shape());
  if (outcome.solid.IsNull()) ThrowCadError(name, WhyNotOneSolid(algorithm->Shape()) + warned);
  if (!IsValidShape(outcome.solid, options.parallel_check)) {
    ThrowCadError(name, "the result is not a valid solid" + warned);
  }
  outcome.volume = ShapeVolume(outcome.solid);
  if (!MeasurePossible(operation, outcome.volume, solid.volume, other.volume)) {
    ThrowCadError(name,
                  ImpossibleMeasure("volume", outcome.volume, solid.volume, other.volume) + warned);
  }
  return outcome;
}

SectionOperand EvaluateSectionBoolean(BooleanOperation operation, const SectionOperand& section,
                                      const SectionOperand& tool,
                                      const Message_ProgressRange& progress) {
  const std::string name =
      "Boolean " + std::string(BooleanOperationName(operation)) + " of sections";
  // Two faces of a few dozen edges: OpenCASCADE's threads would cost more than they save, and
  // nobody asks for the history of their edges.
  const std::unique_ptr<BRepAlgoAPI_BooleanOperation> algorithm =
      RunOnPair(operation, name, section.face, tool.face, {}, progress, /*fill_history=*/false);

  SectionOperand outcome;
  outcome.face = SingleFace(algorithm->Shape());
  if (outcome.face.IsNull()) {
    ThrowCadError(name,
                  WhyNotOne(algorithm->Shape(), TopAbs_FACE, "faces", "edges outside its face"));
  }
  if (!IsValidShape(outcome.face, false)) ThrowCadError(name, "the result is not a valid face");
  outcome.area = ShapeArea(outcome.face);
  if (!MeasurePossible(operation, outcome.area, section.area, tool.area)) {
    ThrowCadError(name, ImpossibleMeasure("area", outcome.area, section.area, tool.area));
  }
  return outcome;
}

TopoDS_Shape CutByMany(const TopoDS_Shape& solid, const std::vector<TopoDS_Shape>& tools,
                       const BooleanOptions& options, const Message_ProgressRange& progress) {
  TopTools_ListOfShape arguments;
  TopTools_ListOfShape tool_list;
  arguments.Append(solid);
  for (const TopoDS_Shape& tool : tools)
    tool_list.Append(tool);
  BRepAlgoAPI_Cut cut;
  Run(cut, "Boolean subtraction", arguments, tool_list, options, progress);
  return cut.Shape();
}

}  // namespace kelvo::cad

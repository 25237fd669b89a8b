#pragma once

#include <Message_ProgressRange.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <TopoDS_Solid.hxx>
#include <string>
#include <vector>

#include "cad/cad_application.h"

// The evaluation of Boolean operations between located solids. EvaluateBoolean is the one
// operation as the caller asked for it, checked; CutByMany is the batch the fast evaluation
// turns deferred intersections into, left to its caller to check.

namespace kelvo::cad {

struct BooleanOperand {
  TopoDS_Shape shape;  // located
  double volume = 0;
};

struct BooleanOutcome {
  TopoDS_Solid solid;
  double volume = 0;
  std::string warnings;  // OCCT's warnings, if any, for the command-line log
};

// OCCT's options that change speed, not the set asked for. Oriented boxes skip pairs of faces
// whose axis-aligned boxes meet only because a tilted helical cutter's faces are slanted.
// Glue tells OCCT that the tools only touch the argument; it skips whole intersection stages
// and has been seen to give wrong solids where that is untrue, so its results must be checked.
struct BooleanOptions {
  bool oriented_boxes = false;
  bool parallel = false;
  bool glue = false;
  bool parallel_check = false;  // spread the check of the result over the cores
};

// "subtraction", "intersection", "union"
std::string_view BooleanOperationName(BooleanOperation operation);

// solid (operation) other, run without modifying either input. The result must be exactly
// one solid that passes OCCT's checker and whose volume is possible for the operation
// (an intersection no larger than either operand, and so on); otherwise CadError, which says
// what OCCT reported. A stop requested through progress raises EvaluationStopped.
BooleanOutcome EvaluateBoolean(BooleanOperation operation, const BooleanOperand& solid,
                               const BooleanOperand& other, const BooleanOptions& options = {},
                               const Message_ProgressRange& progress = {});

// solid less all tools at once, without modifying any input: the raw result, which may be
// anything (CadError only when OCCT reports a failure; EvaluationStopped on a stop).
TopoDS_Shape CutByMany(const TopoDS_Shape& solid, const std::vector<TopoDS_Shape>& tools,
                       const BooleanOptions& options, const Message_ProgressRange& progress = {});

// Why a result is not exactly one solid, in a gear designer's words.
std::string WhyNotOneSolid(const TopoDS_Shape& result);

// The planar counterpart, for the sections of prisms (occt_prism.h): two faces in one plane.
struct SectionOperand {
  TopoDS_Face face;
  double area = 0;
};

// section (operation) tool, both faces of one plane, run without modifying either and checked
// as EvaluateBoolean checks a solid: exactly one face that passes OCCT's checker, with an area
// possible for the operation; otherwise CadError. EvaluationStopped on a stop.
SectionOperand EvaluateSectionBoolean(BooleanOperation operation, const SectionOperand& section,
                                      const SectionOperand& tool,
                                      const Message_ProgressRange& progress = {});

// Whether a result's measure (a volume, or an area of sections) is possible for the operation
// on operands of measures a and b, integrated measures being not quite exact.
bool MeasurePossible(BooleanOperation operation, double result, double a, double b);

}  // namespace kelvo::cad

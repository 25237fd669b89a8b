#pragma once

#include <TopoDS_Shape.hxx>
#include <TopoDS_Solid.hxx>
#include <string>

#include "cad/cad_application.h"

// The evaluation of one Boolean operation between two located solids, as the caller asked for
// it. This is the single place a faster evaluation of the hobbing sequence would plug in; any
// such evaluation must give the same solid (the same volume) as this one.

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

// "subtraction", "intersection", "union"
std::string_view BooleanOperationName(BooleanOperation operation);

// solid (operation) other, run without modifying either input. The result must be exactly
// one solid that passes OCCT's checker and whose volume is possible for the operation
// (an intersection no larger than either operand, and so on); otherwise CadError, which says
// what OCCT reported.
BooleanOutcome EvaluateBoolean(BooleanOperation operation, const BooleanOperand& solid,
                               const BooleanOperand& other);

}  // namespace kelvo::cad

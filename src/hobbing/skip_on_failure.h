#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "cad/cad_application.h"
#include "hobbing/checked_arithmetic.h"
#include "hobbing/gear_step.h"

namespace kelvo {

// A statement of a gear's build that failed and was passed over.
struct SkippedStatement {
  GearStep step = GearStep::NewDrawing;
  std::int64_t number = 0;  // the position or copy number; 0 for a statement not repeated
  std::string reason;       // the failure, as the CAD layer or the arithmetic reported it

  // What it was meant to do, with its number: "cut at position 5".
  std::string Statement() const {
    std::string statement(StepName(step));
    // Appended piece by piece: GCC 12 at -O3 misreads " " + std::to_string(...) as an
    // overlapping copy (-Wrestrict).
    if (number != 0) {
      statement += ' ';
      statement += std::to_string(number);
    }
    return statement;
  }
};

// Runs the statements of a hobbing sequence one by one. A statement that fails, through a
// CAD call or a run-time error of its arithmetic, is abandoned on its own and the sequence
// goes on with the next: a gear with one uncut position is worth more to the designer than
// no gear. Every other exception (a cancelled build, memory exhaustion) passes through.
class SkipOnFailure {
 public:
  // Runs statement; true if it completed, false if it failed and was skipped.
  template <class Statement>
  bool Run(GearStep step, Statement&& statement) {
    return Run(step, 0, std::forward<Statement>(statement));
  }

  // The same, for the number-th statement of a repeated step (number 0: not repeated).
  template <class Statement>
  bool Run(GearStep step, std::int64_t number, Statement&& statement) {
    try {
      std::forward<Statement>(statement)();
      return true;
    } catch (const cad::CadError& error) {
      skipped_.push_back({step, number, error.what()});
    } catch (const HobbingError& error) {
      skipped_.push_back({step, number, error.what()});
    }
    return false;
  }

  const std::vector<SkippedStatement>& skipped() const { return skipped_; }

 private:
  std::vector<SkippedStatement> skipped_;
};

}  // namespace kelvo

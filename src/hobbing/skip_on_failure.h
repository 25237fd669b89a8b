#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cad/cad_application.h"
#include "hobbing/checked_arithmetic.h"

namespace kelvo {

// A statement of the hobbing sequence that failed and was passed over.
struct SkippedStatement {
  std::string statement;    // what it was meant to do, with its position or copy number
  std::string reason;       // the failure, as the CAD layer or the arithmetic reported it
  std::string step;         // the statement without its number: "cut at position"
  std::int64_t number = 0;  // the position or copy number; 0 for a statement not repeated
};

// Runs the statements of a hobbing sequence one by one. A statement that fails, through a
// CAD call or a run-time error of its arithmetic, is abandoned on its own and the sequence
// goes on with the next: a gear with one uncut position is worth more to the designer than
// no gear. Every other exception (a cancelled build, memory exhaustion) passes through.
class SkipOnFailure {
 public:
  // Runs statement; true if it completed, false if it failed and was skipped.
  template <class Statement>
  bool Run(std::string_view what, Statement&& statement) {
    return Run(what, 0, std::forward<Statement>(statement));
  }

  // The same, for the number-th statement of a repeated step (number 0: not repeated).
  template <class Statement>
  bool Run(std::string_view what, std::int64_t number, Statement&& statement) {
    try {
      std::forward<Statement>(statement)();
      return true;
    } catch (const cad::CadError& error) {
      Note(what, number, error.what());
    } catch (const HobbingError& error) {
      Note(what, number, error.what());
    }
    return false;
  }

  const std::vector<SkippedStatement>& skipped() const { return skipped_; }

 private:
  void Note(std::string_view what, std::int64_t number, const char* reason) {
    std::string statement(what);
    // Appended piece by piece: GCC 12 at -O3 misreads " " + std::to_string(...) as an
    // overlapping copy (-Wrestrict).
    if (number != 0) {
      statement += ' ';
      statement += std::to_string(number);
    }
    skipped_.push_back({std::move(statement), reason, std::string(what), number});
  }

  std::vector<SkippedStatement> skipped_;
};

}  // namespace kelvo

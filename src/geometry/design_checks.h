#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "geometry/derived_values.h"
#include "geometry/gear_pair_data.h"

namespace kelvo {

enum class CheckLevel { kOk, kWarning, kError };

// "ok", "warning", "error" (for files and the command line) and 正常, 警告, 错误 (for the
// designer).
std::string_view LevelKey(CheckLevel level);
std::string_view LevelChinese(CheckLevel level);

// One design check of a pair. value and limit are in `unit` ("mm", or "" for a coefficient or a
// ratio). A check with two bounds (a warning and an error) gives the one that decided: the error
// bound when the level is kError, otherwise the warning bound.
struct DesignCheck {
  std::string_view id;     // undercut1 undercut2 pointed1 pointed2 contact clearance1 clearance2
                           // interference1 interference2
  std::string_view title;  // the check's Chinese name, e.g. 小齿轮根切
  CheckLevel level = CheckLevel::kOk;
  double value = 0;
  double limit = 0;
  std::string_view unit;
  std::string text;  // one Chinese sentence: what the result means and what to change
};

// The nine checks, in the order of the ids above, for a pair the solver returned and its
// derived values:
// - undercutN: x below xmin (warning);
// - pointedN: san below 0.25 m (warning), at or below 0 (error);
// - contact: eps_alpha below 1.2 (warning), below 1.0 (error);
// - clearanceN: c (this gear's tip to the mate's root) below 0.1 m (warning);
// - interferenceN: the mate's tip meets this gear's flank below its root form circle, i.e. the
//   start of the active profile d_Nf lies below d_Ff (error). The value is d_Nf; when the mate's
//   tip passes the interference point on the base circle, d_Nf is given as the base diameter.
std::vector<DesignCheck> CheckDesign(const GearPairData& pair, const DerivedValues& derived);

}  // namespace kelvo

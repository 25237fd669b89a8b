#pragma once

#include <string>

#include "hobbing/hob_progress.h"
#include "hobbing/skip_on_failure.h"

// What a gear's drawing says in its log when it lacks part of what was asked for, in the words
// of the designer who reads it.

namespace kelvo {

// A statement of the build that failed and was skipped: "第 5 个切削位置的布尔运算失败，已跳过".
std::string SkippedStepText(const SkippedStatement& skipped);

// A build that a stop ended where reached says (reached.Finished() is false): which step was
// stopped and what the gear lacks, "滚切被停止，只完成了 5/38 个切削位置；……".
std::string StoppedBuildText(const HobProgressReport& reached);

}  // namespace kelvo

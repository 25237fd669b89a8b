#pragma once

#include <cstdint>
#include <exception>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/gear_pair_data.h"
#include "modelling/headless/headless_gears.h"

// What kelvo-cli's builds of gears tell on standard error when they do not end as asked, in the
// designer's words, the gears named as the window names them. The CAD layer's own reasons are
// technical detail: on standard error under KELVO_LOG=1 only.

namespace kelvo::cli {

// "小齿轮" for gear 1, "大齿轮" for gear 2, as the window's progress bar names them.
std::string GearCalled(std::int16_t gearNo);

// What makes the built gear other than the gear asked for, one line each, in the words its
// drawing's log uses ("第 5 个切削位置的布尔运算失败，已跳过"); none when every statement that
// shapes the gear ran and every Boolean took effect.
std::vector<std::string> Shortcomings(const GearBuild& build, const GearPairData& pair);

// "kelvo-cli: 小齿轮不完整，<consequence>：" and the shortcomings indented beneath.
void SayIncomplete(std::ostream& err, std::int16_t gearNo, std::string_view consequence,
                   const std::vector<std::string>& shortcomings);

// Ctrl-C, and where it stopped the work ("小齿轮：滚切 5/18"); out, when not empty, was not
// written.
void SayStopped(std::ostream& err, std::string_view where, const std::string& out);

// The CAD application could not make the drawing or the blank of one of the gears, which leaves
// nothing to report on.
void SayNotMade(std::ostream& err, const std::vector<std::int16_t>& gears,
                const std::exception& error);

// "kelvo-cli: <sentence>" with the CAD layer's reason for error as technical detail.
void SayFailed(std::ostream& err, std::string_view sentence, const std::exception& error);

}  // namespace kelvo::cli

#include "geometry/design_check_texts.h"

#include <string_view>

#include "geometry/decimal_text.h"
#include "geometry/pair_gear.h"

namespace kelvo {
namespace {

constexpr int kDecimals = 3;

std::string_view GearName(std::int16_t gearNo) {
  return gearNo == 1 ? "小齿轮" : "大齿轮";
}

// Strings are appended piece by piece throughout: GCC 12 warns falsely (-Wrestrict) about
// "literal" + std::string at -O3.
std::string Join(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (const std::string_view piece : pieces)
    text += piece;
  return text;
}

// What lowers the large gear's shift: it is the shift sum (set by the centre distance) less the
// small gear's shift.
constexpr std::string_view kLargeShiftDown =
    "请减小实际中心距或增大小齿轮变位系数，使大齿轮变位系数减小。";
constexpr std::string_view kLargeShiftUp =
    "请增大实际中心距或减小小齿轮变位系数，使大齿轮变位系数增大。";

}  // namespace

std::string UndercutText(std::int16_t gearNo, CheckLevel level, double x, double xmin) {
  const auto [x_text, xmin_text] = DistinctDecimalTexts(x, xmin, kDecimals);
  const std::string_view gear = GearName(gearNo);
  if (level == CheckLevel::kOk)
    return Join(
        {gear, "不根切：变位系数 ", x_text, " 不小于不根切的最小变位系数 ", xmin_text, "。"});
  return Join({gear, "根切：变位系数 ", x_text, " 小于不根切的最小变位系数 ", xmin_text,
               "，齿根被切薄、渐开线变短。",
               gearNo == 1 ? "请增大小齿轮变位系数或增加齿数。" : kLargeShiftUp});
}

std::string PointedText(std::int16_t gearNo, CheckLevel level, double san, double limit) {
  const auto [san_text, limit_text] = DistinctDecimalTexts(san, limit, kDecimals);
  const std::string_view gear = GearName(gearNo);
  const std::string_view remedy = gearNo == 1 ? "请减小小齿轮变位系数。" : kLargeShiftDown;
  switch (level) {
    case CheckLevel::kOk:
      return Join({gear, "齿顶厚度足够：齿顶法向齿厚 ", san_text, " mm，不小于 0.25m（", limit_text,
                   " mm）。"});
    case CheckLevel::kWarning:
      return Join({gear, "齿顶偏尖：齿顶法向齿厚 ", san_text, " mm，小于 0.25m（", limit_text,
                   " mm），齿顶容易崩角，热处理时容易淬透变脆。", remedy});
    case CheckLevel::kError:
      break;
  }
  return Join({gear, "齿顶变尖：齿顶法向齿厚 ", san_text,
               " mm，两侧齿廓在齿顶圆以内已经相交，齿顶圆达不到。", remedy});
}

std::string ContactText(CheckLevel level, double eps_alpha) {
  const std::string eps = DecimalText(eps_alpha, kDecimals);
  constexpr std::string_view remedy = "请减小实际中心距（变位系数之和随之减小），或增加齿数。";
  switch (level) {
    case CheckLevel::kOk:
      return Join({"端面重合度 ", eps, " 不小于 1.2，啮合连续平稳。"});
    case CheckLevel::kWarning:
      return Join(
          {"端面重合度 ", eps, " 小于 1.2，啮合不够平稳，中心距误差还会使它变小。", remedy});
    case CheckLevel::kError:
      break;
  }
  return Join({"端面重合度 ", eps,
               " 小于 1，前一对齿脱开时后一对齿还没有进入啮合，传动不连续、有冲击。", remedy});
}

std::string ClearanceText(std::int16_t gearNo, CheckLevel level, double c, double limit) {
  const auto [c_text, limit_text] = DistinctDecimalTexts(c, limit, kDecimals);
  const std::string_view gear = GearName(gearNo), mate = GearName(MateOf(gearNo));
  if (level == CheckLevel::kOk)
    return Join({gear, "齿顶与", mate, "齿根之间的顶隙 ", c_text, " mm，不小于 0.1m（", limit_text,
                 " mm）。"});
  return Join({gear, "齿顶与", mate, "齿根之间的顶隙 ", c_text, " mm，小于 0.1m（", limit_text,
               " mm），齿顶可能碰到对方齿根，也存不住润滑油。请增大实际中心距或减小", gear,
               "齿顶高。"});
}

std::string InterferenceText(std::int16_t gearNo, CheckLevel level,
                             std::optional<double> active_start, double form_diameter) {
  const std::string_view gear = GearName(gearNo), mate = GearName(MateOf(gearNo));
  const std::string_view remedy =
      gearNo == 1 ? "请增大小齿轮变位系数，或增加小齿轮齿数。" : kLargeShiftUp;
  if (!active_start)
    return Join({gear, "齿根干涉：", mate, "齿顶越过了啮合线在", gear, "基圆上的极限点，会碰到",
                 gear, "齿根。", remedy});
  const auto [start_text, form_text] =
      DistinctDecimalTexts(*active_start, form_diameter, kDecimals);
  if (level == CheckLevel::kOk)
    return Join({mate, "齿顶不碰", gear, "齿根：", gear, "有效齿廓起始圆直径 ", start_text,
                 " mm，不小于渐开线起始圆直径 ", form_text, " mm。"});
  return Join({gear, "齿根干涉：", gear, "有效齿廓起始圆直径 ", start_text,
               " mm，小于渐开线起始圆直径 ", form_text, " mm，", mate, "齿顶会碰到", gear,
               "齿根过渡曲线。", remedy});
}

}  // namespace kelvo

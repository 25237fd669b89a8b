#include "geometry/design_checks.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

#include "geometry/design_check_texts.h"
#include "geometry/pair_gear.h"

namespace kelvo {
namespace {

// In the order of CheckLevel's values.
struct LevelNames {
  std::string_view key;
  std::string_view chinese;
};
constexpr std::array<LevelNames, 3> kLevelNames = {{
    {.key = "ok", .chinese = "正常"},
    {.key = "warning", .chinese = "警告"},
    {.key = "error", .chinese = "错误"},
}};

// Undercut is a warning, not an error: the gear can be cut and run, and standards (DIN 3960)
// allow a slight undercut; it weakens the root and shortens the involute. Whether the mate then
// still finds involute to work on is the interference check's question, answered with the root
// form diameter that the undercut raises.
DesignCheck Undercut(const GearPairData& pair, const DerivedValues& derived, std::int16_t gearNo) {
  const double x = GearOf(pair, gearNo).x;
  const double xmin = derived.Of(gearNo).xmin;
  const CheckLevel level = x < xmin ? CheckLevel::kWarning : CheckLevel::kOk;
  return {gearNo == 1 ? "undercut1" : "undercut2",
          gearNo == 1 ? "小齿轮根切" : "大齿轮根切",
          level,
          x,
          xmin,
          "",
          UndercutText(gearNo, level, x, xmin)};
}

// A tip thinner than about a quarter module chips and hardens through: the common design rule
// asks s_an >= 0.2 m to 0.4 m (Niemann/Winter, Maschinenelemente II, 0.4 m for case-hardened
// gears); the report warns below 0.25 m. At or below 0 the flanks meet below the tip circle.
DesignCheck Pointed(const GearPairData& pair, const DerivedValues& derived, std::int16_t gearNo) {
  const double san = derived.Of(gearNo).san;
  const double warning_limit = 0.25 * pair.m, error_limit = 0;
  const CheckLevel level = san <= error_limit    ? CheckLevel::kError
                           : san < warning_limit ? CheckLevel::kWarning
                                                 : CheckLevel::kOk;
  const double limit = level == CheckLevel::kError ? error_limit : warning_limit;
  return {gearNo == 1 ? "pointed1" : "pointed2",
          gearNo == 1 ? "小齿轮齿顶变尖" : "大齿轮齿顶变尖",
          level,
          san,
          limit,
          "mm",
          PointedText(gearNo, level, san, warning_limit)};
}

// Below 1 one pair of teeth leaves before the next engages (continuity of the mesh, any
// textbook). Below about 1.2 mounting errors take the rest (Shigley, Mechanical Engineering
// Design: gears should not be designed with contact ratios below about 1.20).
DesignCheck Contact(const GearPairData& pair) {
  const double eps = pair.eps_alpha;
  const double warning_limit = 1.2, error_limit = 1.0;
  const CheckLevel level = eps < error_limit     ? CheckLevel::kError
                           : eps < warning_limit ? CheckLevel::kWarning
                                                 : CheckLevel::kOk;
  const double limit = level == CheckLevel::kError ? error_limit : warning_limit;
  return {"contact", "端面重合度", level, eps, limit, "", ContactText(level, eps)};
}

// The basic rack (ISO 53) leaves c = 0.25 m; tip shortening keeps it so. Below about 0.1 m the
// tip may touch the mate's root under centre-distance and runout tolerances and no oil stays
// there (design rule of the gear handbooks). The solver's tip shortening keeps c = 0.25 m, so
// this check guards the rule rather than expecting to fire.
DesignCheck Clearance(const GearPairData& pair, const DerivedValues& derived, std::int16_t gearNo) {
  const double c = derived.Of(gearNo).c;
  const double limit = 0.1 * pair.m;
  const CheckLevel level = c < limit ? CheckLevel::kWarning : CheckLevel::kOk;
  return {gearNo == 1 ? "clearance1" : "clearance2",
          gearNo == 1 ? "小齿轮齿顶顶隙" : "大齿轮齿顶顶隙",
          level,
          c,
          limit,
          "mm",
          ClearanceText(gearNo, level, c, limit)};
}

// Start of the active profile d_Nf of gear gearNo (DIN 3960): where the mate's tip circle cuts
// the line of action, a' sin(alpha_wt) - sqrt(r_a,mate^2 - r_b,mate^2) from this gear's base
// tangent point. None when the mate's tip reaches past that point (the interference point).
std::optional<double> ActiveProfileStart(const GearPairData& pair, const DerivedValues& derived,
                                         std::int16_t gearNo) {
  const std::int16_t mateNo = MateOf(gearNo);
  const double rb = derived.Of(gearNo).db / 2, rb_mate = derived.Of(mateNo).db / 2;
  const double ra_mate = GearOf(pair, mateNo).da / 2;
  const double along =
      pair.a_true * std::sin(pair.alpha_wt) - std::sqrt(ra_mate * ra_mate - rb_mate * rb_mate);
  if (along < 0) return std::nullopt;
  return 2 * std::hypot(rb, along);
}

// The mate's tip must meet this gear on its involute: d_Nf >= d_Ff (DIN 3960; Niemann/Winter).
// Below d_Ff the tip runs into the root fillet, which does not keep the ratio and jams.
DesignCheck Interference(const GearPairData& pair, const DerivedValues& derived,
                         std::int16_t gearNo) {
  const double dFf = derived.Of(gearNo).dFf;
  const std::optional<double> dNf = ActiveProfileStart(pair, derived, gearNo);
  const double value = dNf.value_or(derived.Of(gearNo).db);
  const CheckLevel level = !dNf || *dNf < dFf ? CheckLevel::kError : CheckLevel::kOk;
  return {gearNo == 1 ? "interference1" : "interference2",
          gearNo == 1 ? "小齿轮齿根干涉" : "大齿轮齿根干涉",
          level,
          value,
          dFf,
          "mm",
          InterferenceText(gearNo, level, dNf, dFf)};
}

}  // namespace

std::string_view LevelKey(CheckLevel level) {
  return kLevelNames[static_cast<std::size_t>(level)].key;
}

std::string_view LevelChinese(CheckLevel level) {
  return kLevelNames[static_cast<std::size_t>(level)].chinese;
}

std::vector<DesignCheck> CheckDesign(const GearPairData& pair, const DerivedValues& derived) {
  return {Undercut(pair, derived, 1),
          Undercut(pair, derived, 2),
          Pointed(pair, derived, 1),
          Pointed(pair, derived, 2),
          Contact(pair),
          Clearance(pair, derived, 1),
          Clearance(pair, derived, 2),
          Interference(pair, derived, 1),
          Interference(pair, derived, 2)};
}

}  // namespace kelvo

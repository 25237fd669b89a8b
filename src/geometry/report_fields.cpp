#include "geometry/report_fields.h"

#include <algorithm>
#include <utility>

namespace kelvo {
namespace {

using G = GearDerivedValues;

constexpr std::pair<std::string_view, ReportSymbol> kPairSymbols[] = {
    {"a_true", {"a′", ""}},    {"m", {"m", "n"}},         {"z1", {"z", "1"}},
    {"z2", {"z", "2"}},        {"b", {"b", ""}},          {"beta", {"β", ""}},
    {"x1", {"x", "n1"}},       {"u", {"u", ""}},          {"d1", {"d", "1"}},
    {"d2", {"d", "2"}},        {"a", {"a", ""}},          {"alpha_t", {"α", "t"}},
    {"alpha_wt", {"α", "wt"}}, {"x_sum", {"x", "Σ"}},     {"x2", {"x", "n2"}},
    {"ha1", {"h", "a1"}},      {"ha2", {"h", "a2"}},      {"hf1", {"h", "f1"}},
    {"hf2", {"h", "f2"}},      {"h1", {"h", "1"}},        {"h2", {"h", "2"}},
    {"da1", {"d", "a1"}},      {"da2", {"d", "a2"}},      {"eps_alpha", {"ε", "α"}},
    {"eps_beta", {"ε", "β"}},  {"eps_gamma", {"ε", "γ"}}, {"zv1", {"z", "v1"}},
    {"zv2", {"z", "v2"}},      {"k1", {"k", "1"}},        {"k2", {"k", "2"}},
    {"W1", {"W", "k1"}},       {"W2", {"W", "k2"}},       {"hc1", {"h", "c1"}},
    {"sc1", {"s", "c1"}},      {"hc2", {"h", "c2"}},      {"sc2", {"s", "c2"}},
};

}  // namespace

const std::vector<PairFieldGroup>& PairFieldGroups() {
  static const std::vector<PairFieldGroup> groups = {
      {"基本参数", {"a_true", "m", "z1", "z2", "b", "beta", "u", "a", "alpha_t", "alpha_wt"}},
      {"直径", {"d1", "d2", "da1", "da2"}},
      {"变位系数", {"x1", "x2", "x_sum"}},
      {"齿顶高与齿根高", {"ha1", "ha2", "hf1", "hf2", "h1", "h2"}},
      {"重合度", {"eps_alpha", "eps_beta", "eps_gamma"}},
      {"检测尺寸", {"zv1", "zv2", "k1", "k2", "W1", "W2", "hc1", "sc1", "hc2", "sc2"}},
  };
  return groups;
}

ReportSymbol PairFieldSymbol(std::string_view field) {
  const auto found = std::find_if(std::begin(kPairSymbols), std::end(kPairSymbols),
                                  [field](const auto& entry) { return entry.first == field; });
  return found == std::end(kPairSymbols) ? ReportSymbol{} : found->second;
}

const std::array<DerivedField, 14> kDerivedFields = {{
    {"db1", 1, &G::db, "mm", "小齿轮基圆直径", {"d", "b1"}},
    {"db2", 2, &G::db, "mm", "大齿轮基圆直径", {"d", "b2"}},
    {"df1", 1, &G::df, "mm", "小齿轮齿根圆直径", {"d", "f1"}},
    {"df2", 2, &G::df, "mm", "大齿轮齿根圆直径", {"d", "f2"}},
    {"dw1", 1, &G::dw, "mm", "小齿轮节圆直径", {"d", "w1"}},
    {"dw2", 2, &G::dw, "mm", "大齿轮节圆直径", {"d", "w2"}},
    {"dFf1", 1, &G::dFf, "mm", "小齿轮渐开线起始圆直径", {"d", "Ff1"}},
    {"dFf2", 2, &G::dFf, "mm", "大齿轮渐开线起始圆直径", {"d", "Ff2"}},
    {"san1", 1, &G::san, "mm", "小齿轮齿顶法向齿厚", {"s", "an1"}},
    {"san2", 2, &G::san, "mm", "大齿轮齿顶法向齿厚", {"s", "an2"}},
    {"xmin1", 1, &G::xmin, "", "小齿轮不根切最小变位系数", {"x", "min1"}},
    {"xmin2", 2, &G::xmin, "", "大齿轮不根切最小变位系数", {"x", "min2"}},
    {"c1", 1, &G::c, "mm", "小齿轮齿顶与大齿轮齿根的顶隙", {"c", "1"}},
    {"c2", 2, &G::c, "mm", "大齿轮齿顶与小齿轮齿根的顶隙", {"c", "2"}},
}};

double DerivedValue(const DerivedValues& values, const DerivedField& field) {
  return values.Of(field.gearNo).*field.member;
}

}  // namespace kelvo

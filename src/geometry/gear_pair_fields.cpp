#include "geometry/gear_pair_fields.h"

namespace kelvo {

using D = GearPairData;

const std::array<GearPairField, 36> kGearPairFields = {{
    {"a_true", &D::a_true, "mm", "实际中心距", "working centre distance"},
    {"m", &D::m, "mm", "法向模数", "normal module"},
    {"z1", &D::z1, "", "小齿轮齿数", "number of teeth, small gear"},
    {"z2", &D::z2, "", "大齿轮齿数", "number of teeth, large gear"},
    {"b", &D::b, "mm", "齿宽", "face width"},
    {"beta", &D::beta, "rad", "螺旋角", "helix angle"},
    {"x1", &D::x1, "", "小齿轮法向变位系数", "normal profile-shift coefficient, small gear"},
    {"u", &D::u, "", "齿数比", "gear ratio"},
    {"d1", &D::d1, "mm", "小齿轮分度圆直径", "reference diameter, small gear"},
    {"d2", &D::d2, "mm", "大齿轮分度圆直径", "reference diameter, large gear"},
    {"a", &D::a, "mm", "标准中心距", "reference centre distance"},
    {"alpha_t", &D::alpha_t, "rad", "端面压力角", "transverse pressure angle"},
    {"alpha_wt", &D::alpha_wt, "rad", "端面啮合角", "working transverse pressure angle"},
    {"x_sum", &D::x_sum, "", "变位系数之和", "sum of profile-shift coefficients"},
    {"x2", &D::x2, "", "大齿轮法向变位系数", "normal profile-shift coefficient, large gear"},
    {"ha1", &D::ha1, "mm", "小齿轮齿顶高", "addendum, small gear"},
    {"ha2", &D::ha2, "mm", "大齿轮齿顶高", "addendum, large gear"},
    {"hf1", &D::hf1, "mm", "小齿轮齿根高", "dedendum, small gear"},
    {"hf2", &D::hf2, "mm", "大齿轮齿根高", "dedendum, large gear"},
    {"h1", &D::h1, "mm", "小齿轮齿高", "whole depth, small gear"},
    {"h2", &D::h2, "mm", "大齿轮齿高", "whole depth, large gear"},
    {"da1", &D::da1, "mm", "小齿轮齿顶圆直径", "tip diameter, small gear"},
    {"da2", &D::da2, "mm", "大齿轮齿顶圆直径", "tip diameter, large gear"},
    {"eps_alpha", &D::eps_alpha, "", "端面重合度", "transverse contact ratio"},
    {"eps_beta", &D::eps_beta, "", "纵向重合度", "overlap ratio"},
    {"eps_gamma", &D::eps_gamma, "", "总重合度", "total contact ratio"},
    {"zv1", &D::zv1, "", "小齿轮当量齿数", "virtual number of teeth, small gear"},
    {"zv2", &D::zv2, "", "大齿轮当量齿数", "virtual number of teeth, large gear"},
    {"k1", &D::k1, "", "小齿轮跨测齿数", "teeth spanned for W1, small gear"},
    {"k2", &D::k2, "", "大齿轮跨测齿数", "teeth spanned for W2, large gear"},
    {"W1", &D::W1, "mm", "小齿轮公法线长度", "base tangent length over k1 teeth, small gear"},
    {"W2", &D::W2, "mm", "大齿轮公法线长度", "base tangent length over k2 teeth, large gear"},
    {"hc1", &D::hc1, "mm", "小齿轮分度圆弦齿高", "chordal height, small gear"},
    {"sc1", &D::sc1, "mm", "小齿轮分度圆弦齿厚", "chordal thickness (normal), small gear"},
    {"hc2", &D::hc2, "mm", "大齿轮分度圆弦齿高", "chordal height, large gear"},
    {"sc2", &D::sc2, "mm", "大齿轮分度圆弦齿厚", "chordal thickness (normal), large gear"},
}};

double FieldValue(const GearPairData& pair, const GearPairField& field) {
  return std::visit([&pair](auto member) { return static_cast<double>(pair.*member); },
                    field.member);
}

}  // namespace kelvo

#include "cli/gear_pair_report.h"

#include <array>
#include <charconv>
#include <variant>

#include "app/commands/calculate_steps.h"
#include "geometry/gear_constants.h"
#include "geometry/gear_pair_fields.h"

namespace kelvo::cli {
namespace {

std::string Fixed(double value, int decimals) {
  std::array<char, 400> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::fixed, decimals);
  std::string text(buffer.data(), result.ptr);
  // A tiny negative value (a shift sum of -1e-15, say) is written as zero, not "-0.000000".
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

std::string PadRight(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string PadLeft(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string ValueText(const GearPairData& pair, const GearPairField& field) {
  const double value = FieldValue(pair, field);
  if (std::holds_alternative<std::int16_t GearPairData::*>(field.member)) {
    return std::to_string(static_cast<int>(value));
  }
  return Fixed(value, 6);
}

std::string ReportLine(const GearPairData& pair, const GearPairField& field) {
  std::string line = "  " + PadRight(std::string(field.name), 10) +
                     PadLeft(ValueText(pair, field), 16) + " " +
                     PadRight(std::string(field.unit), 4);
  std::string english(field.english);
  if (field.unit == "rad") {
    english += " (" + Fixed(FieldValue(pair, field) * 180 / kPi, 6) + " deg)";
  }
  return line + PadRight(english, 56) + std::string(field.chinese) + "\n";
}

}  // namespace

std::string PairReport(const GearPairData& pair) {
  std::string report =
      "Gear pair / 齿轮副参数 (20-degree standard rack, addendum 1, "
      "dedendum 1.25 modules)\n\n";
  for (const GearPairField& field : kGearPairFields)
    report += ReportLine(pair, field);
  return report;
}

nlohmann::ordered_json PairJson(const GearPairData& pair) {
  nlohmann::ordered_json json;
  for (const GearPairField& field : kGearPairFields) {
    std::visit([&](auto member) { json[std::string(field.name)] = pair.*member; }, field.member);
  }
  const std::array<std::string, 7> texts = ResultTexts(pair);
  nlohmann::ordered_json display;
  for (std::size_t i = 0; i < kResultFields.size(); ++i) {
    display[std::string(kResultFields[i].name)] = texts[i];
  }
  json["display"] = display;
  return json;
}

}  // namespace kelvo::cli

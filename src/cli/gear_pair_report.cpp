#include "cli/gear_pair_report.h"

#include <array>
#include <variant>

#include "app/commands/calculate_steps.h"
#include "geometry/decimal_text.h"
#include "geometry/gear_constants.h"
#include "geometry/gear_pair_fields.h"

namespace kelvo::cli {
namespace {

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
  return FixedText(value, 6);
}

std::string ReportLine(const GearPairData& pair, const GearPairField& field) {
  std::string line = "  " + PadRight(std::string(field.name), 10) +
                     PadLeft(ValueText(pair, field), 16) + " " +
                     PadRight(std::string(field.unit), 4);
  std::string english(field.english);
  if (field.unit == "rad") {
    english += " (" + FixedText(FieldValue(pair, field) * 180 / kPi, 6) + " deg)";
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

#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "geometry/gear_pair_data.h"

namespace kelvo::cli {

// A readable report of all 36 values of a solved pair, one per line, with unit, English
// and Chinese name; angles also in degrees.
std::string PairReport(const GearPairData& pair);

// Every field under its name in the record (integers as integers, doubles to full
// round-trip precision) and a "display" object with the seven result texts the window shows.
nlohmann::ordered_json PairJson(const GearPairData& pair);

}  // namespace kelvo::cli

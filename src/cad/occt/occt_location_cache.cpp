#include "cad/occt/occt_location_cache.h"

namespace kelvo::cad {

TopLoc_Location LocationCache::Get(const gp_Trsf& motion) {
  Key key{};
  std::size_t index = 0;
  for (int row = 1; row <= 3; ++row) {
    for (int column = 1; column <= 4; ++column)
      key[index++] = motion.Value(row, column);
  }
  if (auto found = locations_.find(key); found != locations_.end()) return found->second;
  if (locations_.size() >= kMaxEntries) locations_.clear();
  return locations_.emplace(key, TopLoc_Location(motion)).first->second;
}

}  // namespace kelvo::cad

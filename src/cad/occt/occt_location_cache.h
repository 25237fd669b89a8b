#pragma once

#include <TopLoc_Location.hxx>
#include <array>
#include <gp_Trsf.hxx>
#include <map>

namespace kelvo::cad {

// Hands out one shared TopLoc_Location per distinct rigid motion of a drawing.
//
// The hobbing simulation moves the cutter by the same roll step and turns the blank by the
// same roll angle at every position. OCCT composes locations as chains of datums; a fresh
// datum per call makes every sub-shape's location one link longer per step, and every later
// geometric query walks those chains. Handing out the same datum for a bitwise-equal motion
// lets OCCT fold the chain into that datum raised to a power. The geometry is the same motion
// applied the same number of times; only the bookkeeping gets shorter.
class LocationCache {
 public:
  TopLoc_Location Get(const gp_Trsf& motion);

 private:
  using Key = std::array<double, 12>;
  static constexpr std::size_t kMaxEntries = 64;  // a drawing repeats a handful of motions
  std::map<Key, TopLoc_Location> locations_;
};

}  // namespace kelvo::cad

#include "cli/build_memory.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include "cli/build_outcome.h"
#include "hobbing/checked_arithmetic.h"
#include "hobbing/hob_plan.h"

namespace kelvo::cli {
namespace {

// Building a gear holds the turned spaces of all its other teeth at once while their
// intersections are evaluated, each with the facets its positions per pitch cut into its flanks.
// Measured with OpenCASCADE 7.6 on spur gears of m 2, beyond the program's own 70 MB: 400 to
// 2000 teeth at one position per pitch took 0.66 to 0.84 MB per tooth, 400 teeth at nine
// positions per pitch 3.5 MB per tooth. Rounded up, so that what is refused cannot be built.
constexpr double kBytesPerTooth = 0.5e6;
constexpr double kBytesPerToothAndPosition = 0.4e6;
constexpr double kProgramBytes = 100e6;
// Above this a build is long enough to say so before it starts.
constexpr double kLongBuildBytes = 256e6;

double Gigabytes(double bytes) {
  return std::round(bytes / 1e8) / 10;
}

}  // namespace

bool WorkFitsThisMachine(const GearPairData& pair, std::int16_t gearNo, double fineness,
                         std::ostream& err) {
  const std::int16_t z = GearToCut(pair, gearNo).z;
  double steps = 0;
  std::int32_t positions = 0;
  try {
    steps = CappedStepsPerPitch(RoundedStepsPerPitch(fineness, z), gearNo);
    positions = PositionCount(HalfTravel(pair, gearNo), RollStep(pair.m, steps, pair.beta));
  } catch (const HobbingError&) {
    return true;  // the hobbing skips what it cannot work out; the build says what came of it
  }
  const int copies = std::max(z - 1, 0);
  const double bytes =
      kProgramBytes + copies * (kBytesPerTooth + steps * kBytesPerToothAndPosition);
  const double physical =
      static_cast<double>(::sysconf(_SC_PHYS_PAGES)) * static_cast<double>(::sysconf(_SC_PAGESIZE));
  std::ostringstream work;
  work << GearCalled(gearNo) << "有 " << z << " 个齿：每齿距 " << steps << " 个切削位置，滚切共 "
       << positions << " 个切削位置，复制齿槽要与 " << copies << " 个转位副本求交";
  if (physical > 0 && bytes > physical) {
    err << "kelvo-cli: " << work.str() << "，约需 " << Gigabytes(bytes) << " GB 内存，而本机只有 "
        << Gigabytes(physical) << " GB。请检查齿数" << (steps > 1 ? "，或选较低的模型精细度" : "")
        << "。\n";
    return false;
  }
  if (bytes > kLongBuildBytes) {
    err << "kelvo-cli: " << work.str() << "，约需 " << Gigabytes(bytes)
        << " GB 内存，生成要很长时间。按 Ctrl-C 可停止。\n";
  }
  return true;
}

}  // namespace kelvo::cli

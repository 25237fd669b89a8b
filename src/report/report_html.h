#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "geometry/gear_pair_data.h"
#include "geometry/mesh_picture.h"
#include "report/measured_gear.h"

namespace kelvo {

// What a report is about: the pair the solver returned and the gears of it built and measured in
// this session (none from the command line), small gear first.
struct ReportSubject {
  GearPairData pair{};
  std::vector<MeasuredGear> measured;
};

// How the mesh picture goes into the page.
enum class PictureInHtml {
  // The SVG inline, so that the file stands alone: for browsers and for saving.
  kInlineSvg,
  // <img src="kMeshPictureName">, for a renderer that draws the picture itself from MeshSvg (Qt's
  // rich text, which knows no inline SVG).
  kImageReference,
};

inline constexpr std::string_view kMeshPictureName = "kelvo-mesh-picture.svg";
// The picture's size on the page, mm: as wide as this, unless that would make it taller than
// the most it may be.
inline constexpr double kMeshPictureWidthMm = 150;
inline constexpr double kMeshPictureMaxHeightMm = 110;
double MeshPictureWidthMm(const MeshPicture& picture);

inline constexpr std::string_view kReportTitle = "渐开线圆柱齿轮副计算书";

// The designer's report in simplified Chinese, one HTML document (UTF-8) with its styles inline:
// the seven inputs; the 36 values of the pair in the designers' groups; the 14 values a designer
// needs beside them; the nine design checks with value, limit, verdict and sentence; the mesh
// picture with its legend; and for each measured gear its measurements beside theory. Every value
// carries its symbol and unit, angles in radians and in degrees.
std::string ReportHtml(const ReportSubject& subject, PictureInHtml picture);

}  // namespace kelvo

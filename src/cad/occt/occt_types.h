#pragma once

#include <cstdint>
#include <string_view>

#include "cad/cad_application.h"

// Plain values the OpenCASCADE application reports about its drawings, with no OpenCASCADE in
// them, so that the command line, the generate command and the tests can read a drawing
// without OCCT's headers.

namespace kelvo::cad {

// Entities are numbered per drawing in creation order, from 1; a number is never reused.
using EntityId = std::uint64_t;

enum class EntityKind { Line, Arc, Circle, Region, Solid };
std::string_view EntityKindName(EntityKind kind);  // "line", "arc", "circle", "region", "solid"

// Colour indices of the classic 256-colour table: 1 red, 7 white/black; 256 means "as the
// layer", the colour every new entity starts with.
inline constexpr int kColorByLayer = 256;

enum class ShadeMode { Wireframe, Gouraud };
std::string_view ShadeModeName(ShadeMode mode);  // "wireframe", "gouraud"

// What a drawing's view has been told through its viewport and its command line.
struct ViewState {
  Point direction{0, 0, 1};  // a new drawing looks down on the XY plane
  Point center{0, 0, 0};
  int zoom_extents_requests = 0;  // "ZOOM E " commands run so far
  ShadeMode shade_mode = ShadeMode::Wireframe;
};

// What a drawing lacks of what was asked for in it (CadDocument::MarkShortfall, or its own
// evaluation when deferred work failed or was stopped).
struct DrawingShortfalls {
  bool incomplete = false;  // steps failed and were skipped: "（不完整）"
  bool unfinished = false;  // a stop ended the work on it: "（未完成）"
  bool Any() const { return incomplete || unfinished; }
};

struct BoundingBox {
  Point min;
  Point max;
};

// What a gear designer checks on a solid.
struct SolidMeasures {
  double volume = 0;        // mm^3
  double surface_area = 0;  // mm^2
  int face_count = 0;
  bool is_one_valid_solid = false;  // a single solid that passes OCCT's shape checker
  BoundingBox box;
  Point centre_of_mass;  // of a solid of uniform density: where the gear balances
};

struct CircleGeometry {
  Point center;
  double radius = 0;
  int color = kColorByLayer;
};

// A mesh drawing's two gears and how they roll together: each gear's solid and reference circle
// (0 where there is none), the axes they turn about (parallel to Z) and the numbers of teeth.
// Turning the small gear by an angle turns the large gear the other way by z1 / z2 of it.
struct MeshMotion {
  EntityId small_solid = 0;
  EntityId small_circle = 0;
  EntityId large_solid = 0;
  EntityId large_circle = 0;
  Point small_centre;
  Point large_centre;
  int z1 = 0;
  int z2 = 0;
};

// One live entity of a drawing.
struct EntityInfo {
  EntityRef handle;
  EntityId id = 0;
  EntityKind kind = EntityKind::Line;
  int color = kColorByLayer;
};

}  // namespace kelvo::cad

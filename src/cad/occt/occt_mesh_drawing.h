#pragma once

#include <memory>
#include <optional>
#include <string>

#include "cad/cad_application.h"
#include "cad/occt/occt_application.h"
#include "cad/occt/occt_document.h"
#include "cad/occt/occt_mesh_measurement.h"

// The pair in mesh: the newest finished small gear and the newest finished large gear of one
// pair, copied into a drawing of their own, the large gear placed at the working centre
// distance and turned into mesh, and measured there. No OpenCASCADE in here.

namespace kelvo::cad {

struct OcctDocumentState;

// The two gears MESH would put together: the newest gear drawing of each kind (mesh drawings
// aside), or why there is nothing to mesh ("请先生成同一齿轮副的小齿轮和大齿轮").
struct MeshCandidates {
  std::shared_ptr<OcctDocument> small_drawing;
  std::shared_ptr<OcctDocument> large_drawing;
  std::shared_ptr<const GearPart> small_part;
  std::shared_ptr<const GearPart> large_part;
  EntityRef small_solid;
  EntityRef large_solid;
  std::string refusal;  // empty when the two can be meshed
  bool Ready() const { return refusal.empty(); }
};
MeshCandidates FindMeshCandidates(const OcctCadApplication& application);

// How far the large gear, as it lies in its own drawing, is turned about its axis
// (counter-clockwise, radians) so that with its axis at (a', 0) its teeth mesh with the small
// gear's at the pitch point: the small gear's tooth whose middle lies at angle psi meets the large
// gear's space whose middle lies at pi - psi z1 / z2, as two gears rolling on their working
// pitch circles, a tooth on the line of centres facing a space. The least such turn.
double MeshTurnOfLargeGear(const GearPart& small, const GearPart& large);

struct MeshDrawing {
  std::shared_ptr<OcctDocument> drawing;
  EntityRef small_solid;
  EntityRef large_solid;
  double large_turn = 0;  // MeshTurnOfLargeGear
  MeshMeasurement measurement;
};

struct MeshOptions {
  int transmission_positions = 16;
  // An extra turn of the large gear about its axis after the mesh turn (radians) and a
  // centre distance other than the pair's (0: a'): for showing that the measurement catches a
  // pair that does not mesh.
  double extra_turn = 0;
  double centre_distance = 0;
};

// Makes the mesh drawing (the newest drawing) in the application: copies of both solids, the
// small gear about the origin, the large gear's axis at (a', 0, 0) and turned into mesh; both
// reference circles in red; named parts; the (1, 1, 1) view zoomed to extents, shaded when
// either gear's drawing was; the measurement in the drawing's log, in Chinese. The gears'
// own drawings are not touched. CadError saying why when the candidates are not ready or the
// measurement fails (the drawing then stays, with the gears placed, and says so in its log).
MeshDrawing MakeMeshDrawing(OcctCadApplication& application, const MeshOptions& options = {});

// The measurement's lines for a drawing's log, in the designer's words.
std::vector<std::string> MeshLogLines(const MeshMeasurement& measurement);

// MESH at a drawing's command line: the mesh drawing, or the refusal in the log.
void RunMeshCommand(OcctDocumentState& document);

}  // namespace kelvo::cad

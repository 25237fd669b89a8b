#include "cad/occt/occt_mesh_drawing.h"

#include <TopLoc_Location.hxx>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "cad/occt/occt_deferred.h"
#include "cad/occt/occt_entity.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_log_texts.h"
#include "cad/occt/occt_state.h"
#include "cad/occt/occt_view_state.h"

namespace kelvo::cad {
namespace {

constexpr std::string_view kOperation = "MESH";
using std::numbers::pi;
constexpr int kRed = 1;

// The newest solid of a drawing that belongs to a gear part, and that drawing's circle of the
// same gear.
struct GearEntities {
  EntityId solid = 0;
  EntityId circle = 0;
  std::shared_ptr<const GearPart> part;
};

GearEntities GearIn(const OcctDocumentState& document) {
  GearEntities gear;
  for (const auto& [id, record] : document.entities) {
    if (!record.part) continue;
    if (record.kind == EntityKind::Solid) {
      gear.solid = id;
      gear.part = record.part;
    }
  }
  if (!gear.part) return gear;
  for (const auto& [id, record] : document.entities) {
    if (record.kind == EntityKind::Circle && record.part &&
        record.part->gearNo == gear.part->gearNo)
      gear.circle = id;
  }
  return gear;
}

struct Found {
  std::shared_ptr<OcctDocumentState> document;
  GearEntities gear;
};

struct Candidates {
  Found small;
  Found large;
  std::string refusal;
};

Candidates Find(const OcctApplicationState& application) {
  Candidates found;
  for (auto it = application.documents.rbegin(); it != application.documents.rend(); ++it) {
    const std::shared_ptr<OcctDocumentState>& document = *it;
    if (document->mesh) continue;
    const GearEntities gear = GearIn(*document);
    if (!gear.part) continue;
    Found& slot = gear.part->gearNo == 1 ? found.small : found.large;
    if (!slot.document) slot = {document, gear};
  }
  if (!found.small.document || !found.large.document) {
    found.refusal = "请先生成同一齿轮副的小齿轮和大齿轮，再作啮合装配。";
  } else if (found.small.document->shortfalls.Any() || found.large.document->shortfalls.Any()) {
    found.refusal = "最新的小齿轮或大齿轮未完成或不完整，不能作啮合装配。";
  } else if (!(found.small.gear.part->pair == found.large.gear.part->pair)) {
    found.refusal = "最新的小齿轮和大齿轮不属于同一齿轮副，不能作啮合装配。";
  }
  return found;
}

OcctEntityRecord PlacedCopy(const OcctEntityRecord& original, const gp_Trsf& placement) {
  OcctEntityRecord copy;
  copy.kind = original.kind;
  copy.shape = original.Located();
  copy.placement = TopLoc_Location(placement);
  copy.color = original.color;
  copy.volume = original.volume;
  copy.valid = original.valid;
  copy.part = original.part;
  return copy;
}

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

MeshPlan PlanOf(const GearPart& small, const GearPart& large, int positions) {
  MeshPlan plan;
  plan.z1 = small.pair.z1;
  plan.z2 = small.pair.z2;
  plan.working_pitch_radius2 = large.working_pitch_radius;
  plan.tip_radius1 = small.tip_radius;
  plan.tip_radius2 = large.tip_radius;
  plan.root_radius1 = small.root_radius;
  plan.root_radius2 = large.root_radius;
  plan.face_width = small.pair.b;
  plan.helix_angle = small.pair.beta;
  plan.space_angle1 = small.space_angle;
  plan.space_angle2 = large.space_angle;
  plan.reference_radius1 = small.reference_radius;
  plan.reference_radius2 = large.reference_radius;
  plan.transmission_positions = positions;
  return plan;
}

MeshDrawing Make(const std::shared_ptr<OcctApplicationState>& application,
                 const MeshOptions& options) {
  const Candidates found = Find(*application);
  if (!found.refusal.empty()) ThrowCadError(kOperation, found.refusal);
  const GearPart& small = *found.small.gear.part;
  const GearPart& large = *found.large.gear.part;
  // The gears as their drawings hold them, deferred work applied.
  EvaluateDeferred(*found.small.document, found.small.gear.solid);
  EvaluateDeferred(*found.large.document, found.large.gear.solid);

  MeshDrawing made;
  made.large_turn = MeshTurnOfLargeGear(small, large) + options.extra_turn;
  const double a = options.centre_distance > 0 ? options.centre_distance : small.pair.a_true;
  gp_Trsf turn;
  turn.SetRotation(gp_Ax1(gp_Pnt(0, 0, 0), gp_Dir(0, 0, 1)), made.large_turn);
  gp_Trsf shift;
  shift.SetTranslation(gp_Vec(a, 0, 0));
  const gp_Trsf large_placement = shift * turn;

  made.drawing = OcctDocuments(application).AddDrawing();
  const std::shared_ptr<OcctDocumentState> document = made.drawing->LiveState(kOperation);
  MeshMotion motion;
  motion.z1 = small.pair.z1;
  motion.z2 = small.pair.z2;
  motion.large_centre = {a, 0, 0};
  auto copy = [&](const Found& from, EntityId id, const gp_Trsf& placement) -> EntityId {
    if (id == 0) return 0;
    OcctEntityRecord record = PlacedCopy(from.document->entities.at(id), placement);
    if (record.kind == EntityKind::Circle) record.color = kRed;
    return AddRecord(*document, std::move(record));
  };
  motion.small_solid = copy(found.small, found.small.gear.solid, gp_Trsf());
  motion.small_circle = copy(found.small, found.small.gear.circle, gp_Trsf());
  motion.large_solid = copy(found.large, found.large.gear.solid, large_placement);
  motion.large_circle = copy(found.large, found.large.gear.circle, large_placement);
  document->mesh = motion;
  made.small_solid = MakeEntityHandle(document, motion.small_solid, EntityKind::Solid);
  made.large_solid = MakeEntityHandle(document, motion.large_solid, EntityKind::Solid);

  document->view.direction = {1, 1, 1};
  document->view.center = {a / 2, 0, 0};
  const ViewState view = document->view;
  Notify(*document,
         [&](OcctObserver& observer) { observer.OnViewportAssigned(document->number, view); });
  RunCommandLine(*document, "ZOOM E ");
  const bool shaded = found.small.document->view.shade_mode == ShadeMode::Gouraud ||
                      found.large.document->view.shade_mode == ShadeMode::Gouraud;
  if (shaded) RunCommandLine(*document, "SHADEMODE G ");

  LogCommandLine(*document, "啮合装配：" + small.name + "（" + found.small.document->name +
                                "）与 " + large.name + "（" + found.large.document->name +
                                "），中心距 " + Format("%.4g", a) + " mm，大齿轮绕自身轴线转过 " +
                                Format("%.4f", made.large_turn * 180 / pi) + "° 进入啮合");
  LogCommandLine(*document, "正在测量啮合，请稍候……");
  try {
    made.measurement = MeasureMesh(*made.small_solid, *made.large_solid,
                                   PlanOf(small, large, options.transmission_positions));
  } catch (const CadError& error) {
    LogTechnicalDetail(error.what());
    LogCommandLine(*document, "啮合测量失败：齿面无法在实体上测出。");
    throw;
  }
  for (const std::string& line : MeshLogLines(made.measurement))
    LogCommandLine(*document, line);
  return made;
}

}  // namespace

MeshCandidates FindMeshCandidates(const OcctCadApplication& application) {
  const std::shared_ptr<OcctApplicationState>& state = application.State();
  const Candidates found = Find(*state);
  MeshCandidates candidates;
  candidates.refusal = found.refusal;
  for (const auto& [from, drawing, part, solid] :
       {std::tie(found.small, candidates.small_drawing, candidates.small_part,
                 candidates.small_solid),
        std::tie(found.large, candidates.large_drawing, candidates.large_part,
                 candidates.large_solid)}) {
    if (!from.document) continue;
    drawing = std::make_shared<OcctDocument>(from.document);
    part = from.gear.part;
    solid = MakeEntityHandle(from.document, from.gear.solid, EntityKind::Solid);
  }
  return candidates;
}

double MeshTurnOfLargeGear(const GearPart& small, const GearPart& large) {
  const double z1 = small.pair.z1, z2 = small.pair.z2;
  const double tooth1 = small.space_angle + pi / z1;
  const double space2 = pi - tooth1 * z1 / z2;
  const double pitch2 = 2 * pi / z2;
  const double turn = space2 - large.space_angle;
  return turn - pitch2 * std::round(turn / pitch2);
}

MeshDrawing MakeMeshDrawing(OcctCadApplication& application, const MeshOptions& options) {
  return Guarded(kOperation, [&] { return Make(application.State(), options); });
}

std::vector<std::string> MeshLogLines(const MeshMeasurement& m) {
  std::vector<std::string> lines;
  lines.push_back("干涉体积：" + Format("%.4f", m.interference_volume) + " mm³");
  lines.push_back("圆周侧隙：" + Format("%.4f", m.backlash) + " mm（负值表示齿面重叠）");
  lines.push_back("齿顶间隙（小齿轮齿顶至大齿轮齿根）：" + Format("%.4f", m.tip_clearance1) +
                  " mm，理论值 " + Format("%.4f", m.tip_clearance1_theory) + " mm");
  lines.push_back("齿顶间隙（大齿轮齿顶至小齿轮齿根）：" + Format("%.4f", m.tip_clearance2) +
                  " mm，理论值 " + Format("%.4f", m.tip_clearance2_theory) + " mm");
  lines.push_back("传动误差（小齿轮转过一个齿距，" + std::to_string(m.transmission_error.size()) +
                  " 个位置）：峰峰值 " + Format("%.1f", m.transmission_error_peak_to_peak) +
                  " µrad");
  lines.push_back(m.valid ? "两个齿轮实体均有效" : "有齿轮实体未通过检查");
  lines.push_back("测量用时 " + Format("%.1f", m.seconds) + " 秒");
  return lines;
}

void RunMeshCommand(OcctDocumentState& document) {
  LogCommandLine(document, CommandEchoText("MESH"));
  const std::shared_ptr<OcctApplicationState> application = document.application.lock();
  if (!application) return;
  const Candidates found = Find(*application);
  if (!found.refusal.empty()) {
    LogCommandLine(document, found.refusal);
    return;
  }
  try {
    Make(application, {});
  } catch (const EvaluationStopped&) {
    throw;
  } catch (const std::exception& error) {
    LogTechnicalDetail(error.what());
  }
}

}  // namespace kelvo::cad

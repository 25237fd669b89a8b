#include "hobbing/recording_cad.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <set>
#include <tuple>
#include <utility>

namespace kelvo::test_support {
namespace {

using cad::Point;
using Matrix = std::array<std::array<double, 3>, 3>;

Point Add(const Point& a, const Point& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Point Sub(const Point& a, const Point& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Point Mul(const Matrix& r, const Point& p) {
  return {r[0][0] * p.x + r[0][1] * p.y + r[0][2] * p.z,
          r[1][0] * p.x + r[1][1] * p.y + r[1][2] * p.z,
          r[2][0] * p.x + r[2][1] * p.y + r[2][2] * p.z};
}

Matrix Mul(const Matrix& a, const Matrix& b) {
  Matrix c{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      for (int k = 0; k < 3; ++k)
        c[i][j] += a[i][k] * b[k][j];
    }
  }
  return c;
}

// Rotation by angle about the unit axis u, right-hand rule (Rodrigues).
Matrix Rotation(const Point& u, double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double t = 1 - c;
  return {{{c + u.x * u.x * t, u.x * u.y * t - u.z * s, u.x * u.z * t + u.y * s},
           {u.y * u.x * t + u.z * s, c + u.y * u.y * t, u.y * u.z * t - u.x * s},
           {u.z * u.x * t - u.y * s, u.z * u.y * t + u.x * s, c + u.z * u.z * t}}};
}

bool Near(const Point& a, const Point& b) {
  const double scale = 1 + std::max({std::abs(a.x), std::abs(a.y), std::abs(a.z)});
  return std::abs(a.x - b.x) + std::abs(a.y - b.y) + std::abs(a.z - b.z) < 1e-9 * scale;
}

}  // namespace

const char* OpName(CadOp op) {
  static const char* const kNames[] = {"AddDocument",
                                       "SetVisible",
                                       "ModelSpace",
                                       "ActiveViewport",
                                       "SetActiveViewport",
                                       "SetDirection",
                                       "SetCenter",
                                       "SendCommand",
                                       "AddCylinder",
                                       "AddCircle",
                                       "AddArc",
                                       "AddLine",
                                       "AddRegion",
                                       "AddExtrudedSolid",
                                       "StartPoint",
                                       "EndPoint",
                                       "SetColor",
                                       "Move",
                                       "Copy",
                                       "Rotate3D",
                                       "ArrayPolar",
                                       "Delete",
                                       "Boolean"};
  return kNames[static_cast<int>(op)];
}

Point Placement::Apply(const Point& p) const {
  return Add(Mul(rotation, p), translation);
}

struct RecordingCad::State : std::enable_shared_from_this<State> {
  std::vector<CadCall> calls;
  std::deque<EntityRecord> entities;  // entity id - 1; a deque keeps references stable
  std::map<CadOp, int> counts;
  std::set<std::pair<CadOp, int>> failures;
  std::set<std::pair<CadOp, int>> stops;
  std::vector<std::pair<Point, Point>> views;  // direction and centre, per drawing
  bool visible = true;

  // Logs the call, then raises CadError if it is one of the calls made to fail.
  std::size_t Log(CadCall call) {
    const int n = ++counts[call.op];
    calls.push_back(std::move(call));
    const std::size_t index = calls.size() - 1;
    if (failures.count({calls[index].op, n})) Refuse(index, "failure injected by the test");
    if (stops.count({calls[index].op, n})) {
      calls[index].failed = true;
      throw cad::EvaluationStopped(std::string(OpName(calls[index].op)) + ": stopped");
    }
    return index;
  }

  [[noreturn]] void Refuse(std::size_t index, const std::string& why) {
    calls[index].failed = true;
    throw cad::CadError(std::string(OpName(calls[index].op)) + ": " + why);
  }

  EntityRecord& Live(std::size_t index, int id) {
    EntityRecord& record = entities.at(static_cast<std::size_t>(id - 1));
    if (!record.alive) Refuse(index, "entity " + std::to_string(id) + " was deleted");
    return record;
  }

  int New(std::size_t index, EntityRecord record) {
    record.id = static_cast<int>(entities.size()) + 1;
    record.alive = true;
    entities.push_back(std::move(record));
    calls[index].results.push_back(entities.back().id);
    return entities.back().id;
  }

  std::pair<Point, Point> EndsOf(const EntityRecord& curve) const {
    if (curve.kind == EntityKind::Line) {
      return {curve.placement.Apply(curve.start), curve.placement.Apply(curve.end)};
    }
    const auto at = [&](double angle) {
      return curve.placement.Apply(
          Add(curve.centre, {curve.radius * std::cos(angle), curve.radius * std::sin(angle), 0}));
    };
    return {at(curve.startAngle), at(curve.endAngle)};
  }

  // True if every end of every curve meets exactly one end of another curve and following
  // them from the first curve passes through all of them: one closed loop.
  bool OneClosedLoop(const std::vector<int>& ids) const {
    std::vector<Point> ends;
    for (const int id : ids) {
      const auto [start, end] = EndsOf(entities[static_cast<std::size_t>(id - 1)]);
      ends.push_back(start);
      ends.push_back(end);
    }
    std::vector<std::size_t> partner(ends.size());
    for (std::size_t i = 0; i < ends.size(); ++i) {
      int matches = 0;
      for (std::size_t j = 0; j < ends.size(); ++j) {
        if (j / 2 != i / 2 && Near(ends[i], ends[j])) {
          partner[i] = j;
          ++matches;
        }
      }
      if (matches != 1) return false;
    }
    std::size_t curve = 0;
    std::size_t visited = 0;
    std::size_t end = 1;
    do {
      const std::size_t next = partner[2 * curve + end];
      curve = next / 2;
      end = 1 - next % 2;
      ++visited;
    } while (curve != 0 && visited <= ids.size());
    return visited == ids.size();
  }

  void Rotate(EntityRecord& record, const Point& p1, const Point& p2, double angle) {
    const Point axis = Sub(p2, p1);
    const double length = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    const Point u{axis.x / length, axis.y / length, axis.z / length};
    const Matrix r = Rotation(u, angle);
    record.placement.rotation = Mul(r, record.placement.rotation);
    record.placement.translation = Add(Mul(r, Sub(record.placement.translation, p1)), p1);
    if (std::abs(u.x) < 1e-12 && std::abs(u.y) < 1e-12) record.turnAboutZ += u.z * angle;
  }

  std::shared_ptr<cad::CadEntity> MakeHandle(int id);
  int IdOf(const cad::CadEntity& entity) const;
};

namespace {

using State = RecordingCad::State;

// What every handle of the recording application holds: its state and the entity's id.
class Handle {
 public:
  Handle(std::shared_ptr<State> state, int id) : state_(std::move(state)), id_(id) {}
  virtual ~Handle() = default;
  int id() const { return id_; }

 protected:
  EntityRecord& Record() const { return state_->entities[static_cast<std::size_t>(id_ - 1)]; }
  // Logs a call on this entity and returns its live record.
  EntityRecord& Call(CadCall call, std::size_t* index = nullptr) const {
    call.document = Record().document;
    call.target = id_;
    const std::size_t logged = state_->Log(std::move(call));
    if (index) *index = logged;
    return state_->Live(logged, id_);
  }

  std::shared_ptr<State> state_;
  int id_;
};

template <class Interface>
class FakeEntity : public Interface, public Handle {
 public:
  using Handle::Handle;

  void Move(const Point& from, const Point& to) override {
    Placement& placement = Call({.op = CadOp::Move, .points = {from, to}}).placement;
    placement.translation = Add(placement.translation, Sub(to, from));
  }

  cad::EntityRef Copy() override {
    std::size_t call = 0;
    const EntityRecord& record = Call({.op = CadOp::Copy}, &call);
    return state_->MakeHandle(state_->New(call, record));
  }

  void Rotate3D(const Point& point1, const Point& point2, double angle) override {
    std::size_t call = 0;
    EntityRecord& record =
        Call({.op = CadOp::Rotate3D, .points = {point1, point2}, .numbers = {angle}}, &call);
    if (Near(point1, point2)) state_->Refuse(call, "the axis points coincide");
    state_->Rotate(record, point1, point2, angle);
  }

  std::vector<cad::EntityRef> ArrayPolar(int count, double angle_to_fill,
                                         const Point& centre) override {
    std::size_t call = 0;
    Call({.op = CadOp::ArrayPolar,
          .points = {centre},
          .numbers = {static_cast<double>(count), angle_to_fill}},
         &call);
    if (count < 2) state_->Refuse(call, "an array needs at least two objects");
    std::vector<cad::EntityRef> copies;
    for (int k = 1; k < count; ++k) {
      const int copy = state_->New(call, Record());
      state_->Rotate(state_->entities[static_cast<std::size_t>(copy - 1)], centre,
                     Add(centre, {0, 0, 1}), k * angle_to_fill / (count - 1));
      copies.push_back(state_->MakeHandle(copy));
    }
    return copies;
  }

  void Delete() override { Call({.op = CadOp::Delete}).alive = false; }
};

using FakeLine = FakeEntity<cad::CadEntity>;  // lines and regions

class FakeArc final : public FakeEntity<cad::CadArc> {
 public:
  using FakeEntity::FakeEntity;
  Point StartPoint() const override {
    return state_->EndsOf(Call({.op = CadOp::StartPoint})).first;
  }
  Point EndPoint() const override { return state_->EndsOf(Call({.op = CadOp::EndPoint})).second; }
};

class FakeCircle final : public FakeEntity<cad::CadCircle> {
 public:
  using FakeEntity::FakeEntity;
  void SetColor(int color_index) override {
    Call({.op = CadOp::SetColor, .numbers = {static_cast<double>(color_index)}}).color =
        color_index;
  }
  int Color() const override { return Record().color; }
};

class FakeSolid final : public FakeEntity<cad::Cad3DSolid> {
 public:
  using FakeEntity::FakeEntity;
  void Boolean(cad::BooleanOperation operation, cad::CadEntity& other) override {
    const int other_id = state_->IdOf(other);
    std::size_t call = 0;
    const EntityRecord& self = Call(
        {.op = CadOp::Boolean, .entities = {other_id}, .numbers = {static_cast<double>(operation)}},
        &call);
    if (other_id == 0) state_->Refuse(call, "the other entity is not of this application");
    EntityRecord& tool = state_->Live(call, other_id);
    if (tool.kind != EntityKind::Solid) state_->Refuse(call, "the other entity is no solid");
    if (tool.document != self.document) state_->Refuse(call, "the solids are in two drawings");
    if (other_id == id_) state_->Refuse(call, "a solid cannot be combined with itself");
    tool.alive = false;
  }
};

class FakeModelSpace final : public cad::CadModelSpace {
 public:
  FakeModelSpace(std::shared_ptr<State> state, int document)
      : state_(std::move(state)), document_(document) {}

  std::shared_ptr<cad::Cad3DSolid> AddCylinder(const Point& centre, double radius,
                                               double height) override {
    const std::size_t call =
        Log({.op = CadOp::AddCylinder, .points = {centre}, .numbers = {radius, height}});
    if (!(radius > 0 && height > 0)) state_->Refuse(call, "radius and height must be positive");
    return Make<FakeSolid>(
        call, {.kind = EntityKind::Solid, .centre = centre, .radius = radius, .height = height});
  }

  std::shared_ptr<cad::CadCircle> AddCircle(const Point& centre, double radius) override {
    const std::size_t call = Log({.op = CadOp::AddCircle, .points = {centre}, .numbers = {radius}});
    if (!(radius > 0)) state_->Refuse(call, "the radius must be positive");
    return Make<FakeCircle>(call, {.kind = EntityKind::Circle, .centre = centre, .radius = radius});
  }

  std::shared_ptr<cad::CadArc> AddArc(const Point& centre, double radius, double start_angle,
                                      double end_angle) override {
    const std::size_t call =
        Log({.op = CadOp::AddArc, .points = {centre}, .numbers = {radius, start_angle, end_angle}});
    if (!(radius > 0)) state_->Refuse(call, "the radius must be positive");
    return Make<FakeArc>(call, {.kind = EntityKind::Arc,
                                .centre = centre,
                                .radius = radius,
                                .startAngle = start_angle,
                                .endAngle = end_angle});
  }

  cad::EntityRef AddLine(const Point& start, const Point& end) override {
    const std::size_t call = Log({.op = CadOp::AddLine, .points = {start, end}});
    return Make<FakeLine>(call, {.kind = EntityKind::Line, .start = start, .end = end});
  }

  std::vector<cad::EntityRef> AddRegion(const std::vector<cad::EntityRef>& curves) override {
    std::vector<int> ids;
    for (const cad::EntityRef& curve : curves)
      ids.push_back(curve ? state_->IdOf(*curve) : 0);
    const std::size_t call = Log({.op = CadOp::AddRegion, .entities = ids});
    for (const int id : ids) {
      if (id == 0) state_->Refuse(call, "a curve is not of this application");
      const EntityRecord& curve = state_->Live(call, id);
      if (curve.kind != EntityKind::Arc && curve.kind != EntityKind::Line) {
        state_->Refuse(call, "only arcs and lines bound a region here");
      }
      if (curve.document != document_) state_->Refuse(call, "a curve is in another drawing");
    }
    if (ids.empty() || !state_->OneClosedLoop(ids)) {
      state_->Refuse(call, "the curves do not form one closed loop");
    }
    return {Make<FakeLine>(call, {.kind = EntityKind::Region, .curves = ids})};
  }

  std::shared_ptr<cad::Cad3DSolid> AddExtrudedSolid(cad::CadEntity& region, double height,
                                                    double taper_angle) override {
    const int id = state_->IdOf(region);
    const std::size_t call =
        Log({.op = CadOp::AddExtrudedSolid, .entities = {id}, .numbers = {height, taper_angle}});
    if (id == 0) state_->Refuse(call, "the region is not of this application");
    const EntityRecord& profile = state_->Live(call, id);
    if (profile.kind != EntityKind::Region) state_->Refuse(call, "only a region is extruded");
    if (taper_angle != 0) state_->Refuse(call, "the taper angle must be 0");
    if (!(std::isfinite(height) && height != 0)) state_->Refuse(call, "the height must be set");
    return Make<FakeSolid>(call, {.kind = EntityKind::Solid,
                                  .placement = profile.placement,
                                  .height = height,
                                  .curves = {id}});
  }

 private:
  std::size_t Log(CadCall call) {
    call.document = document_;
    return state_->Log(std::move(call));
  }

  template <class Entity>
  std::shared_ptr<Entity> Make(std::size_t call, EntityRecord record) {
    record.document = document_;
    return std::make_shared<Entity>(state_, state_->New(call, std::move(record)));
  }

  std::shared_ptr<State> state_;
  int document_;
};

// A drawing's one active viewport: edits collect in it between reads and take effect when it
// is assigned back to the drawing.
class FakeViewport final : public cad::CadViewport {
 public:
  FakeViewport(std::shared_ptr<State> state, int document)
      : state_(std::move(state)), document_(document) {
    std::tie(direction_, center_) = state_->views[static_cast<std::size_t>(document - 1)];
  }

  Point Direction() const override { return direction_; }
  void SetDirection(const Point& direction) override {
    state_->Log({.op = CadOp::SetDirection, .document = document_, .points = {direction}});
    direction_ = direction;
  }
  Point Center() const override { return center_; }
  void SetCenter(const Point& center) override {
    state_->Log({.op = CadOp::SetCenter, .document = document_, .points = {center}});
    center_ = center;
  }

 private:
  std::shared_ptr<State> state_;
  int document_;
  Point direction_;
  Point center_;
};

class FakeDocument final : public cad::CadDocument {
 public:
  FakeDocument(std::shared_ptr<State> state, int document)
      : state_(std::move(state)), document_(document) {}

  std::shared_ptr<cad::CadModelSpace> ModelSpace() override {
    state_->Log({.op = CadOp::ModelSpace, .document = document_});
    return std::make_shared<FakeModelSpace>(state_, document_);
  }
  std::shared_ptr<cad::CadViewport> ActiveViewport() override {
    state_->Log({.op = CadOp::ActiveViewport, .document = document_});
    if (!viewport_) viewport_ = std::make_shared<FakeViewport>(state_, document_);
    return viewport_;
  }
  void SetActiveViewport(const std::shared_ptr<cad::CadViewport>& viewport) override {
    const std::size_t call = state_->Log({.op = CadOp::SetActiveViewport, .document = document_});
    if (!viewport) state_->Refuse(call, "no viewport");
    state_->views[static_cast<std::size_t>(document_ - 1)] = {viewport->Direction(),
                                                              viewport->Center()};
  }
  void SendCommand(const std::string& command) override {
    state_->Log({.op = CadOp::SendCommand, .document = document_, .text = command});
  }

 private:
  std::shared_ptr<State> state_;
  int document_;
  std::shared_ptr<FakeViewport> viewport_;
};

class FakeApplication final : public cad::CadApplication, public cad::CadDocuments {
 public:
  explicit FakeApplication(std::shared_ptr<State> state) : state_(std::move(state)) {}

  bool Visible() const override { return state_->visible; }
  void SetVisible(bool visible) override {
    const std::size_t index =
        state_->Log({.op = CadOp::SetVisible, .numbers = {visible ? 1.0 : 0.0}});
    state_->visible = visible;
    if (!visible) return;
    // Like an application that defers its expensive work until the drawings are shown, and
    // drops it, still showing them, when a stop has been asked for (the call counts as failed).
    if (hooks_.stop_requested && hooks_.stop_requested()) {
      state_->calls[index].failed = true;
      throw cad::EvaluationStopped("SetVisible: stopped");
    }
    if (hooks_.progress) hooks_.progress("deferred work", 1.0);
  }
  void SetEvaluationHooks(cad::EvaluationHooks hooks) override { hooks_ = std::move(hooks); }
  cad::CadDocuments& Documents() override { return *this; }

  std::shared_ptr<cad::CadDocument> Add() override {
    const int document = static_cast<int>(state_->views.size()) + 1;
    state_->Log({.op = CadOp::AddDocument, .document = document});
    state_->views.push_back({{0, 0, 1}, {0, 0, 0}});
    return std::make_shared<FakeDocument>(state_, document);
  }

 private:
  std::shared_ptr<State> state_;
  cad::EvaluationHooks hooks_;
};

}  // namespace

std::shared_ptr<cad::CadEntity> State::MakeHandle(int id) {
  auto self = shared_from_this();
  switch (entities[static_cast<std::size_t>(id - 1)].kind) {
    case EntityKind::Arc:
      return std::make_shared<FakeArc>(self, id);
    case EntityKind::Circle:
      return std::make_shared<FakeCircle>(self, id);
    case EntityKind::Solid:
      return std::make_shared<FakeSolid>(self, id);
    case EntityKind::Line:
    case EntityKind::Region:
      break;
  }
  return std::make_shared<FakeLine>(self, id);
}

int State::IdOf(const cad::CadEntity& entity) const {
  const auto* handle = dynamic_cast<const test_support::Handle*>(&entity);
  return handle ? handle->id() : 0;
}

RecordingCad::RecordingCad()
    : state_(std::make_shared<State>()), application_(std::make_shared<FakeApplication>(state_)) {}

std::shared_ptr<cad::CadApplication> RecordingCad::application() const {
  return application_;
}

std::shared_ptr<cad::CadDocument> RecordingCad::AddDocument() {
  return application()->Documents().Add();
}

void RecordingCad::FailCall(CadOp op, int n) {
  state_->failures.insert({op, n});
}

void RecordingCad::StopAtCall(CadOp op, int n) {
  state_->stops.insert({op, n});
}

const std::vector<CadCall>& RecordingCad::calls() const {
  return state_->calls;
}

std::vector<CadCall> RecordingCad::CallsOf(CadOp op) const {
  std::vector<CadCall> found;
  for (const CadCall& call : state_->calls) {
    if (call.op == op) found.push_back(call);
  }
  return found;
}

const EntityRecord& RecordingCad::entity(int id) const {
  return state_->entities.at(static_cast<std::size_t>(id - 1));
}

int RecordingCad::IdOf(const cad::CadEntity& entity) const {
  return state_->IdOf(entity);
}

std::vector<int> RecordingCad::LiveEntities() const {
  std::vector<int> live;
  for (const EntityRecord& record : state_->entities) {
    if (record.alive) live.push_back(record.id);
  }
  return live;
}

Point RecordingCad::ViewDirection(int document) const {
  return state_->views.at(static_cast<std::size_t>(document - 1)).first;
}

Point RecordingCad::ViewCenter(int document) const {
  return state_->views.at(static_cast<std::size_t>(document - 1)).second;
}

bool RecordingCad::visible() const {
  return state_->visible;
}

}  // namespace kelvo::test_support

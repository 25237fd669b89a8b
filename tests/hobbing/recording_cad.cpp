#include "hobbing/recording_cad.h"

#include <algorithm>
#include <cmath>

namespace kelvo::test_support {
namespace {

using cad::Point;

// Logs the call, then raises what the test injected into it; returns the call's index.
std::size_t Log(CadLog& log, CadCall call) {
  const CadOp op = call.op;
  log.calls.push_back(std::move(call));
  const auto nth = std::count_if(log.calls.begin(), log.calls.end(),
                                 [&](const CadCall& logged) { return logged.op == op; });
  const auto injected = log.injected.find({op, static_cast<int>(nth)});
  if (injected == log.injected.end()) return log.calls.size() - 1;
  log.calls.back().failed = true;
  const std::string what = std::string(OpName(op)) + ": injected by the test";
  if (injected->second) throw cad::EvaluationStopped(what);
  throw cad::CadError(what);
}

// The entity id, for the logged call to work on; like a modeller, the call fails on an entity
// that was deleted (or that is none of this application's).
CadLog::Entity& Live(CadLog& log, std::size_t call, int id) {
  const auto index = static_cast<std::size_t>(id - 1);
  if (id > 0 && log.entities.at(index).alive) return log.entities[index];
  log.calls[call].failed = true;
  throw cad::CadError(std::string(OpName(log.calls[call].op)) + ": entity " + std::to_string(id) +
                      " is deleted, or not of this application");
}

// One handle type for every entity, curve or solid, so that copies and arrays need no other.
class FakeEntity final : public cad::CadArc, public cad::CadCircle, public cad::Cad3DSolid {
 public:
  FakeEntity(std::shared_ptr<CadLog> log, int id) : log_(std::move(log)), id_(id) {}
  // The id of an entity of the recording application, 0 for any other.
  static int IdOf(const cad::CadEntity* entity) {
    const auto* handle = dynamic_cast<const FakeEntity*>(entity);
    return handle ? handle->id_ : 0;
  }

  // A new entity, made by the logged call: by a drawing's Add methods, or as a copy.
  static std::shared_ptr<FakeEntity> New(const std::shared_ptr<CadLog>& log, std::size_t call,
                                         CadLog::Entity entity) {
    entity.alive = true;
    log->entities.push_back(entity);
    log->calls[call].results.push_back(static_cast<int>(log->entities.size()));
    return std::make_shared<FakeEntity>(log, log->calls[call].results.back());
  }
  static cad::EntityRef Ref(std::shared_ptr<FakeEntity> entity) {
    return std::shared_ptr<cad::Cad3DSolid>(std::move(entity));
  }

  void Move(const Point& from, const Point& to) override {
    Call({.op = CadOp::Move, .points = {from, to}});
  }
  cad::EntityRef Copy() override {
    std::size_t call = 0;
    const CadLog::Entity entity = Call({.op = CadOp::Copy}, &call);
    return Ref(New(log_, call, entity));
  }
  void Rotate3D(const Point& point1, const Point& point2, double angle) override {
    Call({.op = CadOp::Rotate3D, .points = {point1, point2}, .numbers = {angle}});
  }
  std::vector<cad::EntityRef> ArrayPolar(int count, double angle_to_fill,
                                         const Point& centre) override {
    std::size_t call = 0;
    const CadLog::Entity entity = Call(
        {.op = CadOp::ArrayPolar, .points = {centre}, .numbers = {double(count), angle_to_fill}},
        &call);
    std::vector<cad::EntityRef> copies;
    for (int k = 1; k < count; ++k)
      copies.push_back(Ref(New(log_, call, entity)));
    return copies;
  }
  void Delete() override { Call({.op = CadOp::Delete}).alive = false; }

  Point StartPoint() const override { return Call({.op = CadOp::StartPoint}).start; }
  Point EndPoint() const override { return Call({.op = CadOp::EndPoint}).end; }
  void SetColor(int index) override {
    Call({.op = CadOp::SetColor, .numbers = {double(index)}}).color = index;
  }
  int Color() const override { return log_->entities[static_cast<std::size_t>(id_ - 1)].color; }

  void Boolean(cad::BooleanOperation operation, cad::CadEntity& other) override {
    std::size_t call = 0;
    Call({.op = CadOp::Boolean, .entities = {IdOf(&other)}, .numbers = {double(operation)}}, &call);
    Live(*log_, call, IdOf(&other)).alive = false;
  }

 private:
  // Logs a call on this entity and returns it; a deleted entity refuses every call.
  CadLog::Entity& Call(CadCall call, std::size_t* index = nullptr) const {
    call.document = log_->entities[static_cast<std::size_t>(id_ - 1)].document;
    call.target = id_;
    const std::size_t logged = Log(*log_, std::move(call));
    if (index) *index = logged;
    return Live(*log_, logged, id_);
  }

  std::shared_ptr<CadLog> log_;
  int id_;
};

// A drawing, which is its own model space and its one active viewport as well.
class FakeDrawing final : public cad::CadDocument,
                          public cad::CadModelSpace,
                          public cad::CadViewport,
                          public std::enable_shared_from_this<FakeDrawing> {
 public:
  FakeDrawing(std::shared_ptr<CadLog> log, int document)
      : log_(std::move(log)), document_(document) {}

  std::shared_ptr<cad::CadModelSpace> ModelSpace() override {
    Log({.op = CadOp::ModelSpace});
    return shared_from_this();
  }
  std::shared_ptr<cad::CadViewport> ActiveViewport() override {
    Log({.op = CadOp::ActiveViewport});
    return shared_from_this();
  }
  void SetActiveViewport(const std::shared_ptr<cad::CadViewport>&) override {
    Log({.op = CadOp::SetActiveViewport});
  }
  void SendCommand(const std::string& command) override {
    Log({.op = CadOp::SendCommand, .text = command});
  }
  Point Direction() const override { return direction_; }
  void SetDirection(const Point& direction) override {
    Log({.op = CadOp::SetDirection, .points = {direction}});
    direction_ = direction;
  }
  Point Center() const override { return center_; }
  void SetCenter(const Point& center) override {
    Log({.op = CadOp::SetCenter, .points = {center}});
    center_ = center;
  }

  std::shared_ptr<cad::Cad3DSolid> AddCylinder(const Point& centre, double radius,
                                               double height) override {
    return Make(Log({.op = CadOp::AddCylinder, .points = {centre}, .numbers = {radius, height}}));
  }
  std::shared_ptr<cad::CadCircle> AddCircle(const Point& centre, double radius) override {
    return Make(Log({.op = CadOp::AddCircle, .points = {centre}, .numbers = {radius}}));
  }
  std::shared_ptr<cad::CadArc> AddArc(const Point& centre, double radius, double start_angle,
                                      double end_angle) override {
    const auto at = [&](double angle) {
      return Point{centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle),
                   centre.z};
    };
    return Make(
        Log({.op = CadOp::AddArc, .points = {centre}, .numbers = {radius, start_angle, end_angle}}),
        at(start_angle), at(end_angle));
  }
  cad::EntityRef AddLine(const Point& start, const Point& end) override {
    return FakeEntity::Ref(Make(Log({.op = CadOp::AddLine, .points = {start, end}})));
  }
  std::vector<cad::EntityRef> AddRegion(const std::vector<cad::EntityRef>& curves) override {
    std::vector<int> ids;
    for (const cad::EntityRef& curve : curves)
      ids.push_back(FakeEntity::IdOf(curve.get()));
    const std::size_t call = Log({.op = CadOp::AddRegion, .entities = ids});
    for (const int id : ids)
      Live(*log_, call, id);
    return {FakeEntity::Ref(Make(call))};
  }
  std::shared_ptr<cad::Cad3DSolid> AddExtrudedSolid(cad::CadEntity& region, double height,
                                                    double taper_angle) override {
    const int id = FakeEntity::IdOf(&region);
    const std::size_t call =
        Log({.op = CadOp::AddExtrudedSolid, .entities = {id}, .numbers = {height, taper_angle}});
    Live(*log_, call, id);
    return Make(call);
  }

 private:
  std::size_t Log(CadCall call) const {
    call.document = document_;
    return test_support::Log(*log_, std::move(call));
  }
  std::shared_ptr<FakeEntity> Make(std::size_t call, Point start = {}, Point end = {}) const {
    return FakeEntity::New(log_, call, {.document = document_, .start = start, .end = end});
  }

  std::shared_ptr<CadLog> log_;
  int document_;
  Point direction_{0, 0, 1}, center_{};
};

class FakeApplication final : public cad::CadApplication, public cad::CadDocuments {
 public:
  explicit FakeApplication(std::shared_ptr<CadLog> log) : log_(std::move(log)) {}

  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override {
    const std::size_t call = Log(*log_, {.op = CadOp::SetVisible, .numbers = {double(visible)}});
    visible_ = visible;
    // Like an application that finishes its deferred work when shown, and drops it, still
    // showing the drawings, when a stop has been asked for (the call counts as failed).
    if (visible && hooks_.stop_requested && hooks_.stop_requested()) {
      log_->calls[call].failed = true;
      throw cad::EvaluationStopped("SetVisible: stopped");
    }
    if (visible && hooks_.progress) hooks_.progress("deferred work", 1.0);
  }
  void SetEvaluationHooks(cad::EvaluationHooks hooks) override { hooks_ = std::move(hooks); }
  cad::CadDocuments& Documents() override { return *this; }

  std::shared_ptr<cad::CadDocument> Add() override {
    Log(*log_, {.op = CadOp::AddDocument, .document = log_->documents + 1});
    return std::make_shared<FakeDrawing>(log_, ++log_->documents);
  }

 private:
  std::shared_ptr<CadLog> log_;
  bool visible_ = true;
  cad::EvaluationHooks hooks_;
};

}  // namespace

const char* OpName(CadOp op) {
  // clang-format off
  static const char* const kNames[] = {
      "AddDocument", "SetVisible", "ModelSpace", "ActiveViewport", "SetActiveViewport",
      "SetDirection", "SetCenter", "SendCommand", "AddCylinder", "AddCircle", "AddArc", "AddLine",
      "AddRegion", "AddExtrudedSolid", "StartPoint", "EndPoint", "SetColor", "Move", "Copy",
      "Rotate3D", "ArrayPolar", "Delete", "Boolean"};
  // clang-format on
  return kNames[static_cast<int>(op)];
}

RecordingCad::RecordingCad()
    : log_(std::make_shared<CadLog>()), application_(std::make_shared<FakeApplication>(log_)) {}

std::vector<CadCall> RecordingCad::CallsOf(CadOp op) const {
  std::vector<CadCall> found;
  std::copy_if(log_->calls.begin(), log_->calls.end(), std::back_inserter(found),
               [&](const CadCall& call) { return call.op == op; });
  return found;
}

int RecordingCad::IdOf(const cad::CadEntity& entity) const {
  return FakeEntity::IdOf(&entity);
}

std::vector<int> RecordingCad::LiveEntities() const {
  std::vector<int> live;
  for (std::size_t i = 0; i < log_->entities.size(); ++i) {
    if (log_->entities[i].alive) live.push_back(static_cast<int>(i) + 1);
  }
  return live;
}

}  // namespace kelvo::test_support

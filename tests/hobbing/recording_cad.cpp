#include "hobbing/recording_cad.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace kelvo::test_support {
namespace {

using cad::Point;

// Logs the call, then raises what the test injected into it.
void Log(CadLog& log, CadCall call) {
  const CadOp op = call.op;
  log.calls.push_back(std::move(call));
  const auto nth = std::count_if(log.calls.begin(), log.calls.end(),
                                 [&](const CadCall& logged) { return logged.op == op; });
  const auto injected = log.injected.find({op, static_cast<int>(nth)});
  if (injected == log.injected.end()) return;
  log.calls.back().failed = true;
  const std::string what = std::string(OpName(op)) + ": injected by the test";
  if (injected->second) throw cad::EvaluationStopped(what);
  throw cad::CadError(what);
}

// The entity the last logged call works on; like a modeller, the call fails on an entity that
// was deleted (or that is none of this application's).
CadLog::Entity& Live(CadLog& log, int id) {
  if (id > 0 && log.entities.at(id - 1).alive) return log.entities[id - 1];
  log.calls.back().failed = true;
  throw cad::CadError(std::string(OpName(log.calls.back().op)) + ": entity " + std::to_string(id) +
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
  // A new entity, made by the last logged call.
  static std::shared_ptr<FakeEntity> New(const std::shared_ptr<CadLog>& log, CadLog::Entity made) {
    log->entities.push_back(made);
    log->calls.back().results.push_back(static_cast<int>(log->entities.size()));
    return std::make_shared<FakeEntity>(log, static_cast<int>(log->entities.size()));
  }
  static cad::EntityRef Ref(std::shared_ptr<FakeEntity> entity) {
    return std::shared_ptr<cad::Cad3DSolid>(std::move(entity));
  }

  void Move(const Point& from, const Point& to) override {
    Call({.op = CadOp::Move, .points = {from, to}});
  }
  cad::EntityRef Copy() override { return Ref(New(log_, Call({.op = CadOp::Copy}))); }
  void Rotate3D(const Point& point1, const Point& point2, double angle) override {
    Call({.op = CadOp::Rotate3D, .points = {point1, point2}, .numbers = {angle}});
  }
  std::vector<cad::EntityRef> ArrayPolar(int count, double angle_to_fill,
                                         const Point& centre) override {
    const CadLog::Entity entity = Call(
        {.op = CadOp::ArrayPolar, .points = {centre}, .numbers = {double(count), angle_to_fill}});
    std::vector<cad::EntityRef> copies;
    for (int k = 1; k < count; ++k)
      copies.push_back(Ref(New(log_, entity)));
    return copies;
  }
  void Delete() override { Call({.op = CadOp::Delete}).alive = false; }

  Point StartPoint() const override { return Call({.op = CadOp::StartPoint}).start; }
  Point EndPoint() const override { return Call({.op = CadOp::EndPoint}).end; }
  void SetColor(int index) override {
    Call({.op = CadOp::SetColor, .numbers = {double(index)}}).color = index;
  }
  int Color() const override { return log_->entities.at(id_ - 1).color; }

  void Boolean(cad::BooleanOperation operation, cad::CadEntity& other) override {
    Call({.op = CadOp::Boolean, .numbers = {double(operation)}});
    Live(*log_, IdOf(&other)).alive = false;
  }

 private:
  // Logs a call on this entity; a deleted entity refuses every call.
  CadLog::Entity& Call(CadCall call) const {
    call.document = log_->entities.at(id_ - 1).document;
    call.target = id_;
    Log(*log_, std::move(call));
    return Live(*log_, id_);
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
  void MarkShortfall(cad::Shortfall shortfall, const std::string& what,
                     const std::string& detail) override {
    Log({.op = CadOp::MarkShortfall,
         .numbers = {double(shortfall)},
         .text = what,
         .detail = detail});
  }
  void Describe(const cad::DrawingDescription& description) override {
    log_->subjects[document_] = description.subject;
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
    Log({.op = CadOp::AddCylinder, .points = {centre}, .numbers = {radius, height}});
    return Make();
  }
  std::shared_ptr<cad::CadCircle> AddCircle(const Point& centre, double radius) override {
    Log({.op = CadOp::AddCircle, .points = {centre}, .numbers = {radius}});
    return Make();
  }
  std::shared_ptr<cad::CadArc> AddArc(const Point& centre, double radius, double start_angle,
                                      double end_angle) override {
    Log({.op = CadOp::AddArc, .points = {centre}, .numbers = {radius, start_angle, end_angle}});
    const auto at = [&](double angle) {
      return Point{centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle),
                   centre.z};
    };
    return Make(at(start_angle), at(end_angle));
  }
  cad::EntityRef AddLine(const Point& start, const Point& end) override {
    Log({.op = CadOp::AddLine, .points = {start, end}});
    return FakeEntity::Ref(Make());
  }
  std::vector<cad::EntityRef> AddRegion(const std::vector<cad::EntityRef>& curves) override {
    Log({.op = CadOp::AddRegion});
    for (const cad::EntityRef& curve : curves)
      Live(*log_, FakeEntity::IdOf(curve.get()));
    return {FakeEntity::Ref(Make())};
  }
  std::shared_ptr<cad::Cad3DSolid> AddExtrudedSolid(cad::CadEntity& region, double height,
                                                    double taper_angle) override {
    Log({.op = CadOp::AddExtrudedSolid, .numbers = {height, taper_angle}});
    Live(*log_, FakeEntity::IdOf(&region));
    return Make();
  }

 private:
  void Log(CadCall call) const {
    call.document = document_;
    test_support::Log(*log_, std::move(call));
  }
  std::shared_ptr<FakeEntity> Make(Point start = {}, Point end = {}) const {
    return FakeEntity::New(log_, {.document = document_, .start = start, .end = end});
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
    Log(*log_, {.op = CadOp::SetVisible, .numbers = {double(visible)}});
    visible_ = visible;
    // Like an application that finishes its deferred work when shown, and drops it, still
    // showing the drawings, when a stop has been asked for (the call counts as failed).
    if (visible && hooks_.stop_requested && hooks_.stop_requested()) {
      log_->calls.back().failed = true;
      throw cad::EvaluationStopped("SetVisible: stopped");
    }
    if (!visible) return;
    // Half way and done, for the whole and for each described drawing.
    for (const double done : {0.5, 1.0}) {
      if (hooks_.progress) hooks_.progress("deferred work", done);
      for (const auto& [document, subject] : log_->subjects) {
        if (hooks_.drawing_progress) hooks_.drawing_progress(subject, done);
      }
    }
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
  // In the order of CadOp.
  // clang-format off
  static constexpr const char* kNames[] = {
      "AddDocument", "SetVisible", "ModelSpace", "ActiveViewport", "SetActiveViewport",
      "SetDirection", "SetCenter", "SendCommand",
      "AddCylinder", "AddCircle", "AddArc", "AddLine", "AddRegion", "AddExtrudedSolid",
      "StartPoint", "EndPoint", "SetColor", "Move", "Copy", "Rotate3D", "ArrayPolar", "Delete",
      "Boolean", "MarkShortfall"};
  // clang-format on
  static_assert(std::size(kNames) == static_cast<std::size_t>(CadOp::MarkShortfall) + 1);
  return kNames[static_cast<std::size_t>(op)];
}

RecordingCad::RecordingCad()
    : log_(std::make_shared<CadLog>()), application_(std::make_shared<FakeApplication>(log_)) {}

std::vector<int> RecordingCad::LiveEntities() const {
  std::vector<int> live;
  for (int id = 1; id <= static_cast<int>(log_->entities.size()); ++id)
    if (log_->entities[id - 1].alive) live.push_back(id);
  return live;
}

}  // namespace kelvo::test_support

#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "cad/cad_application.h"

namespace kelvo::test_support {

// Every operation of the CAD interface, as the recording application logs it.
enum class CadOp {
  AddDocument,
  SetVisible,
  ModelSpace,
  ActiveViewport,
  SetActiveViewport,
  SetDirection,
  SetCenter,
  SendCommand,
  AddCylinder,
  AddCircle,
  AddArc,
  AddLine,
  AddRegion,
  AddExtrudedSolid,
  StartPoint,
  EndPoint,
  SetColor,
  Move,
  Copy,
  Rotate3D,
  ArrayPolar,
  Delete,
  Boolean,
};
const char* OpName(CadOp op);

enum class EntityKind { Arc, Line, Circle, Region, Solid };

// A rigid placement: a point p of the entity as made lies at rotation * p + translation.
struct Placement {
  std::array<std::array<double, 3>, 3> rotation{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  cad::Point translation;

  cad::Point Apply(const cad::Point& p) const;
};

// What the recording application knows of one entity. Geometry is kept as made, with the
// placement that every later Move, Rotate3D and array has composed onto it.
struct EntityRecord {
  int id = 0;
  int document = 0;  // 1 for the first drawing
  EntityKind kind = EntityKind::Solid;
  bool alive = true;
  Placement placement{};
  // Turn about axes parallel to Z, counter-clockwise seen from +Z, summed without wrapping.
  double turnAboutZ = 0;
  cad::Point centre{};  // arcs, circles, cylinders
  double radius = 0;
  double startAngle = 0;  // arcs
  double endAngle = 0;
  cad::Point start{};  // lines
  cad::Point end{};
  double height = 0;          // cylinders, extruded solids
  int color = 256;            // circles (256: by layer)
  std::vector<int> curves{};  // regions: their curves; extruded solids: their region
};

// One call, with what it was given and what it made.
struct CadCall {
  CadOp op = CadOp::Move;
  int document = 0;                  // the drawing it was made in
  int target = 0;                    // the entity it was called on, 0 for none
  std::vector<int> entities{};       // entities passed: curves, region, the Boolean's other
  std::vector<cad::Point> points{};  // points passed, in order
  std::vector<double> numbers{};     // radii, angles, heights, counts, operation codes
  std::string text{};                // SendCommand
  std::vector<int> results{};        // entities made
  bool failed = false;               // raised CadError (injected, or refused like a CAD would)
};

// A CAD application that does no modelling but logs every call with its arguments, keeps
// cheap geometry (placements, arc ends, whether a loop of curves closes) and refuses what a
// real modeller refuses: operations on deleted entities, Booleans across drawings or with
// non-solids, open outlines. Any call can be made to fail on purpose.
class RecordingCad {
 public:
  RecordingCad();

  std::shared_ptr<cad::CadApplication> application() const;
  // Documents().Add() of the application: a new drawing, logged like any call.
  std::shared_ptr<cad::CadDocument> AddDocument();

  // The n-th call of op (counting from 1 over the application's life) raises CadError and
  // changes nothing. May be given several times.
  void FailCall(CadOp op, int n);
  // The n-th call of op is stopped as a long operation is when the user asks for a stop: it
  // raises cad::EvaluationStopped and changes nothing.
  void StopAtCall(CadOp op, int n);

  const std::vector<CadCall>& calls() const;
  std::vector<CadCall> CallsOf(CadOp op) const;
  const EntityRecord& entity(int id) const;
  int IdOf(const cad::CadEntity& entity) const;
  std::vector<int> LiveEntities() const;
  // The last view direction and centre assigned to a drawing through SetActiveViewport.
  cad::Point ViewDirection(int document) const;
  cad::Point ViewCenter(int document) const;
  bool visible() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
  std::shared_ptr<cad::CadApplication> application_;
};

}  // namespace kelvo::test_support

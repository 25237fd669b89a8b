#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
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
  MarkShortfall,
};
// The operation's name: "AddCylinder".
const char* OpName(CadOp op);

// One call, with what it was given and what it made.
struct CadCall {
  CadOp op = CadOp::Move;
  int document = 0;                  // the drawing it was made in, 1 for the first
  int target = 0;                    // the entity it was called on, 0 for none
  std::vector<cad::Point> points{};  // points passed, in order
  std::vector<double> numbers{};     // radii, angles, heights, counts, operation codes
  std::string text{};                // SendCommand, MarkShortfall
  std::string detail{};              // MarkShortfall: the technical reason behind it
  std::vector<int> results{};        // entities made
  bool failed = false;               // raised (injected, or refused like a CAD would)
};

// What the recording application has logged and made, shared by all its parts.
struct CadLog {
  struct Entity {
    int document = 0;
    bool alive = true;
    cad::Point start{}, end{};  // arcs, as made
    int color = 256;            // circles (256: by layer)
  };
  std::vector<CadCall> calls;
  std::deque<Entity> entities;                     // by id - 1
  std::map<std::pair<CadOp, int>, bool> injected;  // the n-th call of op: stopped, or failed
  int documents = 0;
  std::map<int, std::string> subjects;  // what each described drawing holds (not logged as calls)
};

// A CAD application that does no modelling but logs every call with its arguments, and refuses,
// as a real modeller does, any operation on a deleted entity. Any call can be made to fail or
// stop.
class RecordingCad {
 public:
  RecordingCad();

  std::shared_ptr<cad::CadApplication> application() const { return application_; }
  // The n-th call of op (counting from 1) raises CadError, or cad::EvaluationStopped as when the
  // user stops a long operation, and changes nothing.
  void FailCall(CadOp op, int n) { log_->injected[{op, n}] = false; }
  void StopAtCall(CadOp op, int n) { log_->injected[{op, n}] = true; }

  const std::vector<CadCall>& calls() const { return log_->calls; }
  std::vector<int> LiveEntities() const;

 private:
  std::shared_ptr<CadLog> log_;
  std::shared_ptr<cad::CadApplication> application_;
};

}  // namespace kelvo::test_support

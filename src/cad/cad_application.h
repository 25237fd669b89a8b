#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The CAD application as the gear code sees it: an application with drawings, each drawing
// with a model space of entities (curves, regions, 3D solids). This is the whole seam between
// Kelvo's gear code and the modeller behind it; the hobbing simulation and the generate
// command know nothing else. Lengths are millimetres, angles radians, points in the world
// frame of their drawing.
//
// Every object handed out is a handle that stays safe to hold: once its entity is deleted, or
// its drawing closed, every operation on it raises CadError instead of touching freed state.

namespace kelvo::cad {

struct Point {
  double x = 0;
  double y = 0;
  double z = 0;
};

// The one error a CAD operation raises; what() says which operation failed and why.
class CadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Operation codes of CadSolid::Boolean, numbered as in the classic automation interface.
enum class BooleanOperation { Union = 0, Intersection = 1, Subtraction = 2 };

class CadEntity;
using EntityRef = std::shared_ptr<CadEntity>;

class CadEntity {
 public:
  virtual ~CadEntity() = default;

  // Translation by to - from.
  virtual void Move(const Point& from, const Point& to) = 0;
  // A new, identical entity in the same place and the same model space.
  virtual EntityRef Copy() = 0;
  // Rotation by angle about the line through point1 and point2, by the right-hand rule about
  // the direction from point1 to point2 (counter-clockwise seen from point2 toward point1).
  virtual void Rotate3D(const Point& point1, const Point& point2, double angle) = 0;
  // count - 1 new copies turned counter-clockwise about the Z axis through centre in steps of
  // angle_to_fill / (count - 1); the entity itself is the count-th object and does not move.
  virtual std::vector<EntityRef> ArrayPolar(int count, double angle_to_fill,
                                            const Point& centre) = 0;
  // Removes the entity from its drawing; the handle stays, dead.
  virtual void Delete() = 0;
};

class CadArc : public CadEntity {
 public:
  virtual Point StartPoint() const = 0;
  virtual Point EndPoint() const = 0;
};

class CadCircle : public CadEntity {
 public:
  // Colour index of the classic 256-colour table; 1 is red.
  virtual void SetColor(int color_index) = 0;
  virtual int Color() const = 0;
};

class Cad3DSolid : public CadEntity {
 public:
  // The solid becomes the result of the operation with other, which must be a 3D solid of the
  // same drawing; other is consumed (deleted). A failed operation raises CadError and leaves
  // both solids exactly as they were.
  virtual void Boolean(BooleanOperation operation, CadEntity& other) = 0;
};

class CadModelSpace {
 public:
  virtual ~CadModelSpace() = default;

  // A solid cylinder centred on centre with its axis along Z (end faces at z +- height / 2).
  virtual std::shared_ptr<Cad3DSolid> AddCylinder(const Point& centre, double radius,
                                                  double height) = 0;
  // A circle in the plane z = centre.z, parallel to XY.
  virtual std::shared_ptr<CadCircle> AddCircle(const Point& centre, double radius) = 0;
  // An arc in the plane z = centre.z, counter-clockwise from start_angle to end_angle
  // (angles from +X, taken modulo a full turn).
  virtual std::shared_ptr<CadArc> AddArc(const Point& centre, double radius, double start_angle,
                                         double end_angle) = 0;
  virtual EntityRef AddLine(const Point& start, const Point& end) = 0;
  // Regions from closed loops of the given curves; fails if the curves do not close.
  virtual std::vector<EntityRef> AddRegion(const std::vector<EntityRef>& curves) = 0;
  // A prism swept from the region's plane along +Z by height; taper_angle must be 0.
  virtual std::shared_ptr<Cad3DSolid> AddExtrudedSolid(CadEntity& region, double height,
                                                       double taper_angle) = 0;
};

class CadViewport {
 public:
  virtual ~CadViewport() = default;

  // The direction from the target toward the eye: (1, 1, 1) looks at the origin from +X+Y+Z.
  virtual Point Direction() const = 0;
  virtual void SetDirection(const Point& direction) = 0;
  virtual Point Center() const = 0;
  virtual void SetCenter(const Point& center) = 0;
};

// What a drawing lacks of what was asked for in it. The 3D window shows it beside the drawing's
// name and asks before such a drawing is exported.
enum class Shortfall {
  Incomplete,  // steps failed and were skipped ("不完整")
  Unfinished,  // a stop ended the work on it early ("未完成")
};

// The seven inputs of the gear pair a part belongs to: two gears with equal inputs belong to one
// pair.
struct PairInputs {
  double a_true = 0;  // working centre distance a'
  double m = 0;       // normal module
  int z1 = 0;         // teeth of the small gear
  int z2 = 0;         // teeth of the large gear
  double b = 0;       // face width
  double beta = 0;    // helix angle (radians)
  double x1 = 0;      // profile-shift coefficient of the small gear
  bool operator==(const PairInputs&) const = default;
};

// What a gear drawing holds, told to the CAD application by whoever built the gear: the name
// its part goes by in an export, and what it takes to put the gear in mesh with its mate and to
// measure the pair. Plain numbers of the transverse section, in mm and radians.
struct GearPart {
  std::string name;  // "小齿轮 z20 m2"
  int gearNo = 1;    // 1 the small gear, 2 the large gear
  PairInputs pair;
  double reference_radius = 0;
  double base_radius = 0;
  double working_pitch_radius = 0;
  double tip_radius = 0;
  double root_radius = 0;  // the circle the cutter's flat tip cuts
  // Where the middle of one space of the gear lies in its middle plane z = 0, as the gear lies
  // in its drawing: the angle from +X, counter-clockwise. The other spaces follow at whole
  // pitches. Worked out from the hobbing's own motion (where the cut left its space).
  double space_angle = 0;
  // The fineness the gear was cut at (the window's 模型精细度).
  double fineness = 0;
};

// What a drawing holds, in the designer's words, for whoever shows or saves it.
struct DrawingDescription {
  std::string subject = {};    // what it is, briefly: "小齿轮"
  std::string details = {};    // its figures: "z=20 m=2 β=0° x=0 精细度 4"
  std::string file_stem = {};  // a file name saying the same, without extension: "gear1_z20_m2"

  bool operator==(const DrawingDescription&) const = default;
};

class CadDocument {
 public:
  virtual ~CadDocument() = default;

  virtual std::shared_ptr<CadModelSpace> ModelSpace() = 0;
  // A copy of the drawing's current view; changes take effect when assigned back.
  virtual std::shared_ptr<CadViewport> ActiveViewport() = 0;
  virtual void SetActiveViewport(const std::shared_ptr<CadViewport>& viewport) = 0;
  // Runs a command as typed at the command line; the trailing blank ends it ("ZOOM E ").
  virtual void SendCommand(const std::string& command) = 0;
  // Marks the drawing as lacking part of what was asked for in it, and adds what, one line in
  // the designer's words, to its log. detail is the technical reason behind it (the CAD
  // operation's own failure), for whoever looks into a fault; empty when there is none.
  virtual void MarkShortfall(Shortfall shortfall, const std::string& what,
                             const std::string& detail) = 0;
  // Says what the drawing holds. A window shows it with the drawing and proposes file_stem when
  // the drawing is saved; what the drawing's log says of it later names the subject. An
  // application that shows and saves nothing may ignore it.
  virtual void Describe(const DrawingDescription& /*description*/) {}

  // Tells the drawing that entity (the gear's solid, or its reference circle) belongs to the
  // gear part: the part's name is the one an export gives it, and the application can put the
  // gear in mesh with its mate. An application that makes no use of it ignores it.
  virtual void DescribePart(CadEntity& /*entity*/, const GearPart& /*part*/) {}
};

class CadDocuments {
 public:
  virtual ~CadDocuments() = default;

  // A new, empty drawing, which becomes the current one.
  virtual std::shared_ptr<CadDocument> Add() = 0;
};

// Long work inside the application (an implementation may defer the expensive part of its
// Booleans and evaluate it when the shapes are first needed) can be followed and stopped
// through these. Both are called on the thread that drives the application, a few times a
// second while it waits, never from a worker thread. A stop ends the work on the newest
// drawing, the one being worked on; deferred work of older drawings is finished work, which a
// stop never takes from them.
struct EvaluationHooks {
  // What the evaluation is doing and the share of it done, 0 to 1.
  std::function<void(std::string_view what, double done)> progress = {};
  // Asked often during a long evaluation; true stops it as soon as it can stop.
  std::function<bool()> stop_requested = {};
  // Right after each progress report of an evaluation of deferred work, once for each drawing
  // it works on (several side by side): the subject the drawing was described with
  // (CadDocument::Describe; empty when it was not) and the share of its own work done, 0 to 1;
  // at the end 1 for each. A drawing whose work had to be redone starts again from 0.
  std::function<void(std::string_view subject, double done)> drawing_progress = {};
};

// Raised by the operation during which a stop was requested, when the stop took something from
// what was asked. It is no CadError: the hobbing sequence's skip-and-continue regime lets it
// through, so the whole build stops. What was made before the stop stays; a Boolean that was
// stopped half way leaves its solids as they were.
class EvaluationStopped : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CadApplication {
 public:
  virtual ~CadApplication() = default;

  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual CadDocuments& Documents() = 0;

  // Replaces the hooks for long evaluations; an application that evaluates everything at the
  // call ignores them.
  virtual void SetEvaluationHooks(EvaluationHooks /*hooks*/) {}
};

}  // namespace kelvo::cad

#pragma once

#include <QOpenGLWidget>
#include <QPointF>
#include <QSurfaceFormat>
#include <memory>

#include "cad/cad_application.h"
#include "cad/occt/occt_types.h"

// One drawing's 3D view: an OpenCASCADE viewer drawing into Qt's OpenGL widget. The view
// keeps the latest shape of every entity it is told about and turns them into presentations
// only when it paints, so the hundreds of intermediate blanks of a hobbing run (made while the
// window is hidden) cost nothing here.
//
// The mouse works as in any 3D viewer: left drag rotates about the model, middle drag (or
// Shift + left) pans, the wheel (or right drag, Ctrl + left) zooms.

namespace kelvo::cad {

struct ObservedEntity;

class DrawingView final : public QOpenGLWidget {
  Q_OBJECT

 public:
  explicit DrawingView(QWidget* parent = nullptr);
  ~DrawingView() override;
  DrawingView(const DrawingView&) = delete;
  DrawingView& operator=(const DrawingView&) = delete;

  // The OpenGL surface the view asks Qt for: depth and stencil buffers for OpenCASCADE.
  static QSurfaceFormat SurfaceFormat();

  // Adds or replaces the entity's shape and colour.
  void SetEntity(const ObservedEntity& entity);
  void RemoveEntity(EntityId id);

  // Looks at view.center from the side view.direction points to, world Z up on the screen
  // (world Y up when looking along Z).
  void SetView(const ViewState& view);
  // Fits everything in the drawing into the view, with a small margin, at the next paint.
  void ZoomExtents();
  void SetShadeMode(ShadeMode mode);
  ShadeMode Shading() const;

  // Rolls a mesh drawing's pair: the small gear's solid and circle turned by small_turn
  // (radians, counter-clockwise) about its axis, the large gear's the other way by z1 / z2 of
  // it about its own. Only the presentations move, by their transformation: no Boolean, no new
  // shape. 0 shows the pair as the drawing holds it.
  void Roll(const MeshMotion& motion, double small_turn);
  double RolledBy() const;

  // Whether OpenCASCADE took Qt's OpenGL context; false until first shown, and false for
  // good if it could not (the view then stays empty).
  bool IsDrawing() const;
  // Where a world point appears in the widget as last painted, in widget pixels; NaN before
  // the first paint.
  QPointF PixelOf(const Point& world) const;

 protected:
  void initializeGL() override;
  void paintGL() override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  struct Scene;
  std::unique_ptr<Scene> scene_;
};

}  // namespace kelvo::cad

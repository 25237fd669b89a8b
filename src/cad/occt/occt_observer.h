#pragma once

#include <TopoDS_Shape.hxx>
#include <string>

#include "cad/occt/occt_types.h"

// The seam through which the 3D window follows the OCCT application. The window implements
// OcctObserver and hands it to OcctCadApplication::SetObserver; the application then replays
// what already exists (drawings, their entities, views) and reports every change after it has
// been made. Headless, nobody observes and the application does no extra work.
//
// Rules for an observer:
// - Calls come on the thread that drives the application, after the change is complete.
// - Do not drive the application from inside a call (no Add, Delete, Boolean ...): queue the
//   wish and act on it after the call has returned.
// - The shapes are the entities' current, located shapes; they are values, so holding one is
//   safe after the entity is gone. OCCT may store a triangulation in a shape it displays;
//   that is harmless to the modelling.
// - The hobbing simulation changes the blank hundreds of times while the application is
//   hidden (SetVisible(false)); a window is free to redraw only once it is shown again.

namespace kelvo::cad {

struct ObservedEntity {
  EntityId id = 0;
  EntityKind kind = EntityKind::Line;
  int color = kColorByLayer;
  TopoDS_Shape shape;
};

// Drawings are told apart by their number: "Drawing3" is number 3.
class OcctObserver {
 public:
  virtual ~OcctObserver() = default;

  virtual void OnVisibilityChanged(bool /*visible*/) {}
  // The new drawing is the current one; the newest open drawing is always current.
  virtual void OnDocumentAdded(int /*document*/, const std::string& /*name*/) {}
  // Its entities go with it; there is no OnEntityRemoved for each of them.
  virtual void OnDocumentClosed(int /*document*/) {}
  virtual void OnEntityAdded(int /*document*/, const ObservedEntity& /*entity*/) {}
  // Moved, turned, recoloured or reshaped by a Boolean.
  virtual void OnEntityChanged(int /*document*/, const ObservedEntity& /*entity*/) {}
  virtual void OnEntityRemoved(int /*document*/, EntityId /*id*/) {}
  // The active viewport was assigned back: the view direction and centre to show.
  virtual void OnViewportAssigned(int /*document*/, const ViewState& /*view*/) {}
  virtual void OnZoomExtents(int /*document*/) {}
  virtual void OnShadeMode(int /*document*/, ShadeMode /*mode*/) {}
  // One line for the window's command-line log: echoed commands, their answers, warnings.
  virtual void OnCommandLine(int /*document*/, const std::string& /*line*/) {}
  // The drawing was marked as lacking part of what was asked for: all it lacks so far.
  virtual void OnShortfall(int /*document*/, const DrawingShortfalls& /*shortfalls*/) {}
  // What the drawing holds, as its maker described it (CadDocument::Describe).
  virtual void OnDescribed(int /*document*/, const DrawingDescription& /*description*/) {}
};

}  // namespace kelvo::cad

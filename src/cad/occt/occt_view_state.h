#pragma once

#include <string>

#include "cad/cad_application.h"
#include "cad/occt/occt_state.h"

// A drawing's view: the viewport copy callers edit, and the few commands its command line
// understands.

namespace kelvo::cad {

// A drawing's active viewport, as the classic automation interface hands it out: every read of
// ActiveViewport gives the same object, which shows the drawing's view until it is edited.
// Edits collect in it (a direction set on one read is still there on the next) and change
// nothing on screen until the viewport is assigned back with CadDocument::SetActiveViewport.
class OcctViewport final : public CadViewport {
 public:
  explicit OcctViewport(const ViewState& view) { Follow(view); }

  Point Direction() const override { return direction_; }
  // CadError for a zero or non-finite direction: there is no eye to look from.
  void SetDirection(const Point& direction) override;
  Point Center() const override { return center_; }
  void SetCenter(const Point& center) override;

  // Takes the drawing's current view, unless edits are waiting to be assigned.
  void Follow(const ViewState& view);
  // The drawing has taken a view: edits are no longer pending.
  void Applied() { edited_ = false; }

 private:
  Point direction_;
  Point center_;
  bool edited_ = false;
};

// The drawing's one active viewport, up to date with its view.
std::shared_ptr<OcctViewport> ActiveViewportOf(OcctDocumentState& document);

// Applies a viewport's direction and centre to the drawing and tells the observer.
void AssignViewport(OcctDocumentState& document, const CadViewport& viewport);

// Runs text as typed at the drawing's command line, where a blank (or a line end) ends each
// entry, so "ZOOM E " is the command ZOOM with its option E. Understood, in any letter case:
//   ZOOM E | ZOOM EXTENTS            zoom to the extents of the drawing
//   SHADEMODE G | SHADEMODE GOURAUD  Gouraud shading
//   SHADEMODE 2D | SHADEMODE 3D      wireframe
// A leading "_" or "." on a name (as in scripts) is ignored. Like the command line it stands
// for, this never raises for what it cannot run: an unknown command, a bad option or an entry
// that lacks its ending blank is answered in the drawing's command-line log and skipped.
void RunCommandLine(OcctDocumentState& document, const std::string& text);

}  // namespace kelvo::cad

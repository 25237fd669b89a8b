#include "cad/occt/occt_view_state.h"

#include <cctype>
#include <vector>

#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_log_texts.h"
#include "cad/occt/occt_mesh_drawing.h"

namespace kelvo::cad {
namespace {

struct Entry {
  std::string text;
  bool ended = false;  // followed by a blank or a line end
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::vector<Entry> SplitEntries(const std::string& text) {
  std::vector<Entry> entries;
  std::string current;
  for (char c : text) {
    if (IsBlank(c)) {
      if (!current.empty()) entries.push_back({current, true});
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) entries.push_back({current, false});
  return entries;
}

std::string Keyword(const std::string& entry) {
  std::size_t start = 0;
  while (start < entry.size() && (entry[start] == '_' || entry[start] == '.'))
    ++start;
  std::string keyword = entry.substr(start);
  for (char& c : keyword)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return keyword;
}

void ZoomExtents(OcctDocumentState& document) {
  ++document.view.zoom_extents_requests;
  Notify(document, [&](OcctObserver& observer) { observer.OnZoomExtents(document.number); });
}

void SetShadeMode(OcctDocumentState& document, ShadeMode mode) {
  document.view.shade_mode = mode;
  Notify(document, [&](OcctObserver& observer) { observer.OnShadeMode(document.number, mode); });
}

// Runs one command with its option; false when the option is not one it knows.
bool RunCommand(OcctDocumentState& document, const std::string& command,
                const std::string& option) {
  if (command == "ZOOM") {
    if (option != "E" && option != "EXTENTS") return false;
    ZoomExtents(document);
    return true;
  }
  if (option == "G" || option == "GOURAUD") {
    SetShadeMode(document, ShadeMode::Gouraud);
  } else if (option == "2D" || option == "3D") {
    SetShadeMode(document, ShadeMode::Wireframe);
  } else {
    return false;
  }
  return true;
}

}  // namespace

void OcctViewport::SetDirection(const Point& direction) {
  RequireFinite("Direction", "the view direction", direction);
  if (direction.x == 0 && direction.y == 0 && direction.z == 0) {
    ThrowCadError("Direction", "the view direction is the zero vector");
  }
  direction_ = direction;
  edited_ = true;
}

void OcctViewport::SetCenter(const Point& center) {
  RequireFinite("Center", "the view centre", center);
  center_ = center;
  edited_ = true;
}

void OcctViewport::Follow(const ViewState& view) {
  if (edited_) return;
  direction_ = view.direction;
  center_ = view.center;
}

std::shared_ptr<OcctViewport> ActiveViewportOf(OcctDocumentState& document) {
  if (!document.active_viewport) {
    document.active_viewport = std::make_shared<OcctViewport>(document.view);
  }
  document.active_viewport->Follow(document.view);
  return document.active_viewport;
}

void AssignViewport(OcctDocumentState& document, const CadViewport& viewport) {
  const Point direction = viewport.Direction();
  const Point center = viewport.Center();
  RequireFinite("ActiveViewport", "the view direction", direction);
  RequireFinite("ActiveViewport", "the view centre", center);
  if (direction.x == 0 && direction.y == 0 && direction.z == 0) {
    ThrowCadError("ActiveViewport", "the view direction is the zero vector");
  }
  document.view.direction = direction;
  document.view.center = center;
  if (document.active_viewport) document.active_viewport->Applied();
  Notify(document, [&](OcctObserver& observer) {
    observer.OnViewportAssigned(document.number, document.view);
  });
}

void RunCommandLine(OcctDocumentState& document, const std::string& text) {
  const std::vector<Entry> entries = SplitEntries(text);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string command = Keyword(entries[i].text);
    if (command == "MESH" && entries[i].ended) {
      RunMeshCommand(document);
      continue;
    }
    const bool known = command == "ZOOM" || command == "SHADEMODE";
    if (!known) {
      LogCommandLine(document, CommandEchoText(entries[i].text));
      LogCommandLine(document, UnknownCommandText(entries[i].text));
      continue;
    }
    const bool has_option = i + 1 < entries.size();
    if (!entries[i].ended || !has_option || !entries[i + 1].ended) {
      std::string typed = entries[i].text;
      if (has_option) typed += " " + entries[i + 1].text;
      LogCommandLine(document, CommandEchoText(typed));
      LogCommandLine(document, has_option || !entries[i].ended
                                   ? UnendedCommandText(typed)
                                   : MissingOptionText(entries[i].text));
      return;
    }
    const std::string& option = entries[++i].text;
    LogCommandLine(document, CommandEchoText(entries[i - 1].text + " " + option));
    if (!RunCommand(document, command, Keyword(option))) {
      LogCommandLine(document, UnknownOptionText(entries[i - 1].text, option));
    }
  }
}

}  // namespace kelvo::cad

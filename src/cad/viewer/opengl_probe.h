#pragma once

#include <optional>
#include <string>

namespace kelvo::cad {

// Why no 3D view can be drawn in this process, in the designer's words, or nothing when one
// can. Checks what the view needs before any window is shown: a Qt widget application on an X11
// display (Debian's OpenCASCADE draws through GLX only), an OpenGL context made the way the
// view's widget makes it, and OpenCASCADE able to take that context over: OpenGL 2.1 or newer.
// The reason names the display found, or the OpenGL version and renderer found.
std::optional<std::string> WhyNo3DView();

}  // namespace kelvo::cad

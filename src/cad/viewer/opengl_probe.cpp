#include "cad/viewer/opengl_probe.h"

#include <Aspect_DisplayConnection.hxx>
#include <OpenGl_Context.hxx>
#include <QApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <Standard_Failure.hxx>

#include "cad/viewer/drawing_view.h"

namespace kelvo::cad {

std::optional<std::string> WhyNo3DView() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
    return "no Qt widget application is running";
  }
  const QString platform = QGuiApplication::platformName();
  if (platform != QStringLiteral("xcb")) {
    return "the display is \"" + platform.toStdString() + "\", not an X11 display";
  }
  QOpenGLContext context;
  context.setFormat(DrawingView::SurfaceFormat());
  if (!context.create()) return "no OpenGL context can be created";
  QOffscreenSurface surface;
  surface.setFormat(context.format());
  surface.create();
  if (!surface.isValid() || !context.makeCurrent(&surface)) {
    return "the OpenGL context cannot be made current";
  }
  std::optional<std::string> reason;
  try {
    // The view opens an X connection of its own, and wraps Qt's current context.
    Handle(Aspect_DisplayConnection) display = new Aspect_DisplayConnection();
    Handle(OpenGl_Context) gl = new OpenGl_Context();
    if (!gl->Init(false)) {
      reason = "OpenCASCADE cannot use the OpenGL context";
    } else if (!gl->IsGlGreaterEqual(2, 1)) {
      reason = "OpenGL " + std::to_string(gl->VersionMajor()) + "." +
               std::to_string(gl->VersionMinor()) + " is too old; 2.1 or newer is needed";
    }
  } catch (const Standard_Failure& failure) {
    reason = std::string("OpenCASCADE cannot draw: ") + failure.GetMessageString();
  }
  context.doneCurrent();
  return reason;
}

}  // namespace kelvo::cad

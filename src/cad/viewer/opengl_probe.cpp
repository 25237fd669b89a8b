#include "cad/viewer/opengl_probe.h"

#include <Aspect_DisplayConnection.hxx>
#include <OpenGl_Context.hxx>
#include <QApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <Standard_Failure.hxx>

#include "cad/viewer/drawing_view.h"

namespace kelvo::cad {
namespace {

// "OpenGL 1.4（llvmpipe (LLVM 15.0.6, 128 bits)）", as the context reports itself.
std::string VersionFound(QOpenGLContext& context, const OpenGl_Context& gl) {
  std::string found =
      "OpenGL " + std::to_string(gl.VersionMajor()) + "." + std::to_string(gl.VersionMinor());
  const auto* renderer = context.functions()->glGetString(GL_RENDERER);
  if (renderer != nullptr && *renderer != '\0') {
    found += "（";
    found += reinterpret_cast<const char*>(renderer);
    found += "）";
  }
  return found;
}

}  // namespace

std::optional<std::string> WhyNo3DView() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
    return "没有运行中的 Qt 窗口程序";
  }
  const QString platform = QGuiApplication::platformName();
  if (platform != QStringLiteral("xcb")) {
    return "显示平台是 \"" + platform.toStdString() + "\"，三维视图需要 X11 显示（DISPLAY）";
  }
  QOpenGLContext context;
  context.setFormat(DrawingView::SurfaceFormat());
  if (!context.create()) return "无法创建 OpenGL 上下文：没有可用的 OpenGL（GLX）";
  QOffscreenSurface surface;
  surface.setFormat(context.format());
  surface.create();
  if (!surface.isValid() || !context.makeCurrent(&surface)) {
    return "OpenGL 上下文无法启用";
  }
  std::optional<std::string> reason;
  try {
    // The view opens an X connection of its own, and wraps Qt's current context.
    Handle(Aspect_DisplayConnection) display = new Aspect_DisplayConnection();
    Handle(OpenGl_Context) gl = new OpenGl_Context();
    if (!gl->Init(false)) {
      reason = "OpenCASCADE 无法使用这个 OpenGL 上下文";
    } else if (!gl->IsGlGreaterEqual(2, 1)) {
      reason = "找到的是 " + VersionFound(context, *gl) + "，三维视图至少需要 OpenGL 2.1";
    }
  } catch (const Standard_Failure& failure) {
    reason = std::string("OpenCASCADE 无法绘图：") + failure.GetMessageString();
  }
  context.doneCurrent();
  return reason;
}

}  // namespace kelvo::cad

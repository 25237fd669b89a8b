#include "cad/viewer/windowed_cad_application.h"

#include <QCoreApplication>
#include <QSurfaceFormat>
#include <cstdio>
#include <string>
#include <utility>

#include "cad/occt/occt_application.h"
#include "cad/viewer/cad_window.h"
#include "cad/viewer/drawing_view.h"
#include "cad/viewer/opengl_probe.h"

namespace kelvo::cad {

WindowedCadApplication::~WindowedCadApplication() {
  // The drawings close with the application; a window left over must not hear of it.
  if (occt_) occt_->SetObserver({});
  // Widgets can only go while Qt still runs; at the very end of the program the process
  // takes the window with it.
  if (window_ && QCoreApplication::instance()) delete window_;
}

void WindowedCadApplication::RequireRunning(const char* operation) const {
  if (!running_) {
    throw CadError(std::string(operation) + ": the CAD application has been closed");
  }
}

bool WindowedCadApplication::Visible() const {
  RequireRunning("Visible");
  return occt_->Visible();
}

void WindowedCadApplication::SetVisible(bool visible) {
  RequireRunning("Visible");
  occt_->SetVisible(visible);
}

CadDocuments& WindowedCadApplication::Documents() {
  RequireRunning("Documents");
  return occt_->Documents();
}

void WindowedCadApplication::SetEvaluationHooks(EvaluationHooks hooks) {
  RequireRunning("EvaluationHooks");
  occt_->SetEvaluationHooks(std::move(hooks));
}

OcctCadApplication& WindowedCadApplication::Occt() {
  RequireRunning("Application");
  return *occt_;
}

void WindowedCadApplication::Quit() {
  End(false);
}

void WindowedCadApplication::End(bool from_window) {
  if (!running_) return;
  // The running-object table may hold the last reference.
  const std::shared_ptr<WindowedCadApplication> keep = shared_from_this();
  running_ = false;
  RevokeRunningInstance(std::exchange(cookie_, 0));
  // The drawings go with the instance; the window hears of each and drops its tab.
  while (std::shared_ptr<OcctDocument> drawing = occt_->Documents().Current())
    drawing->Close();
  occt_->SetObserver({});
  CadWindow* window = std::exchange(window_, nullptr);
  if (from_window) {
    window->deleteLater();  // it is still inside its close event
  } else {
    delete window;
  }
}

std::shared_ptr<WindowedCadApplication> StartWindowedCadApplication() {
  if (const std::optional<std::string> reason = WhyNo3DView()) {
    // The window's one message says only that the CAD application could not be reached; the
    // reason is for the designer's terminal, in one line, and for the troubleshooting section
    // of the user guide, which names it.
    std::fprintf(stderr, "kelvo: 三维窗口无法打开：%s\n", reason->c_str());
    throw CadError("the CAD application cannot open its 3D window: " + *reason);
  }
  std::shared_ptr<WindowedCadApplication> instance(new WindowedCadApplication());
  instance->occt_ = MakeHeadlessCadApplication();
  instance->occt_->SetVisible(false);
  const std::weak_ptr<WindowedCadApplication> weak = instance;
  // OpenCASCADE checks the visual of the window whose handle it gets, the top-level one, and
  // complains on every view when it lacks a depth buffer. The views draw into Qt's buffers,
  // but Qt re-creates a top-level window for OpenGL composition when its first OpenGL widget
  // shows, with the default format of that moment: make it the views' format for good.
  QSurfaceFormat::setDefaultFormat(DrawingView::SurfaceFormat());
  instance->window_ = new CadWindow(*instance->occt_, [weak] {
    if (const std::shared_ptr<WindowedCadApplication> ending = weak.lock()) ending->End(true);
  });
  // The window stays open as long as the user wants it, even after the main window closed,
  // like the CAD application the commands once drove; when the program ends anyway, the
  // instance ends with it while Qt still runs.
  QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, instance->window_,
                   [weak] {
                     if (const std::shared_ptr<WindowedCadApplication> ending = weak.lock())
                       ending->Quit();
                   });
  instance->occt_->SetObserver(instance->window_->Observer());
  instance->cookie_ = RegisterRunningInstance(kCadProgId, instance);
  instance->running_ = true;
  return instance;
}

void RegisterWindowedCadFactory() {
  RegisterClassFactory(kCadProgId, [] { return StartWindowedCadApplication(); });
}

}  // namespace kelvo::cad

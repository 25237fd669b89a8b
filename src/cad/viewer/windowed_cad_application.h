#pragma once

#include <memory>

#include "cad/cad_application.h"
#include "cad/connection/cad_registry.h"

// Kelvo's CAD application with its 3D window: what the gear commands connect to in the window
// program. This header needs neither Qt nor OpenCASCADE.

namespace kelvo::cad {

class CadWindow;
class OcctCadApplication;

// One running instance: the OpenCASCADE application and the window that shows it. It is in
// the running-object table from its start until the user closes its window (or the program
// ends); then its drawings are closed, every handle into them goes dead, and every operation
// on the instance raises CadError. A connection made after that starts a new instance.
class WindowedCadApplication final : public CadApplication,
                                     public std::enable_shared_from_this<WindowedCadApplication> {
 public:
  ~WindowedCadApplication() override;
  WindowedCadApplication(const WindowedCadApplication&) = delete;
  WindowedCadApplication& operator=(const WindowedCadApplication&) = delete;

  // The window is shown (and raised) or hidden; a new instance starts hidden, as an
  // automation server does, until a client makes it visible.
  bool Visible() const override;
  void SetVisible(bool visible) override;
  CadDocuments& Documents() override;
  void SetEvaluationHooks(EvaluationHooks hooks) override;

  bool IsRunning() const { return running_; }
  // The application behind the window, for exports and inspection; CadError once ended.
  OcctCadApplication& Occt();
  // The window, or null once the instance has ended.
  CadWindow* Window() const { return window_; }

  // Ends the instance now, discarding its drawings without asking: for the end of the
  // program. A user ends it by closing the window, which asks first.
  void Quit();

 private:
  friend std::shared_ptr<WindowedCadApplication> StartWindowedCadApplication();
  WindowedCadApplication() = default;
  void End(bool from_window);
  void RequireRunning(const char* operation) const;

  std::shared_ptr<OcctCadApplication> occt_;
  CadWindow* window_ = nullptr;
  RunningCookie cookie_ = 0;
  bool running_ = false;
};

// Starts an instance and enters it in the running-object table under kCadProgId. CadError,
// saying why, when its window could not be drawn: no X display, no usable OpenGL, or
// OpenCASCADE unable to draw with it; the reason also goes to standard error, in one line
// ("kelvo: 三维窗口无法打开：..."). Nothing is left behind by a failed start.
std::shared_ptr<WindowedCadApplication> StartWindowedCadApplication();

// Makes StartWindowedCadApplication the class factory of kCadProgId: for the window program,
// once its QApplication exists.
void RegisterWindowedCadFactory();

}  // namespace kelvo::cad

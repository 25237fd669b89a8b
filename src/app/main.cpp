#include <QApplication>

#include "app/kelvo_application.h"
#include "app/main_form.h"
#include "cad/viewer/windowed_cad_application.h"

int main(int argc, char** argv) {
  // The 3D window draws through GLX only: on a Wayland desktop that also offers X11 (XWayland),
  // the program runs as an X11 client unless told otherwise.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && qEnvironmentVariableIsSet("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  kelvo::SetUpKelvoApplication();
  // The generate command starts the 3D window the first time it connects.
  kelvo::cad::RegisterWindowedCadFactory();
  kelvo::MainForm form;
  form.show();
  return QApplication::exec();
}

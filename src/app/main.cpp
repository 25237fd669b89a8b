#include <QApplication>

#include "app/kelvo_application.h"
#include "app/main_form.h"
#include "cad/viewer/windowed_cad_application.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kelvo::SetUpKelvoApplication();
  // The generate command starts the 3D window the first time it connects.
  kelvo::cad::RegisterWindowedCadFactory();
  kelvo::MainForm form;
  form.show();
  return QApplication::exec();
}

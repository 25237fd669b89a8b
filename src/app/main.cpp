#include <QApplication>

#include "app/kelvo_application.h"
#include "app/main_form.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kelvo::SetUpKelvoApplication();
  kelvo::MainForm form;
  form.show();
  return QApplication::exec();
}

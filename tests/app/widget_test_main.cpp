// Runs the window tests on a real QApplication set up as the program sets itself up.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/kelvo_application.h"

int main(int argc, char** argv) {
  // CTest sets offscreen; this covers running the binary by hand and the test listing.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  kelvo::SetUpKelvoApplication();
  return RUN_ALL_TESTS();
}

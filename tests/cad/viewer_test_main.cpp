// Runs the 3D window's tests on a real X display (CTest starts them under xvfb-run). Without
// one they fail at once instead of skipping: the pixels are the point of these tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  QApplication app(argc, argv);
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
    std::fprintf(stderr, "These tests draw on an X display; run them under xvfb-run.\n");
    return 1;
  }
  // The 3D window is closed and reopened by the tests; that must not end the run.
  QApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}

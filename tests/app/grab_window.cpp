// Test helper: saves a picture of another program's X11 window, for the screenshot in docs/ and
// for the start-up test of the real program under Xvfb.
//   grab_window WINDOW_ID OUT.png     (WINDOW_ID as xwininfo prints it, e.g. 0x200006)
// Prints the picture's width and height.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: grab_window WINDOW_ID OUT.png\n");
    return 2;
  }
  bool ok = false;
  const WId window = QString::fromLatin1(argv[1]).toULongLong(&ok, 0);
  if (!ok) {
    std::fprintf(stderr, "grab_window: bad window id %s\n", argv[1]);
    return 2;
  }
  const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(window);
  if (picture.isNull() || !picture.toImage().save(QString::fromLocal8Bit(argv[2]))) {
    std::fprintf(stderr, "grab_window: could not grab %s into %s\n", argv[1], argv[2]);
    return 1;
  }
  std::printf("%dx%d\n", picture.width(), picture.height());
  return 0;
}

// Saves a picture of another program's X11 window, for the screenshot in docs/ and
// for the start-up test of the real program under Xvfb. Prints the picture's width and height.
//   grab_window WINDOW_ID OUT.png     (WINDOW_ID as xwininfo prints it, e.g. 0x200006)
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  bool ok = argc == 3;
  const WId window = ok ? QString::fromLatin1(argv[1]).toULongLong(&ok, 0) : 0;
  const QPixmap picture = ok ? QGuiApplication::primaryScreen()->grabWindow(window) : QPixmap();
  if (picture.isNull() || !picture.toImage().save(QString::fromLocal8Bit(argv[2]))) {
    std::fprintf(stderr, "usage: grab_window WINDOW_ID OUT.png (a window that can be grabbed)\n");
    return 1;
  }
  std::printf("%dx%d\n", picture.width(), picture.height());
  return 0;
}

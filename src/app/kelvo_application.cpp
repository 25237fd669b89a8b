#include "app/kelvo_application.h"

#include <QApplication>
#include <QIcon>
#include <QStyleFactory>

#include "app/window_fonts.h"

namespace kelvo {

void SetUpKelvoApplication() {
  QApplication::setApplicationName(QStringLiteral("Kelvo"));
  // The installed desktop entry kelvo.desktop, whose name and icon the desktop shows for our
  // windows.
  QGuiApplication::setDesktopFileName(QStringLiteral("kelvo"));
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  InstallSongFontSubstitutes();
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/kelvo/kelvo_icon.xpm")));
}

}  // namespace kelvo

#include "app/kelvo_application.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QStyleFactory>
#include <QTranslator>
#include <cstdio>

#include "app/window_fonts.h"

namespace kelvo {
bool TechnicalLogWanted() {
  return qEnvironmentVariable("KELVO_LOG") == QStringLiteral("1");
}

void SetUpKelvoApplication() {
  QApplication::setApplicationName(QStringLiteral("Kelvo"));
  // The installed desktop entry kelvo.desktop, whose name and icon the desktop shows for our
  // windows.
  QGuiApplication::setDesktopFileName(QStringLiteral("kelvo"));
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  InstallSongFontSubstitutes();
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/kelvo/kelvo_icon.xpm")));
  InstallQtChineseTranslations(QLocale::system());
}

bool InstallQtChineseTranslations(const QLocale& locale) {
  // Parented to the application: gone with it, and then installed again for the next one.
  static QPointer<QTranslator> installed;
  if (installed) return true;
  if (locale.language() != QLocale::Chinese && locale.language() != QLocale::C) return false;
  auto* translator = new QTranslator(QCoreApplication::instance());
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
    delete translator;
    if (TechnicalLogWanted()) {
      std::fprintf(stderr,
                   "kelvo: Qt's Chinese translations (qtbase_zh_CN.qm, package "
                   "qt6-translations-l10n) are not in %s; Qt's own buttons and dialogs stay "
                   "English\n",
                   qUtf8Printable(folder));
    }
    return false;
  }
  QCoreApplication::installTranslator(translator);
  installed = translator;
  return true;
}

}  // namespace kelvo

#pragma once

class QLocale;

namespace kelvo {

// What every Kelvo window process sets up once, after creating its QApplication and before its
// first window: the application's name and desktop entry, the Fusion style (the fixed layout was
// measured with its metrics, and a desktop style with larger margins would clip the captions), the
// stand-in for 宋体, the window icon and Qt's own Chinese translations
// (InstallQtChineseTranslations for the system's locale).
void SetUpKelvoApplication();

// Installs Qt's own Chinese translations (qtbase_zh_CN.qm of Debian's qt6-translations-l10n,
// from Qt's translations folder), so that what Qt itself writes reads in Chinese like the rest
// of the program: the buttons of message boxes (确定, 取消), the export dialog (保存, 文件名),
// the menus of text fields. For a Chinese locale, and when no locale is set (C or POSIX), since
// every text of the program is Chinese; other locales keep Qt's English. Once per process; true
// when they are installed. Without the file the program runs on, in Qt's English, and says so on
// standard error when KELVO_LOG=1.
bool InstallQtChineseTranslations(const QLocale& locale);

// Whether the technical detail behind what the windows say (a writer's own reason, Qt's and
// OpenCASCADE's remarks) goes to standard error: KELVO_LOG=1.
bool TechnicalLogWanted();

}  // namespace kelvo

#include "report/qt/offscreen_gui.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGlobal>
#include <cstdio>

namespace kelvo {
namespace {

// QGuiApplication keeps references to its arguments for its whole life.
int argument_count = 3;
char program_name[] = "kelvo";
char platform_option[] = "-platform";
char platform_name[] = "offscreen";
char* arguments[] = {program_name, platform_option, platform_name, nullptr};

QtMessageHandler qt_handler = nullptr;

// Qt's remarks on its surroundings (no XDG_RUNTIME_DIR, say) are none of the command line's
// business: they go to standard error only with KELVO_LOG=1, as the program's technical detail
// does. A fatal message still ends the program Qt's way.
void QuietUnlessLogging(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtFatalMsg && qgetenv("KELVO_LOG") != "1") return;
  if (qt_handler) {
    qt_handler(type, context, text);
  } else {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  }
}

}  // namespace

OffscreenGui::OffscreenGui() {
  if (QCoreApplication::instance()) return;
  qt_handler = qInstallMessageHandler(QuietUnlessLogging);
  application_ = std::make_unique<QGuiApplication>(argument_count, arguments);
}

OffscreenGui::~OffscreenGui() {
  if (!application_) return;
  application_.reset();
  qInstallMessageHandler(qt_handler);
}

}  // namespace kelvo

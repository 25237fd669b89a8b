#include "app/user_guide_location.h"

#include <QDir>
#include <QFileInfo>

namespace kelvo {
namespace {

// The installed guide's folder relative to the installed program, as the build's installation
// layout puts them ("../share/kelvo/help" for bin/ and share/).
constexpr char kInstalledGuideFromProgram[] = KELVO_INSTALLED_GUIDE_FROM_PROGRAM;
constexpr char kGuideFile[] = "kelvoHelp.html";

}  // namespace

QString UserGuidePath(const QString& program_folder) {
  const QDir program(program_folder);
  const QString beside = program.filePath(QStringLiteral("help/") + kGuideFile);
  if (QFileInfo(beside).isFile()) return beside;
  const QString installed = QDir::cleanPath(
      program.filePath(QString::fromUtf8(kInstalledGuideFromProgram) + '/' + kGuideFile));
  return QFileInfo(installed).isFile() ? installed : beside;
}

}  // namespace kelvo

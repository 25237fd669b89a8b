// Where F1 finds the user guide: beside the program in a build folder, in share/kelvo/help/ of an
// installation.
#include "app/user_guide_location.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <string>
#include <vector>

namespace kelvo::test {
namespace {

struct GuideCase {
  const char* layout;
  std::vector<QString> files;  // made empty in a scratch folder; the first is the program
  QString expected_guide;
};

const GuideCase kGuideCases[] = {
    {.layout = "build folder",
     .files = {"build/bin/kelvo", "build/bin/help/kelvoHelp.html"},
     .expected_guide = "build/bin/help/kelvoHelp.html"},
    {.layout = "installed under a prefix",
     .files = {"usr/bin/kelvo", "usr/share/kelvo/help/kelvoHelp.html"},
     .expected_guide = "usr/share/kelvo/help/kelvoHelp.html"},
    {.layout = "both: the guide beside the program wins",
     .files = {"bin/kelvo", "bin/help/kelvoHelp.html", "share/kelvo/help/kelvoHelp.html"},
     .expected_guide = "bin/help/kelvoHelp.html"},
    {.layout = "neither: reported missing beside the program",
     .files = {"bin/kelvo", "share/kelvo/kelvoHelp.html"},
     .expected_guide = "bin/help/kelvoHelp.html"},
};

TEST(UserGuideLocation, BesideTheProgramElseInTheInstallation) {
  for (const GuideCase& row : kGuideCases) {
    SCOPED_TRACE(row.layout);
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QDir root(scratch.path());
    for (const QString& file : row.files) {
      ASSERT_TRUE(root.mkpath(QFileInfo(file).path()));
      QFile made(root.filePath(file));
      ASSERT_TRUE(made.open(QIODevice::WriteOnly));
    }
    const QString program_folder = QFileInfo(root.filePath(row.files.front())).path();
    EXPECT_EQ(UserGuidePath(program_folder), root.filePath(row.expected_guide));
  }
}

QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// cmake --install into a scratch prefix (the test fixture before this one): the installed kelvo
// looks for its guide where the installation put it.
TEST(UserGuideLocation, InstalledProgramFindsTheInstalledGuide) {
  const QDir prefix(QStringLiteral(KELVO_SCRATCH_PREFIX));
  ASSERT_TRUE(QFileInfo(prefix.filePath("bin/kelvo")).isExecutable())
      << "no kelvo installed in " KELVO_SCRATCH_PREFIX " (run through ctest, which installs it)";
  const QString guide = UserGuidePath(prefix.filePath("bin"));
  EXPECT_EQ(guide.toStdString(), prefix.filePath("share/kelvo/help/kelvoHelp.html").toStdString());
  const QByteArray installed = Contents(guide);
  EXPECT_FALSE(installed.isEmpty());
  EXPECT_TRUE(installed == Contents(QStringLiteral(KELVO_SOURCE_GUIDE))) << "the guide as written";
}

}  // namespace
}  // namespace kelvo::test

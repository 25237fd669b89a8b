#include "app/window_fonts.h"

#include <QApplication>
#include <QStringList>

namespace kelvo {

void InstallSongFontSubstitutes() {
  const QStringList faces = {kSongSubstitute};
  for (const QString& family : {QStringLiteral("宋体"), QStringLiteral("SimSun")}) {
    if (QFont::substitutes(family) != faces) {
      QFont::removeSubstitutions(family);
      QFont::insertSubstitutions(family, faces);
    }
  }
}

QFont SongFont() {
  InstallSongFontSubstitutes();
  QFont font(QStringLiteral("宋体"), 9, QFont::Normal);
  font.setStyleHint(QFont::Serif);
  return font;
}

QFont DialogFont() {
  QFont font = QApplication::font();
  font.setPointSize(9);
  return font;
}

}  // namespace kelvo

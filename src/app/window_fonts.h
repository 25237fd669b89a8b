#pragma once

#include <QFont>
#include <QString>

namespace kelvo {

// The face that stands in for 宋体 (SimSun) on Linux: a Song/Ming face whose 9 pt glyphs have
// SimSun's 12-pixel advance and line, so the captions fit the controls they were laid out for.
inline const QString kSongSubstitute = QStringLiteral("AR PL UMing CN");

// Maps the family names "宋体" and "SimSun" to kSongSubstitute for this process, so the result
// does not depend on which CJK face fontconfig happens to prefer. Safe to call more than once.
void InstallSongFontSubstitutes();

// 宋体 at 9 points, regular: the font of the captions the layout was drawn with.
QFont SongFont();

// The desktop's default font family at 9 points, for the controls that use the system's dialog
// font. Pinned to 9 points because the window and its controls have fixed pixel sizes.
QFont DialogFont();

}  // namespace kelvo

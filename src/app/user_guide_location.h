#pragma once

#include <QString>

namespace kelvo {

// The user guide that F1 opens, for a program that lives in program_folder: help/kelvoHelp.html
// beside the program, as in a build folder, else the installed guide in share/kelvo/help/ of the
// program's installation prefix (the program in <prefix>/bin). When neither is there, the one
// beside the program, which the help window then reports as missing.
QString UserGuidePath(const QString& program_folder);

}  // namespace kelvo

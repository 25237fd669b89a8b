#pragma once

#include <filesystem>
#include <string>

#include "cad/occt/occt_document.h"

// Why a file could not be written, in the designer's words, found out from the file and the
// drawing rather than from the writer's own (technical, English) reason: the 3D window's export
// and kelvo-cli tell the same failure the same way.

namespace kelvo::cad {

// Why no file can be written at path: no such folder, no folder at all, a folder of the
// file's name, no permission, or else an error while writing it.
std::string WhyFileNotWritten(const std::filesystem::path& path);

// Why an export of the drawing (null: none yet) to path failed: a file type not offered,
// nothing in the drawing to export, or why no file can be written there.
std::string WhyExportFailed(const OcctDocument* document, const std::filesystem::path& path);

// The whole message: "导出失败：文件夹 /tmp/x 不存在。"
std::string ExportFailureText(const OcctDocument* document, const std::filesystem::path& path);

}  // namespace kelvo::cad

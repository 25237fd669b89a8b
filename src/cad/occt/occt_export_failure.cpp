#include "cad/occt/occt_export_failure.h"

#include <unistd.h>

#include "cad/occt/occt_export.h"

namespace kelvo::cad {
namespace {

namespace fs = std::filesystem;

fs::path FolderOf(const fs::path& path) {
  return path.parent_path().empty() ? fs::path(".") : path.parent_path();
}

// What about the place keeps any file from being written there; empty when nothing does.
std::string WhyNoFileFits(const fs::path& path) {
  std::error_code error;
  const fs::path folder = FolderOf(path);
  if (!fs::exists(folder, error)) return "文件夹 " + folder.string() + " 不存在";
  if (!fs::is_directory(folder, error)) return folder.string() + " 不是文件夹";
  if (path.filename().empty() || fs::is_directory(path, error))
    return path.string() + " 是文件夹，不是文件名";
  return {};
}

std::string WhyWritingFailed(const fs::path& path) {
  const fs::path folder = FolderOf(path);
  if (::access(folder.c_str(), W_OK) != 0)
    return "没有在文件夹 " + folder.string() + " 中写文件的权限";
  return "写文件 " + path.string() + " 时出错";
}

}  // namespace

std::string WhyFileNotWritten(const fs::path& path) {
  const std::string why = WhyNoFileFits(path);
  return why.empty() ? WhyWritingFailed(path) : why;
}

std::string WhyExportFailed(const OcctDocument* document, const fs::path& path) {
  try {
    ExportFormatFor(path);
  } catch (const CadError&) {
    return "不支持文件类型\"" + path.extension().string() +
           "\"，请用 .step、.stp、.iges、.igs、.stl 或 .brep";
  }
  const std::string why = WhyNoFileFits(path);
  if (!why.empty()) return why;
  if (document && document->IsOpen() && document->Entities().empty())
    return "图形 " + document->Name() + " 中没有可导出的内容";
  return WhyWritingFailed(path);
}

std::string ExportFailureText(const OcctDocument* document, const fs::path& path) {
  return "导出失败：" + WhyExportFailed(document, path) + "。";
}

}  // namespace kelvo::cad

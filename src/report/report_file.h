#pragma once

#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace kelvo {

class ReportFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes contents to path as the exports do: into a fresh hidden file beside it, which is then
// renamed over path, so that path holds either what it held before or all of the new contents,
// never part of them. ReportFileError (in English, with the reason) when that cannot be done; no
// temporary is left behind.
void WriteReportFile(const std::filesystem::path& path, std::string_view contents);

}  // namespace kelvo

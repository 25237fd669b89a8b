#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelvo {

// what() is the technical detail (English, with the system's reason); Reason() says the same
// in the designer's words, for the message box and the command line: "文件夹 /tmp/x 不存在".
class ReportFileError : public std::runtime_error {
 public:
  ReportFileError(std::string reason, const std::string& detail)
      : std::runtime_error(detail), reason_(std::move(reason)) {}
  const std::string& Reason() const { return reason_; }

 private:
  std::string reason_;
};

// Writes contents to path as the exports do: into a fresh hidden file beside it, which is then
// renamed over path, so that path holds either what it held before or all of the new contents,
// never part of them. ReportFileError when that cannot be done; no temporary is left behind.
void WriteReportFile(const std::filesystem::path& path, std::string_view contents);

}  // namespace kelvo

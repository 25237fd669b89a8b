#include "report/report_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

namespace kelvo {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const std::string& reason, const std::string& detail) {
  throw ReportFileError(reason, detail);
}

// A write or close that failed with the system's error why: a full disk said as such.
std::string WritingFailed(const fs::path& path, int why) {
  if (why == ENOSPC || why == EDQUOT) return "磁盘空间不足，写文件 " + path.string() + " 时出错";
  return "写文件 " + path.string() + " 时出错";
}

// A fresh, empty file beside the target that only this write uses, with the permissions a new
// file gets here, so the renamed result looks like any file the user saves; its descriptor.
int MakeTemporaryFile(const fs::path& target, std::string& name) {
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    if (fs::exists(folder, error))
      Fail(folder.string() + " 不是文件夹", folder.string() + " is not a folder");
    Fail("文件夹 " + folder.string() + " 不存在",
         "the folder " + folder.string() + " does not exist");
  }
  // Appended piece by piece: GCC 12 at -O3 misreads "." + std::string as an overlapping copy
  // (-Wrestrict).
  std::string hidden_name(1, '.');
  hidden_name += target.filename().string();
  hidden_name += ".XXXXXX";
  const std::string pattern = (folder / hidden_name).string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int descriptor = ::mkstemp(buffer.data());
  if (descriptor < 0) {
    const int why = errno;
    Fail(why == EACCES || why == EROFS ? "没有在文件夹 " + folder.string() + " 中写文件的权限"
                                       : "无法在文件夹 " + folder.string() + " 中建立文件",
         "cannot write in the folder " + folder.string() + ": " + std::strerror(why));
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(descriptor, static_cast<mode_t>(0666 & ~mask));
  name = buffer.data();
  return descriptor;
}

}  // namespace

void WriteReportFile(const fs::path& path, std::string_view contents) {
  if (path.filename().empty()) Fail("没有给出文件名", "no file name given");
  std::error_code error;
  if (fs::is_directory(path, error)) {
    Fail(path.string() + " 是文件夹，不是文件名",
         "cannot replace " + path.string() + ": it is a folder");
  }
  std::string temporary;
  const int descriptor = MakeTemporaryFile(path, temporary);
  const auto give_up = [&](int why) {
    ::close(descriptor);
    ::unlink(temporary.c_str());
    Fail(WritingFailed(path, why), "cannot write " + path.string() + ": " + std::strerror(why));
  };
  std::size_t written = 0;
  while (written < contents.size()) {
    const ssize_t n = ::write(descriptor, contents.data() + written, contents.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      give_up(errno);
    }
    written += static_cast<std::size_t>(n);
  }
  if (::close(descriptor) != 0) {
    const int why = errno;
    ::unlink(temporary.c_str());
    Fail(WritingFailed(path, why), "cannot write " + path.string() + ": " + std::strerror(why));
  }
  fs::rename(temporary, path, error);
  if (error) {
    ::unlink(temporary.c_str());
    Fail("无法替换文件 " + path.string(),
         "cannot replace " + path.string() + ": " + error.message());
  }
}

}  // namespace kelvo

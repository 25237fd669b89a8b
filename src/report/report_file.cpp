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

[[noreturn]] void Fail(const std::string& what) {
  throw ReportFileError(what);
}

// A fresh, empty file beside the target that only this write uses, with the permissions a new
// file gets here, so the renamed result looks like any file the user saves; its descriptor.
int MakeTemporaryFile(const fs::path& target, std::string& name) {
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    Fail(fs::exists(folder, error) ? folder.string() + " is not a folder"
                                   : "the folder " + folder.string() + " does not exist");
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
    Fail("cannot write in the folder " + folder.string() + ": " + std::strerror(errno));
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(descriptor, static_cast<mode_t>(0666 & ~mask));
  name = buffer.data();
  return descriptor;
}

}  // namespace

void WriteReportFile(const fs::path& path, std::string_view contents) {
  if (path.filename().empty()) Fail("no file name given");
  std::error_code error;
  if (fs::is_directory(path, error)) Fail("cannot replace " + path.string() + ": it is a folder");
  std::string temporary;
  const int descriptor = MakeTemporaryFile(path, temporary);
  const auto give_up = [&](const std::string& what) {
    ::close(descriptor);
    ::unlink(temporary.c_str());
    Fail(what);
  };
  std::size_t written = 0;
  while (written < contents.size()) {
    const ssize_t n = ::write(descriptor, contents.data() + written, contents.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      give_up("cannot write " + path.string() + ": " + std::strerror(errno));
    }
    written += static_cast<std::size_t>(n);
  }
  if (::close(descriptor) != 0) {
    ::unlink(temporary.c_str());
    Fail("cannot write " + path.string() + ": " + std::strerror(errno));
  }
  fs::rename(temporary, path, error);
  if (error) {
    ::unlink(temporary.c_str());
    Fail("cannot replace " + path.string() + ": " + error.message());
  }
}

}  // namespace kelvo

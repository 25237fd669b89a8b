// A report's file is written whole or not at all, as the exports are.
#include "report/report_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kelvo {
namespace {

namespace fs = std::filesystem;

class ReportFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("kelvo-report-file-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  static std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
  }
  int Entries() const {
    return static_cast<int>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
  }

  fs::path folder;
};

TEST_F(ReportFileTest, WritesAndReplacesWholeLeavingNoTemporary) {
  const fs::path path = folder / "计算书.html";
  WriteReportFile(path, "first");
  EXPECT_EQ(Read(path), "first");
  WriteReportFile(path, std::string(100000, 'x'));
  EXPECT_EQ(Read(path), std::string(100000, 'x'));
  EXPECT_EQ(Entries(), 1);
  const fs::perms perms = fs::status(path).permissions();
  EXPECT_NE(perms & fs::perms::owner_read, fs::perms::none) << "not mkstemp's 0600 alone";
}

TEST_F(ReportFileTest, RefusesWhatCannotBeWrittenAndLeavesNothing) {
  fs::create_directory(folder / "a-folder");
  struct Refusal {
    fs::path path;
    std::string reason;  // in the designer's words, for the message box and kelvo-cli
  };
  const Refusal refusals[] = {
      {folder / "missing" / "r.pdf", "文件夹 " + (folder / "missing").string() + " 不存在"},
      {folder / "a-folder", (folder / "a-folder").string() + " 是文件夹，不是文件名"},
      {folder / "", "没有给出文件名"},
  };
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.path.string());
    try {
      WriteReportFile(refusal.path, "x");
      ADD_FAILURE() << "written";
    } catch (const ReportFileError& error) {
      EXPECT_EQ(error.Reason(), refusal.reason);
    }
  }
  EXPECT_EQ(Entries(), 1);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  if (::geteuid() != 0) {  // root writes anywhere
    EXPECT_THROW(WriteReportFile(folder / "r.html", "x"), ReportFileError);
  }
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_EQ(Entries(), 1);
}

}  // namespace
}  // namespace kelvo

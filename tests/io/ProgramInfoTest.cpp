#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "io/ProgramInfo.h"
#include "text/SystemPath.h"

namespace qs {
namespace {

TEST(ProgramInfo, VersionAndGeneratorComeFromTheBuild) {
  EXPECT_EQ(ProgramVersion(), "1.0.0");
  EXPECT_EQ(ProgramGenerator(), "Quillscope - 1.0.0");
  EXPECT_EQ(ProgramCompany(), "Quillscope");
  EXPECT_EQ(ProgramCompany().find(' '), std::string::npos);  // stands unquoted in a META line
  EXPECT_EQ(ProgramHomePage().rfind("http", 0), 0u);
}

TEST(ProgramInfo, StampIsTheFixedEnglishLongFormat) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 7;
  t.tm_wday = 1;
  t.tm_hour = 14;
  t.tm_min = 5;
  t.tm_sec = 9;
  EXPECT_EQ(FormatStamp(t), "Monday, December 7, 2026 14:05:09");
  t.tm_mon = 0;
  t.tm_mday = 31;
  t.tm_wday = 0;
  t.tm_hour = 0;
  t.tm_min = 0;
  t.tm_sec = 0;
  EXPECT_EQ(FormatStamp(t), "Sunday, January 31, 2026 00:00:00");
  // The current stamp is the formatted local time of the moment it was taken.
  const auto local = [](std::time_t t) {
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return FormatStamp(tm);
  };
  const std::time_t before = std::time(nullptr);
  const std::string now = CurrentStamp();
  const std::time_t after = std::time(nullptr);
  EXPECT_TRUE(now == local(before) || now == local(after)) << now;
}

TEST(ProgramInfo, ProgramFolderIsTheTestProgramsFolder) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  const char* program = kWindowsFileSystem ? "qs_io_tests.exe" : "qs_io_tests";
  EXPECT_TRUE(std::filesystem::exists(SystemPath(folder) / program)) << folder;
  // Windows gives the module's folder from a drive, with "\\" between the folders.
  if (kWindowsFileSystem) {
    EXPECT_TRUE(folder.size() > 3 && folder.substr(1, 2) == ":\\") << folder;
  }
}

}  // namespace
}  // namespace qs

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "text/LoadError.h"
#include "text/SystemPath.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

// Names the system must take whole: ASCII, a letter code page 1252 and Latin-1 share, the euro
// sign (0x80 in code page 1252, a control character in Latin-1, which is how MinGW's
// std::filesystem reads narrow strings) and a letter outside code page 1252 altogether.
const std::vector<std::string> kNames = {"plain.bas", "Caf\xC3\xA9.bas", "\xE2\x82\xAC 5.bas",
                                         "\xD0\x96urnal.cls"};

TEST(SystemPath, NamesOutsideAsciiAreWrittenFoundListedAndReadUnderTheirOwnName) {
  const fs::path dir = SystemPath(std::string(QS_BINARY_DIR) + "/test-tmp/system-path-" +
                                  std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string folder = PlatformPath(dir);
  for (const std::string& name : kNames) {
    SCOPED_TRACE(name);
    const std::string path = folder + kPathSeparator + name;
    std::FILE* f = OpenFile(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(name.c_str(), f);
    std::fclose(f);
    EXPECT_TRUE(fs::is_regular_file(SystemPath(path)));
    std::uintmax_t size = 0;
    ASSERT_EQ(MeasureFile(path, size), LoadError::kNone);
    std::string bytes(size, '\0');
    ASSERT_EQ(ReadFileBytes(path, bytes.data(), bytes.size()), LoadError::kNone);
    EXPECT_EQ(bytes, name);
  }
  std::vector<std::string> listed;
  for (const auto& entry : fs::directory_iterator(dir))
    listed.push_back(PlatformPath(entry.path().filename()));
  std::sort(listed.begin(), listed.end());
  std::vector<std::string> expected = kNames;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);
  EXPECT_EQ(OpenFile(folder + kPathSeparator + "missing.bas", "rb"), nullptr);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace qs

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "io/modFiles.h"

namespace qs {
namespace {

TEST(CreateFolder, CreatesOneLevelAndIgnoresEveryError) {
  namespace fs = std::filesystem;
  const fs::path base = fs::path(QS_BINARY_DIR) / "test-tmp" /
                        (std::string("createfolder") + "-" + std::to_string(::getpid()));
  fs::remove_all(base);
  fs::create_directories(base);
  const std::string one = (base / "one").string();
  CreateFolder(one);
  EXPECT_TRUE(fs::is_directory(one));
  CreateFolder(one);  // exists already: no error, still there
  EXPECT_TRUE(fs::is_directory(one));
  CreateFolder((base / "missing" / "two").string());  // parent missing: nothing created
  EXPECT_FALSE(fs::exists(base / "missing"));
  CreateFolder("");
  fs::remove_all(base);
}

}  // namespace
}  // namespace qs

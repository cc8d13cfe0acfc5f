// A scratch folder under the build folder for one test, removed when the test ends. The name
// carries the process id: CTest runs the tests of one program in parallel processes.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "text/SystemPath.h"

namespace qs::test {

/// Why a test of POSIX file permissions cannot run here, "" when it can: root reads and writes
/// every file whatever its permissions, and Windows has no POSIX permissions.
inline std::string PermissionTestBlocker() {
#ifdef _WIN32
  return "Windows has no POSIX file permissions";
#else
  return ::geteuid() == 0 ? "running as root" : "";
#endif
}

class TestFolder {
 public:
  explicit TestFolder(const std::string& name)
      : m_path(std::filesystem::path(QS_BINARY_DIR) / "test-tmp" /
               (name + "-" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
  }
  ~TestFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
  }
  const std::filesystem::path& Path() const { return m_path; }
  /// The platform path (UTF-8) of rel, a path under the folder, with the platform's separators.
  std::string operator/(const std::string& rel) const {
    return PlatformPath((m_path / SystemPath(rel)).make_preferred());
  }

  /// Writes the bytes to the file (folders created as needed) and returns its path.
  std::string Write(const std::string& rel, const std::string& bytes) const {
    const auto p = m_path / SystemPath(rel);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return PlatformPath(p);
  }

 private:
  std::filesystem::path m_path;
};

/// The text with every LF made CR LF, as Visual Basic writes its files.
inline std::string Crlf(const std::string& lf) {
  std::string out;
  for (char c : lf) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(SystemPath(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace qs::test

#include "io/modFiles.h"

#include <filesystem>
#include <system_error>

#include "text/SystemPath.h"

namespace qs {

void CreateFolder(const std::string& in_sPath) {
  if (in_sPath.empty()) return;
  // The result tells of an existing folder, a missing parent or a lack of permission; the run
  // does not care which: it checks the folder itself before writing.
  try {
    std::error_code ec;
    std::filesystem::create_directory(SystemPath(in_sPath), ec);
  } catch (const std::system_error&) {
    // A path the system cannot take (not UTF-8, on Windows): no folder, which the check finds.
    // Any other failure (out of memory) goes on to the caller.
    return;
  }
}

bool IsFolder(const std::string& in_sPath) {
  try {
    std::error_code ec;
    return std::filesystem::is_directory(SystemPath(in_sPath), ec);
  } catch (const std::system_error&) {
    // A path the system cannot take (not UTF-8, on Windows): the caller sees no folder. Any
    // other failure (out of memory) goes on to the caller.
    return false;
  }
}

}  // namespace qs

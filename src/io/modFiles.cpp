#include "io/modFiles.h"

#include <filesystem>
#include <new>
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
  } catch (const std::bad_alloc&) {
    throw;  // out of memory fails the run at its boundary
  } catch (...) {
    // A path the system cannot take: no folder, which the check finds.
    return;
  }
}

bool IsFolder(const std::string& in_sPath) {
  try {
    std::error_code ec;
    return std::filesystem::is_directory(SystemPath(in_sPath), ec);
  } catch (const std::bad_alloc&) {
    throw;  // out of memory fails the run at its boundary
  } catch (...) {
    // A path the system cannot take: the caller sees no folder.
    return false;
  }
}

}  // namespace qs

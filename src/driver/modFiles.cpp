#include "driver/modFiles.h"

#include <sys/stat.h>

namespace qs {

void CreateFolder(const std::string& in_sPath) {
  if (in_sPath.empty()) return;
  // mkdir reports an existing folder, a missing parent or a lack of permission through its
  // result; the run does not care which: it checks the folder itself before writing.
  (void)::mkdir(in_sPath.c_str(), 0777);
}

bool IsFolder(const std::string& in_sPath) {
  struct stat st {};
  return ::stat(in_sPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace qs

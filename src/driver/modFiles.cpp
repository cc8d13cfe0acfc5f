#include "driver/modFiles.h"

#include <sys/stat.h>

namespace qs {

void SplitPath(std::string_view in_sPath, std::string& out_sFolder, std::string& out_sFile,
               std::string& out_sBody, std::string& out_sExt, char in_cSeparator) {
  out_sFolder.clear();
  out_sFile.clear();
  out_sBody.clear();
  out_sExt.clear();

  // The folder is everything up to and including the last separator: every part but the last,
  // each followed by the separator.
  const size_t lastSep = in_sPath.rfind(in_cSeparator);
  std::string_view file = in_sPath;
  if (lastSep != std::string_view::npos) {
    out_sFolder.assign(in_sPath.substr(0, lastSep + 1));
    file = in_sPath.substr(lastSep + 1);
  }
  out_sFile.assign(file);

  // Body: the first "."-piece; extension: the second piece, when there is one.
  const size_t firstDot = file.find('.');
  if (firstDot == std::string_view::npos) {
    out_sBody.assign(file);
    return;
  }
  out_sBody.assign(file.substr(0, firstDot));
  const std::string_view rest = file.substr(firstDot + 1);
  out_sExt.assign(rest.substr(0, rest.find('.')));
}

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

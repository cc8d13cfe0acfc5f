#include "text/LoadError.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "text/SystemPath.h"

namespace qs {

const char* LoadErrorText(LoadError in_eError) {
  switch (in_eError) {
    case LoadError::kNone:
      return "";
    case LoadError::kNotFound:
      return "not found";
    case LoadError::kFolder:
      return "is a folder";
    case LoadError::kNotReadable:
      return "is not readable";
    case LoadError::kTooLarge:
      return "is too large";
    case LoadError::kShortRead:
      return "changed while it was read";
    case LoadError::kBadContent:
      return "is not in the expected format";
  }
  return "";
}

LoadError MeasureFile(const std::string& in_sPath, std::uintmax_t& out_nSize) {
  out_nSize = 0;
  if (in_sPath.empty()) return LoadError::kNotFound;
  try {
    std::error_code ec;
    const std::filesystem::path path = SystemPath(in_sPath);
    const std::filesystem::file_status st = std::filesystem::status(path, ec);
    // A folder on the way that may not be searched hides the file: it is there, but not
    // readable.
    if (ec == std::errc::permission_denied) return LoadError::kNotReadable;
    if (ec || st.type() == std::filesystem::file_type::not_found) return LoadError::kNotFound;
    if (st.type() == std::filesystem::file_type::directory) return LoadError::kFolder;
    if (st.type() != std::filesystem::file_type::regular) return LoadError::kNotReadable;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return LoadError::kNotReadable;
    out_nSize = size;
    return LoadError::kNone;
  } catch (const std::system_error&) {
    // (On Windows) a path that is not UTF-8: the caller is told the file is not readable. Any
    // other failure (out of memory) goes on to the caller.
    return LoadError::kNotReadable;
  }
}

LoadError ReadFileBytes(const std::string& in_sPath, void* out_pBytes, size_t in_nSize) {
  std::FILE* f = OpenFile(in_sPath, "rb");
  if (!f) {
    // Gone since it was measured is "not found"; every other refusal is "not readable".
    return errno == ENOENT ? LoadError::kNotFound : LoadError::kNotReadable;
  }
  const size_t got = std::fread(out_pBytes, 1, in_nSize, f);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (got == in_nSize) return LoadError::kNone;
  return failed ? LoadError::kNotReadable : LoadError::kShortRead;
}

}  // namespace qs

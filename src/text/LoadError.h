// Why a file could not be loaded, and the shared steps of loading one whole file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qs {

enum class LoadError : uint8_t {
  kNone,         ///< loaded completely
  kNotFound,     ///< no file by that name (or a folder on the way is missing)
  kFolder,       ///< the name is a folder
  kNotReadable,  ///< no permission, or not a plain file (a device, a pipe)
  kTooLarge,     ///< above the loader's size limit (a record dump: no memory to hold it)
  kShortRead,    ///< fewer bytes came than the file measured: it changed while it was read
  kBadContent,   ///< read completely, but not in the format the loader expects
};

/// The reason as words that follow the file's name or kind: "not found", "is a folder",
/// "is not readable", "is too large", "changed while it was read", "is not in the expected
/// format"; "" for kNone.
const char* LoadErrorText(LoadError in_eError);

/// Measures a file before it is read: kNone and its size in out_nSize, or why it cannot be read.
/// Throws only std::bad_alloc, when there is no memory for the path.
LoadError MeasureFile(const std::string& in_sPath, std::uintmax_t& out_nSize);

/// Reads exactly in_nSize bytes from the start of the file into out_pBytes (which has room for
/// them). kShortRead when fewer came. Never throws.
LoadError ReadFileBytes(const std::string& in_sPath, void* out_pBytes, size_t in_nSize);

}  // namespace qs

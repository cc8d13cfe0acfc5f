// Folder operations of the documentation run.
#pragma once

#include <string>
#include <string_view>

namespace qs {

/// Creates one folder level (the path is a platform path). Every error is ignored: the folder
/// may exist already, its parent may be missing, permission may be lacking.
void CreateFolder(const std::string& in_sPath);

/// True when the platform path names an existing folder (following symbolic links).
bool IsFolder(const std::string& in_sPath);

}  // namespace qs

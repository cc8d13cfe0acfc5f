// Path splitting and folder creation: the file-name operations of the documentation run.
#pragma once

#include <string>
#include <string_view>

namespace qs {

/// Splits a path into its folder (every component followed by the separator, "" when the path
/// has none), its file name (the last component), the body (file name up to its first ".") and
/// the extension (text between the first and the second ".", "" when there is no ".").
/// Project files write "\" between components, so that is the default separator; the driver
/// passes "/" for paths of the platform. C:\a\b.c.vbp gives C:\a\, b.c.vbp, b and c.
void SplitPath(std::string_view in_sPath, std::string& out_sFolder, std::string& out_sFile,
               std::string& out_sBody, std::string& out_sExt, char in_cSeparator = '\\');

/// Creates one folder level (the path is a platform path). Every error is ignored: the folder
/// may exist already, its parent may be missing, permission may be lacking.
void CreateFolder(const std::string& in_sPath);

/// True when the platform path names an existing folder (following symbolic links).
bool IsFolder(const std::string& in_sPath);

}  // namespace qs

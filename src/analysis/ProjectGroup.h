// Project group files (.vbg) and the links between projects that a project file holds.
//
// A group file starts with a "VBGROUP <version>" line; its "StartupProject=" and "Project=" lines
// name member projects by paths relative to the group file, written with "\" separators and in
// any letter case. Every other line is ignored. A project file's "Reference=*\A<path>" lines name
// another project whose source it uses.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/LoadError.h"

namespace qs {

class ItemPathResolver;

/// The member lines of a group file's text, as written (code page bytes, blanks around the value
/// dropped), in file order. False, with nothing added, when the first line is no "VBGROUP" line.
bool ParseProjectGroup(std::string_view in_sText, std::vector<std::string>& out_members);

/// The paths of a project file's "Reference=*\A<path>#..." lines, as written, in file order.
std::vector<std::string> ParseProjectReferences(std::string_view in_sText);

/// Whether the file name's last suffix is "vbg" in any letter case.
bool HasGroupExtension(const std::string& in_sPath);

/// A group file read from disk, its members found on the platform's file system.
struct ProjectGroup {
  std::string file;  ///< the group file's platform path
  /// Member projects' platform paths, in file order (each once).
  std::vector<std::string> projects;
  /// Why the group could not be read ("group file not found", "... has no VBGROUP line", ...);
  /// empty when it was.
  std::string failure;
  /// "Lib\Lib.vbp: project file not found": one line per member that was not found (UTF-8).
  std::vector<std::string> warnings;

  /// Reads the group file at in_sPath and finds its members through the resolver.
  static ProjectGroup Read(const std::string& in_sPath, ItemPathResolver& io_oResolver);
};

/// The platform paths of the existing projects a project file's "*\A" lines name, resolved from
/// its folder (lines whose project is missing are left out). Empty when it cannot be read.
std::vector<std::string> ReadProjectReferences(const std::string& in_sProjectFile,
                                               ItemPathResolver& io_oResolver);

}  // namespace qs

// Finds the file that a project item names. Project files come from a system whose paths use
// "\" and ignore letter case, and whose file names never end in a dot or a blank; this maps such
// a path onto the platform's file system.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qs {

class ItemPathResolver {
 public:
  /// The item value as a platform path: every "\" becomes "/" (on Windows every "/" becomes
  /// "\"), and the code page 1252 bytes become UTF-8. Nothing is looked up.
  static std::string MapItemPath(std::string_view in_sItemValue);

  /// The platform path of the existing file or folder that the item value names, relative to
  /// in_sBaseDir (a platform folder path; "" means the current directory), or "" when there is
  /// none. The path as written wins; otherwise (not on Windows, whose file system does this
  /// itself) each component is looked up ignoring letter case
  /// (the exact name first, then the first match in sorted order), and when that fails too,
  /// again with its trailing dots and blanks dropped.
  std::string Resolve(std::string_view in_sItemValue, const std::string& in_sBaseDir);

  /// Forgets the folder listings read so far (the file system may have changed).
  void Clear() { m_listings.clear(); }

 private:
  // A folder's entries as (case-folded code page 1252 name, name as stored), sorted.
  using Listing = std::vector<std::pair<std::string, std::string>>;
  const Listing& ListingOf(const std::string& in_sFolder);
  /// The entry of the folder whose name equals in_sName (UTF-8): the exact one if it exists,
  /// else the first match ignoring letter case; "" when none matches.
  std::string FindEntry(const std::string& in_sFolder, const std::string& in_sName);

  std::unordered_map<std::string, Listing> m_listings;
};

}  // namespace qs

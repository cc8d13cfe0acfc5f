// The projects one call documents, found from what it was given: project files, group files
// (.vbg) and folders, each project once in the order first met.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/ItemPathResolver.h"

namespace qs {

/// Whether the text matches the pattern, "*" standing for any run of characters (none too) and
/// "?" for one, ignoring ASCII letter case.
bool MatchesGlob(std::string_view in_sPattern, std::string_view in_sText);

/// Whether a folder's name is one Quillscope writes (a report folder "<Body>_document", a site
/// folder "<Body>_site", "estate_site"): folder scans skip them.
bool IsOutputFolderName(std::string_view in_sName);

class ProjectList {
 public:
  struct Group {
    std::string file;              ///< the group file as given or found (platform path)
    std::vector<size_t> projects;  ///< indices into Projects(), in the group's order
  };
  /// Something the call was given that could not be expanded, and why.
  struct Problem {
    std::string path;
    std::string message;
  };

  /// Folder scans skip files and folders whose name, or whose path below the folder scanned
  /// ("/" separators), matches one of these patterns.
  void SetExcludes(std::vector<std::string> in_patterns) { m_excludes = std::move(in_patterns); }

  /// Adds what one argument names: a folder (every .vbp and .vbg below it, any letter case, in
  /// sorted path order, skipping output folders and excluded names), a group file (its member
  /// projects) or anything else as a project file. A project already listed is not added again.
  /// Never throws.
  void Add(const std::string& in_sPath);

  /// Project file paths as given or found, each once.
  const std::vector<std::string>& Projects() const { return m_projects; }
  const std::vector<Group>& Groups() const { return m_groups; }
  /// Members of groups that were not found ("Lib\Lib.vbp: project file not found").
  const std::vector<Problem>& Warnings() const { return m_warnings; }
  /// Group files that could not be read, and folders that could not be listed.
  const std::vector<Problem>& Failures() const { return m_failures; }

  /// Each project's "Reference=*\A" projects that the list holds (indices), read from the
  /// project files (none for a file that cannot be read). A project whose references cannot be
  /// read otherwise has none, and out_pWarnings, when given, gets a line saying why. Throws only
  /// std::bad_alloc.
  std::vector<std::vector<size_t>> SourceReferences(
      std::vector<Problem>* out_pWarnings = nullptr) const;
  /// An order of the projects 0 .. n-1 in which each comes after the projects its references
  /// (in_refs, as SourceReferences gives them) name, cycles broken in the list's order, and
  /// otherwise in the list's order. Linear; no recursion.
  static std::vector<size_t> ReferencedFirst(const std::vector<std::vector<size_t>>& in_refs);

 private:
  /// Index of the project in m_projects, adding it when it is new.
  size_t AddProject(const std::string& in_sPath);
  void AddPath(const std::string& in_sPath);
  void AddGroup(const std::string& in_sPath);
  void AddFolder(const std::string& in_sPath);
  bool Excluded(const std::string& in_sName, const std::string& in_sRelative) const;

  std::vector<std::string> m_projects;
  std::unordered_map<std::string, size_t> m_projectIndex;  ///< by SameFileKey
  std::vector<Group> m_groups;
  std::unordered_map<std::string, size_t> m_groupIndex;
  std::vector<Problem> m_warnings;
  std::vector<Problem> m_failures;
  std::vector<std::string> m_excludes;
  ItemPathResolver m_resolver;
};

}  // namespace qs

#include "run/ProjectList.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "analysis/ProjectGroup.h"
#include "run/clsVBInfo.h"
#include "text/Failure.h"
#include "text/SystemPath.h"

namespace qs {

namespace {

char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EndsWithNoCase(std::string_view s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i)
    if (FoldAscii(s[s.size() - tail.size() + i]) != FoldAscii(tail[i])) return false;
  return true;
}

}  // namespace

bool MatchesGlob(std::string_view in_sPattern, std::string_view in_sText) {
  // Greedy match that backs up to the last "*" on a mismatch: linear in practice, never
  // recursive.
  size_t p = 0, t = 0;
  size_t starP = std::string_view::npos, starT = 0;
  while (t < in_sText.size()) {
    if (p < in_sPattern.size() &&
        (in_sPattern[p] == '?' || FoldAscii(in_sPattern[p]) == FoldAscii(in_sText[t]))) {
      ++p;
      ++t;
    } else if (p < in_sPattern.size() && in_sPattern[p] == '*') {
      starP = p++;
      starT = t;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < in_sPattern.size() && in_sPattern[p] == '*') ++p;
  return p == in_sPattern.size();
}

bool IsOutputFolderName(std::string_view in_sName) {
  return EndsWithNoCase(in_sName, "_document") || EndsWithNoCase(in_sName, "_site");
}

std::vector<std::vector<size_t>> ProjectList::SourceReferences(
    std::vector<Problem>* out_pWarnings) const {
  std::vector<std::vector<size_t>> refs(m_projects.size());
  ItemPathResolver resolver;
  for (size_t i = 0; i < m_projects.size(); ++i) {
    try {
      for (const std::string& path : ReadProjectReferences(m_projects[i], resolver)) {
        const auto it = m_projectIndex.find(SameFileKey(path));
        if (it != m_projectIndex.end() && it->second != i) refs[i].push_back(it->second);
      }
    } catch (const std::bad_alloc&) {
      throw;  // out of memory ends the call, at its boundary
    } catch (const std::exception& e) {
      // The caller sees the project without references (documented in the list's order) and a
      // warning that says why.
      refs[i].clear();
      if (out_pWarnings)
        out_pWarnings->push_back(
            {m_projects[i], "its references to other projects cannot be read: " + FailureText(e)});
    }
  }
  return refs;
}

std::vector<size_t> ProjectList::ReferencedFirst(const std::vector<std::vector<size_t>>& in_refs) {
  // Depth first, each project written out after what it references, with a stack of its own.
  enum : char { kNew, kOnStack, kDone };
  std::vector<char> state(in_refs.size(), kNew);
  std::vector<size_t> order;
  order.reserve(in_refs.size());
  std::vector<std::pair<size_t, size_t>> stack;  // project, next reference to follow
  for (size_t start = 0; start < in_refs.size(); ++start) {
    if (state[start] != kNew) continue;
    state[start] = kOnStack;
    stack.emplace_back(start, 0);
    while (!stack.empty()) {
      auto& [project, next] = stack.back();
      if (next < in_refs[project].size()) {
        const size_t r = in_refs[project][next++];
        if (r < in_refs.size() && state[r] == kNew) {
          state[r] = kOnStack;
          stack.emplace_back(r, 0);
        }
        continue;
      }
      state[project] = kDone;
      order.push_back(project);
      stack.pop_back();
    }
  }
  return order;
}

size_t ProjectList::AddProject(const std::string& in_sPath) {
  const auto [it, added] = m_projectIndex.emplace(SameFileKey(in_sPath), m_projects.size());
  if (added) {
    // Windows takes either separator; the paths shown use its own.
    std::string path = in_sPath;
    if constexpr (kWindowsFileSystem) std::replace(path.begin(), path.end(), '/', '\\');
    m_projects.push_back(std::move(path));
  }
  return it->second;
}

void ProjectList::AddGroup(const std::string& in_sPath) {
  const auto [it, added] = m_groupIndex.emplace(SameFileKey(in_sPath), m_groups.size());
  if (!added) return;
  // Windows takes either separator; the paths shown use its own.
  Group group;
  group.file = in_sPath;
  if constexpr (kWindowsFileSystem) std::replace(group.file.begin(), group.file.end(), '/', '\\');
  ProjectGroup read = ProjectGroup::Read(in_sPath, m_resolver);
  if (!read.failure.empty()) {
    m_groupIndex.erase(it);
    m_failures.push_back({group.file, read.failure});
    return;
  }
  for (std::string& w : read.warnings) m_warnings.push_back({group.file, std::move(w)});
  for (const std::string& project : read.projects) group.projects.push_back(AddProject(project));
  m_groups.push_back(std::move(group));
}

bool ProjectList::Excluded(const std::string& in_sName, const std::string& in_sRelative) const {
  for (const std::string& pattern : m_excludes)
    if (MatchesGlob(pattern, in_sName) || MatchesGlob(pattern, in_sRelative)) return true;
  return false;
}

void ProjectList::AddFolder(const std::string& in_sPath) {
  namespace fs = std::filesystem;
  std::vector<std::string> found;
  std::error_code ec;
  const fs::path root = SystemPath(in_sPath);
  // The iterator walks the tree with a stack of its own (no recursion), and does not follow
  // links to folders, so a link loop cannot trap it.
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
  if (ec) {
    m_failures.push_back({in_sPath, "folder cannot be listed: " + ec.message()});
    return;
  }
  for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    const std::string name = PlatformPath(it->path().filename());
    std::string relative = PlatformPath(it->path().lexically_relative(root));
    std::replace(relative.begin(), relative.end(), '\\', '/');
    std::error_code typeError;
    const bool isFolder = it->is_directory(typeError);
    if (isFolder) {
      if (IsOutputFolderName(name) || Excluded(name, relative)) it.disable_recursion_pending();
      continue;
    }
    if ((HasProjectExtension(name) || HasGroupExtension(name)) && !Excluded(name, relative))
      found.push_back(PlatformPath(it->path()));
  }
  if (ec) m_failures.push_back({in_sPath, "folder cannot be listed: " + ec.message()});
  if (found.empty() && !ec) m_failures.push_back({in_sPath, "folder holds no project files"});
  std::sort(found.begin(), found.end());
  for (const std::string& path : found) {
    if (HasGroupExtension(path)) {
      AddGroup(path);
    } else {
      AddProject(path);
    }
  }
}

void ProjectList::Add(const std::string& in_sPath) {
  try {
    AddPath(in_sPath);
  } catch (const std::exception& e) {
    // The caller finds the path among the failures, with what was found before it kept.
    m_failures.push_back({in_sPath, std::string("cannot be read: ") + FailureText(e)});
  }
}

void ProjectList::AddPath(const std::string& in_sPath) {
  std::error_code ec;
  // A folder named like a project file is taken as a project file given by mistake: the run
  // says it is a folder.
  if (!HasProjectExtension(in_sPath) && !in_sPath.empty() &&
      std::filesystem::is_directory(SystemPath(in_sPath), ec)) {
    AddFolder(in_sPath);
  } else if (HasGroupExtension(in_sPath)) {
    AddGroup(in_sPath);
  } else {
    AddProject(in_sPath);
  }
}

}  // namespace qs

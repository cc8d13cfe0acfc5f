#include "analysis/ProjectGroup.h"

#include <filesystem>
#include <unordered_set>

#include "analysis/ItemPathResolver.h"
#include "text/ClsString.h"
#include "text/Cp1252.h"
#include "text/StringUtil.h"
#include "text/SystemPath.h"

namespace qs {

namespace {

// Calls in_fLine with each line of the text (without its line end: CR LF, a lone CR or a lone
// LF) until it returns false.
template <class Fn>
void ForEachLine(std::string_view in_sText, Fn&& in_fLine) {
  size_t from = 0;
  while (from <= in_sText.size()) {
    size_t end = from;
    while (end < in_sText.size() && in_sText[end] != '\r' && in_sText[end] != '\n') ++end;
    if (!in_fLine(in_sText.substr(from, end - from))) return;
    if (end >= in_sText.size()) return;
    from =
        end +
        (in_sText[end] == '\r' && end + 1 < in_sText.size() && in_sText[end + 1] == '\n' ? 2 : 1);
  }
}

// The value of a "Key=value" line whose key (blanks around it allowed, any letter case) is
// in_sKey; false for any other line.
bool LineValue(std::string_view in_sLine, std::string_view in_sKey, std::string_view& out_value) {
  const size_t eq = in_sLine.find('=');
  if (eq == std::string_view::npos ||
      !EqualsNoCase1252(TrimBlanks(in_sLine.substr(0, eq)), in_sKey))
    return false;
  out_value = TrimBlanks(in_sLine.substr(eq + 1));
  return true;
}

bool HasExtension(const std::string& in_sPath, std::string_view in_sExt) {
  const std::string name = std::filesystem::path(in_sPath).filename().string();
  const size_t dot = name.rfind('.');
  return dot != std::string::npos &&
         EqualsNoCase1252(std::string_view(name).substr(dot + 1), in_sExt);
}

std::string FolderOf(const std::string& in_sPath) {
  const size_t slash = in_sPath.find_last_of(kPathSeparators);
  return slash == std::string::npos ? std::string() : in_sPath.substr(0, slash + 1);
}

// The file's bytes; false, with the reason, when it cannot be read.
bool ReadBytes(const std::string& in_sPath, std::string& out_text, LoadError& out_reason) {
  ClsString text;
  if (!text.LoadFromFile(in_sPath, out_reason)) return false;
  out_text.assign(reinterpret_cast<const char*>(text.Data()), static_cast<size_t>(text.Length()));
  return true;
}

}  // namespace

bool ParseProjectGroup(std::string_view in_sText, std::vector<std::string>& out_members) {
  bool first = true;
  bool isGroup = false;
  ForEachLine(in_sText, [&](std::string_view line) {
    if (first) {
      first = false;
      const std::string_view head = TrimBlanks(line);
      isGroup = head.size() >= 7 && EqualsNoCase1252(head.substr(0, 7), "VBGROUP") &&
                (head.size() == 7 || IsBlank(head[7]));
      return isGroup;
    }
    std::string_view value;
    if ((LineValue(line, "Project", value) || LineValue(line, "StartupProject", value)) &&
        !value.empty())
      out_members.emplace_back(value);
    return true;
  });
  return isGroup;
}

std::vector<std::string> ParseProjectReferences(std::string_view in_sText) {
  std::vector<std::string> paths;
  ForEachLine(in_sText, [&](std::string_view line) {
    std::string_view value;
    if (LineValue(line, "Reference", value) && value.size() > 3 && value[0] == '*' &&
        value[1] == '\\' && (value[2] == 'A' || value[2] == 'a')) {
      const std::string_view path = TrimBlanks(value.substr(3, value.find('#') - 3));
      if (!path.empty()) paths.emplace_back(path);
    }
    return true;
  });
  return paths;
}

bool HasGroupExtension(const std::string& in_sPath) {
  return HasExtension(in_sPath, "vbg");
}

ProjectGroup ProjectGroup::Read(const std::string& in_sPath, ItemPathResolver& io_oResolver) {
  ProjectGroup group;
  group.file = in_sPath;
  std::string text;
  LoadError reason = LoadError::kNone;
  if (!ReadBytes(in_sPath, text, reason)) {
    group.failure = std::string("group file ") + LoadErrorText(reason);
    return group;
  }
  std::vector<std::string> members;
  if (!ParseProjectGroup(text, members)) {
    group.failure = "group file does not start with a VBGROUP line";
    return group;
  }
  const std::string folder = FolderOf(in_sPath);
  std::unordered_set<std::string> seen;
  for (const std::string& member : members) {
    std::string found = io_oResolver.Resolve(member, folder);
    std::error_code ec;
    if (found.empty() || std::filesystem::is_directory(SystemPath(found), ec)) {
      group.warnings.push_back(Cp1252ToUtf8(member) + ": project file not found");
      continue;
    }
    // "Groups/../Lib/Lib.vbp" is named as "Lib/Lib.vbp".
    found = PlatformPath(SystemPath(found).lexically_normal());
    if (seen.insert(found).second) group.projects.push_back(std::move(found));
  }
  return group;
}

std::vector<std::string> ReadProjectReferences(const std::string& in_sProjectFile,
                                               ItemPathResolver& io_oResolver) {
  std::vector<std::string> found;
  std::string text;
  LoadError reason = LoadError::kNone;
  if (!ReadBytes(in_sProjectFile, text, reason)) return found;
  const std::string folder = FolderOf(in_sProjectFile);
  for (const std::string& path : ParseProjectReferences(text)) {
    std::string resolved = io_oResolver.Resolve(path, folder);
    if (!resolved.empty()) found.push_back(std::move(resolved));
  }
  return found;
}

}  // namespace qs

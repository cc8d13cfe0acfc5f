#include "analysis/ItemPathResolver.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "text/Cp1252.h"
#include "text/SystemPath.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace qs {

namespace {

#ifdef _WIN32
// The existing path with every component from in_nFrom on named as the file system stores it
// (Windows opens "FORMS\\MAIN.FRM." as "Forms\\Main.frm"; the export names the file as stored).
std::string AsStored(const std::string& path, size_t from) {
  std::string stored = path.substr(0, from);
  while (from < path.size()) {
    size_t end = path.find_first_of(kPathSeparators, from);
    if (end == std::string::npos) end = path.size();
    std::string component = path.substr(from, end - from);
    if (!component.empty() && component != "." && component != "..") {
      WIN32_FIND_DATAW found;
      const HANDLE h = ::FindFirstFileW(SystemPath(stored + component).c_str(), &found);
      if (h != INVALID_HANDLE_VALUE) {
        ::FindClose(h);
        component = PlatformPath(std::filesystem::path(found.cFileName));
      }
    }
    stored += component;
    if (end < path.size()) stored += path[end];
    from = end + 1;
  }
  return stored;
}
#endif

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(SystemPath(path), ec);
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (kPathSeparators.find(folder.back()) != std::string_view::npos) return folder + name;
  return folder + kPathSeparator + name;
}

// An absolute path: from the root, or (on Windows) from a drive letter.
bool IsAbsolute(const std::string& path) {
  if (kPathSeparators.find(path.front()) != std::string_view::npos) return true;
  return kWindowsFileSystem && path.size() >= 2 && path[1] == ':';
}

std::string FoldName(std::string_view utf8) {
  return Lower1252(Utf8To1252(utf8));
}

}  // namespace

std::string ItemPathResolver::MapItemPath(std::string_view in_sItemValue) {
  std::string mapped = Cp1252ToUtf8(in_sItemValue);
  // Linux reads "\\" as a character of a name; Windows takes "/" too, but writes "\\".
  std::replace(mapped.begin(), mapped.end(), kWindowsFileSystem ? '/' : '\\', kPathSeparator);
  return mapped;
}

const ItemPathResolver::Listing& ItemPathResolver::ListingOf(const std::string& in_sFolder) {
  auto found = m_listings.find(in_sFolder);
  if (found != m_listings.end()) return found->second;
  Listing listing;
  std::error_code ec;
  std::filesystem::directory_iterator it(SystemPath(in_sFolder.empty() ? "." : in_sFolder), ec);
  for (const std::filesystem::directory_iterator end; !ec && it != end; it.increment(ec)) {
    std::string name = PlatformPath(it->path().filename());
    listing.emplace_back(FoldName(name), std::move(name));
  }
  std::sort(listing.begin(), listing.end());
  return m_listings.emplace(in_sFolder, std::move(listing)).first->second;
}

std::string ItemPathResolver::FindEntry(const std::string& in_sFolder,
                                        const std::string& in_sName) {
  if (in_sName.empty()) return "";
  if (Exists(Join(in_sFolder, in_sName))) return in_sName;
  const Listing& listing = ListingOf(in_sFolder);
  const std::string key = FoldName(in_sName);
  auto it = std::lower_bound(listing.begin(), listing.end(), std::make_pair(key, std::string()));
  if (it != listing.end() && it->first == key) return it->second;
  return "";
}

std::string ItemPathResolver::Resolve(std::string_view in_sItemValue,
                                      const std::string& in_sBaseDir) {
  const std::string mapped = MapItemPath(in_sItemValue);
  if (mapped.empty()) return "";
  const bool absolute = IsAbsolute(mapped);
  const std::string asWritten = absolute ? mapped : Join(in_sBaseDir, mapped);
#ifdef _WIN32
  // Windows itself ignores letter case and drops trailing dots and blanks: nothing to look up.
  if (!Exists(asWritten)) return "";
  return absolute ? asWritten : AsStored(asWritten, asWritten.size() - mapped.size());
#else
  if (Exists(asWritten)) return asWritten;

  std::string current = absolute ? "/" : in_sBaseDir;
  size_t pos = 0;
  while (pos <= mapped.size()) {
    size_t slash = mapped.find('/', pos);
    if (slash == std::string::npos) slash = mapped.size();
    const std::string component = mapped.substr(pos, slash - pos);
    pos = slash + 1;
    if (component.empty()) continue;  // doubled or leading separators
    if (component == "." || component == "..") {
      current = Join(current, component);
      continue;
    }
    std::string entry = FindEntry(current, component);
    if (entry.empty()) {
      // The projects' own system drops trailing dots and blanks from every name it opens.
      std::string trimmed = component;
      while (!trimmed.empty() && (trimmed.back() == '.' || trimmed.back() == ' '))
        trimmed.pop_back();
      if (trimmed != component) entry = FindEntry(current, trimmed);
    }
    if (entry.empty()) return "";
    current = Join(current, entry);
  }
  return current;
#endif
}

}  // namespace qs

#include "driver/ItemPathResolver.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "text/Cp1252.h"

namespace qs {

namespace {

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string FoldName(std::string_view utf8) {
  return Lower1252(Utf8To1252(utf8));
}

}  // namespace

std::string ItemPathResolver::MapItemPath(std::string_view in_sItemValue) {
  std::string mapped = Cp1252ToUtf8(in_sItemValue);
  std::replace(mapped.begin(), mapped.end(), '\\', '/');
  return mapped;
}

const ItemPathResolver::Listing& ItemPathResolver::ListingOf(const std::string& in_sFolder) {
  auto found = m_listings.find(in_sFolder);
  if (found != m_listings.end()) return found->second;
  Listing listing;
  std::error_code ec;
  std::filesystem::directory_iterator it(in_sFolder.empty() ? "." : in_sFolder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
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
  const bool absolute = mapped.front() == '/';
  const std::string asWritten = absolute ? mapped : Join(in_sBaseDir, mapped);
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
}

}  // namespace qs

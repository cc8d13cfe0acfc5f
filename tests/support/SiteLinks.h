// The links of a written documentation site, checked from the test side: every link to a file of
// the site (and to an id there) finds it.
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "support/TestFolder.h"

namespace qs::test {

// Every href and src of every page that names a file of the site (and an anchor there) finds it.
// Returns the broken links, "page -> target" each.
inline std::vector<std::string> BrokenLinks(const std::filesystem::path& site) {
  std::vector<std::string> broken;
  std::map<std::string, std::set<std::string>> ids;
  const auto idsOf = [&](const std::string& file) -> const std::set<std::string>& {
    auto [it, added] = ids.try_emplace(file);
    if (!added) return it->second;
    const std::string text = ReadFile((site / file).string());
    // Quoted (id="x") or not (id=x, ended by a blank or ">").
    for (size_t at = 0; (at = text.find(" id=", at)) != std::string::npos;) {
      at += 4;
      const bool quoted = text[at] == '"';
      at += quoted ? 1 : 0;
      it->second.insert(text.substr(at, text.find_first_of(quoted ? "\"" : " >", at) - at));
    }
    return it->second;
  };
  for (const auto& entry : std::filesystem::directory_iterator(site)) {
    if (entry.path().extension() != ".html") continue;
    const std::string page = entry.path().filename().string();
    const std::string text = ReadFile(entry.path().string());
    for (const char* attribute : {" href=\"", " src=\"", " data=\""}) {
      for (size_t at = 0; (at = text.find(attribute, at)) != std::string::npos;) {
        at += std::string_view(attribute).size();
        const std::string link = text.substr(at, text.find('"', at) - at);
        if (link.find("://") != std::string::npos) continue;
        const size_t hash = link.find('#');
        const std::string file = hash == 0 ? page : link.substr(0, hash);
        const bool ok = std::filesystem::exists(site / file) &&
                        (hash == std::string::npos || idsOf(file).count(link.substr(hash + 1)));
        if (!ok) broken.push_back(page + " -> " + link);
      }
    }
  }
  return broken;
}

}  // namespace qs::test

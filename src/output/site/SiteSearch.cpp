// The search page and its index, a script of the modules and their declarations with the anchors
// of their entries (output/common/SiteSearchIndex), which the site's script loads when the search
// box is first used.
#include <array>

#include "model/ClsEntryPtr.h"
#include "output/common/SiteSearchIndex.h"
#include "output/site/SiteBuilder.h"

namespace qs::site {

void SiteBuilder::WriteSearch(Worker& w) {
  std::string& out = w.body;
  out.clear();
  PageStart(out, "Search", -1);
  out +=
      "<h1>Search</h1>\n<p class=\"meta\">Type a name in the box above: declarations whose "
      "name starts with it come first, then those that hold it.</p>\n<div id=\"found\"></div>\n";
  PageEnd(out);
  WriteFile(m_folder + "/search.html", {out});

  // The index: the modules (name, page) and each one's declarations with their anchors.
  SiteSearchIndex index;
  for (const SiteModule& m : m_modules) {
    YieldPoint();
    index.AddModule(m.nameUtf8, m.nameUtf8, m.page);
    for (size_t k = 0; k < m.declared.size(); ++k) {
      w.text.clear();
      w.cp.Append(w.text, m.declared[k].entry->EntryName);
      index.AddDeclaration(w.text, m.declared[k].kind, m.Anchor(k));
    }
  }
  const std::array<std::string_view, 5> pieces = index.Pieces();
  WriteFile(m_folder + "/search-index.js", {pieces[0], pieces[1], pieces[2], pieces[3], pieces[4]});
}

}  // namespace qs::site

// The search page and its index, a script of the modules and their declarations with the anchors
// of their entries (output/common/SiteSearchIndex), which the site's script loads when the search
// box is first used.
#include <array>
#include <string_view>
#include <unordered_set>

#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/clsVBHeader.h"
#include "output/common/SiteSearchIndex.h"
#include "output/site/SiteBuilder.h"
#include "text/Cp1252.h"

namespace qs::site {

namespace {

// Names as the project's bytes, letter case ignored (VB's own rule for names).
struct NoCaseHash {
  size_t operator()(std::string_view s) const { return HashNoCase1252(s); }
};
struct NoCaseEqual {
  bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase1252(a, b); }
};
using NameSet = std::unordered_set<std::string_view, NoCaseHash, NoCaseEqual>;

// A menu item: a control of type Menu ("VB.Menu" as the header writes it).
bool IsMenu(const ControlNode& c) {
  std::string_view type = c.record->sType;
  if (const size_t dot = type.rfind('.'); dot != std::string_view::npos)
    type.remove_prefix(dot + 1);
  return EqualsNoCase1252(type, "Menu");
}

}  // namespace

void SiteBuilder::WriteSearch(Worker& w) {
  std::string& out = w.body;
  out.clear();
  PageStart(out, "Search", -1);
  out +=
      "<h1>Search</h1>\n<p class=\"meta\">Type a name in the box above: declarations whose "
      "name starts with it come first, then those that hold it. <code>Module.Name</code> looks "
      "in that module only.</p>\n<div id=\"found\"></div>\n";
  PageEnd(out);
  WriteFile(m_folder + "/search.html", {out});

  // The index: the modules (name, page) and each one's declarations with their anchors, the
  // members of its enums and types (at their enum or type), and the controls of a form (at its
  // list of controls or menus; a control array once). A property's Get, Let and Set are one
  // result, at the first of them.
  SiteSearchIndex index;
  NameSet properties, controls;
  for (const SiteModule& m : m_modules) {
    YieldPoint();
    index.AddModule(m.nameUtf8, m.nameUtf8, m.page, ModuleKindOf(m.source.item->EType));
    properties.clear();
    for (size_t k = 0; k < m.declared.size(); ++k) {
      const ClsEntryPtr& e = *m.declared[k].entry;
      if (IsPropertyKind(m.declared[k].kind) && !properties.insert(e.EntryName).second) continue;
      w.text.clear();
      w.cp.Append(w.text, e.EntryName);
      index.AddDeclaration(w.text, m.declared[k].kind, m.Anchor(k));
      if ((e.eEntrytype != kEntryEnum && e.eEntrytype != kEntryType) || !e.Parameters) continue;
      const DeclKind memberKind =
          e.eEntrytype == kEntryEnum ? DeclKind::kEnumMember : DeclKind::kTypeMember;
      for (const auto& member : *e.Parameters) {
        if (!member) continue;
        w.text.clear();
        w.cp.Append(w.text, member->EntryName);
        index.AddDeclaration(w.text, memberKind, m.Anchor(k));
      }
    }
    if (!m.header || !m.stream || !IsFormLikeItemType(m.source.item->EType)) continue;
    ListControls(*m.header, *m.stream, w.controls);
    controls.clear();
    for (size_t i = 0; i < w.controls.size(); ++i) {
      const ControlNode& c = w.controls[i];
      // The first is the form (or user control, ...) itself, which has its module's entry.
      if ((i == 0 && c.parent < 0) || !controls.insert(c.record->sName).second) continue;
      w.text.clear();
      w.cp.Append(w.text, c.record->sName);
      const bool menu = IsMenu(c);
      index.AddControl(w.text, menu, menu ? "menus" : "controls");
    }
  }
  const std::array<std::string_view, 5> pieces = index.Pieces();
  WriteFile(m_folder + "/search-index.js", {pieces[0], pieces[1], pieces[2], pieces[3], pieces[4]});
}

}  // namespace qs::site

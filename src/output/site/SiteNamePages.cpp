// The index of every name (names.html, A to Z: each module and each module-level declaration,
// with its kind and module, linked to its entry) and the page of interfaces (interfaces.html:
// each interface some class implements, with the classes implementing it).
#include <algorithm>
#include <array>
#include <string_view>

#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/clsVBHeader.h"
#include "output/common/SiteSearchIndex.h"
#include "output/site/SiteBuilder.h"
#include "text/Cp1252.h"

namespace qs::site {

namespace {

constexpr size_t kLetterGroups = 27;  // A to Z, then the names not starting with a letter

// The group of a name: its first letter (ASCII, either case), or the last group.
uint8_t GroupOf(std::string_view name) {
  const unsigned char c = name.empty() ? 0 : ToLower1252(static_cast<unsigned char>(name[0]));
  return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 'a') : kLetterGroups - 1;
}

// Bytes compared with letter case ignored (VB's own rule for names).
int CompareNoCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = ToLower1252(static_cast<unsigned char>(a[i]));
    const unsigned char y = ToLower1252(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The id of a letter's section and its heading.
std::string_view LetterId(size_t group) {
  static constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  return group < 26 ? kLetters.substr(group, 1) : std::string_view("other");
}

// One name of the index: a module (decl -1), a declaration of it, or an enum's member (at its
// enum's entry).
struct IndexName {
  std::string_view name;  ///< project-file bytes
  uint32_t module;
  int32_t decl;
  DeclKind kind;
  uint8_t group;
};

}  // namespace

void SiteBuilder::WriteNames(Worker& w) {
  // Every name, then sorted: by letter, by name (case ignored), then in project order.
  std::vector<IndexName> names;
  for (size_t i = 0; i < m_modules.size(); ++i) {
    YieldPoint();
    const SiteModule& m = m_modules[i];
    const auto module = static_cast<uint32_t>(i);
    const std::string_view name = m.header && !m.header->sVBTableName.empty()
                                      ? std::string_view(m.header->sVBTableName)
                                      : std::string_view(m.source.item->InternalName);
    names.push_back({name, module, -1, DeclKind::kModule, GroupOf(name)});
    for (size_t k = 0; k < m.declared.size(); ++k) {
      const ClsEntryPtr& e = *m.declared[k].entry;
      const auto decl = static_cast<int32_t>(k);
      names.push_back({e.EntryName, module, decl, m.declared[k].kind, GroupOf(e.EntryName)});
      if (e.eEntrytype != kEntryEnum || !e.Parameters) continue;
      for (const auto& member : *e.Parameters)
        if (member)
          names.push_back(
              {member->EntryName, module, decl, DeclKind::kEnumMember, GroupOf(member->EntryName)});
    }
  }
  std::sort(names.begin(), names.end(), [](const IndexName& a, const IndexName& b) {
    if (a.group != b.group) return a.group < b.group;
    if (const int c = CompareNoCase(a.name, b.name); c != 0) return c < 0;
    if (a.module != b.module) return a.module < b.module;
    return a.decl < b.decl;
  });

  // Each letter's rows. A property's Get, Let and Set are one entry, at the first of them (they
  // sort next to each other: same name, same module).
  std::array<std::string, kLetterGroups> rows;
  const IndexName* last = nullptr;
  for (const IndexName& n : names) {
    if (last && IsPropertyKind(n.kind) && IsPropertyKind(last->kind) && last->module == n.module &&
        CompareNoCase(last->name, n.name) == 0)
      continue;
    last = &n;
    const SiteModule& m = m_modules[n.module];
    std::string& out = rows[n.group];
    Put(out, "<tr><td><a href=\"");
    out += m.page;
    if (n.decl >= 0) {
      out += '#';
      out += m.Anchor(static_cast<size_t>(n.decl));
    }
    Put(out, "\">");
    Source(w, out, n.name);
    Put(out, "</a></td><td>");
    out += n.decl < 0 ? SiteSearchIndex::WordOf(ModuleKindOf(m.source.item->EType))
                      : SiteSearchIndex::WordOf(n.kind);
    Put(out, "</td><td>");
    if (n.decl >= 0) ModuleLink(m, out);
    Put(out, "</td></tr>\n");
  }
  names = {};

  // The pages: a letter's rows stay on one page; a page takes letters until it would pass
  // sourcePageBytes (names.html, names-2.html, ...).
  std::array<std::string, kLetterGroups> pageOf;
  std::vector<std::string> pages{"names.html"};
  size_t size = 0;
  for (size_t g = 0; g < kLetterGroups; ++g) {
    if (rows[g].empty()) continue;
    if (size > 0 && size + rows[g].size() > m_options.sourcePageBytes) {
      pages.push_back("names-" + std::to_string(pages.size() + 1) + ".html");
      size = 0;
    }
    size += rows[g].size();
    pageOf[g] = pages.back();
  }
  // The row of letters at the top of every page: each letter with names linked to its section.
  std::string letters = "<p class=\"parts letters\">";
  for (size_t g = 0; g < kLetterGroups; ++g) {
    if (rows[g].empty()) {
      Put(letters, "<span>");
    } else {
      Put(letters, "<a href=\"");
      letters += pageOf[g];
      letters += '#';
      letters += LetterId(g);
      Put(letters, "\">");
    }
    letters += g < 26 ? LetterId(g) : std::string_view("Other");
    letters += rows[g].empty() ? "</span>" : "</a>";
  }
  letters += "</p>\n";
  for (const std::string& page : pages) {
    std::string& out = w.body;
    out.clear();
    PageStart(out, "Names", -1);
    Put(out,
        "<h1>Names</h1>\n<p class=\"meta\">Every module and module-level declaration by name. "
        "See also <a href=\"interfaces.html\">Interfaces</a>.</p>\n");
    out += letters;
    if (m_modules.empty()) Put(out, "<p class=\"note\">None.</p>\n");
    PageFile file(m_folder + "/" + page);
    for (size_t g = 0; g < kLetterGroups; ++g) {
      if (rows[g].empty() || pageOf[g] != page) continue;
      Put(out, "<h2 id=\"");
      out += LetterId(g);
      Put(out, "\">");
      out += g < 26 ? LetterId(g) : std::string_view("Other");
      Put(out, "</h2>\n<table><tr><th>Name</th><th>Kind</th><th>Module</th></tr>\n");
      file.Spill(out);
      out += rows[g];
      std::string().swap(rows[g]);
      Put(out, "</table>\n");
      file.Spill(out);
    }
    PageEnd(out);
    file.Close(out);
  }
}

void SiteBuilder::WriteInterfacesPage(Worker& w) {
  std::string& out = w.body;
  out.clear();
  PageStart(out, "Interfaces", -1);
  Put(out,
      "<h1>Interfaces</h1>\n<p class=\"meta\">The interfaces classes implement (Implements), "
      "each with the classes implementing it.</p>\n");
  std::vector<std::pair<const clsVBFileType*, SiteInterface>> all;
  if (m_options.extras.implementations) m_options.extras.implementations(all);
  // The implementers as the pages know them; an interface by its module (the project's) or by
  // its name, case ignored (another library's).
  struct Row {
    const SiteModule* iface;
    std::string_view name;
    const SiteModule* by;
  };
  std::vector<Row> rows;
  for (const auto& [from, iface] : all) {
    const SiteModule* by = ModuleOf(from);
    if (by != nullptr)
      rows.push_back({iface.module ? ModuleOf(iface.module) : nullptr, iface.name, by});
  }
  const auto sameInterface = [](const Row& a, const Row& b) {
    return a.iface ? a.iface == b.iface : !b.iface && CompareNoCase(a.name, b.name) == 0;
  };
  // The project's interfaces first; each interface's implementers by name; of two spellings of
  // another library's interface, the first implementer's is shown.
  std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
    if ((a.iface == nullptr) != (b.iface == nullptr)) return a.iface != nullptr;
    const int c = a.iface ? CompareNoCase(a.iface->nameUtf8, b.iface->nameUtf8)
                          : CompareNoCase(a.name, b.name);
    if (c != 0) return c < 0;
    if (a.iface != b.iface) return a.iface < b.iface;
    if (const int n = CompareNoCase(a.by->nameUtf8, b.by->nameUtf8); n != 0) return n < 0;
    if (a.by != b.by) return a.by < b.by;
    return a.name < b.name;
  });
  if (!m_options.extras.implementations)
    Put(out, "<p class=\"note\">Not known: the cross references were not made.</p>\n");
  else if (rows.empty())
    Put(out, "<p class=\"note\">No class implements an interface.</p>\n");
  for (const bool project : {true, false}) {
    if (rows.empty()) break;
    out += project ? "<h2 id=\"project\">The project's classes</h2>\n"
                   : "<h2 id=\"other\">Other libraries' interfaces</h2>\n";
    const auto first = std::find_if(rows.begin(), rows.end(), [project](const Row& r) {
      return (r.iface != nullptr) == project;
    });
    if (first == rows.end() || (first->iface != nullptr) != project) {
      Put(out, "<p class=\"note\">None.</p>\n");
      continue;
    }
    Put(out, "<table><tr><th>Interface</th><th>Implemented by</th></tr>\n");
    for (auto r = first; r != rows.end() && (r->iface != nullptr) == project; ++r) {
      const bool opens = r == first || !sameInterface(*(r - 1), *r);
      if (opens) {
        if (r != first) Put(out, "</td></tr>\n");
        Put(out, "<tr><td>");
        if (r->iface)
          ModuleLink(*r->iface, out);
        else
          Source(w, out, r->name);
        Put(out, "</td><td>");
      } else if ((r - 1)->by == r->by) {
        continue;  // one class, one interface: once
      } else {
        Put(out, ", ");
      }
      ModuleLink(*r->by, out);
    }
    Put(out, "</td></tr>\n</table>\n");
  }
  PageEnd(out);
  WriteFile(m_folder + "/interfaces.html", {out});
}

}  // namespace qs::site

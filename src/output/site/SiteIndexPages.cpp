// The index (the project, its counts, references and objects, the modules with their coverage
// and unused declarations, the module dependencies), the side panel's module list, and the
// inventories with the pages of the unused declarations.
#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <tuple>

#include "analysis/ProjectAnalysis.h"
#include "model/ClsEntryPtr.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "output/site/SiteBuilder.h"
#include "text/Cp1252.h"

namespace qs::site {

void SiteBuilder::WriteIndex(Worker& w) {
  std::string& out = w.body;
  out.clear();
  PageFile file(m_folder + "/index.html");
  PageStart(out, "Index", -1);
  WriteProjectSummary(w, out);
  WriteModuleTable(w, file, out);
  // Doc comments plug in here (SiteExtras::sharedModuleDocs): the texts modules share, once.
  if (m_options.extras.sharedModuleDocs) {
    std::vector<std::pair<const SiteDoc*, int>> shared;
    m_options.extras.sharedModuleDocs(shared);
    out += "<h2 id=\"notices\">Notices</h2>\n";
    for (const auto& [doc, modules] : shared) {
      out += "<p class=\"meta\">At the top of ";
      AppendNumber(out, modules);
      out += " modules:</p>";
      WriteDoc(w, *doc, out);
      out += '\n';
    }
  }
  // Cross references plug in here (SiteExtras::dependenciesOf): the module dependencies.
  if (m_options.extras.dependenciesOf) WriteDependencyList(file, out);
  PageEnd(out);
  file.Close(out);
  WriteModuleList();
}

void SiteBuilder::WriteProjectSummary(Worker& w, std::string& out) const {
  const clsVBFileTypes none;
  const clsVBFileTypes& t = m_info.FileTypes() ? *m_info.FileTypes() : none;
  out += "<h1>";
  out += m_projectHtml;
  out += "</h1>\n<table class=\"summary\">";
  const auto row = [&](const char* label, std::string_view bytes) {
    if (bytes.empty()) return;
    out += "<tr><th>";
    out += label;
    out += "</th><td>";
    Source(w, out, bytes);
    out += "</td></tr>";
  };
  row("Project type", t.ProjectType);
  out += "<tr><th>Project file</th><td>";
  AppendHtml(out, std::filesystem::path(m_projectFile).filename().string());
  out += "</td></tr>";
  row("Startup object", t.StartupForm);
  row("Icon form", t.IconForm);
  out += "</table>\n<h2 id=\"counts\">Counts</h2>\n<table>";
  const std::pair<const char*, int32_t> counts[] = {
      {"Forms", t.FormCount},
      {"Modules", t.ModuleCount},
      {"Classes", t.ClassCount},
      {"User controls", t.UserControlCount},
      {"Property pages", t.PropertyPageCount},
      {"User documents", t.UserDocumentCount},
      {"Designers", t.DesignerCount},
      {"References", t.ReferenceCount},
      {"Objects", t.ObjectCount},
  };
  for (const auto& [label, value] : counts) {
    out += "<tr><th>";
    out += label;
    out += "</th><td class=\"num\">";
    AppendNumber(out, value);
    out += "</td></tr>";
  }
  out += "</table>\n<h2 id=\"libraries\">References and objects</h2>\n<ul>";
  for (const auto& item : t) {
    if (!item || (item->EType != kItemReference && item->EType != kItemObject)) continue;
    out += "<li>";
    Source(w, out, item->EType == kItemObject ? item->sLibraryFile : item->ID);
    out += item->EType == kItemObject ? " <span class=\"meta\">(object)</span>" : "";
    out += "</li>";
  }
  out += "</ul><p><a href=\"inventories.html#references\">Details in the inventories</a></p>\n";
}

namespace {

// A summary's first sentence (up to a period followed by a blank or the end), else its first
// line: the index shows one per module.
std::string_view FirstSentence(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\n') return s.substr(0, i);
    if (s[i] == '.' && (i + 1 == s.size() || s[i + 1] == ' ' || s[i + 1] == '\n'))
      return s.substr(0, i + 1);
  }
  return s;
}

}  // namespace

void SiteBuilder::WriteModuleTable(Worker& w, PageFile& file, std::string& out) const {
  const bool docs = static_cast<bool>(m_options.extras.moduleDocOf);
  const bool coverage = static_cast<bool>(m_options.extras.coverageOf);
  const bool unused = static_cast<bool>(m_options.extras.unused);
  out +=
      "<h2 id=\"modules\">Modules</h2>\n<p class=\"meta\">Every name from A to Z: "
      "<a href=\"names.html\">Names</a> \xC2\xB7 the interfaces and the classes implementing "
      "them: <a href=\"interfaces.html\">Interfaces</a></p>\n"
      "<table><tr><th>Kind</th><th>Name</th><th>File</th>"
      "<th class=\"num\">Lines</th><th class=\"num\">Procedures</th>";
  if (coverage) out += "<th class=\"num\">Documented</th>";
  if (unused) out += "<th class=\"num\">Unused</th>";
  if (docs) out += "<th>Summary</th>";
  out += "</tr>\n";
  for (const SiteModule& m : m_modules) {
    YieldPoint();
    const clsVBFileType& item = *m.source.item;
    w.lines.Reset(m.stream, m.header && m.header->LineEndsKept ? &m.header->LineEnds : nullptr,
                  m.header ? &m.header->HeldLineEnds : nullptr);
    size_t procedures = 0;
    for (const DeclaredEntry& d : m.declared) procedures += IsProcedureKind(d.kind) ? 1 : 0;
    out += "<tr><td>";
    out += KindTitle(ModuleKindOf(item.EType));
    out += "</td><td>";
    ModuleLink(m, out);
    out += "</td><td>";
    SourceLink(w, m, out);
    out += "</td><td class=\"num\">";
    AppendNumber(out, w.lines.Lines());
    out += "</td><td class=\"num\">";
    AppendNumber(out, static_cast<int64_t>(procedures));
    out += "</td>";
    if (coverage) {
      // Documented of the public ones, and the share; a dash for a module with none.
      out += "<td class=\"num\">";
      int documented = 0, total = 0;
      if (m_options.extras.coverageOf(item, documented, total) && total > 0) {
        AppendNumber(out, documented);
        out += '/';
        AppendNumber(out, total);
        out += " <span class=\"meta\">(";
        AppendNumber(out, (documented * 100 + total / 2) / total);
        out += "%)</span>";
      } else {
        out += "\xE2\x80\x93";
      }
      out += "</td>";
    }
    if (unused) {
      out += "<td class=\"num\">";
      if (!m.unusedPage.empty()) {
        out += "<a href=\"";
        out += m.unusedPage;
        out += "#u";
        AppendNumber(out, &m - m_modules.data());
        out += "\">";
      }
      AppendNumber(out, m.unusedCount);
      if (!m.unusedPage.empty()) out += "</a>";
      out += "</td>";
    }
    if (docs) {
      out += "<td class=\"sum\">";
      if (const SiteDoc* doc = m_options.extras.moduleDocOf(item))
        Source(w, out, FirstSentence(doc->summary));
      out += "</td>";
    }
    out += "</tr>\n";
    file.Spill(out);
  }
  out += "</table>\n";
}

void SiteBuilder::WriteDependencyList(PageFile& file, std::string& out) const {
  // The section is there when a module uses another module with a page.
  std::vector<const clsVBFileType*> uses;
  const auto usesOf = [&](const SiteModule& m) {
    uses.clear();
    m_options.extras.dependenciesOf(*m.source.item, uses);
    return std::any_of(uses.begin(), uses.end(),
                       [this](const clsVBFileType* used) { return ModuleOf(used) != nullptr; });
  };
  if (std::any_of(m_modules.begin(), m_modules.end(), usesOf)) {
    out += "<h2 id=\"dependencies\">Module dependencies</h2>\n";
    out += m_dependencyFigure;
    out += "<ul>";
    for (const SiteModule& m : m_modules) {
      if (!usesOf(m)) continue;
      out += "<li>";
      ModuleLink(m, out);
      out += " uses ";
      bool first = true;
      for (const clsVBFileType* used : uses) {
        const SiteModule* target = ModuleOf(used);
        if (!target) continue;
        if (!first) out += ", ";
        first = false;
        ModuleLink(*target, out);
      }
      out += "</li>";
      file.Spill(out);
    }
    out += "</ul>\n";
  }
}

void SiteBuilder::WriteModuleList() const {
  std::string modules = "window.QS_MODULES=[";
  for (size_t i = 0; i < m_modules.size(); ++i) {
    if (i > 0) modules += ",\n";
    modules += '[';
    AppendJsString(modules, m_modules[i].nameUtf8);
    modules += ',';
    AppendJsString(modules, m_modules[i].page);
    modules += ',';
    AppendJsString(modules, KindTitle(ModuleKindOf(m_modules[i].source.item->EType)));
    modules += ']';
  }
  modules += "];\n";
  WriteFile(m_folder + "/modules.js", {modules});
}

void SiteBuilder::WriteInventories(Worker& w) {
  const clsVBFileTypes none;
  const clsVBFileTypes& t = m_info.FileTypes() ? *m_info.FileTypes() : none;
  std::string& out = w.body;
  out.clear();
  PageStart(out, "Inventories", -1);
  out +=
      "<h1>Inventories</h1>\n<p class=\"parts\"><a href=\"#references\">References</a>"
      "<a href=\"#objects\">Objects</a><a href=\"#declares\">API declarations</a>";
  if (m_options.extras.unused) out += "<a href=\"#unused\">Unused declarations</a>";
  if (m_options.extras.externalNames) out += "<a href=\"#external\">External names</a>";
  if (m_options.extras.docWarnings) out += "<a href=\"#doc-warnings\">Documentation warnings</a>";
  out += "<a href=\"#warnings\">Warnings of the run</a></p>\n";
  for (const auto& [kind, title, id] : {std::tuple{kItemReference, "References", "references"},
                                        std::tuple{kItemObject, "Objects", "objects"}}) {
    out += "<h2 id=\"";
    out += id;
    out += "\">";
    out += title;
    out += "</h2>\n";
    // An empty table says nothing: one line does.
    if (std::none_of(t.begin(), t.end(),
                     [kind](const auto& item) { return item && item->EType == kind; })) {
      out += "<p class=\"note\">None.</p>\n";
      continue;
    }
    out += "<table><tr><th>Name</th><th>GUID</th><th>Version</th><th>File</th></tr>\n";
    for (const auto& item : t) {
      if (!item || item->EType != kind) continue;
      out += "<tr><td>";
      Source(w, out, kind == kItemObject ? item->sLibraryFile : item->ID);
      out += "</td><td><code>";
      Source(w, out, item->GuidRef);
      out += "</code></td><td>";
      Source(w, out, item->MajorVer);
      out += "</td><td>";
      Source(w, out, item->sLibraryFile);
      out += "</td></tr>\n";
    }
    out += "</table>\n";
  }

  // API declarations grouped by library (letter case ignored), libraries in name order.
  struct Api {
    const SiteModule* module;
    size_t anchor;
  };
  std::map<std::string, std::pair<std::string, std::vector<Api>>> libraries;
  for (const SiteModule& m : m_modules) {
    for (size_t k = 0; k < m.declared.size(); ++k) {
      if (m.declared[k].kind != DeclKind::kDeclare) continue;
      // "kernel32", "Kernel32" and "kernel32.dll" are one library, shown without the ".dll".
      std::string lib = WithoutQuotes(m.declared[k].entry->LibName);
      if (lib.size() > 4 && EqualsNoCase1252(std::string_view(lib).substr(lib.size() - 4), ".dll"))
        lib.resize(lib.size() - 4);
      std::string key;
      for (const char c : lib) key += static_cast<char>(ToLower1252(static_cast<unsigned char>(c)));
      auto& group = libraries[key];
      if (group.first.empty()) group.first = lib;
      group.second.push_back({&m, k});
    }
  }
  out += "<h2 id=\"declares\">API declarations by library</h2>\n";
  if (libraries.empty()) out += "<p class=\"note\">None.</p>\n";
  for (const auto& [key, group] : libraries) {
    out += "<h3>";
    Source(w, out, group.first);
    out += " <span class=\"meta\">(";
    AppendNumber(out, static_cast<int64_t>(group.second.size()));
    out += ")</span></h3>\n<table><tr><th>Name</th><th>Module</th><th>Alias</th></tr>\n";
    for (const Api& api : group.second) {
      const ClsEntryPtr& e = *api.module->declared[api.anchor].entry;
      out += "<tr><td><a href=\"";
      out += api.module->page;
      out += '#';
      out += api.module->Anchor(api.anchor);
      out += "\">";
      Source(w, out, e.EntryName);
      out += "</a></td><td>";
      ModuleLink(*api.module, out);
      out += "</td><td>";
      Source(w, out, WithoutQuotes(e.AliasName));
      out += "</td></tr>\n";
    }
    out += "</table>\n";
  }
  WriteUnused(out);
  WriteExternalNames(w, out);
  WriteDocWarnings(w, out);
  out += "<h2 id=\"warnings\">Warnings of the run</h2>\n";
  if (m_info.WarningDetails().empty())
    out += "<p class=\"note\">None.</p>\n";
  else
    out += "<ul>";
  for (const auto& warning : m_info.WarningDetails()) {
    out += "<li><code>";
    Source(w, out, warning.file);
    out += "</code>: ";
    AppendHtml(out, warning.message);
    out += "</li>";
  }
  if (!m_info.WarningDetails().empty()) out += "</ul>\n";
  PageEnd(out);
  WriteFile(m_folder + "/inventories.html", {out});
}

// Unused declarations by module: each links to its declaration (a module-level one to its entry
// on the module page, any other to its line), with its kind and exposure. They are many in a
// large project: a page is closed after the module that takes it past sourcePageBytes.
void SiteBuilder::WriteUnusedPages(Worker& w) {
  m_unusedParts.clear();
  // Cross references plug in here (SiteExtras::unused); asked for only now, after the pages,
  // and one at a time, so that the list is never held.
  if (!m_options.extras.unused) return;
  std::string& out = w.body;
  out.clear();
  const SiteModule* current = nullptr;
  std::unique_ptr<PageFile> file;
  size_t written = 0;  // bytes of the page already written
  const auto close = [&] {
    if (current != nullptr) out += "</table>\n";
    PageEnd(out);
    file->Close(out);
    file.reset();
    current = nullptr;
  };
  m_options.extras.unused([&](const SiteUnused& u) {
    YieldPoint();
    const auto where = m_moduleOf.find(u.place.module);
    if (where == m_moduleOf.end()) return;
    SiteModule* m = &m_modules[where->second];
    const bool exposed = std::string_view(u.exposure) == "exposed";
    ++(exposed ? m_exposedCount : m_unusedCount);
    if (!exposed) ++m->unusedCount;
    if (m != current) {
      if (current != nullptr && written + out.size() >= m_options.sourcePageBytes) close();
      if (current == nullptr) {
        std::string name = "unused";
        if (!m_unusedParts.empty()) {
          name += '-';
          AppendNumber(name, static_cast<int64_t>(m_unusedParts.size() + 1));
        }
        name += ".html";
        file = std::make_unique<PageFile>(m_folder + "/" + name);
        written = 0;
        m_unusedParts.push_back({m, m, std::move(name)});
        PageStart(out, "Unused declarations", -1);
        out += "<h1>Unused declarations</h1>\n";
      } else {
        out += "</table>\n";
      }
      current = m;
      m_unusedParts.back().last = m;
      // The index links the module to its section: only a module with one has a page here.
      m->unusedPage = m_unusedParts.back().page;
      out += "<h2 id=\"u";
      AppendNumber(out, m - m_modules.data());
      out += "\">";
      ModuleLink(*m, out);
      out += "</h2>\n<table><tr><th>Name</th><th>Kind</th><th>Exposure</th></tr>\n";
    }
    out += "<tr><td><a href=\"";
    if (u.entry == nullptr || !AnchorOf(u.entry, out)) {
      if (u.place.line > 0)
        AppendSourceHref(out, *m, u.place.line);
      else
        out += m->page;
    }
    out += "\">";
    Source(w, out, u.name);
    out += "</a></td><td>";
    AppendHtml(out, u.kind);
    out += "</td><td>";
    AppendHtml(out, u.exposure);
    out += "</td></tr>\n";
    const size_t before = out.size();
    file->Spill(out);
    written += before - out.size();
  });
  if (current != nullptr) close();
}

// The inventories' section: how many, and the pages that list them.
void SiteBuilder::WriteUnused(std::string& out) const {
  if (!m_options.extras.unused) return;
  out += "<h2 id=\"unused\">Unused declarations</h2>\n";
  if (m_unusedParts.empty()) {
    out += "<p class=\"note\">None.</p>\n";
    return;
  }
  out += "<p>";
  AppendNumber(out, static_cast<int64_t>(m_unusedCount));
  out += " unused and ";
  AppendNumber(out, static_cast<int64_t>(m_exposedCount));
  out += " exposed (unused in the project, open to callers outside it), by module:</p>\n<ul>";
  for (const UnusedPart& part : m_unusedParts) {
    out += "<li><a href=\"";
    out += part.page;
    out += "\">";
    out += part.first->nameHtml;
    if (part.last != part.first) {
      out += " \xE2\x80\x93 ";
      out += part.last->nameHtml;
    }
    out += "</a></li>";
  }
  out += "</ul>\n";
}

// Names the project does not declare, the most used first (first use breaks ties).
void SiteBuilder::WriteExternalNames(Worker& w, std::string& out) const {
  if (!m_options.extras.externalNames) return;
  std::vector<std::pair<std::string_view, uint32_t>> names;
  m_options.extras.externalNames(names);
  std::stable_sort(names.begin(), names.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  out += "<h2 id=\"external\">External names by use count</h2>\n";
  if (names.empty()) {
    out += "<p class=\"note\">None.</p>\n";
    return;
  }
  out += "<table><tr><th>Name</th><th class=\"num\">Uses</th></tr>\n";
  for (const auto& [name, count] : names) {
    out += "<tr><td><code>";
    Source(w, out, name);
    out += "</code></td><td class=\"num\">";
    AppendNumber(out, count);
    out += "</td></tr>\n";
  }
  out += "</table>\n";
}

void SiteBuilder::WriteDocWarnings(Worker& w, std::string& out) const {
  if (!m_options.extras.docWarnings) return;
  std::vector<SiteDocWarning> warnings;
  m_options.extras.docWarnings(warnings);
  out += "<h2 id=\"doc-warnings\">Documentation warnings</h2>\n";
  if (warnings.empty()) {
    out += "<p class=\"note\">None.</p>\n";
    return;
  }
  out += "<ul>";
  for (const SiteDocWarning& warning : warnings) {
    out += "<li>";
    PlaceLink(warning.place, out);
    out += ": ";
    Source(w, out, warning.message);
    out += "</li>";
  }
  out += "</ul>\n";
}

}  // namespace qs::site

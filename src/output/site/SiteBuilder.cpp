// The site builder: what every page shares (the page frame, links into the source pages and to
// declarations), the modules as the pages know them, and the order the parts of the site are
// written in, on which threads.
#include "output/site/SiteBuilder.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>

#include "analysis/ProjectAnalysis.h"
#include "model/ClsEntryPtr.h"
#include "model/clsVBHeader.h"
#include "output/common/SiteAssets.h"
#include "text/TokenCodes.h"

namespace qs::site {

void WriteFile(const std::string& in_sPath, std::initializer_list<std::string_view> in_parts) {
  YieldPoint();
  std::FILE* file = OpenFile(in_sPath, "wb");
  if (file == nullptr) throw std::runtime_error(in_sPath + ": " + std::strerror(errno));
  for (std::string_view part : in_parts) {
    if (!part.empty() && std::fwrite(part.data(), 1, part.size(), file) != part.size()) {
      const int err = errno != 0 ? errno : EIO;
      std::fclose(file);
      throw std::runtime_error(in_sPath + ": " + std::strerror(err));
    }
  }
  if (std::fclose(file) != 0) throw std::runtime_error(in_sPath + ": " + std::strerror(errno));
}

const char* KindTitle(ModuleKind in_eKind) {
  switch (in_eKind) {
    case ModuleKind::kForm:
      return "Form";
    case ModuleKind::kModule:
      return "Module";
    case ModuleKind::kClass:
      return "Class";
    case ModuleKind::kUserControl:
      return "User control";
    case ModuleKind::kPropertyPage:
      return "Property page";
    case ModuleKind::kUserDocument:
      return "User document";
    case ModuleKind::kDesigner:
      break;
  }
  return "Designer";
}

void SiteBuilder::PageStart(std::string& out, std::string_view titleHtml, int module) const {
  out +=
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  out += titleHtml;
  out += " \xE2\x80\x94 ";
  out += m_projectHtml;
  out +=
      "</title>\n<link rel=\"stylesheet\" href=\"site.css\">\n"
      "<script src=\"modules.js\" defer></script>\n<script src=\"site.js\" defer></script>\n"
      "</head>\n<body";
  if (module >= 0) {
    out += " data-module=\"";
    AppendNumber(out, module);
    out += '"';
  }
  out += ">\n<header class=\"bar\"><a class=\"home\" href=\"index.html\">";
  out += m_projectHtml;
  out +=
      "</a><nav><a href=\"index.html\">Index</a><a href=\"index.html#modules\">Modules</a>"
      "<a href=\"names.html\">Names</a><a href=\"inventories.html\">Inventories</a>"
      "<a href=\"search.html\">Search</a></nav>"
      "<form class=\"searchbox\" action=\"search.html\" role=\"search\"><input id=\"q\" "
      "name=\"q\" type=\"search\" placeholder=\"Search declarations\" autocomplete=\"off\" "
      "aria-label=\"Search declarations\"><div id=\"results\"></div></form></header>\n"
      "<div class=\"layout\"><aside id=\"side\"></aside><main>\n";
}

void SiteBuilder::PageEnd(std::string& out) const {
  out += "</main></div>\n</body>\n</html>\n";
}

void SiteBuilder::AppendSourceHref(std::string& out, const SiteModule& m, int32_t line) const {
  const auto part =
      std::upper_bound(m.partStarts.begin(), m.partStarts.end(), line) - m.partStarts.begin();
  out += m.sourceBase;
  if (part > 0) {
    out += '-';
    AppendNumber(out, part + 1);
  }
  out += ".html#L";
  AppendNumber(out, line);
}

bool SiteBuilder::AnchorOf(const ClsEntryPtr* entry, std::string& href) const {
  const AnchorTable::Anchor* anchor = m_anchors.Find(entry);
  if (anchor == nullptr) return false;
  href += m_modules[anchor->module].page;
  href += '#';
  href += m_modules[anchor->module].Anchor(anchor->index);
  return true;
}

void SiteBuilder::PlaceLink(const SitePlace& place, std::string& out) const {
  const SiteModule* m = ModuleOf(place.module);
  if (m == nullptr) return;
  out += "<a href=\"";
  if (place.line > 0)
    AppendSourceHref(out, *m, place.line);
  else
    out += m->page;
  out += "\">";
  out += m->nameHtml;
  if (place.line > 0) {
    out += ':';
    AppendNumber(out, place.line);
  }
  out += "</a>";
}

void SiteBuilder::Prepare() {
  CodePageText cp;
  if (!cp.Open(m_options.codePage))
    throw std::runtime_error("unknown code page " + std::to_string(m_options.codePage));
  std::string text;
  cp.Append(text, m_info.State().GetProjectName());
  if (text.empty()) text = std::filesystem::path(m_projectFile).stem().string();
  AppendHtml(m_projectHtml, text);

  const std::vector<ProjectModule> modules = ListProjectModules(m_info);
  m_modules.resize(modules.size());
  for (size_t i = 0; i < modules.size(); ++i) {
    YieldPoint();
    SiteModule& m = m_modules[i];
    m.source = modules[i];
    m_moduleOf.emplace(m.source.item, i);
    const clsVBFileType& item = *m.source.item;
    m.header = item.VBHeader().get();
    m.stream = m.header ? m.header->TokenStream.get() : nullptr;
    const std::string_view name = m.header && !m.header->sVBTableName.empty()
                                      ? std::string_view(m.header->sVBTableName)
                                      : std::string_view(item.InternalName);
    cp.Append(m.nameUtf8, name);
    AppendHtml(m.nameHtml, m.nameUtf8);
    m.page = SiteText::ModulePage(i, name);
    m.sourceBase = "s" + std::to_string(i + 1) + "-" + FileNamePart(name);
    if (m.source.entry) ListDeclarations(*m.source.entry, m.declared);
    SiteText::AnchorNames names;
    m.anchorEnds.reserve(m.declared.size());
    for (const DeclaredEntry& d : m.declared) {
      text.clear();
      cp.Append(text, d.entry->EntryName);
      if (names.Append(m.anchorText, text, d.kind))
        m.wholeProperties.push_back(static_cast<uint32_t>(m.anchorEnds.size()));
      m.anchorEnds.push_back(static_cast<uint32_t>(m.anchorText.size()));
    }
    for (size_t k = 0; k < m.declared.size(); ++k)
      m_anchors.Add(m.declared[k].entry, {static_cast<uint32_t>(i), static_cast<uint32_t>(k)});
  }
}

void SiteBuilder::PrepareTypeLinks() {
  // The modules first: a Type or Enum of a module's name does not take its place.
  Worker w;
  for (size_t i = 0; i < m_modules.size(); ++i) {
    const SiteModule& m = m_modules[i];
    const std::string_view name = m.header && !m.header->sVBTableName.empty()
                                      ? std::string_view(m.header->sVBTableName)
                                      : std::string_view(m.source.item->InternalName);
    TypeKey(w, name, nullptr);
    m_typeLinks.emplace(w.key, TypeLink{static_cast<uint32_t>(i), -1});
  }
  for (size_t i = 0; i < m_modules.size(); ++i) {
    const SiteModule& m = m_modules[i];
    const auto module = static_cast<uint32_t>(i);
    for (size_t k = 0; k < m.declared.size(); ++k) {
      const DeclaredEntry& d = m.declared[k];
      if (d.kind != DeclKind::kType && d.kind != DeclKind::kEnum) continue;
      TypeKey(w, d.entry->EntryName, IsPrivate(d) ? &module : nullptr);
      m_typeLinks.emplace(w.key, TypeLink{module, static_cast<int32_t>(k)});
    }
  }
}

template <class Work>
void SiteBuilder::ForEachModule(Worker& own, Work&& work) {
  // Two threads per processor, 4 to 8 (creating files waits for the disk as much as it works),
  // within the run's budget.
  const unsigned threads =
      m_options.threads != 0 ? m_options.threads : std::clamp(ThreadsFor(0) * 2, 4u, 8u);
  // The workers none is using: a call takes one (the caller's own first) and gives it back; one
  // is made only when all are taken, so there are never more than calls at once.
  std::mutex lock;
  std::vector<Worker*> idle{&own};
  std::vector<std::unique_ptr<Worker>> made;
  const auto take = [&]() -> Worker* {
    {
      const std::lock_guard<std::mutex> guard(lock);
      if (!idle.empty()) {
        Worker* w = idle.back();
        idle.pop_back();
        return w;
      }
    }
    auto fresh = std::make_unique<Worker>();
    if (!fresh->cp.Open(m_options.codePage)) throw std::runtime_error("unknown code page");
    const std::lock_guard<std::mutex> guard(lock);
    made.push_back(std::move(fresh));
    return made.back().get();
  };
  // The first failure ends the work (ParallelFor begins no further module) and reaches Write.
  ParallelFor(
      m_modules.size(),
      [&](size_t i) {
        Worker* w = take();
        work(*w, m_modules[i], i);
        const std::lock_guard<std::mutex> guard(lock);
        idle.push_back(w);
      },
      threads);
}

void SiteBuilder::Write() {
  Prepare();
  PrepareTypeLinks();
  std::filesystem::create_directory(SystemPath(m_folder + "/pictures"));
  WriteFile(m_folder + "/site.css", {SiteStyleSheet()});
  WriteFile(m_folder + "/site.js", {SiteScript()});
  if (!m_dot.Available()) m_pictureNote = "Graphviz's dot was not found on the PATH";
  if (m_options.extras.dependenciesOf) WriteDependencyPicture(m_dependencyFigure);
  // These tools (and the room their texts took) serve the pages after too.
  Worker w;
  if (!w.cp.Open(m_options.codePage)) throw std::runtime_error("unknown code page");
  // Source pages first: the module pages link into them by line.
  ForEachModule(w, [this](Worker& w, SiteModule& m, size_t) { WriteSourcePages(w, m); });
  // The unused declarations' pages, the inventories and the search index need no module page
  // (only the source pages' parts): they are written beside them, on a thread of their own when
  // one can be had (first, on this one, when not).
  Worker side;
  if (!side.cp.Open(m_options.codePage)) throw std::runtime_error("unknown code page");
  RunAlongside(
      [this, &side] {
        WriteUnusedPages(side);
        WriteInventories(side);
        WriteSearch(side);
        WriteNames(side);
        WriteInterfacesPage(side);
      },
      [this, &w] {
        ForEachModule(w, [this](Worker& w, SiteModule& m, size_t i) { WriteModulePage(w, m, i); });
      });
  WriteIndex(w);  // with each module's unused declarations' page
  WritePictures();
}

}  // namespace qs::site

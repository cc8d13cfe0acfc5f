#include "output/estate/EstateReport.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <tuple>

#include "analysis/ProjectAnalysis.h"
#include "analysis/ProjectContents.h"
#include "analysis/ProjectGroup.h"
#include "analysis/SourcePlaces.h"
#include "io/AtomicFile.h"
#include "io/AtomicFolder.h"
#include "io/CodePage.h"
#include "io/GraphRenderer.h"
#include "io/JsonWriter.h"
#include "io/ProgramInfo.h"
#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/ClsSymEntry.h"
#include "model/CrossReferences.h"
#include "model/clsSymTable.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "output/common/OutputPaths.h"
#include "output/common/SiteAssets.h"
#include "output/common/SiteSearchIndex.h"
#include "output/common/SiteText.h"
#include "text/Cp1252.h"
#include "text/Failure.h"
#include "text/SystemPath.h"

namespace qs {

namespace fs = std::filesystem;

namespace {

std::string FolderOf(const std::string& in_sPath) {
  const size_t slash = in_sPath.find_last_of(kPathSeparators);
  return slash == std::string::npos ? std::string() : in_sPath.substr(0, slash + 1);
}

// Text for HTML element content and attribute values (UTF-8 in, UTF-8 out): the report's
// escapes, and quotes.
std::string Escape(std::string_view in_sText) {
  const std::string escaped = HtmlEscape(in_sText);
  if (escaped.find('"') == std::string::npos) return escaped;
  std::string out;
  out.reserve(escaped.size() + 8);
  for (char c : escaped) {
    if (c == '"') {
      out += "&quot;";
    } else {
      out += c;
    }
  }
  return out;
}

// A relative link to the file from the folder: "/" separators, every byte but letters, digits,
// "-._~/" percent-encoded, then escaped for an attribute.
std::string LinkFrom(const std::string& in_sFolder, const std::string& in_sFile) {
  std::string relative =
      PlatformPath(SystemPath(in_sFile).lexically_relative(SystemPath(in_sFolder)));
  if (kWindowsFileSystem) std::replace(relative.begin(), relative.end(), '\\', '/');
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : relative) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

int64_t DeclarationCount(const clsSymTable& in_oTable) {
  int64_t n = 0;
  for (const auto& entry : in_oTable) {
    if (!entry) continue;
    for (const auto* list :
         {&entry->EVar, &entry->EConst, &entry->ESub, &entry->EFunction, &entry->EProperty,
          &entry->EType, &entry->EEnum, &entry->EEvent, &entry->EDeclare})
      n += list->Count();
  }
  return n;
}

}  // namespace

const char* const EstateReport::kCountNames[9] = {"forms",        "modules",       "classes",
                                                  "userControls", "propertyPages", "userDocuments",
                                                  "designers",    "references",    "objects"};

std::string EstateReport::AddProject(size_t in_nIndex, const ProjectAnalysis& in_oInfo,
                                     const std::string& in_sProjectFile,
                                     const std::string& in_sReport, int in_nCodePage) {
  if (m_projects.size() <= in_nIndex) m_projects.resize(in_nIndex + 1);
  m_projects[in_nIndex] = EstateProject();
  try {
    Summarise(in_oInfo, in_sProjectFile, in_sReport, in_nCodePage, m_projects[in_nIndex]);
  } catch (const std::bad_alloc&) {
    throw;  // out of memory ends the call, at its boundary
  } catch (const std::exception& e) {
    // The project stays listed with what was summed up of it so far; the caller hears why.
    return "the estate lists this project only in part: " + FailureText(e);
  }
  return std::string();
}

void EstateReport::Summarise(const ProjectAnalysis& in_oInfo, const std::string& in_sProjectFile,
                             const std::string& in_sReport, int in_nCodePage, EstateProject& p) {
  p.file = AbsolutePath(in_sProjectFile);
  if (in_sReport.empty() || !in_oInfo.FileTypes()) return;
  p.report = AbsolutePath(in_sReport);
  CodePageText cp;
  if (!cp.Open(in_nCodePage)) cp.Open(1252);
  cp.Append(p.name, in_oInfo.State().GetProjectName());
  const clsVBFileTypes& types = *in_oInfo.FileTypes();
  cp.Append(p.type, types.ProjectType);
  const int32_t counts[9] = {
      types.FormCount,        types.ModuleCount,       types.ClassCount,
      types.UserControlCount, types.PropertyPageCount, types.UserDocumentCount,
      types.DesignerCount,    types.ReferenceCount,    types.ObjectCount};
  std::copy(std::begin(counts), std::end(counts), p.counts);
  if (in_oInfo.State().g_oSymTable)
    p.declarations = DeclarationCount(*in_oInfo.State().g_oSymTable);
  const CrossReferences& refs = in_oInfo.CrossRefs();
  for (size_t i = 0; refs.computed && i < refs.decls.size(); ++i) {
    const CrossDeclaration& d = refs.decls[i];
    // Of the declarations counted above: the modules' own, not their members or locals.
    const bool moduleLevel = d.entry && d.parent < 0 && d.kind != DeclKind::kParameter &&
                             d.kind != DeclKind::kEnumMember && d.kind != DeclKind::kTypeMember;
    if (moduleLevel && static_cast<size_t>(d.canonical) == i && d.exposure == Exposure::kUnused)
      ++p.unused;
  }
  SumUpCrossProject(in_oInfo, cp, p);
  // The search's modules, named and paged as the project's site names them.
  const std::vector<ProjectModule> modules = ListProjectModules(in_oInfo);
  std::vector<DeclaredEntry> declared;
  for (size_t i = 0; i < modules.size(); ++i) {
    const clsVBHeader* header = modules[i].item->VBHeader().get();
    const std::string_view name = header && !header->sVBTableName.empty()
                                      ? std::string_view(header->sVBTableName)
                                      : std::string_view(modules[i].item->InternalName);
    EstateModule& m = p.modules.emplace_back();
    cp.Append(m.name, name);
    m.page = SiteText::ModulePage(i, name);
    declared.clear();
    if (modules[i].entry) ListDeclarations(*modules[i].entry, declared);
    m.declarations.reserve(declared.size());
    for (const DeclaredEntry& d : declared) {
      auto& [text, kind] = m.declarations.emplace_back(std::string(), d.kind);
      cp.Append(text, d.entry->EntryName);
    }
  }

  const std::string folder = FolderOf(p.file);
  LineIndex lines;
  for (const auto& item : types) {
    if (!item || !IsSourceItemType(item->EType)) continue;
    std::string full = SourcePath(*item, folder);
    if (full.empty()) continue;
    const clsVBHeader* header = item->VBHeader().get();
    lines.Reset(header ? header->TokenStream.get() : nullptr,
                header && header->LineEndsKept ? &header->LineEnds : nullptr,
                header ? &header->HeldLineEnds : nullptr);
    p.lines += lines.Lines();
    m_fileLines.emplace(full, lines.Lines());
    p.sources.push_back(std::move(full));
  }
  for (std::string& path : ReadProjectReferences(p.file, m_resolver))
    p.referencePaths.push_back(AbsolutePath(path));
}

std::shared_ptr<const std::vector<ExposedClass>> EstateReport::ExposedBy(
    const std::vector<size_t>& in_projects) const {
  auto classes = std::make_shared<std::vector<ExposedClass>>();
  for (size_t i : in_projects) {
    if (i < m_projects.size())
      classes->insert(classes->end(), m_projects[i].exposed.begin(), m_projects[i].exposed.end());
  }
  if (classes->empty()) return nullptr;
  return classes;
}

std::string EstateReport::SourcePath(const clsVBFileType& in_oItem, const std::string& in_sFolder) {
  const std::string value = in_oItem.sFileValue.empty()
                                ? in_oItem.Path + in_oItem.Body + "." + in_oItem.Ext
                                : in_oItem.sFileValue;
  const std::string found = m_resolver.Resolve(value, in_sFolder);
  if (found.empty()) return found;
  // Windows finds a file by any letter case of its path: the path as the system spells it then
  // names it, so that projects spelling it differently share it.
  if constexpr (kWindowsFileSystem) return SameFileKey(found);
  return AbsolutePath(found);
}

void EstateReport::SumUpCrossProject(const ProjectAnalysis& in_oInfo, CodePageText& io_cp,
                                     EstateProject& p) {
  const CrossReferences& refs = in_oInfo.CrossRefs();
  if (!refs.computed) return;
  // The classes it exposes (an ActiveX project), with their Public members and their types.
  const std::string_view type = in_oInfo.FileTypes()
                                    ? std::string_view(in_oInfo.FileTypes()->ProjectType)
                                    : std::string_view();
  const bool activeX = EqualsNoCase1252(type, "OleDll") || EqualsNoCase1252(type, "OleExe");
  std::vector<int32_t> classOf(refs.modules.size(), -1);
  for (size_t m = 0; m < refs.modules.size() && activeX; ++m) {
    const CrossModule& module = refs.modules[m];
    if (!module.exposed || module.itemType != kItemClass) continue;
    classOf[m] = static_cast<int32_t>(p.exposed.size());
    ExposedClass& c = p.exposed.emplace_back();
    c.project = in_oInfo.State().GetProjectName();
    c.name = refs.decls[static_cast<size_t>(module.decl)].name;
  }
  for (const CrossDeclaration& d : refs.decls) {
    if (d.parent >= 0 || !d.isPublic || d.module < 0 ||
        static_cast<size_t>(d.module) >= classOf.size() || classOf[d.module] < 0)
      continue;
    if (d.kind == DeclKind::kModule || d.kind == DeclKind::kLabel || d.kind == DeclKind::kControl)
      continue;
    ExposedClass::Member& m = p.exposed[classOf[d.module]].members.emplace_back();
    m.name = d.name;
    m.kind = d.kind;
    if (d.entry) {
      const bool returns = d.kind == DeclKind::kFunction || d.kind == DeclKind::kPropertyGet;
      m.type = returns ? d.entry->ReturnType : d.entry->EntryType;
    }
  }
  // Its uses of the classes the projects it references expose.
  const auto& others = in_oInfo.ExposedClasses();
  if (!others) return;
  for (const ForeignUse& u : refs.foreignUses) {
    if (u.cls < 0 || static_cast<size_t>(u.cls) >= others->size() || u.module < 0 ||
        static_cast<size_t>(u.module) >= refs.modules.size())
      continue;
    const ExposedClass& c = (*others)[static_cast<size_t>(u.cls)];
    EstateCrossUse& x = p.crossUses.emplace_back();
    io_cp.Append(x.project, c.project);
    io_cp.Append(x.declaration, c.name);
    if (u.member >= 0 && static_cast<size_t>(u.member) < c.members.size()) {
      x.declaration += '.';
      io_cp.Append(x.declaration, c.members[static_cast<size_t>(u.member)].name);
    }
    x.file = SourcePath(*refs.modules[static_cast<size_t>(u.module)].item, FolderOf(p.file));
    x.line = u.line;
    x.column = u.column;
    x.kind = UseKindName(u.kind);
  }
}

void EstateReport::LinkSites(const std::string& in_sOutDir) {
  for (EstateProject& p : m_projects) {
    std::string folder, file, body, ext;
    const size_t slash = p.file.find_last_of(kPathSeparators);
    file = slash == std::string::npos ? p.file : p.file.substr(slash + 1);
    const size_t dot = file.rfind('.');
    body = dot == std::string::npos ? file : file.substr(0, dot);
    folder = in_sOutDir.empty() ? FolderOf(p.file) : AbsolutePath(in_sOutDir) + "/";
    p.site = AbsolutePath(folder + body + "_site/index.html");
  }
}

void EstateReport::MatchReferences() {
  std::map<std::string, size_t> byKey;
  for (size_t i = 0; i < m_projects.size(); ++i) byKey.emplace(SameFileKey(m_projects[i].file), i);
  for (EstateProject& p : m_projects) {
    p.references.clear();
    for (const std::string& path : p.referencePaths) {
      const auto it = byKey.find(SameFileKey(path));
      if (it != byKey.end()) p.references.push_back(it->second);
    }
    for (EstateCrossUse& u : p.crossUses) {
      for (size_t r : p.references)
        if (m_projects[r].name == u.project) u.target = r;
    }
  }
}

std::map<std::string, std::vector<size_t>> EstateReport::SharedFiles() const {
  std::map<std::string, std::vector<size_t>> listers;
  for (size_t i = 0; i < m_projects.size(); ++i) {
    for (const std::string& source : m_projects[i].sources) {
      std::vector<size_t>& list = listers[source];
      if (list.empty() || list.back() != i) list.push_back(i);
    }
  }
  for (auto it = listers.begin(); it != listers.end();) {
    it = it->second.size() > 1 ? std::next(it) : listers.erase(it);
  }
  return listers;
}

std::string EstateReport::SearchIndexText(const std::string& in_sSiteFolder) const {
  SiteSearchIndex index;
  std::string label, anchor;
  for (const EstateProject& p : m_projects) {
    const std::string siteFolder = p.site.empty() ? std::string() : FolderOf(p.site);
    const std::string projectName =
        p.name.empty() ? PlatformPath(SystemPath(p.file).filename()) : p.name;
    for (const EstateModule& m : p.modules) {
      label.assign(projectName).append(".").append(m.name);
      // Without sites, a name leads to its project's report.
      const std::string link = !siteFolder.empty() ? LinkFrom(in_sSiteFolder, siteFolder + m.page)
                               : !p.report.empty() ? LinkFrom(in_sSiteFolder, p.report)
                                                   : std::string();
      index.AddModule(label, m.name, link);
      // The ids the site gives the declarations on the module's page.
      SiteText::AnchorNames names;
      for (const auto& [name, kind] : m.declarations) {
        anchor.clear();
        names.Append(anchor, name, kind);
        index.AddDeclaration(name, kind, anchor);
      }
    }
  }
  return index.Text();
}

std::string EstateReport::PictureDot(size_t& out_nShown, size_t& out_nConnected) const {
  out_nShown = out_nConnected = 0;
  // (from, to) -> shared files from "to" that "from" lists; 0 for a "*\A" reference alone.
  std::map<std::pair<size_t, size_t>, int64_t> edges;
  for (size_t i = 0; i < m_projects.size(); ++i)
    for (size_t r : m_projects[i].references)
      if (r != i) edges.emplace(std::pair(i, r), 0);
  for (const auto& [file, listers] : SharedFiles()) {
    size_t home = listers.front(), homeFolder = 0;
    for (size_t i : listers) {
      const std::string folder = FolderOf(m_projects[i].file);
      if (folder.size() > homeFolder && file.compare(0, folder.size(), folder) == 0) {
        home = i;
        homeFolder = folder.size();
      }
    }
    for (size_t i : listers)
      if (i != home) ++edges[{i, home}];
  }
  std::vector<size_t> degree(m_projects.size(), 0);
  for (const auto& [ends, files] : edges) {
    ++degree[ends.first];
    ++degree[ends.second];
  }
  std::vector<size_t> nodes;
  for (size_t i = 0; i < m_projects.size(); ++i)
    if (degree[i] > 0) nodes.push_back(i);
  out_nConnected = nodes.size();
  if (nodes.empty()) return std::string();
  if (nodes.size() > kPictureNodes) {
    std::stable_sort(nodes.begin(), nodes.end(),
                     [&](size_t a, size_t b) { return degree[a] > degree[b]; });
    nodes.resize(kPictureNodes);
    std::sort(nodes.begin(), nodes.end());
  }
  out_nShown = nodes.size();
  std::vector<char> shown(m_projects.size(), 0);
  std::string dot =
      "digraph projects {\n  rankdir=LR;\n  ranksep=0.6;\n  nodesep=0.2;\n"
      "  node [shape=box, style=rounded, fontsize=10, height=0.3, fontname=\"sans-serif\"];\n"
      "  edge [arrowsize=0.6, fontsize=8, fontname=\"sans-serif\"];\n";
  for (size_t n : nodes) {
    shown[n] = 1;
    const EstateProject& p = m_projects[n];
    dot += "  n" + std::to_string(n) + " [label=";
    SiteText::AppendJsString(dot,
                             p.name.empty() ? PlatformPath(SystemPath(p.file).filename()) : p.name);
    dot += "];\n";
  }
  for (const auto& [ends, files] : edges) {
    if (!shown[ends.first] || !shown[ends.second]) continue;
    dot += "  n" + std::to_string(ends.first) + " -> n" + std::to_string(ends.second);
    const auto& refs = m_projects[ends.first].references;
    const bool referenced = std::find(refs.begin(), refs.end(), ends.second) != refs.end();
    if (!referenced) dot += " [style=dashed, label=\"" + std::to_string(files) + "\"]";
    if (referenced && files > 0) dot += " [label=\"" + std::to_string(files) + "\"]";
    dot += ";\n";
  }
  dot += "}\n";
  return dot;
}

namespace {

std::string NumberCell(int64_t in_nValue) {
  return "<td class=\"num\">" + std::to_string(in_nValue) + "</td>";
}

}  // namespace

std::string EstateReport::ProjectLink(size_t in_nProject, const std::string& in_sSiteFolder) const {
  const EstateProject& p = m_projects[in_nProject];
  const std::string label =
      Escape(p.name.empty() ? PlatformPath(SystemPath(p.file).filename()) : p.name);
  if (!p.site.empty())
    return "<a href=\"" + LinkFrom(in_sSiteFolder, p.site) + "\">" + label + "</a>";
  if (!p.report.empty())
    return "<a href=\"" + LinkFrom(in_sSiteFolder, p.report) + "\">" + label + "</a>";
  return label;
}

void EstateReport::AppendUsesAndSharedFiles(std::string& h,
                                            const std::string& in_sSiteFolder) const {
  const auto projectLink = [&](size_t i) { return ProjectLink(i, in_sSiteFolder); };
  const auto number = NumberCell;
  h += "<h2 id=\"uses\">Uses across projects</h2>\n";
  // (user, used project, declaration) -> uses
  std::map<std::tuple<size_t, size_t, std::string>, int64_t> across;
  for (size_t i = 0; i < m_projects.size(); ++i)
    for (const EstateCrossUse& u : m_projects[i].crossUses)
      if (u.target < m_projects.size()) ++across[{i, u.target, u.declaration}];
  if (across.empty()) {
    h += "<p>No project uses a class another project of the estate exposes.</p>\n";
  } else {
    h += "<table>\n<tr><th>declaration</th><th>used by</th><th class=\"num\">uses</th></tr>\n";
    for (const auto& [key, count] : across) {
      const auto& [user, used, declaration] = key;
      h += "<tr><td>" + projectLink(used) + "." + Escape(declaration) + "</td><td>" +
           projectLink(user) + "</td>" + number(count) + "</tr>\n";
    }
    h += "</table>\n";
  }

  h += "<h2 id=\"shared\">Shared files</h2>\n";
  const auto shared = SharedFiles();
  if (shared.empty())
    h += "<p>No source file is listed by more than one project.</p>\n";
  else
    h += "<table>\n<tr><th>file</th><th>listed by</th></tr>\n";
  for (const auto& [file, listers] : shared) {
    h += "<tr><td>" + Escape(file) + "</td><td>";
    for (size_t k = 0; k < listers.size(); ++k) h += (k ? ", " : "") + projectLink(listers[k]);
    h += "</td></tr>\n";
  }
  if (!shared.empty()) h += "</table>\n";
}

std::string EstateReport::HtmlText(const std::string& in_sSiteFolder,
                                   const std::string& in_sPictureNote) const {
  std::string h;
  const auto projectLink = [&](size_t i) { return ProjectLink(i, in_sSiteFolder); };
  const auto number = NumberCell;
  // The project site's style sheet and script: its search box answers from search-index.js.
  h += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
       "<title>Estate</title>\n<link rel=\"stylesheet\" href=\"site.css\">\n"
       "<script src=\"site.js\" defer></script>\n</head>\n<body>\n"
       "<header class=\"bar\"><a class=\"home\" href=\"index.html\">Estate</a><nav>"
       "<a href=\"#totals\">Totals</a><a href=\"#picture\">Picture</a>"
       "<a href=\"#groups\">Groups</a><a href=\"#projects\">Projects</a>"
       "<a href=\"#uses\">Uses across projects</a><a href=\"#shared\">Shared files</a></nav><div "
       "class=\"searchbox\"><input id=\"q\" "
       "type=\"search\" placeholder=\"Search every project's declarations\" autocomplete=\"off\" "
       "aria-label=\"Search every project's declarations\"><div id=\"results\"></div></div>"
       "</header>\n<main>\n<h1>Estate</h1>\n";

  int64_t lines = 0, declarations = 0, unused = 0;
  for (const auto& [file, n] : m_fileLines) lines += n;
  for (const EstateProject& p : m_projects) {
    declarations += p.declarations;
    unused += p.unused;
  }
  h += "<h2 id=\"totals\">Totals</h2>\n<table>\n<tr><th>projects</th>" +
       number(static_cast<int64_t>(m_projects.size())) + "</tr>\n<tr><th>files</th>" +
       number(static_cast<int64_t>(m_fileLines.size())) + "</tr>\n<tr><th>lines</th>" +
       number(lines) + "</tr>\n<tr><th>declarations</th>" + number(declarations) +
       "</tr>\n<tr><th>unused declarations</th>" + number(unused) + "</tr>\n</table>\n";

  h += "<h2 id=\"picture\">Project picture</h2>\n";
  size_t shown = 0, connected = 0;
  PictureDot(shown, connected);
  if (connected == 0) {
    h += "<p class=\"note\">No project references another or shares a file with it.</p>\n";
  } else if (!in_sPictureNote.empty()) {
    h += "<p class=\"note\">The project picture is not drawn: " + Escape(in_sPictureNote) +
         ".</p>\n";
  } else {
    h += "<figure><img src=\"projects.svg\" alt=\"Projects and their ties\"><figcaption "
         "class=\"note\">Solid arrows: a project uses the source of another (\"*\\A\" "
         "references); dashed arrows: a project lists that many files of another.";
    if (shown < connected)
      h += " The " + std::to_string(shown) + " most connected of " + std::to_string(connected) +
           " projects.";
    h += "</figcaption></figure>\n";
  }

  h += "<h2 id=\"groups\">Groups</h2>\n";
  std::vector<char> grouped(m_projects.size(), 0);
  if (m_groups.empty()) h += "<p>No group files.</p>\n";
  for (const EstateGroup& g : m_groups) {
    h += "<h3>" + Escape(g.file) + "</h3>\n<ul>\n";
    for (size_t i : g.members) {
      if (i >= m_projects.size()) continue;
      grouped[i] = 1;
      h += "<li>" + projectLink(i) + "</li>\n";
    }
    h += "</ul>\n";
  }
  h += "<h3>Projects in no group</h3>\n<ul>\n";
  for (size_t i = 0; i < m_projects.size(); ++i)
    if (!grouped[i]) h += "<li>" + projectLink(i) + "</li>\n";
  h += "</ul>\n";

  h += "<h2 id=\"projects\">Projects</h2>\n<table>\n<tr><th>project</th><th>file</th><th>type</th>";
  for (const char* name : kCountNames) h += std::string("<th class=\"num\">") + name + "</th>";
  h += "<th class=\"num\">files</th><th class=\"num\">lines</th><th class=\"num\">declarations"
       "</th><th class=\"num\">unused</th><th>uses the source of</th></tr>\n";
  for (size_t i = 0; i < m_projects.size(); ++i) {
    const EstateProject& p = m_projects[i];
    h += "<tr><td>" + projectLink(i) + "</td><td>" + Escape(p.file) + "</td><td>" +
         Escape(p.report.empty() ? "not documented" : p.type) + "</td>";
    for (int32_t n : p.counts) h += number(n);
    h += number(static_cast<int64_t>(p.sources.size())) + number(p.lines) + number(p.declarations) +
         number(p.unused) + "<td>";
    for (size_t k = 0; k < p.references.size(); ++k)
      h += (k ? ", " : "") + projectLink(p.references[k]);
    h += "</td></tr>\n";
  }
  h += "</table>\n";

  AppendUsesAndSharedFiles(h, in_sSiteFolder);
  h += "<p class=\"meta\">" + Escape(ProgramGenerator()) + "</p>\n</main>\n</body>\n</html>\n";
  return h;
}

std::string EstateReport::JsonText() const {
  std::string json;
  JsonTextOutput out(json);
  JsonWriter<JsonTextOutput, true> w(out);
  const auto number = [&](const char* key, int64_t value) {
    w.Key(key);
    w.Int64(value);
  };
  const auto text = [&](const char* key, std::string_view value) {
    w.Key(key);
    w.StringUtf8(value);
  };
  const auto indexList = [&](const char* key, const std::vector<size_t>& list) {
    w.Key(key);
    w.StartArray();
    for (size_t i : list) w.Int64(static_cast<int64_t>(i));
    w.EndArray();
  };
  w.StartObject();
  number("format", 1);
  w.Key("generator");
  w.StartObject();
  text("name", "Quillscope");
  text("version", ProgramVersion());
  w.EndObject();

  w.Key("projects");
  w.StartArray();
  int64_t declarations = 0, unused = 0, crossUses = 0;
  for (const EstateProject& p : m_projects) {
    declarations += p.declarations;
    unused += p.unused;
    w.StartObject();
    text("file", p.file);
    w.Key("documented");
    w.Bool(!p.report.empty());
    if (!p.report.empty()) {
      text("name", p.name);
      text("type", p.type);
      text("report", p.report);
      if (!p.site.empty()) text("site", p.site);
      w.Key("counts");
      w.StartObject();
      for (size_t k = 0; k < 9; ++k) number(kCountNames[k], p.counts[k]);
      w.EndObject();
      number("lines", p.lines);
      number("declarations", p.declarations);
      number("unused", p.unused);
      w.Key("sources");
      w.StartArray();
      for (const std::string& s : p.sources) w.StringUtf8(s);
      w.EndArray();
      indexList("projectReferences", p.references);
      w.Key("crossProjectUses");
      w.StartArray();
      for (const EstateCrossUse& u : p.crossUses) {
        if (u.target >= m_projects.size()) continue;
        ++crossUses;
        w.StartObject();
        number("project", static_cast<int64_t>(u.target));
        text("declaration", u.declaration);
        text("file", u.file);
        number("line", u.line);
        number("column", u.column);
        text("kind", u.kind);
        w.EndObject();
      }
      w.EndArray();
    }
    w.EndObject();
  }
  w.EndArray();

  w.Key("groups");
  w.StartArray();
  std::vector<char> grouped(m_projects.size(), 0);
  for (const EstateGroup& g : m_groups) {
    w.StartObject();
    text("file", g.file);
    indexList("projects", g.members);
    w.EndObject();
    for (size_t i : g.members)
      if (i < grouped.size()) grouped[i] = 1;
  }
  w.EndArray();
  std::vector<size_t> ungrouped;
  for (size_t i = 0; i < m_projects.size(); ++i)
    if (!grouped[i]) ungrouped.push_back(i);
  indexList("ungrouped", ungrouped);

  w.Key("sharedFiles");
  w.StartArray();
  for (const auto& [file, listers] : SharedFiles()) {
    w.StartObject();
    text("file", file);
    indexList("projects", listers);
    w.EndObject();
  }
  w.EndArray();

  int64_t lines = 0;
  for (const auto& [file, n] : m_fileLines) lines += n;
  w.Key("totals");
  w.StartObject();
  number("projects", static_cast<int64_t>(m_projects.size()));
  number("files", static_cast<int64_t>(m_fileLines.size()));
  number("lines", lines);
  number("declarations", declarations);
  number("unused", unused);
  number("crossProjectUses", crossUses);
  w.EndObject();
  w.EndObject();
  out.Put('\n');
  out.Finish();
  return json;
}

bool EstateReport::Write(const std::string& in_sFolder, bool in_bJson, std::string& out_sReason) {
  try {
    return WriteFolder(in_sFolder, in_bJson, out_sReason);
  } catch (const std::exception& e) {
    // The caller gets false and this reason; the temporary folder may be left behind.
    out_sReason = std::string("estate folder cannot be written: ") + FailureText(e);
    return false;
  }
}

bool EstateReport::WriteFolder(const std::string& in_sFolder, bool in_bJson,
                               std::string& out_sReason) {
  MatchReferences();
  const fs::path base = in_sFolder.empty() ? fs::path(".") : SystemPath(in_sFolder);
  std::error_code ec;
  const fs::path target = fs::absolute(base / "estate_site", ec).lexically_normal();
  if (ec) {
    out_sReason = "estate folder cannot be found: " + ec.message();
    return false;
  }
  // Names go back and forth as platform paths (UTF-8 on Windows too), never through
  // path::string(), which is the ANSI code page there.
  const std::string targetName = PlatformPath(target);
  const auto fail = [&](const std::string& what, const std::error_code& why) {
    out_sReason = what + ": " + why.message();
    return false;
  };
  fs::create_directories(base, ec);
  if (ec) return fail("estate folder cannot be created: " + PlatformPath(base), ec);
  // Written under a temporary name beside its place, and put in place whole.
  AtomicFolder folder;
  if (!folder.Open(targetName))
    return fail("estate folder cannot be created: " + targetName + ".tmp-", folder.Error());
  const fs::path temp = SystemPath(folder.Temp());
  // The project picture, drawn by dot; the page says why when it is not.
  std::string pictureNote;
  size_t shown = 0, connected = 0;
  const std::string dot = PictureDot(shown, connected);
  if (!dot.empty()) {
    const GraphRenderer renderer(m_dotProgram);
    const std::string dotFile = PlatformPath(temp / "projects");
    if (!renderer.Available()) {
      pictureNote = "Graphviz's dot was not found on the PATH";
    } else if (int e = WriteFileAtomically(dotFile, dot)) {
      pictureNote = "its DOT file cannot be written: " + std::generic_category().message(e);
    } else {
      pictureNote = renderer.RenderSvg({dotFile}, 1, 1);
      fs::remove(dotFile, ec);
    }
  }
  // The links are written as they will be seen from the folder's final place; the search box
  // works as the project sites' does, with the index of every project's declarations.
  const std::pair<const char*, std::string> files[] = {
      {"index.html", HtmlText(targetName, pictureNote)},
      {"search-index.js", SearchIndexText(targetName)},
      {"site.css", std::string(SiteStyleSheet())},
      {"site.js", std::string(SiteScript())}};
  for (const auto& [name, text] : files) {
    if (int e = WriteFileAtomically(PlatformPath(temp / name), text))
      return fail("estate page cannot be written: " + PlatformPath(target / name),
                  std::error_code(e, std::generic_category()));
  }
  if (in_bJson) {
    if (int e = WriteFileAtomically(PlatformPath(temp / "estate.json"), JsonText()))
      return fail("estate export cannot be written: " + PlatformPath(target / "estate.json"),
                  std::error_code(e, std::generic_category()));
  }
  if (folder.Commit()) return true;
  return fail(folder.FailedStep() == AtomicFolder::Step::kMoveAside
                  ? "earlier estate folder cannot be replaced: " + targetName
                  : "estate folder cannot be put in place: " + targetName,
              folder.Error());
}

}  // namespace qs

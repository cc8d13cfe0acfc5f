#include "output/site/SiteWriter.h"

#ifdef __linux__
#include <fcntl.h>
#include <stdio.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "analysis/ProjectAnalysis.h"
#include "analysis/ProjectContents.h"
#include "analysis/SourcePlaces.h"
#include "io/CodePage.h"
#include "io/GraphRenderer.h"
#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/ClsSymEntry.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "output/common/OutputPaths.h"
#include "output/common/SiteAssets.h"
#include "output/common/SiteSearchIndex.h"
#include "text/Cp1252.h"
#include "text/Parallel.h"
#include "text/StringUtil.h"
#include "text/SystemPath.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

using SiteText::AppendHtml;
using SiteText::AppendJsString;
using SiteText::FileNamePart;

// Appends a string literal (its length known here, not counted at run time).
template <size_t N>
void Put(std::string& out, const char (&in_sText)[N]) {
  out.append(in_sText, N - 1);
}

void AppendNumber(std::string& out, int64_t in_nValue) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, in_nValue);
  out.append(digits, result.ptr);
}

// Appends name="number" attributes, each after a blank.
void AppendAttributes(std::string& out,
                      std::initializer_list<std::pair<const char*, int64_t>> in_attributes) {
  for (const auto& [name, value] : in_attributes) {
    out += ' ';
    out += name;
    out += "=\"";
    AppendNumber(out, value);
    out += '"';
  }
}

// Writes the pieces one after another into a new file; throws with the path and the reason when
// that fails (the site's writing ends there).
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

// A page written while it is made: the text gathered for it goes to the file whenever it passes
// kSpillBytes, so that a long page (the index, the unused declarations) is never held whole.
// Throws with the path and the reason when the file cannot be written.
class PageFile {
 public:
  explicit PageFile(std::string in_sPath) : m_path(std::move(in_sPath)) {
    YieldPoint();
    m_file = OpenFile(m_path, "wb");
    if (m_file == nullptr) throw std::runtime_error(m_path + ": " + std::strerror(errno));
  }
  ~PageFile() {
    if (m_file != nullptr) std::fclose(m_file);  // left incomplete: the site is not put in place
  }
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  /// Writes the text and empties it once it holds kSpillBytes or more.
  void Spill(std::string& text) {
    if (text.size() >= kSpillBytes) Write(text);
  }
  /// Writes the rest of the text (emptied) and closes the file.
  void Close(std::string& text) {
    Write(text);
    std::FILE* file = m_file;
    m_file = nullptr;
    if (std::fclose(file) != 0) throw std::runtime_error(m_path + ": " + std::strerror(errno));
  }

 private:
  static constexpr size_t kSpillBytes = 256u << 10;
  void Write(std::string& text) {
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), m_file) != text.size())
      throw std::runtime_error(m_path + ": " + std::strerror(errno != 0 ? errno : EIO));
    text.clear();
  }
  std::string m_path;
  std::FILE* m_file = nullptr;
};

// Creates a new folder named in_sBase + a suffix no other folder has, and returns its name; ""
// (errno set) when none can be made.
std::string MakeFreshFolder(const std::string& in_sBase) {
  static std::atomic<unsigned> s_counter{0};
  const auto clock =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name =
        in_sBase + std::to_string(clock % 1000000007ULL) + "-" + std::to_string(++s_counter);
    std::error_code ec;
    if (std::filesystem::create_directory(SystemPath(name), ec)) return name;
    if (ec && ec != std::errc::file_exists) {
      errno = ec.value();
      return "";
    }
  }
  errno = EEXIST;
  return "";
}

// The module and anchor number of every module-level declaration, by its record: a flat table
// of open addressing, so that a look-up (one per linked name of the source pages) is a probe or
// two of one array.
class AnchorTable {
 public:
  struct Anchor {
    uint32_t module = 0;
    uint32_t index = 0;
  };
  /// Adds a record; the first anchor given for a record stays.
  void Add(const ClsEntryPtr* key, Anchor anchor) {
    if (key == nullptr) return;
    if ((m_count + 1) * 2 > m_slots.size()) Grow();
    Slot& slot = m_slots[Probe(key)];
    if (slot.key != nullptr) return;
    slot = {key, anchor};
    ++m_count;
  }
  /// The anchor of a record; null when it has none.
  const Anchor* Find(const ClsEntryPtr* key) const {
    if (key == nullptr || m_slots.empty()) return nullptr;
    const Slot& slot = m_slots[Probe(key)];
    return slot.key == key ? &slot.anchor : nullptr;
  }

 private:
  struct Slot {
    const ClsEntryPtr* key = nullptr;
    Anchor anchor;
  };
  // The slot holding the key, or the empty one where it would go (the table is never full).
  size_t Probe(const ClsEntryPtr* key) const {
    const size_t mask = m_slots.size() - 1;
    size_t i =
        static_cast<size_t>((reinterpret_cast<uintptr_t>(key) * 0x9E3779B97F4A7C15ull) >> m_shift) &
        mask;
    while (m_slots[i].key != nullptr && m_slots[i].key != key) i = (i + 1) & mask;
    return i;
  }
  void Grow() {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
    m_shift = 64;
    for (size_t n = m_slots.size(); n > 1; n >>= 1) --m_shift;
    for (const Slot& slot : old)
      if (slot.key != nullptr) m_slots[Probe(slot.key)] = slot;
  }
  std::vector<Slot> m_slots;
  size_t m_count = 0;
  unsigned m_shift = 64;
};

// What the pages know of one module before any is written.
struct SiteModule {
  ProjectModule source;
  const clsVBHeader* header = nullptr;
  const clsTokenStream* stream = nullptr;
  std::string nameHtml;  ///< the name, UTF-8 and escaped
  std::string nameUtf8;
  std::string page;        ///< "m3-frmMain.html"
  std::string sourceBase;  ///< "s3-frmMain": the source pages are sourceBase[-N].html
  std::vector<DeclaredEntry> declared;
  /// The first line of each source page after the first (filled when they are written).
  std::vector<int32_t> partStarts;
  bool picture = false;     ///< a control picture is drawn for the module page
  int32_t unusedCount = 0;  ///< declarations the cross references found unused (not exposed)
  std::string unusedPage;   ///< the page listing them ("unused-2.html"); empty when none
};

const char* KindTitle(int32_t in_lEType) {
  switch (in_lEType) {
    case kItemForm:
      return "Form";
    case kItemModule:
      return "Module";
    case kItemClass:
      return "Class";
    case kItemUserControl:
      return "User control";
    case kItemPropertyPage:
      return "Property page";
    case kItemUserDocument:
      return "User document";
    default:
      return "Designer";
  }
}

// True when the bytes are ASCII and none needs escaping in HTML.
bool IsPlainAscii(std::string_view bytes) {
  // The bytes that are not: one look-up per byte.
  static constexpr std::array<bool, 256> kNotPlain = [] {
    std::array<bool, 256> table{};
    for (size_t c = 0x80; c < 256; ++c) table[c] = true;
    for (const char c : {'&', '<', '>', '"', '\''}) table[static_cast<unsigned char>(c)] = true;
    return table;
  }();
  for (const char c : bytes)
    if (kNotPlain[static_cast<unsigned char>(c)]) return false;
  return true;
}

bool IsProcedureKind(std::string_view kind) {
  return kind == "sub" || kind == "function" || kind.rfind("property", 0) == 0;
}

// The site being written: the run's analysis and what every page shares.
class SiteBuilder {
 public:
  SiteBuilder(const ProjectAnalysis& info, const std::string& projectFile,
              const SiteOptions& options, const std::string& folder)
      : m_info(info),
        m_projectFile(projectFile),
        m_options(options),
        m_folder(folder),
        m_dot(options.dotProgram) {}

  ~SiteBuilder() { JoinDrawing(); }
  SiteBuilder(const SiteBuilder&) = delete;
  SiteBuilder& operator=(const SiteBuilder&) = delete;

  /// Writes every file of the site into the folder. Throws on failure (RunStopped on a stop).
  void Write();
  const std::string& PictureNote() const { return m_pictureNote; }

 private:
  // One writing thread's tools.
  struct Worker {
    CodePageText cp;
    std::string page;
    std::string body;
    std::string text;  ///< scratch: UTF-8 of one value
    std::string raw;   ///< scratch: bytes of one value
    LineIndex lines;
    std::vector<ControlNode> controls;
    std::vector<SiteUse> uses;
    std::vector<SiteName> names;
    std::vector<const ClsEntryPtr*> calls[2];  ///< a procedure's callees and callers
    std::string dot;                           ///< scratch: a picture's DOT text
  };

  void Prepare();
  /// Runs work for every module on the site's threads; the caller's own thread works with own.
  template <class Work>
  void ForEachModule(Worker& own, Work&& work);
  /// Appends project-file bytes as escaped UTF-8. Plain ASCII without a character to escape
  /// (most tokens) is the same in every code page and is copied in one pass.
  void Source(Worker& w, std::string& out, std::string_view bytes) const {
    if (IsPlainAscii(bytes)) {
      out.append(bytes);
      return;
    }
    w.text.clear();
    w.cp.Append(w.text, bytes);
    AppendHtml(out, w.text);
  }
  void PageStart(std::string& out, std::string_view titleHtml, int module) const;
  void PageEnd(std::string& out) const;
  /// Appends the link to the line in the module's source pages.
  void AppendSourceHref(std::string& out, const SiteModule& m, int32_t line) const;
  /// The module's file as the run found it (as the project file writes it when not found).
  static const std::string& FileOf(const clsVBFileType& item) {
    return item.sDiskPath.empty() ? item.sFileValue : item.sDiskPath;
  }
  /// The module's file name, linked to its (first) source page.
  void SourceLink(Worker& w, const SiteModule& m, std::string& out) const {
    out += "<a href=\"";
    out += m.sourceBase;
    out += ".html\">";
    Source(w, out, FileOf(*m.source.item));
    out += "</a>";
  }
  /// Appends the link to the module's page, named by the module.
  static void ModuleLink(const SiteModule& m, std::string& out) {
    Put(out, "<a href=\"");
    out += m.page;
    Put(out, "\">");
    out += m.nameHtml;
    Put(out, "</a>");
  }
  const SiteModule* ModuleOf(const clsVBFileType* item) const {
    const auto it = m_moduleOf.find(item);
    return it == m_moduleOf.end() ? nullptr : &m_modules[it->second];
  }

  void WriteSourcePages(Worker& w, SiteModule& m);
  void WriteModulePage(Worker& w, SiteModule& m, size_t index);
  void WriteControls(Worker& w, SiteModule& m, size_t index, std::string& out);
  void WriteDeclaration(Worker& w, const SiteModule& m, size_t k, std::string& out);
  void WriteCallPicture(Worker& w, const SiteModule& m, size_t k, std::string& out);
  /// The page and anchor of a module-level declaration; false when it has no page.
  bool AnchorOf(const ClsEntryPtr* entry, std::string& href) const;
  void WriteDoc(Worker& w, const SiteDoc& doc, std::string& out) const;
  void WriteIndex(Worker& w);
  void WriteInventories(Worker& w);
  void WriteUnusedPages(Worker& w);
  void WriteUnused(std::string& out) const;
  void WriteExternalNames(Worker& w, std::string& out) const;
  void WriteDocWarnings(Worker& w, std::string& out) const;
  /// A link to a place: the module's name and the line, to the line in its source page.
  void PlaceLink(const SitePlace& place, std::string& out) const;
  void WriteSearch(Worker& w);
  void WritePictures();
  /// Adds a DOT file to be drawn; in_bNow starts drawing what is waiting at once (a picture
  /// that takes long) rather than when a batch is full.
  void AddPicture(std::string dotFile, bool now = false);
  void JoinDrawing();
  void WriteDependencyPicture(std::string& out);

  const ProjectAnalysis& m_info;
  const std::string& m_projectFile;
  const SiteOptions& m_options;
  const std::string& m_folder;
  GraphRenderer m_dot;
  std::string m_projectHtml;  ///< the project's name, UTF-8 and escaped
  std::vector<SiteModule> m_modules;
  /// Every module-level declaration: its module and its anchor number there.
  AnchorTable m_anchors;
  std::unordered_map<const clsVBFileType*, size_t> m_moduleOf;
  size_t m_unusedCount = 0;   ///< declarations the cross references found unused
  size_t m_exposedCount = 0;  ///< and those only callers outside the project may use
  /// The pages of the unused declarations: each lists the modules first .. last.
  struct UnusedPart {
    SiteModule* first;
    SiteModule* last;
    std::string page;
  };
  std::vector<UnusedPart> m_unusedParts;
  /// DOT files written, to be drawn. Batches of them are drawn while the pages are still being
  /// written (at most one dot process per processor at once); the rest at the end.
  std::mutex m_picturesLock;
  std::vector<std::string> m_pictures;
  size_t m_picturesSent = 0;  ///< m_pictures[0, sent) are given to a drawing thread
  unsigned m_drawing = 0;     ///< drawing threads not yet done
  std::vector<std::thread> m_drawingThreads;
  std::string m_drawingFailure;  ///< the first failure of a drawing thread
  std::string m_pictureNote;
  /// The index's dependency picture (or the note in its place), written before the pages so
  /// that dot draws it while they are written.
  std::string m_dependencyFigure;
};

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
      "<a href=\"inventories.html\">Inventories</a><a href=\"search.html\">Search</a></nav>"
      "<div class=\"searchbox\"><input id=\"q\" type=\"search\" placeholder=\"Search "
      "declarations\" autocomplete=\"off\" aria-label=\"Search declarations\">"
      "<div id=\"results\"></div></div></header>\n"
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
    for (size_t k = 0; k < m.declared.size(); ++k)
      m_anchors.Add(m.declared[k].entry, {static_cast<uint32_t>(i), static_cast<uint32_t>(k)});
  }
}

template <class Work>
void SiteBuilder::ForEachModule(Worker& own, Work&& work) {
  unsigned n = m_options.threads;
  if (n == 0) n = std::clamp(std::thread::hardware_concurrency() * 2, 4u, 8u);
  n = static_cast<unsigned>(std::min<size_t>(n, std::max<size_t>(1, m_modules.size())));
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr error;
  std::mutex errorLock;
  const std::atomic<bool>* stopFlag = CurrentStopFlag();
  const auto run = [&](Worker* given) {
    try {
      const StopFlagScope scope(stopFlag);
      std::unique_ptr<Worker> made;
      if (given == nullptr) {
        made = std::make_unique<Worker>();
        if (!made->cp.Open(m_options.codePage)) throw std::runtime_error("unknown code page");
      }
      Worker& w = given ? *given : *made;
      for (size_t i; !failed.load() && (i = next.fetch_add(1)) < m_modules.size();)
        work(w, m_modules[i], i);
    } catch (...) {
      // The first failure ends every thread's work; Write rethrows it to its caller.
      std::lock_guard<std::mutex> guard(errorLock);
      if (!error) error = std::current_exception();
      failed.store(true);
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < n; ++t) {
    try {
      threads.emplace_back(run, nullptr);
    } catch (const std::system_error&) {
      break;  // fewer threads: the ones started, and this one, do the work
    }
  }
  run(&own);
  for (std::thread& t : threads) t.join();
  if (error) std::rethrow_exception(error);
}

void SiteBuilder::Write() {
  Prepare();
  std::filesystem::create_directory(SystemPath(m_folder + "/pictures"));
  WriteFile(m_folder + "/site.css", {SiteStyleSheet()});
  WriteFile(m_folder + "/site.js", {SiteScript()});
  if (!m_dot.Available()) m_pictureNote = "Graphviz's dot was not found on the PATH";
  if (m_options.extras.dependenciesOf) WriteDependencyPicture(m_dependencyFigure);
  // The caller's thread keeps its tools (and the room its texts took) for the pages after.
  Worker w;
  if (!w.cp.Open(m_options.codePage)) throw std::runtime_error("unknown code page");
  // Source pages first: the module pages link into them by line.
  ForEachModule(w, [this](Worker& w, SiteModule& m, size_t) { WriteSourcePages(w, m); });
  // The unused declarations' pages, the inventories and the search index need no module page
  // (only the source pages' parts): they are written on a thread of their own meanwhile.
  Worker side;
  if (!side.cp.Open(m_options.codePage)) throw std::runtime_error("unknown code page");
  RunAlongside(
      [this, &side] {
        WriteUnusedPages(side);
        WriteInventories(side);
        WriteSearch(side);
      },
      [this, &w] {
        ForEachModule(w, [this](Worker& w, SiteModule& m, size_t i) { WriteModulePage(w, m, i); });
      });
  WriteIndex(w);  // with each module's unused declarations' page
  WritePictures();
}

// ---- source pages ----

void SiteBuilder::WriteSourcePages(Worker& w, SiteModule& m) {
  const clsTokenStream* ts = m.stream;
  const int32_t count = ts ? ts->Count() : 0;
  // The header's lines (before the line of the code's first token) are collapsed.
  w.lines.Reset(ts, m.header && m.header->LineEndsKept ? &m.header->LineEnds : nullptr);
  int32_t headerLines = 0;
  if (m.header && m.header->CodePtr > 0 && ts) {
    headerLines = w.lines.PlaceOf(std::min(m.header->CodePtr, count - 1)).line - 1;
    if (headerLines < 2) headerLines = 0;
  }
  std::string fileHtml;
  Source(w, fileHtml, FileOf(*m.source.item));

  int part = 0;
  int32_t line = 1;
  int32_t partFirst = 1;
  std::string& body = w.body;
  // Each line opens with its anchor; the style sheet numbers the anchors (a counter that each
  // block starts at its first line) and the script makes a click on one go to its line, which
  // keeps the pages small.
  const auto openLine = [&] {
    Put(body, "<a id=L");
    AppendNumber(body, line);
    Put(body, "></a>");
  };
  const auto openPre = [&] {
    body += "<pre class=\"src\" style=\"counter-reset:ln ";
    AppendNumber(body, line - 1);
    body += "\">";
  };
  const auto openBlock = [&] {
    if (line <= headerLines) {
      body += "<details class=\"header\"><summary>Header (lines ";
      AppendNumber(body, line);
      body += "\xE2\x80\x93";
      AppendNumber(body, headerLines);
      body += ")</summary>";
    }
    openPre();
  };
  const auto closeBlock = [&](int32_t last) {
    body += last <= headerLines ? "</pre></details>\n" : "</pre>\n";
  };
  const auto flushPart = [&](int32_t last, bool more) {
    std::string& page = w.page;
    page.clear();
    std::string title = "Source of " + m.nameHtml;
    PageStart(page, title, static_cast<int>(&m - m_modules.data()));
    page += "<h1>";
    page += fileHtml;
    page += "</h1>\n<p class=\"meta\">Source of <a href=\"";
    page += m.page;
    page += "\">";
    page += m.nameHtml;
    page += "</a> \xC2\xB7 ";
    AppendNumber(page, w.lines.Lines());
    page += " lines</p>\n";
    std::string nav;
    if (part > 0 || more) {
      nav += "<p class=\"parts\">Lines ";
      AppendNumber(nav, partFirst);
      nav += "\xE2\x80\x93";
      AppendNumber(nav, last);
      if (part > 0) {
        nav += " <a href=\"" + m.sourceBase;
        if (part > 1) nav += "-" + std::to_string(part);
        nav += ".html\">previous part</a>";
      }
      if (more)
        nav +=
            " <a href=\"" + m.sourceBase + "-" + std::to_string(part + 2) + ".html\">next part</a>";
      nav += "</p>\n";
    }
    std::string end;
    PageEnd(end);
    std::string path = m_folder + "/" + m.sourceBase;
    if (part > 0) path += "-" + std::to_string(part + 1);
    path += ".html";
    WriteFile(path, {page, nav, body, nav, end});
    body.clear();
  };

  // The names that stand for a declaration (those with a module page become links), in file
  // order.
  std::vector<SiteName>& names = w.names;
  names.clear();
  if (m_options.extras.namesIn) m_options.extras.namesIn(*m.source.item, names);
  const auto before = [](const SiteName& a, const SiteName& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  };
  if (!std::is_sorted(names.begin(), names.end(), before))
    std::sort(names.begin(), names.end(), before);

  body.clear();
  openBlock();
  if (count > 0) openLine();
  int32_t column = 1;   // of the token at p, in bytes
  size_t nextName = 0;  // the first name not yet reached
  // Short elements the style sheet colours: a comment <i>, a string <u>, a keyword <b>; their
  // opening and closing tags at 7 * (tag - 1) and 3 bytes on in kTags. A tag stays open over
  // blanks to the next token of its kind ("<b>End If</b>") and closes at the line's end.
  static constexpr char kTags[] = "<i></i><u></u><b></b>";
  int open = 0;  // the tag open, 0 for none
  const auto closeTag = [&] {
    if (open) body.append(kTags + 7 * (open - 1) + 3, 4);
    open = 0;
  };
  for (int32_t p = 0; p < count; ++p) {
    YieldPoint();
    const int32_t code = ts->TokenCodeAt(p);
    const std::string_view text = ts->TokenStringAt(p);
    const int32_t at = column;
    column += static_cast<int32_t>(text.size());
    if (code == TokWhiteSpace) {
      Source(w, body, text);
      continue;
    }
    if (code == TokEndOfLine) {
      closeTag();
      column = 1;
      body += '\n';
      if (p + 1 >= count) break;  // the file's last line end opens no line
      const int32_t ended = line++;
      if (body.size() >= m_options.sourcePageBytes) {
        closeBlock(ended);
        flushPart(ended, true);
        m.partStarts.push_back(line);
        partFirst = line;
        ++part;
        openBlock();
      } else if (ended == headerLines) {
        Put(body, "</pre></details>\n");
        openPre();
      }
      openLine();
      continue;
    }
    const int tag = code == TokComment ? 1 : code == TokString ? 2 : code > TokIdentifier ? 3 : 0;
    if (tag != open) {
      closeTag();
      if (tag) body.append(kTags + 7 * (tag - 1), 3);
      open = tag;
    }
    // A name that stands for a declaration with a page links to it.
    while (nextName < names.size() &&
           (names[nextName].line < line ||
            (names[nextName].line == line && names[nextName].column < at)))
      ++nextName;
    const AnchorTable::Anchor* target = nullptr;
    if (nextName < names.size() && names[nextName].line == line && names[nextName].column == at)
      target = m_anchors.Find(names[nextName].entry);
    if (target) {
      Put(body, "<a href=\"");
      body += m_modules[target->module].page;
      Put(body, "#d");
      AppendNumber(body, target->index);
      Put(body, "\">");
    }
    Source(w, body, text);
    if (target) Put(body, "</a>");
  }
  closeTag();
  closeBlock(line);
  flushPart(line, false);
}

// ---- module pages ----

void SiteBuilder::WriteDoc(Worker& w, const SiteDoc& doc, std::string& out) const {
  out += "<div class=\"doc\">";
  const std::pair<const char*, const std::string*> parts[] = {
      {nullptr, &doc.summary},   {nullptr, &doc.description}, {"Returns", &doc.returns},
      {"Remarks", &doc.remarks}, {"Author", &doc.author},     {"Date", &doc.date}};
  for (const auto& [label, text] : parts) {
    if (text->empty()) continue;
    out += "<p>";
    if (label) {
      out += "<b>";
      out += label;
      out += ":</b> ";
    }
    Source(w, out, *text);
    out += "</p>";
    if (text == &doc.description && !doc.params.empty()) {
      out += "<dl class=\"params\">";
      for (const auto& [name, about] : doc.params) {
        out += "<dt><code>";
        Source(w, out, name);
        out += "</code></dt><dd>";
        Source(w, out, about);
        out += "</dd>";
      }
      out += "</dl>";
    }
  }
  out += "</div>";
}

void SiteBuilder::WriteDeclaration(Worker& w, const SiteModule& m, size_t k, std::string& out) {
  const DeclaredEntry& d = m.declared[k];
  const ClsEntryPtr& e = *d.entry;
  out += "<div class=\"decl\" id=\"d";
  AppendNumber(out, static_cast<int64_t>(k));
  out += "\"><code class=\"sig\">";
  w.raw.clear();
  // Variables and constants may share a statement: each shows its own declarator.
  const std::string_view kind = d.kind;
  if (m.stream && (kind == "variable" || kind == "constant"))
    SourceText::AppendDeclarator(*m.stream, e.lEntryptr, w.raw);
  else if (m.stream)
    SourceText::AppendLine(*m.stream, e.lEntryptr, w.raw);
  if (w.raw.empty()) w.raw = e.EntryName;
  Source(w, out, w.raw);
  out += "</code>";
  const int32_t line = w.lines.PlaceOf(e.lEntryptr).line;
  if (line > 0) {
    out += "<a class=\"where\" href=\"";
    AppendSourceHref(out, m, line);
    out += "\">line ";
    AppendNumber(out, line);
    out += "</a>";
  }
  if ((e.eEntrytype == kEntryEnum || e.eEntrytype == kEntryType) && e.Parameters &&
      e.Parameters->Count() > 0) {
    out += "<div class=\"more\">Members: ";
    bool first = true;
    for (const auto& member : *e.Parameters) {
      if (!member) continue;
      if (!first) out += ", ";
      first = false;
      out += "<code>";
      Source(w, out, member->EntryName);
      out += "</code>";
    }
    out += "</div>";
  }
  // Doc comments plug in here (SiteExtras::docOf).
  if (m_options.extras.docOf) {
    if (const SiteDoc* doc = m_options.extras.docOf(e)) WriteDoc(w, *doc, out);
  }
  // Cross references plug in here (SiteExtras::usesOf, callersOf, calleesOf).
  if (m_options.extras.usesOf) {
    w.uses.clear();
    m_options.extras.usesOf(e, w.uses);
    if (!w.uses.empty()) {
      out += "<div class=\"more\">Used at: ";
      bool first = true;
      for (const SiteUse& use : w.uses) {
        const SiteModule* where = ModuleOf(use.place.module);
        if (!where || use.place.line <= 0) continue;
        if (!first) out += ", ";
        first = false;
        out += "<a href=\"";
        AppendSourceHref(out, *where, use.place.line);
        out += "\">";
        out += where->nameHtml;
        out += ':';
        AppendNumber(out, use.place.line);
        out += "</a> <span class=\"meta\">";
        AppendHtml(out, use.kind);
        out += "</span>";
      }
      out += "</div>";
    }
  }
  const std::pair<const char*,
                  const std::function<void(const ClsEntryPtr&, std::vector<const ClsEntryPtr*>&)>*>
      calls[] = {{"Calls", &m_options.extras.calleesOf},
                 {"Called by", &m_options.extras.callersOf}};
  for (size_t side = 0; side < 2; ++side) {
    std::vector<const ClsEntryPtr*>& entries = w.calls[side];
    entries.clear();
    const auto& [label, list] = calls[side];
    if (!*list || !IsProcedureKind(d.kind)) continue;
    (*list)(e, entries);
    if (entries.empty()) continue;
    out += "<div class=\"more\">";
    out += label;
    out += ": ";
    for (size_t c = 0; c < entries.size(); ++c) {
      if (c > 0) out += ", ";
      // A declaration with no page of its own (outside the project's modules) is named only.
      w.text.clear();
      const bool linked = AnchorOf(entries[c], w.text);
      if (linked) {
        out += "<a href=\"";
        out += w.text;
        out += "\">";
      }
      Source(w, out, entries[c]->EntryName);
      if (linked) out += "</a>";
    }
    out += "</div>";
  }
  if (!w.calls[0].empty() || !w.calls[1].empty()) WriteCallPicture(w, m, k, out);
  out += "</div>\n";
}

bool SiteBuilder::AnchorOf(const ClsEntryPtr* entry, std::string& href) const {
  const AnchorTable::Anchor* anchor = m_anchors.Find(entry);
  if (anchor == nullptr) return false;
  href += m_modules[anchor->module].page;
  href += "#d";
  AppendNumber(href, anchor->index);
  return true;
}

// A procedure's call picture, drawn here as SVG in the page: its callers, itself and its
// callees in three columns of boxes, each box a link to its declaration; at most kCallNodes on
// either side (the first ones, and a line saying how many more there are). Drawn without dot:
// dot for every procedure took more than the site's time.
void SiteBuilder::WriteCallPicture(Worker& w, const SiteModule& m, size_t k, std::string& out) {
  constexpr size_t kCallNodes = 12;
  constexpr int kRow = 24, kBox = 18, kGap = 56, kCharWidth = 7, kPad = 12, kMaxChars = 40;
  // The labels: a declaration of another module is named with its module.
  struct Label {
    size_t from, to;  ///< in w.dot (UTF-8, not yet escaped)
    int chars;
    bool cut;  ///< shortened to kMaxChars characters
    const ClsEntryPtr* entry;
  };
  std::string& text = w.dot;
  text.clear();
  Label labels[2 * kCallNodes + 1];
  size_t count = 0;
  const auto label = [&](const ClsEntryPtr* entry) {
    const size_t from = text.size();
    const AnchorTable::Anchor* anchor = m_anchors.Find(entry);
    if (anchor != nullptr && anchor->module != static_cast<uint32_t>(&m - m_modules.data())) {
      text += m_modules[anchor->module].nameUtf8;
      text += '.';
    }
    w.cp.Append(text, entry->EntryName);
    int chars = 0;
    size_t end = from;
    for (; end < text.size() && chars < kMaxChars; ++end)
      chars += (static_cast<unsigned char>(text[end]) & 0xC0) != 0x80;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    labels[count++] = {from, end, chars, end < text.size(), entry};
  };
  const size_t shown[2] = {std::min(w.calls[1].size(), kCallNodes),
                           std::min(w.calls[0].size(), kCallNodes)};  // callers, callees
  for (size_t n = 0; n < shown[0]; ++n) label(w.calls[1][n]);
  label(m.declared[k].entry);
  for (size_t n = 0; n < shown[1]; ++n) label(w.calls[0][n]);
  // Column widths from the longest label of each, rows from the longer side.
  int width[3] = {0, 0, 0};
  for (size_t i = 0; i < count; ++i) {
    const int column = i < shown[0] ? 0 : i == shown[0] ? 1 : 2;
    width[column] = std::max(width[column], labels[i].chars * kCharWidth + 2 * kPad);
  }
  const bool more[2] = {w.calls[1].size() > shown[0], w.calls[0].size() > shown[1]};
  const size_t rows = std::max<size_t>(
      {shown[0] + (more[0] ? 1 : 0), shown[1] + (more[1] ? 1 : 0), static_cast<size_t>(1)});
  const int height = static_cast<int>(rows) * kRow + 4;
  int x[3] = {2, 0, 0};
  x[1] = x[0] + width[0] + (width[0] > 0 ? kGap : 0);
  x[2] = x[1] + width[1] + kGap;
  const int total = x[2] + width[2] + 2;
  const auto top = [&](size_t row, size_t of) {
    return static_cast<int>((rows - of) * kRow / 2 + row * kRow) + (kRow - kBox) / 2 + 2;
  };
  out += "<svg class=\"calls\"";
  AppendAttributes(out, {{"width", total}, {"height", height}});
  out += " viewBox=\"0 0 ";
  AppendNumber(out, total);
  out += ' ';
  AppendNumber(out, height);
  out += "\" role=\"img\" aria-label=\"Callers and callees\">";
  const int middle = top(0, 1) + kBox / 2;
  // Arrows first, under the boxes: from each caller to the procedure, from it to each callee.
  const auto arrow = [&](int x1, int y1, int x2, int y2) {
    // A path step: the command letter and the point.
    const auto step = [&out](char command, int64_t px, int64_t py) {
      out += command;
      AppendNumber(out, px);
      out += ' ';
      AppendNumber(out, py);
    };
    out += "<path d=\"";
    step('M', x1, y1);
    step('L', x2, y2);
    // The head: two short strokes back from the tip, along the arrow's direction.
    const double dx = x2 - x1, dy = y2 - y1, len = std::max(1.0, std::hypot(dx, dy));
    const double ux = dx / len, uy = dy / len;
    for (const int sign : {1, -1}) {
      step('M', std::lround(x2 - 7 * ux + sign * 3.5 * uy),
           std::lround(y2 - 7 * uy - sign * 3.5 * ux));
      step('L', x2, y2);
    }
    out += "\"/>";
  };
  for (size_t n = 0; n < shown[0]; ++n)
    arrow(x[0] + width[0], top(n, shown[0] + more[0]) + kBox / 2, x[1], middle);
  for (size_t n = 0; n < shown[1]; ++n)
    arrow(x[1] + width[1], middle, x[2], top(n, shown[1] + more[1]) + kBox / 2);
  const auto box = [&](const Label& l, int left, int width1, int y, bool self) {
    w.raw.clear();
    const bool linked = AnchorOf(l.entry, w.raw);
    if (linked) {
      out += "<a href=\"";
      out += w.raw;
      out += "\">";
    }
    out += self ? "<rect class=\"self\"" : "<rect";
    AppendAttributes(out, {{"x", left}, {"y", y}, {"width", width1}, {"height", kBox}, {"rx", 4}});
    out += "/><text";
    AppendAttributes(out, {{"x", left + kPad}, {"y", y + kBox - 5}});
    out += '>';
    AppendHtml(out, std::string_view(text).substr(l.from, l.to - l.from));
    if (l.cut) out += "\xE2\x80\xA6";
    out += "</text>";
    if (linked) out += "</a>";
  };
  for (size_t n = 0; n < shown[0]; ++n)
    box(labels[n], x[0], width[0], top(n, shown[0] + more[0]), false);
  box(labels[shown[0]], x[1], width[1], top(0, 1), true);
  for (size_t n = 0; n < shown[1]; ++n)
    box(labels[shown[0] + 1 + n], x[2], width[2], top(n, shown[1] + more[1]), false);
  for (size_t side = 0; side < 2; ++side) {
    if (!more[side]) continue;
    out += "<text class=\"more\"";
    AppendAttributes(
        out, {{"x", x[side * 2] + kPad}, {"y", top(shown[side], shown[side] + 1) + kBox - 5}});
    out += '>';
    AppendNumber(out, static_cast<int64_t>(w.calls[1 - side].size() - shown[side]));
    out += " more</text>";
  }
  out += "</svg>";
}

void SiteBuilder::WriteControls(Worker& w, SiteModule& m, size_t index, std::string& out) {
  if (!m.header || !m.stream || !IsFormLikeItemType(m.source.item->EType)) return;
  ListControls(*m.header, *m.stream, w.controls);
  const std::vector<ControlNode>& controls = w.controls;
  if (controls.empty()) return;
  std::vector<int> depth(controls.size(), 0);
  for (size_t i = 0; i < controls.size(); ++i) {
    const int parent = controls[i].parent;
    if (parent >= 0 && static_cast<size_t>(parent) < i) depth[i] = depth[parent] + 1;
  }
  // Event handlers: procedures named Control_Event (the outermost control by its kind's word,
  // Form_Load), found by the longest control name that starts the procedure's name.
  std::unordered_map<std::string, size_t> byName;
  std::string key;
  for (size_t i = 0; i < controls.size(); ++i) {
    std::string_view name = controls[i].record->sName;
    if (i == 0 && controls[i].parent < 0) {
      name = controls[i].record->sType;
      if (const size_t dot = name.rfind('.'); dot != std::string_view::npos)
        name.remove_prefix(dot + 1);
    }
    key.clear();
    for (const char c : name) key += static_cast<char>(ToLower1252(static_cast<unsigned char>(c)));
    byName.emplace(key, i);
  }
  std::vector<std::vector<size_t>> handlers(controls.size());
  for (size_t k = 0; k < m.declared.size(); ++k) {
    const std::string_view kind = m.declared[k].kind;
    if (kind != "sub" && kind != "function") continue;
    const std::string& name = m.declared[k].entry->EntryName;
    key.clear();
    size_t found = SIZE_MAX;
    for (size_t c = 0; c < name.size(); ++c) {
      if (name[c] == '_' && c > 0 && c + 1 < name.size()) {
        if (const auto it = byName.find(key); it != byName.end()) found = it->second;
      }
      key += static_cast<char>(ToLower1252(static_cast<unsigned char>(name[c])));
    }
    if (found != SIZE_MAX) handlers[found].push_back(k);
  }
  const auto caption = [&](const ControlNode& c) -> bool {
    for (const clsControlRecord* r : c.properties) {
      if (EqualsNoCase1252(r->sType, "+Caption")) {
        w.raw.clear();
        if (!SourceText::AppendStringValue(*m.stream, r->lPtr, w.raw)) w.raw = r->sName;
        return true;
      }
    }
    return false;
  };
  const auto writeHandlers = [&](size_t i) {
    if (handlers[i].empty()) return;
    out += "<span class=\"handlers\">";
    for (size_t h = 0; h < handlers[i].size(); ++h) {
      const ClsEntryPtr& e = *m.declared[handlers[i][h]].entry;
      if (h > 0) out += ", ";
      out += "<a href=\"#d";
      AppendNumber(out, static_cast<int64_t>(handlers[i][h]));
      out += "\">";
      Source(w, out, e.EntryName);
      out += "</a>";
    }
    out += "</span>";
  };
  // A menu's type is "Menu" (the header's "VB.Menu" as the record keeps it).
  const auto isMenu = [](const ControlNode& c) {
    std::string_view type = c.record->sType;
    if (const size_t dot = type.rfind('.'); dot != std::string_view::npos)
      type.remove_prefix(dot + 1);
    return EqualsNoCase1252(type, "Menu");
  };

  out += "<h2 id=\"controls\">Controls</h2>\n<ul class=\"tree\">";
  int open = 0;  // nested lists open below the tree's own
  for (size_t i = 0; i < controls.size(); ++i) {
    YieldPoint();
    const int d = depth[i];
    if (i > 0) {
      if (d > depth[i - 1]) {
        out += "<ul>";
        ++open;
      } else {
        out += "</li>";
        for (int up = depth[i - 1]; up > d && open > 0; --up, --open) out += "</ul></li>";
      }
    }
    out += "<li><code>";
    Source(w, out, controls[i].record->sName);
    out += "</code><span class=\"t\">";
    Source(w, out, controls[i].record->sType);
    if (caption(controls[i])) {
      out += " \xE2\x80\x9C";
      Source(w, out, w.raw);
      out += "\xE2\x80\x9D";
    }
    out += "</span>";
    writeHandlers(i);
  }
  out += "</li>";
  for (; open > 0; --open) out += "</ul></li>";
  out += "</ul>\n";

  // The containment picture: at most kPictureNodes controls (the first ones in file order, so
  // every parent drawn comes before its children).
  constexpr size_t kPictureNodes = 60;
  if (controls.size() >= 2) {
    const size_t shown = std::min(controls.size(), kPictureNodes);
    if (m_dot.Available()) {
      std::string dot =
          "digraph controls {\n  rankdir=LR;\n  ranksep=0.35;\n  nodesep=0.12;\n"
          "  node [shape=box, style=rounded, fontsize=9, height=0.3, fontname=\"sans-serif\"];\n"
          "  edge [arrowsize=0.6];\n";
      for (size_t i = 0; i < shown; ++i) {
        dot += "  n";
        AppendNumber(dot, static_cast<int64_t>(i));
        dot += " [label=\"";
        for (const std::string* part : {&controls[i].record->sName, &controls[i].record->sType}) {
          w.text.clear();
          w.cp.Append(w.text, *part);
          for (const char c : w.text) {
            if (c == '"' || c == '\\') dot += '\\';
            if (static_cast<unsigned char>(c) >= 0x20) dot += c;
          }
          if (part == &controls[i].record->sName) dot += "\\n";
        }
        dot += "\"];\n";
        if (controls[i].parent >= 0) {
          dot += "  n";
          AppendNumber(dot, controls[i].parent);
          dot += " -> n";
          AppendNumber(dot, static_cast<int64_t>(i));
          dot += ";\n";
        }
      }
      dot += "}\n";
      const std::string base = "m" + std::to_string(index + 1) + "-controls";
      WriteFile(m_folder + "/pictures/" + base, {dot});
      AddPicture(m_folder + "/pictures/" + base);
      out += "<figure><img src=\"pictures/" + base + ".svg\" alt=\"Control containment of ";
      out += m.nameHtml;
      out += "\" loading=\"lazy\">";
      if (shown < controls.size()) {
        out += "<figcaption class=\"note\">The first ";
        AppendNumber(out, static_cast<int64_t>(shown));
        out += " of ";
        AppendNumber(out, static_cast<int64_t>(controls.size()));
        out += " controls.</figcaption>";
      }
      out += "</figure>\n";
    } else {
      out += "<p class=\"note\">The picture of the control containment is not drawn: ";
      out += m_pictureNote;
      out += ".</p>\n";
    }
  }

  bool menus = false;
  for (size_t i = 0; i < controls.size(); ++i) {
    if (!isMenu(controls[i])) continue;
    if (!menus) {
      out +=
          "<h2 id=\"menus\">Menus</h2>\n<table><tr><th>Menu</th><th>Caption</th>"
          "<th>Shortcut</th><th>Handlers</th></tr>\n";
      menus = true;
    }
    out += "<tr><td style=\"padding-left:";
    AppendNumber(out, std::max(0, depth[i] - 1) * 16);
    out += "px\"><code>";
    Source(w, out, controls[i].record->sName);
    out += "</code></td><td>";
    if (caption(controls[i])) Source(w, out, w.raw);
    out += "</td><td>";
    if (controls[i].shortcutPos >= 0) {
      w.raw.clear();
      SourceText::AppendValue(*m.stream, controls[i].shortcutPos, w.raw);
      Source(w, out, SiteText::ShortcutText(w.raw));
    }
    out += "</td><td>";
    writeHandlers(i);
    out += "</td></tr>\n";
  }
  if (menus) out += "</table>\n";
}

void SiteBuilder::WriteModulePage(Worker& w, SiteModule& m, size_t index) {
  const clsVBFileType& item = *m.source.item;
  w.lines.Reset(m.stream, m.header && m.header->LineEndsKept ? &m.header->LineEnds : nullptr);
  std::string& out = w.body;
  out.clear();
  PageStart(out, m.nameHtml, static_cast<int>(index));
  out += "<h1>";
  out += m.nameHtml;
  out += "</h1>\n<p class=\"meta\">";
  out += KindTitle(item.EType);
  out += " \xC2\xB7 ";
  SourceLink(w, m, out);
  out += " \xC2\xB7 ";
  AppendNumber(out, w.lines.Lines());
  out += " lines</p>\n";
  // Doc comments plug in here (SiteExtras::moduleDocOf).
  if (m_options.extras.moduleDocOf) {
    if (const SiteDoc* doc = m_options.extras.moduleDocOf(item)) WriteDoc(w, *doc, out);
  }
  WriteControls(w, m, index, out);

  static const std::pair<const char*, const char*> kGroups[] = {
      {"constant", "Constants"}, {"enum", "Enumerations"},        {"type", "Types"},
      {"variable", "Variables"}, {"declare", "API declarations"}, {"event", "Events"},
      {"sub", "Subs"},           {"function", "Functions"},       {"property", "Properties"}};
  for (const auto& [kind, title] : kGroups) {
    const std::string_view group = kind;
    bool any = false;
    for (size_t k = 0; k < m.declared.size(); ++k) {
      const std::string_view declKind = m.declared[k].kind;
      if (group == "property" ? declKind.rfind("property", 0) != 0 : declKind != group) continue;
      if (!any) {
        out += "<h2 id=\"";
        out += kind;
        out += "\">";
        out += title;
        out += "</h2>\n";
        any = true;
      }
      WriteDeclaration(w, m, k, out);
    }
  }
  if (m.declared.empty()) out += "<p class=\"note\">No declarations.</p>\n";
  PageEnd(out);
  WriteFile(m_folder + "/" + m.page, {out});
}

// ---- index, inventories, search ----

void SiteBuilder::WriteIndex(Worker& w) {
  const clsVBFileTypes none;
  const clsVBFileTypes& t = m_info.FileTypes() ? *m_info.FileTypes() : none;
  std::string& out = w.body;
  out.clear();
  PageFile file(m_folder + "/index.html");
  PageStart(out, "Index", -1);
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

  const bool docs = static_cast<bool>(m_options.extras.moduleDocOf);
  const bool coverage = static_cast<bool>(m_options.extras.coverageOf);
  const bool unused = static_cast<bool>(m_options.extras.unused);
  out +=
      "<h2 id=\"modules\">Modules</h2>\n<table><tr><th>Kind</th><th>Name</th><th>File</th>"
      "<th class=\"num\">Lines</th><th class=\"num\">Procedures</th>";
  if (coverage) out += "<th class=\"num\">Documented</th>";
  if (unused) out += "<th class=\"num\">Unused</th>";
  if (docs) out += "<th>Summary</th>";
  out += "</tr>\n";
  for (const SiteModule& m : m_modules) {
    YieldPoint();
    const clsVBFileType& item = *m.source.item;
    w.lines.Reset(m.stream, m.header && m.header->LineEndsKept ? &m.header->LineEnds : nullptr);
    size_t procedures = 0;
    for (const DeclaredEntry& d : m.declared) procedures += IsProcedureKind(d.kind) ? 1 : 0;
    out += "<tr><td>";
    out += KindTitle(item.EType);
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
      out += "<td>";
      if (const SiteDoc* doc = m_options.extras.moduleDocOf(item)) Source(w, out, doc->summary);
      out += "</td>";
    }
    out += "</tr>\n";
    file.Spill(out);
  }
  out += "</table>\n";
  // Cross references plug in here (SiteExtras::dependenciesOf): the module dependencies.
  if (m_options.extras.dependenciesOf) {
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
  PageEnd(out);
  file.Close(out);

  // The side panel's list, shared by every page.
  std::string modules = "window.QS_MODULES=[";
  for (size_t i = 0; i < m_modules.size(); ++i) {
    if (i > 0) modules += ",\n";
    modules += '[';
    AppendJsString(modules, m_modules[i].nameUtf8);
    modules += ',';
    AppendJsString(modules, m_modules[i].page);
    modules += ',';
    AppendJsString(modules, KindTitle(m_modules[i].source.item->EType));
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
    out += "</h2>\n<table><tr><th>Name</th><th>GUID</th><th>Version</th><th>File</th></tr>\n";
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
      if (std::string_view(m.declared[k].kind) != "declare") continue;
      const std::string lib = WithoutQuotes(m.declared[k].entry->LibName);
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
      out += "#d";
      AppendNumber(out, static_cast<int64_t>(api.anchor));
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
  // The modules' pages, for the index's links.
  for (const UnusedPart& part : m_unusedParts) {
    for (SiteModule* m = part.first; m <= part.last; ++m) m->unusedPage = part.page;
  }
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
      index.AddDeclaration(w.text, m.declared[k].kind, static_cast<int64_t>(k));
    }
  }
  const std::array<std::string_view, 5> pieces = index.Pieces();
  WriteFile(m_folder + "/search-index.js", {pieces[0], pieces[1], pieces[2], pieces[3], pieces[4]});
}

// The module dependency picture: an arrow from a module to each module whose declarations it
// uses. Readable at any size: at most kDependencyNodes modules, the most connected ones.
void SiteBuilder::WriteDependencyPicture(std::string& out) {
  constexpr size_t kDependencyNodes = 60;
  std::unordered_map<const clsVBFileType*, size_t> indexOf;
  for (size_t i = 0; i < m_modules.size(); ++i) indexOf.emplace(m_modules[i].source.item, i);
  std::vector<std::pair<size_t, size_t>> edges;
  std::vector<size_t> degree(m_modules.size(), 0);
  std::vector<const clsVBFileType*> uses;
  for (size_t i = 0; i < m_modules.size(); ++i) {
    uses.clear();
    m_options.extras.dependenciesOf(*m_modules[i].source.item, uses);
    for (const clsVBFileType* used : uses) {
      const auto it = indexOf.find(used);
      if (it == indexOf.end() || it->second == i) continue;
      edges.emplace_back(i, it->second);
      ++degree[i];
      ++degree[it->second];
    }
  }
  std::vector<size_t> nodes;
  for (size_t i = 0; i < m_modules.size(); ++i)
    if (degree[i] > 0) nodes.push_back(i);
  if (nodes.empty()) return;
  const size_t connected = nodes.size();
  if (nodes.size() > kDependencyNodes) {
    std::stable_sort(nodes.begin(), nodes.end(),
                     [&](size_t a, size_t b) { return degree[a] > degree[b]; });
    nodes.resize(kDependencyNodes);
    std::sort(nodes.begin(), nodes.end());
  }
  if (!m_dot.Available()) {
    out += "<p class=\"note\">The picture of the module dependencies is not drawn: ";
    out += m_pictureNote;
    out += ".</p>\n";
    return;
  }
  std::vector<char> shown(m_modules.size(), 0);
  for (const size_t n : nodes) shown[n] = 1;
  std::string dot =
      // Dense pictures (hundreds of arrows between 60 modules) take dot minutes with its
      // defaults: fewer passes of crossing minimisation and network simplex, straight arrows.
      "digraph dependencies {\n  rankdir=LR;\n  ranksep=0.5;\n  nodesep=0.15;\n"
      "  mclimit=0.1;\n  nslimit=2;\n  nslimit1=2;\n  splines=line;\n"
      "  node [shape=box, style=rounded, fontsize=9, height=0.3, fontname=\"sans-serif\"];\n"
      "  edge [arrowsize=0.6];\n";
  for (const size_t n : nodes) {
    dot += "  n";
    AppendNumber(dot, static_cast<int64_t>(n));
    dot += " [label=\"";
    for (const char c : m_modules[n].nameUtf8) {
      if (c == '"' || c == '\\') dot += '\\';
      if (static_cast<unsigned char>(c) >= 0x20) dot += c;
    }
    dot += "\"];\n";
  }
  // At most kArrowsFrom arrows from each module, to the most connected of the modules it uses
  // (dot lays out hundreds of arrows between 60 modules slowly, and nobody can follow them).
  constexpr size_t kArrowsFrom = 4;
  std::stable_sort(edges.begin(), edges.end(), [&](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : degree[a.second] > degree[b.second];
  });
  size_t fromCount = 0;
  size_t lastFrom = SIZE_MAX;
  bool cut = false;
  for (const auto& [from, to] : edges) {
    if (!shown[from] || !shown[to]) continue;
    fromCount = from == lastFrom ? fromCount + 1 : 1;
    lastFrom = from;
    if (fromCount > kArrowsFrom) {
      cut = true;
      continue;
    }
    dot += "  n";
    AppendNumber(dot, static_cast<int64_t>(from));
    dot += " -> n";
    AppendNumber(dot, static_cast<int64_t>(to));
    dot += ";\n";
  }
  dot += "}\n";
  const std::string base = "dependencies";
  WriteFile(m_folder + "/pictures/" + base, {dot});
  AddPicture(m_folder + "/pictures/" + base, true);
  out += "<figure><img src=\"pictures/" + base + ".svg\" alt=\"Module dependencies\">";
  if (nodes.size() < connected || cut) {
    out += "<figcaption class=\"note\">";
    if (nodes.size() < connected) {
      out += "The ";
      AppendNumber(out, static_cast<int64_t>(nodes.size()));
      out += " most connected of ";
      AppendNumber(out, static_cast<int64_t>(connected));
      out += " modules. ";
    }
    if (cut) {
      out += "At most ";
      AppendNumber(out, static_cast<int64_t>(kArrowsFrom));
      out += " arrows from each, to the most connected modules it uses; the list below has all.";
    }
    out += "</figcaption>";
  }
  out += "</figure>\n";
}

void SiteBuilder::AddPicture(std::string dotFile, bool now) {
  constexpr size_t kBatch = 256;
  const unsigned drawers = std::max(1u, std::thread::hardware_concurrency());
  std::lock_guard<std::mutex> guard(m_picturesLock);
  m_pictures.push_back(std::move(dotFile));
  if ((!now && m_pictures.size() - m_picturesSent < kBatch) || m_drawing >= drawers) return;
  std::vector<std::string> batch(m_pictures.begin() + static_cast<std::ptrdiff_t>(m_picturesSent),
                                 m_pictures.end());
  const size_t sent = m_picturesSent;
  m_picturesSent = m_pictures.size();
  ++m_drawing;
  try {
    m_drawingThreads.emplace_back([this, batch = std::move(batch)] {
      std::string failure;
      try {
        failure = m_dot.RenderSvg(batch, batch.size(), 1);
      } catch (...) {
        // RenderSvg does not throw; should it, WritePictures writes this in the pictures' place.
        failure = "dot cannot be run";
      }
      std::lock_guard<std::mutex> done(m_picturesLock);
      if (m_drawingFailure.empty()) m_drawingFailure.swap(failure);
      --m_drawing;
    });
  } catch (const std::system_error&) {
    m_picturesSent = sent;  // no thread: the batch is drawn with the rest at the end
    --m_drawing;
  }
}

void SiteBuilder::JoinDrawing() {
  for (std::thread& t : m_drawingThreads) t.join();
  m_drawingThreads.clear();
}

void SiteBuilder::WritePictures() {
  JoinDrawing();
  if (m_pictures.empty()) return;
  const std::vector<std::string> rest(
      m_pictures.begin() + static_cast<std::ptrdiff_t>(m_picturesSent), m_pictures.end());
  std::string failure = m_dot.RenderSvg(rest);
  if (failure.empty()) failure = m_drawingFailure;
  std::error_code ec;
  for (const std::string& dotFile : m_pictures) {
    YieldPoint();
    std::filesystem::remove(dotFile, ec);
    if (failure.empty() || std::filesystem::exists(dotFile + ".svg", ec)) continue;
    // A picture dot did not draw says so in its place.
    std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"480\" height=\"40\"><text x=\"8\" "
        "y=\"24\" font-family=\"sans-serif\" font-size=\"13\">Picture not drawn: ";
    AppendHtml(svg, failure);
    svg += "</text></svg>\n";
    WriteFile(dotFile + ".svg", {svg});
  }
  m_pictureNote = failure;
}

}  // namespace

PendingSite::~PendingSite() {
  Abandon();
}

void PendingSite::Abandon() {
  if (m_temp.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(SystemPath(m_temp), ec);  // what cannot be removed is left
  m_temp.clear();
  m_written = false;
}

bool PendingSite::Write(const ProjectAnalysis& in_oInfo, const std::string& in_sProjectFile,
                        const SiteOptions& in_oOptions, const std::string& in_sFolder) {
  Abandon();
  m_reason.clear();
  m_pictureNote.clear();
  m_target = in_sFolder;
  try {
    if (!CodePageText::IsKnown(in_oOptions.codePage)) {
      m_reason = "unknown code page " + std::to_string(in_oOptions.codePage);
      return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(SystemPath(m_target).parent_path(), ec);
    const std::string temp = MakeFreshFolder(m_target + ".tmp-");
    if (temp.empty()) {
      m_reason = "site cannot be written: " + m_target + ".tmp-: " + std::strerror(errno);
      return false;
    }
    m_temp = temp;
    SiteBuilder builder(in_oInfo, in_sProjectFile, in_oOptions, m_temp);
    builder.Write();
    m_pictureNote = builder.PictureNote();
    m_written = true;
    return true;
  } catch (const RunStopped&) {
    m_reason = "stopped";  // the temporary folder is removed below; an earlier site stays
  } catch (const std::exception& e) {
    // The caller gets false and this reason; an earlier site stays as it was.
    m_reason = std::string("site cannot be written: ") + e.what();
  } catch (...) {
    // The caller gets false and this reason; an earlier site stays as it was.
    m_reason = "site cannot be written";
  }
  Abandon();
  return false;
}

bool PendingSite::Commit() {
  if (!m_written) {
    if (m_reason.empty()) m_reason = "site cannot be written";
    return false;
  }
  m_written = false;
  // The folder is exchanged with an earlier site in one step where the system can; the earlier
  // site, now in the temporary folder, is removed afterwards.
  namespace fs = std::filesystem;
#ifdef __linux__
  if (::renameat2(AT_FDCWD, m_temp.c_str(), AT_FDCWD, m_target.c_str(), RENAME_EXCHANGE) == 0) {
    Abandon();
    return true;
  }
#endif
  std::error_code ec;
  if (!fs::exists(SystemPath(m_target), ec)) {
    fs::rename(SystemPath(m_temp), SystemPath(m_target), ec);
    if (!ec) {
      m_temp.clear();
      return true;
    }
  }
  // An earlier site that cannot be exchanged is moved aside first.
  const std::string aside = MakeFreshFolder(m_target + ".old-");
  std::error_code moved;
  if (!aside.empty()) fs::rename(SystemPath(m_target), SystemPath(aside + "/site"), moved);
  if (!aside.empty() && !moved) {
    fs::rename(SystemPath(m_temp), SystemPath(m_target), moved);
    if (!moved) {
      fs::remove_all(SystemPath(aside), ec);  // what cannot be removed is left behind
      m_temp.clear();
      return true;
    }
    fs::rename(SystemPath(aside + "/site"), SystemPath(m_target), ec);  // the earlier site back
  }
  if (!aside.empty()) fs::remove_all(SystemPath(aside), ec);
  m_reason = "site cannot be put in place: " + m_target + ": " +
             (moved ? moved.message() : std::string(std::strerror(errno)));
  Abandon();
  return false;
}

}  // namespace qs

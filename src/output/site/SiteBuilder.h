// What the files that write the documentation site share (an internal header of the site's
// output, not for use elsewhere): the builder of one site, its per-thread tools, what it knows of
// each module, and the small writing helpers of its pages. PendingSite (SiteWriter.h) is the
// site's public entry; SiteBuilder.cpp ties the parts together, and the pages are written by
// SourcePages.cpp, ModulePages.cpp, SiteIndexPages.cpp, SiteSearch.cpp, SiteNamePages.cpp and
// SitePictures.cpp.
#pragma once

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "analysis/ProjectContents.h"
#include "analysis/SourcePlaces.h"
#include "io/CodePage.h"
#include "io/GraphRenderer.h"
#include "model/clsVBFileType.h"
#include "output/site/SiteWriter.h"
#include "text/Parallel.h"
#include "text/StringUtil.h"
#include "text/SystemPath.h"
#include "text/Yield.h"

namespace qs {

class clsTokenStream;
class clsVBHeader;

namespace site {

using SiteText::AppendHtml;
using SiteText::AppendJsString;
using SiteText::FileNamePart;

// Appends a string literal (its length known here, not counted at run time).
template <size_t N>
void Put(std::string& out, const char (&in_sText)[N]) {
  out.append(in_sText, N - 1);
}

inline void AppendNumber(std::string& out, int64_t in_nValue) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, in_nValue);
  out.append(digits, result.ptr);
}

// Writes the pieces one after another into a new file; throws with the path and the reason when
// that fails (the site's writing ends there).
void WriteFile(const std::string& in_sPath, std::initializer_list<std::string_view> in_parts);

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

// The module and declaration number (its place in SiteModule::declared) of every module-level
// declaration, by its record: a flat table
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
  /// The ids of the declarations on the module page (SiteText::AnchorNames), one after another:
  /// declared[k]'s is anchorText[anchorEnds[k - 1], anchorEnds[k]).
  std::string anchorText;
  std::vector<uint32_t> anchorEnds;
  /// The property procedures (indexes into declared, in order) that carry their property's
  /// name alone as a second id: Anchor(k) without its "get-", "let-" or "set-".
  std::vector<uint32_t> wholeProperties;
  std::string_view Anchor(size_t k) const {
    const uint32_t from = k == 0 ? 0 : anchorEnds[k - 1];
    return std::string_view(anchorText).substr(from, anchorEnds[k] - from);
  }
  /// The first line of each source page after the first (filled when they are written).
  std::vector<int32_t> partStarts;
  bool picture = false;     ///< a control picture is drawn for the module page
  int32_t unusedCount = 0;  ///< declarations the cross references found unused (not exposed)
  std::string unusedPage;   ///< the page listing them ("unused-2.html"); empty when none
};

const char* KindTitle(ModuleKind in_eKind);

// The kinds of declarations a module page shows, in its order, with their titles; the
// properties' group holds their Get, Let and Set.
inline constexpr std::pair<DeclKind, const char*> kDeclGroups[] = {
    {DeclKind::kConstant, "Constants"},
    {DeclKind::kEnum, "Enumerations"},
    {DeclKind::kType, "Types"},
    {DeclKind::kVariable, "Variables"},
    {DeclKind::kDeclare, "API declarations"},
    {DeclKind::kEvent, "Events"},
    {DeclKind::kSub, "Subs"},
    {DeclKind::kFunction, "Functions"},
    {DeclKind::kPropertyGet, "Properties"}};
inline bool InGroup(DeclKind in_eGroup, DeclKind in_eKind) {
  return IsPropertyKind(in_eGroup) ? IsPropertyKind(in_eKind) : in_eKind == in_eGroup;
}

// True when the bytes are ASCII and none needs escaping in HTML.
inline bool IsPlainAscii(std::string_view bytes) {
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
    /// A declaration's places of use: module number << 32 | line, and the use's kind.
    std::vector<std::pair<uint64_t, const char*>> places;
    std::string key;  ///< scratch: a name looked up
    /// The page's declarations' signatures (SignatureOf), one after another, and their doc
    /// comments (null: none): the members' table and the details share them.
    std::string signatures;
    std::vector<uint32_t> signatureEnds;
    std::vector<const SiteDoc*> docs;
    std::string_view Signature(size_t k) const {
      const uint32_t from = k == 0 ? 0 : signatureEnds[k - 1];
      return std::string_view(signatures).substr(from, signatureEnds[k] - from);
    }
    std::string dot;  ///< scratch: a picture's DOT text
  };

  void Prepare();
  /// Fills m_typeLinks (after Prepare).
  void PrepareTypeLinks();
  /// Calls work(worker, module, index) for every module, on the caller's thread and on helpers
  /// (text/Parallel.h); each call has a worker to itself, own first.
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

  // Source pages (SourcePages.cpp).
  void WriteSourcePages(Worker& w, SiteModule& m);
  /// A name of a source page, linked to what it stands for (name null: its text alone).
  void WriteNameText(Worker& w, const SiteName* name, std::string_view text);
  /// Lines of the module's header that its first source page collapses (0: none).
  int32_t CollapsedHeaderLines(Worker& w, const SiteModule& m) const;
  /// Fills w.names with the names of the module's source that stand for a declaration, in file
  /// order.
  void SortedNamesIn(Worker& w, const SiteModule& m) const;
  /// Writes w.body as the source page holding lines first .. last (part: 0 for the first page)
  /// and empties it; more: a page follows.
  void WriteSourcePart(Worker& w, const SiteModule& m, std::string_view fileHtml, int part,
                       int32_t first, int32_t last, bool more);

  // Module pages (ModulePages.cpp).
  void WriteModulePage(Worker& w, SiteModule& m, size_t index);
  void WriteControls(Worker& w, SiteModule& m, size_t index, std::string& out);
  void WriteInterfaces(Worker& w, const clsVBFileType& item, std::string& out) const;
  /// The event handlers of each control: indexes into m.declared, by control.
  static void FindHandlers(const SiteModule& m, const std::vector<ControlNode>& controls,
                           std::vector<std::vector<size_t>>& handlers);
  /// Puts the control's caption (its bytes) in w.raw; false when it has none.
  bool CaptionOf(Worker& w, const SiteModule& m, const ControlNode& c) const;
  void WriteHandlers(Worker& w, const SiteModule& m, const std::vector<size_t>& handlers,
                     std::string& out) const;
  /// The control arrays of w.controls: each one's indexes at its first element, and which
  /// controls the page shows (a later element of an array is folded into the first).
  static void FindControlArrays(Worker& w, const SiteModule& m, std::vector<std::string>& indexes,
                                std::vector<char>& shown);
  void WriteMenus(Worker& w, const SiteModule& m, const std::vector<int>& depth,
                  const std::vector<std::vector<size_t>>& handlers,
                  const std::vector<std::string>& indexes, const std::vector<char>& shown,
                  std::string& out) const;
  void WriteDeclaration(Worker& w, const SiteModule& m, size_t k, std::string& out);

  // The members' table and the folded lists of a module page (ModuleMembers.cpp).
  /// True for a declaration the page lists among the private members.
  static bool IsPrivate(const DeclaredEntry& d);
  /// Puts the declaration's signature (its line, or its own declarator) in w.raw.
  static void SignatureOf(Worker& w, const SiteModule& m, const DeclaredEntry& d);
  /// Appends a signature (project-file bytes) with the type after each As (New) linked to the
  /// project's module, Type or Enum of that name (the module's own private ones first).
  void WriteSignature(Worker& w, uint32_t module, std::string_view signature,
                      std::string& out) const;
  /// Puts the name's look-up key for m_typeLinks in w.key: its letters lowered, and for a
  /// module's private name the module's number after a byte 1.
  static void TypeKey(Worker& w, std::string_view name, const uint32_t* module);
  /// Fills w.signatures and w.docs for the module's declarations.
  void PrepareMembers(Worker& w, const SiteModule& m) const;
  /// The table of the module's members by kind: public ones, then the private ones folded.
  void WriteMemberSummary(Worker& w, const SiteModule& m, std::string& out);
  /// "Used at" of w.uses: each place once; folded and grouped by module when long.
  void WriteUses(Worker& w, std::string& out) const;
  /// Orders procedures by module and declaration, each once (those without a page last).
  void SortCalls(std::vector<const ClsEntryPtr*>& entries) const;
  /// "Calls" or "Called by" (label) of sorted procedures, each named with its module; folded
  /// and grouped by module when long (noun: what the folded line counts).
  void WriteCalls(Worker& w, const char* label, const char* noun,
                  const std::vector<const ClsEntryPtr*>& entries, std::string& out) const;
  void WriteCallPicture(Worker& w, const SiteModule& m, size_t k, std::string& out);
  /// The page and anchor of a module-level declaration; false when it has no page.
  bool AnchorOf(const ClsEntryPtr* entry, std::string& href) const;
  void WriteDoc(Worker& w, const SiteDoc& doc, std::string& out) const;
  /// Writes a doc's description line by line: paragraphs and heading lines as paragraphs, "- "
  /// and "* " items as a list; a line that only gives the summary under a label is left out.
  void WriteDocLines(Worker& w, std::string_view text, std::string_view summary,
                     std::string& out) const;

  // The index and the inventories (SiteIndexPages.cpp).
  void WriteIndex(Worker& w);
  /// The index's project summary, counts, references and objects.
  void WriteProjectSummary(Worker& w, std::string& out) const;
  void WriteModuleTable(Worker& w, PageFile& file, std::string& out) const;
  void WriteDependencyList(PageFile& file, std::string& out) const;
  /// modules.js: the side panel's list, shared by every page.
  void WriteModuleList() const;
  void WriteInventories(Worker& w);
  void WriteUnusedPages(Worker& w);
  void WriteUnused(std::string& out) const;
  void WriteExternalNames(Worker& w, std::string& out) const;
  void WriteDocWarnings(Worker& w, std::string& out) const;
  /// A link to a place: the module's name and the line, to the line in its source page.
  void PlaceLink(const SitePlace& place, std::string& out) const;

  // The search page and its index (SiteSearch.cpp).
  void WriteSearch(Worker& w);

  // The index of every name and the page of interfaces (SiteNamePages.cpp).
  void WriteNames(Worker& w);
  void WriteInterfacesPage(Worker& w);

  // Pictures drawn by Graphviz's dot (SitePictures.cpp).
  void WritePictures();
  /// Adds a DOT file to be drawn; in_bNow starts drawing what is waiting at once (a picture
  /// that takes long) rather than when a batch is full.
  void AddPicture(std::string dotFile, bool now = false);
  void WriteDependencyPicture(std::string& out);
  /// The control containment picture of a form-like module (w.controls), or the note in its
  /// place.
  void WriteControlPicture(Worker& w, const SiteModule& m, size_t index, std::string& out);

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
  /// What a type name in a signature links to (TypeKey): a module's page (decl -1) or a Type or
  /// Enum on it.
  struct TypeLink {
    uint32_t module;
    int32_t decl;
  };
  std::unordered_map<std::string, TypeLink> m_typeLinks;
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
  /// written (at most one dot process per thread the run may use, ThreadsFor); the rest at the
  /// end.
  std::mutex m_picturesLock;
  std::vector<std::string> m_pictures;
  size_t m_picturesSent = 0;     ///< m_pictures[0, sent) are given to a drawing thread
  unsigned m_drawing = 0;        ///< drawing threads not yet done
  std::string m_drawingFailure;  ///< the first failure of a drawing thread
  std::string m_pictureNote;
  /// The index's dependency picture (or the note in its place), written before the pages so
  /// that dot draws it while they are written.
  std::string m_dependencyFigure;
  /// The threads drawing batches of pictures. Declared last: leaving, a builder joins them before
  /// anything they use is gone (their work throws nothing for the join to drop).
  WorkerGroup m_drawers;
};

}  // namespace site
}  // namespace qs

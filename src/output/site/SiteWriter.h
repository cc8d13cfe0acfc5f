// The documentation site of a run: static pages that open from the disk in any browser, written
// from the finished analysis beside the report folder as <Body>_site/. It holds index.html (the
// project and its modules with their documentation coverage and unused declarations), one page
// per module (declarations by kind with their signatures, each declarator of a shared statement
// its own; the controls, menus and event handlers of form-like modules; a call picture per
// procedure), the source of every module as pages with numbered lines, the inventories
// (references, objects, API declarations by library, unused declarations on pages of their own,
// external names by use count, documentation warnings, the run's warnings), a search page with
// its index as a script, one style sheet, one script and the pictures Graphviz's dot draws (when
// dot is on the PATH).
//
// The site is written into a temporary folder beside its target and put in place only when
// complete: an earlier site stays as it was until then.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/AtomicFolder.h"
#include "output/common/SiteText.h"

namespace qs {

class ClsEntryPtr;
class clsVBFileType;
class ProjectAnalysis;

/// A place in a module's source, for links into its source pages.
struct SitePlace {
  const clsVBFileType* module = nullptr;
  int32_t line = 0;
  int32_t column = 0;
};

/// One use of a declaration: where it is, and "call", "read" or "write".
struct SiteUse {
  SitePlace place;
  const char* kind = "";
};

/// A name in a module's source that stands for a declaration: its line and column, and the
/// analysis record of the declaration (null when it has none).
struct SiteName {
  int32_t line = 0;
  int32_t column = 0;
  const ClsEntryPtr* entry = nullptr;
  /// A module's name (a class or form named as a type, New ..., Implements ...): its module,
  /// whose page it links to; null for the others.
  const clsVBFileType* module = nullptr;
};

/// A declaration the cross references found unused: "unused", or "exposed" when callers outside
/// the project may use it.
struct SiteUnused {
  SitePlace place;
  /// The analysis record (module-level declarations); null for locals, parameters, members,
  /// controls and labels, which link to their line.
  const ClsEntryPtr* entry = nullptr;
  std::string name;  ///< "Module.Procedure.Name" as written (project-file bytes)
  const char* kind = "";
  const char* exposure = "";
};

/// An interface a class implements, or a class implementing one: the project's module (null for
/// another library's interface) and its name (project-file bytes).
struct SiteInterface {
  const clsVBFileType* module = nullptr;
  std::string_view name;
};

/// A documentation warning at its place (project-file bytes).
struct SiteDocWarning {
  SitePlace place;
  std::string message;
};

/// A doc comment as the site shows it: views of texts that outlive the site's writing (the
/// analysis's doc comments), every one project-file bytes (converted through the site's code
/// page).
struct SiteDoc {
  std::string_view summary;
  std::string_view description;
  std::vector<std::pair<std::string_view, std::string_view>> params;  ///< name, text
  std::string_view returns;
  std::string_view remarks;
  std::string_view author;
  std::string_view date;
};

/// What the site shows beyond the analysis itself: the cross references and the doc comments,
/// once they are there. Every member may be left empty; a page then shows nothing of it (no
/// section, no heading). Each is only ever read, from the site's writing threads at once, and
/// must not throw.
struct SiteExtras {
  /// Cross references: every use of the declaration (module pages: "Used at").
  std::function<void(const ClsEntryPtr&, std::vector<SiteUse>&)> usesOf;
  /// Cross references: the uses in a module's source in file order (source pages: the name at
  /// each one's line and column links to its declaration when that has a module page).
  std::function<void(const clsVBFileType&, std::vector<SiteName>&)> namesIn;
  /// Cross references: the procedures a procedure calls, and those that call it (module pages:
  /// "Calls" and "Called by").
  std::function<void(const ClsEntryPtr&, std::vector<const ClsEntryPtr*>&)> calleesOf;
  std::function<void(const ClsEntryPtr&, std::vector<const ClsEntryPtr*>&)> callersOf;
  /// Cross references: the modules whose declarations a module uses (index: the module
  /// dependency list).
  std::function<void(const clsVBFileType&, std::vector<const clsVBFileType*>&)> dependenciesOf;
  /// Doc comments: of a declaration, and of a module (null when it has none).
  std::function<const SiteDoc*(const ClsEntryPtr&)> docOf;
  std::function<const SiteDoc*(const clsVBFileType&)> moduleDocOf;
  /// Doc comments: a module's public procedures, properties, events and Declares with a doc
  /// comment, and all of them (index: the coverage column). False when not measured.
  std::function<bool(const clsVBFileType&, int& documented, int& total)> coverageOf;
  /// Doc comments: the documentation warnings in file order (inventories).
  std::function<void(std::vector<SiteDocWarning>&)> docWarnings;
  /// Cross references: the unused and exposed declarations in file order (index: the unused
  /// column; inventories), each given to the visitor in turn (valid during the call only).
  std::function<void(const std::function<void(const SiteUnused&)>&)> unused;
  /// Cross references: the interfaces a class implements (its Implements statements) and the
  /// classes implementing it (module pages: "Implements" and "Implemented by").
  std::function<void(const clsVBFileType&, std::vector<SiteInterface>& implements,
                     std::vector<SiteInterface>& implementedBy)>
      interfacesOf;
  /// Cross references: names the project does not declare with their use counts (inventories).
  std::function<void(std::vector<std::pair<std::string_view, uint32_t>>&)> externalNames;
  /// Cross references: a module's lines [first, last] that conditional compilation leaves out,
  /// in order (source pages: dimmed, unlinked).
  std::function<void(const clsVBFileType&, std::vector<std::pair<int32_t, int32_t>>&)>
      inactiveLinesOf;
  /// Doc comments: the texts several modules open with alike (a licence, a copyright banner),
  /// each with how many modules carry it, in the order of the first one (index: shown once;
  /// moduleDocOf leaves them out).
  std::function<void(std::vector<std::pair<const SiteDoc*, int>>&)> sharedModuleDocs;
  /// Cross references: every Implements statement of the project at once, as the implementing
  /// class and the interface it names (interfaces page).
  std::function<void(std::vector<std::pair<const clsVBFileType*, SiteInterface>>&)> implementations;
};

struct SiteOptions {
  /// The code page of the project's files; their text becomes UTF-8 through it.
  int codePage = 1252;
  /// The program that draws the pictures, looked for on the PATH; empty draws none.
  std::string dotProgram = "dot";
  /// A source page is closed after the line that takes it past this many bytes; longer files
  /// are split into several pages (no page is split inside a line).
  size_t sourcePageBytes = 3u << 20;
  /// Threads that write module pages at once, the caller's own included; 0 means two per
  /// processor, at least 4 and at most 8 (creating files waits for the disk as much as it works).
  /// Either way no more than the run's thread budget allows (text/Parallel.h): with one thread
  /// the whole site is written on the caller's.
  unsigned threads = 0;
  SiteExtras extras;
};

/// A site written ahead of its commit: Write fills a temporary folder beside the target while,
/// say, the report is still being written on another thread; Commit then puts it in place.
/// Dropped uncommitted, it removes the temporary folder and leaves an earlier site as it was.
class PendingSite {
 public:
  PendingSite() = default;
  ~PendingSite();
  PendingSite(const PendingSite&) = delete;
  PendingSite& operator=(const PendingSite&) = delete;

  /// Writes the site of the driver's analysis (complete, only read) into a temporary folder that
  /// will replace in_sFolder. False, with Reason() set ("site cannot be written: ...", "unknown
  /// code page N" or "stopped"), on failure. Never throws.
  bool Write(const ProjectAnalysis& in_oInfo, const std::string& in_sProjectFile,
             const SiteOptions& in_oOptions, const std::string& in_sFolder);
  /// Puts a written site in place of an earlier one. False, with Reason() set, when it was not
  /// written or cannot be put in place.
  bool Commit();
  const std::string& Reason() const { return m_reason; }
  /// What the pictures came to: "" when they were drawn (or there were none to draw), else why
  /// not (no dot on the PATH, dot failed).
  const std::string& PictureNote() const { return m_pictureNote; }

 private:
  void Abandon();
  std::string m_target;
  AtomicFolder m_folder;
  bool m_written = false;
  std::string m_reason;
  std::string m_pictureNote;
};

}  // namespace qs

// The estate outputs of a call that documents several projects: what each project is (type,
// counts, lines, declarations), the groups that list them, the source files more than one
// project lists, the uses of one project's exposed classes in another, and totals; written as
// estate_site/index.html (with the project picture and a search over every project's
// declarations) and, with the JSON export, estate_site/estate.json (docs/JSON.md).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/ItemPathResolver.h"
#include "model/CrossReferences.h"

namespace qs {

class ProjectAnalysis;
class CodePageText;
class clsVBFileType;

/// A module of an estate project as the estate's search lists it: its name and its declarations'
/// names (UTF-8) with their kinds (DeclaredEntry::kind), and its page in the project's site.
struct EstateModule {
  std::string name;
  std::string page;
  std::vector<std::pair<std::string, DeclKind>> declarations;
};

/// A use of another project's exposed class or member in a project of the estate.
struct EstateCrossUse {
  std::string project;       ///< the used project's name (UTF-8)
  size_t target = SIZE_MAX;  ///< the used project's index, once matched
  std::string declaration;   ///< "clsThing" or "clsThing.Size" (UTF-8)
  std::string file;          ///< the using file's full platform path
  int32_t line = 0;
  int32_t column = 0;
  const char* kind = "";  ///< "read", "write" or "call"
};

/// One project of the estate, summed up after its run.
struct EstateProject {
  std::string file;    ///< the project file's full platform path
  std::string name;    ///< the project's name (UTF-8)
  std::string type;    ///< its Type line as written ("Exe", "OleDll", ...; UTF-8)
  std::string report;  ///< its report's full path; empty when no report was written
  /// The project's site (index.html of its "<Body>_site" folder), linked when sites were asked.
  std::string site;
  /// forms, modules, classes, user controls, property pages, user documents, designers,
  /// references, objects: the project file's counts.
  int32_t counts[9] = {};
  int64_t lines = 0;         ///< lines of its source files
  int64_t declarations = 0;  ///< declarations of its modules
  /// Of those declarations, the ones its cross references find unused (as --unused lists
  /// them); 0 when they were not resolved.
  int64_t unused = 0;
  /// Its modules in the project file's order, for the estate's search.
  std::vector<EstateModule> modules;
  /// The classes it exposes (VB_Exposed = True), for the projects that reference it.
  std::vector<ExposedClass> exposed;
  /// Its uses of the classes of the projects it references, in file order.
  std::vector<EstateCrossUse> crossUses;
  /// Its source files' full platform paths (files that were found), in the project's order.
  std::vector<std::string> sources;
  /// The estate projects (indices) its "Reference=*\A" lines name.
  std::vector<size_t> references;
  /// The projects' "*\A" paths as found, until they are matched to estate projects.
  std::vector<std::string> referencePaths;
};

struct EstateGroup {
  std::string file;             ///< the group file's full platform path
  std::vector<size_t> members;  ///< indices into the projects
};

class EstateReport {
 public:
  /// The counts' names, in the order of EstateProject::counts (as the JSON export names them).
  static const char* const kCountNames[9];

  /// Sums up the analysis of the project file (its full path) whose report is in_sReport ("" when
  /// none was written); in_nCodePage converts the project's names to UTF-8. A project without a
  /// report is listed with its file only. Returns "" or, when the project could be summed up only
  /// in part, a warning saying why. Throws only std::bad_alloc.
  std::string AddProject(const ProjectAnalysis& in_oAnalysis, const std::string& in_sProjectFile,
                         const std::string& in_sReport, int in_nCodePage) {
    return AddProject(m_projects.size(), in_oAnalysis, in_sProjectFile, in_sReport, in_nCodePage);
  }
  /// The same for the project at that index (projects may be documented in another order than
  /// the one they are listed in).
  std::string AddProject(size_t in_nIndex, const ProjectAnalysis& in_oAnalysis,
                         const std::string& in_sProjectFile, const std::string& in_sReport,
                         int in_nCodePage);
  /// The classes the projects at these indices expose (those added so far), for the run of a
  /// project that references them (RunSettings::exposedClasses); null when there are none.
  std::shared_ptr<const std::vector<ExposedClass>> ExposedBy(
      const std::vector<size_t>& in_projects) const;
  /// A group file and its members (indices in the order the projects were added).
  void AddGroup(EstateGroup in_oGroup) { m_groups.push_back(std::move(in_oGroup)); }
  /// Sets each project's site path, <folder>/<Body>_site/index.html, where the folder is
  /// in_sOutDir or the project's own.
  void LinkSites(const std::string& in_sOutDir);
  /// Sets the site path of the project at that index (its index.html, a full path): where the
  /// call wrote it, whatever the project file's name.
  void LinkSite(size_t in_nIndex, std::string in_sIndexPage) {
    if (in_nIndex < m_projects.size()) m_projects[in_nIndex].site = std::move(in_sIndexPage);
  }
  /// Sets the program that draws the project picture ("" draws none).
  void SetDotProgram(std::string in_sProgram) { m_dotProgram = std::move(in_sProgram); }

  const std::vector<EstateProject>& Projects() const { return m_projects; }
  const std::vector<EstateGroup>& Groups() const { return m_groups; }
  /// Each source file that more than one project lists (full path, sorted), with the projects.
  std::map<std::string, std::vector<size_t>> SharedFiles() const;

  /// Writes in_sFolder/estate_site/ (index.html, and estate.json when in_bJson) into a new
  /// folder that replaces an earlier one only when complete. False, with out_sReason set, when
  /// that fails; nothing is then left behind and an earlier folder stays as it was. Never throws.
  bool Write(const std::string& in_sFolder, bool in_bJson, std::string& out_sReason);

  /// The estate page; in_sPictureNote says why the project picture is missing ("" when it is
  /// drawn, or there is nothing to draw).
  std::string HtmlText(const std::string& in_sSiteFolder,
                       const std::string& in_sPictureNote = std::string()) const;
  std::string JsonText() const;
  /// The search index script (search-index.js) of every project's modules and declarations,
  /// linked to the projects' sites (or reports) as seen from the folder.
  std::string SearchIndexText(const std::string& in_sSiteFolder) const;

  /// The project picture's nodes are at most this many projects, the most connected ones.
  static constexpr size_t kPictureNodes = 60;
  /// The project picture as a DOT graph: an arrow from each project to each project whose
  /// source its "*\A" lines name (solid), and from each project listing a shared file to the
  /// project the file belongs to (dashed, labelled with the number of files), a file
  /// belonging to the lister whose folder holds it, else to its first lister. "" when no two
  /// projects are tied. out_nShown and out_nConnected: projects drawn, and projects tied.
  std::string PictureDot(size_t& out_nShown, size_t& out_nConnected) const;

 private:
  /// Matches the projects' "*\A" paths to estate projects (once, before writing).
  void MatchReferences();
  void Summarise(const ProjectAnalysis& in_oInfo, const std::string& in_sProjectFile,
                 const std::string& in_sReport, int in_nCodePage, EstateProject& out_oProject);
  /// The classes the project exposes, and its uses of those of the projects it references.
  void SumUpCrossProject(const ProjectAnalysis& in_oInfo, CodePageText& io_cp,
                         EstateProject& io_oProject);
  /// The full path of a source item of the project in the folder; "" when it is not found.
  std::string SourcePath(const clsVBFileType& in_oItem, const std::string& in_sFolder);
  bool WriteFolder(const std::string& in_sFolder, bool in_bJson, std::string& out_sReason);
  /// A project's name, linked to its site (or report) as seen from the folder.
  std::string ProjectLink(size_t in_nProject, const std::string& in_sSiteFolder) const;
  /// The estate page's sections of uses across projects and of shared files.
  void AppendUsesAndSharedFiles(std::string& h, const std::string& in_sSiteFolder) const;

  std::vector<EstateProject> m_projects;
  std::vector<EstateGroup> m_groups;
  std::map<std::string, int64_t> m_fileLines;  ///< each source file's lines, by full path
  /// Program that draws the project picture (Graphviz's dot), looked for on the PATH.
  std::string m_dotProgram = "dot";
  ItemPathResolver m_resolver;
};

}  // namespace qs

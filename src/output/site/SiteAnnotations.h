// What the documentation site shows beyond the analysis: the doc comments of every declaration
// and module that the analysis read (ProjectDocs), and, when the run resolved them, the cross
// references (uses, callers and callees, module dependencies). Gathered once, before the site's
// pages are written, into tables the pages' threads only read.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "output/site/SiteWriter.h"

namespace qs {

class ProjectAnalysis;
struct CrossReferences;
struct ProjectDocs;
struct ProjectModule;

class SiteAnnotations {
 public:
  /// Gathers from the driver's finished run: doc comments when in_pDocs is given (and read; the
  /// tables view its texts, so it must outlive this object), cross references when in_pRefs is
  /// given (and computed).
  SiteAnnotations(const ProjectAnalysis& in_oInfo, const CrossReferences* in_pRefs,
                  const ProjectDocs* in_pDocs);

  /// The site's extras, reading this object (which must outlive the site's writing).
  SiteExtras Extras() const;
  /// Sets the members of io_oExtras that are still empty from Extras().
  void FillEmpty(SiteExtras& io_oExtras) const;

 private:
  /// Takes the doc comments of the modules and their declarations, the modules' coverage and the
  /// warnings the site shows; the module comments several modules share go to m_sharedDocs.
  void TakeDocs(const std::vector<ProjectModule>& in_vModules, const ProjectDocs& in_oDocs);
  /// Moves the module doc comments that several modules share to m_sharedDocs.
  void TakeSharedDocs(const std::vector<ProjectModule>& in_vModules);
  const CrossReferences* m_refs = nullptr;
  std::unordered_map<const ClsEntryPtr*, SiteDoc> m_docs;
  std::unordered_map<const clsVBFileType*, SiteDoc> m_moduleDocs;
  /// Module doc comments that several modules share, each with how many: not in m_moduleDocs.
  std::vector<std::pair<SiteDoc, int>> m_sharedDocs;
  /// Documented and all public procedures, properties, events and Declares of each module.
  std::unordered_map<const clsVBFileType*, std::pair<int, int>> m_coverage;
  std::vector<SiteDocWarning> m_docWarnings;
  /// Procedures calling each declaration, in the callers' order: those of declaration d are
  /// m_callerList[m_callerStart[d] .. m_callerStart[d+1]).
  std::vector<int32_t> m_callerStart;
  std::vector<int32_t> m_callerList;
  /// Each module's uses: refs.uses[first, end), by the module's record.
  std::unordered_map<const clsVBFileType*, std::pair<size_t, size_t>> m_usesIn;
  /// Modules each module's code uses declarations of, by module index, in first-use order.
  std::unordered_map<const clsVBFileType*, std::vector<const clsVBFileType*>> m_dependencies;
};

}  // namespace qs

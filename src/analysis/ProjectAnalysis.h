// The finished result of analysing one project: the project file's items and their headers (with
// the source texts and line ends that places need), the declarations in the symbol table, the
// warnings with their reasons and, when an output asked for them, the cross references and the
// doc comments. Outputs
// only read it: every output is a function of a ProjectAnalysis and its own options.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "analysis/ProjectContents.h"
#include "analysis/ProjectDocs.h"
#include "model/CrossReferences.h"
#include "model/RunState.h"

namespace qs {

class clsVBFileTypes;
struct ExposedClass;

/// A warning of the analysis in parts: the file as the project file writes it (project file
/// bytes) and what happened to it ("source file not found", ...).
struct AnalysisWarning {
  std::string file;
  std::string message;
};

class ProjectAnalysis {
 public:
  ProjectAnalysis();
  ~ProjectAnalysis();
  ProjectAnalysis(const ProjectAnalysis&) = delete;
  ProjectAnalysis& operator=(const ProjectAnalysis&) = delete;

  /// The project file as the analysis was given it (a platform path, UTF-8).
  const std::string& ProjectFile() const { return m_projectFile; }
  /// Its folder as written (ending in the platform's separator; "" for the current folder) and
  /// its file name up to the first dot.
  const std::string& ProjectFolder() const { return m_projectFolder; }
  const std::string& ProjectBody() const { return m_projectBody; }
  /// The project file as an output names it (UTF-8): ProjectFile() unless a caller set another.
  const std::string& ReportedProjectFile() const {
    return m_reportedProjectFile.empty() ? m_projectFile : m_reportedProjectFile;
  }

  /// The project item collection (null before an analysis).
  const std::shared_ptr<clsVBFileTypes>& FileTypes() const { return m_fileTypes; }
  /// The symbol table and project name.
  const RunState& State() const { return m_state; }
  /// The cross references (empty unless they were asked for: CrossRefs().computed).
  const CrossReferences& CrossRefs() const { return *m_refs; }
  /// The doc comments (empty unless they were asked for: Docs().read).
  const ProjectDocs& Docs() const { return *m_docs; }
  /// Classes other projects of the same call expose, which the cross references resolved
  /// (null: none).
  const std::shared_ptr<const std::vector<ExposedClass>>& ExposedClasses() const {
    return m_exposedClasses;
  }

  /// The warnings, one line each in UTF-8 ("Forms\frmMain.frm: source file not found"), and
  /// the same in parts, in the same order.
  const std::vector<std::string>& Warnings() const { return m_warnings; }
  const std::vector<AnalysisWarning>& WarningDetails() const { return m_warningDetails; }

  /// The source modules in the project file's order, each with the table entry holding its
  /// declarations (ProjectContents.h).
  const std::vector<ProjectModule>& Modules() const { return m_modules; }

  /// Whether the project was read and analysed to its end.
  bool Completed() const { return m_completed; }

  // What the analysis fills in. Outputs never call these.
  void Reset(const std::string& in_sProjectFile, const std::string& in_sFolder,
             const std::string& in_sBody);
  void SetReportedProjectFile(std::string in_sFile) { m_reportedProjectFile = std::move(in_sFile); }
  void SetExposedClasses(std::shared_ptr<const std::vector<ExposedClass>> in_oClasses) {
    m_exposedClasses = std::move(in_oClasses);
  }
  std::shared_ptr<clsVBFileTypes>& MutableFileTypes() { return m_fileTypes; }
  RunState& MutableState() { return m_state; }
  CrossReferences& MutableCrossRefs() { return *m_refs; }
  void SetDocs(ProjectDocs in_oDocs) { *m_docs = std::move(in_oDocs); }
  /// Records a warning about in_sFile (project file bytes); in_sShown is how the one-line form
  /// names it (UTF-8).
  void Warn(const std::string& in_sFile, const std::string& in_sShown, std::string in_sMessage);
  /// Records a warning of the project file itself: its one-line form is the message alone.
  void WarnProject(const std::string& in_sFile, std::string in_sMessage);
  void SetCompleted(bool in_bCompleted) { m_completed = in_bCompleted; }
  void SetModules(std::vector<ProjectModule> in_vModules) { m_modules = std::move(in_vModules); }

 private:
  std::string m_projectFile;
  std::string m_projectFolder;
  std::string m_projectBody;
  std::string m_reportedProjectFile;
  std::shared_ptr<clsVBFileTypes> m_fileTypes;
  RunState m_state;
  std::unique_ptr<CrossReferences> m_refs;
  std::unique_ptr<ProjectDocs> m_docs;
  std::shared_ptr<const std::vector<ExposedClass>> m_exposedClasses;
  std::vector<std::string> m_warnings;
  std::vector<AnalysisWarning> m_warningDetails;
  std::vector<ProjectModule> m_modules;
  bool m_completed = false;
};

}  // namespace qs

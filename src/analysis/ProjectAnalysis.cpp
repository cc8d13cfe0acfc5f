#include "analysis/ProjectAnalysis.h"

#include "model/clsSymTable.h"
#include "model/clsVBFileTypes.h"

namespace qs {

ProjectAnalysis::ProjectAnalysis()
    : m_refs(std::make_unique<CrossReferences>()), m_docs(std::make_unique<ProjectDocs>()) {
  m_state.g_oSymTable = std::make_shared<clsSymTable>();
}

ProjectAnalysis::~ProjectAnalysis() = default;

void ProjectAnalysis::Reset(const std::string& in_sProjectFile, const std::string& in_sFolder,
                            const std::string& in_sBody) {
  m_projectFile = in_sProjectFile;
  m_projectFolder = in_sFolder;
  m_projectBody = in_sBody;
  m_fileTypes.reset();
  *m_refs = CrossReferences{};
  *m_docs = ProjectDocs{};
  m_warnings.clear();
  m_warningDetails.clear();
  m_state.warnings.clear();
  m_modules.clear();
  m_completed = false;
  // A project without a Name line has no name, not the previous project's.
  m_state.SetProjectName("");
}

void ProjectAnalysis::Warn(const std::string& in_sFile, const std::string& in_sShown,
                           std::string in_sMessage) {
  m_warnings.push_back(in_sShown + ": " + in_sMessage);
  m_warningDetails.push_back({in_sFile, std::move(in_sMessage)});
}

void ProjectAnalysis::WarnProject(const std::string& in_sFile, std::string in_sMessage) {
  m_warnings.push_back(in_sMessage);
  m_warningDetails.push_back({in_sFile, std::move(in_sMessage)});
}

}  // namespace qs

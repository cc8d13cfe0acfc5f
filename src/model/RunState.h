// The state one documentation run shares between the driver, the header parsers and the code
// analysis: the symbol table being filled, the module and list receiving declarations, and the
// project name. The driver owns one and hands it to everything that reads or fills it, so two
// runs (one after the other, or at once on two threads) never see each other's state.
//
// The members keep the names the run-wide values have always had.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/ClsEntry.h"
#include "model/ClsSymEntry.h"
#include "model/clsSymTable.h"

namespace qs {

/// A failure that cost the analysis part of what it should have recorded (a module's
/// declarations, a file's header, project file lines): an internal error, never malformed input.
struct RunWarning {
  /// The file as the project file writes it (project file bytes); "" for the project file itself
  /// and until the step that knows which file it was fills it in.
  std::string file;
  /// What was lost and why ("the code analysis of this module ended early: ...").
  std::string message;
};

struct RunState {
  /// The symbol table of the current (or last) run. The second pass replaces it by a new, empty
  /// table.
  std::shared_ptr<clsSymTable> g_oSymTable;
  /// Key of the module being analysed (its VB_Name without quotes).
  std::string g_sSymTableKey;
  /// The entry of the module being analysed.
  std::shared_ptr<ClsSymEntry> g_oSymEntry;
  /// The list of g_oSymEntry that receives the next module-level declaration; null when none
  /// does. It points into g_oSymEntry, which keeps the entry alive while it is set.
  ClsEntry* g_oEntryList = nullptr;
  /// The project name from the project file's Name line ("" without one). A form's controls of
  /// the project's own library are recognised by it.
  std::string g_sProjectName;
  /// What the parser and the second pass could not finish, in the order it happened. The
  /// analysis hands them on as the run's warnings.
  std::vector<RunWarning> warnings;

  void SetProjectName(std::string_view in_sName) { g_sProjectName.assign(in_sName); }
  const std::string& GetProjectName() const { return g_sProjectName; }

  /// Records a failure that lost part of the analysis (its file is filled in by the caller).
  void Warn(std::string in_sMessage) {
    warnings.push_back({std::string(), std::move(in_sMessage)});
  }

  /// Forgets the module being analysed (key, entry and list); the table stays.
  void ClearCurrentModule() {
    g_sSymTableKey.clear();
    g_oSymEntry.reset();
    g_oEntryList = nullptr;
  }
};

}  // namespace qs

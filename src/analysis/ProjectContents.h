// What the JSON export and the documentation site both read from a finished run: the source
// modules in the project file's order with the table entry holding each one's declarations, a
// module's declarations in file order with their kind, and a form-like header's
// controls with their nesting.
#pragma once

#include <cstdint>
#include <vector>

#include "model/Kinds.h"

namespace qs {

class ClsEntryPtr;
class ClsSymEntry;
class clsTokenStream;
class clsVBFileType;
class clsVBHeader;
class ProjectAnalysis;
struct clsControlRecord;

/// A source module: its item and the table entry holding its declarations (null when another
/// module of the same name holds them, or the file was not analysed).
struct ProjectModule {
  const clsVBFileType* item;
  const ClsSymEntry* entry;
};

/// The run's source modules in the order the project file lists them; each table entry goes to
/// the first module (in the order the run analysed them) that bears its name, as the analysis
/// put it there. Worked out once, at the end of the analysis (AnalyseProject).
std::vector<ProjectModule> FindProjectModules(const ProjectAnalysis& in_oInfo);
/// The list FindProjectModules made for the analysis (ProjectAnalysis::Modules).
const std::vector<ProjectModule>& ListProjectModules(const ProjectAnalysis& in_oInfo);

/// A module's declaration with its kind (kVariable, kConstant, kSub, kFunction, a property's
/// kPropertyGet / kPropertyLet / kPropertySet, kType, kEnum, kEvent, kDeclare).
struct DeclaredEntry {
  const ClsEntryPtr* entry;
  DeclKind kind;
  int32_t order;  ///< place in the lists, for declarations sharing a position
};

/// Replaces out with the entry's declarations in file order (by the name's position; the lists'
/// own order where two share one).
void ListDeclarations(const ClsSymEntry& in_oEntry, std::vector<DeclaredEntry>& out);

/// A control of a form-like header: its Begin record, its parent (an index into the list, -1 for
/// none), its string-valued property records, and the "Shortcut =" and "Index =" lines of its
/// block.
struct ControlNode {
  const clsControlRecord* record;
  int parent = -1;
  std::vector<const clsControlRecord*> properties;
  int32_t shortcutPos = -1;  ///< position of the word Shortcut; -1 when the block has none
  /// Position of the word Index (an element of a control array); -1 when the block has none.
  int32_t indexPos = -1;
};

/// Replaces out with the header's controls in file order, nested by the Begin / End lines of the
/// header (BeginProperty blocks belong to no control). One pass over the header's tokens.
void ListControls(const clsVBHeader& in_oHeader, const clsTokenStream& in_oStream,
                  std::vector<ControlNode>& out);

}  // namespace qs

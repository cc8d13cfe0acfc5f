// The doc comments of a finished analysis, read once per run when an output asks for them
// (ReadAnalysisDocs, ProjectAnalyser.h): the comment of every module, module-level declaration and
// member of an enumeration or user type, the documentation warnings with their places, and each
// module's coverage. The JSON export, the site and the coverage only read it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/DocComment.h"

namespace qs {

class ClsEntryPtr;
class ProjectAnalysis;
class clsVBFileType;

struct ProjectDocs {
  /// A text of a comment: bytes [start, start + size) of ProjectDocs::text.
  struct Text {
    uint32_t start = 0;
    uint32_t size = 0;
  };
  /// A DocComment as it is held: its texts in the one text of all the comments, its parameters
  /// params[firstParam .. firstParam + paramCount) (name, text).
  struct Comment {
    Text summary;
    Text description;
    Text returns;
    Text remarks;
    Text author;
    Text date;
    uint32_t firstParam = 0;
    uint32_t paramCount = 0;
    DocSource source = DocSource::kNone;
  };
  /// What is known of a module of ProjectAnalysis::Modules(), at the same index.
  struct Module {
    /// Its public procedures, properties (a property's Get, Let and Set once), events and
    /// Declares with a doc comment, and all of them (a public one is written Public or without a
    /// scope word).
    int32_t documented = 0;
    int32_t total = 0;
  };
  /// A documentation warning (ModuleDocs::Check) at the place of its declaration's name.
  struct Warning {
    int32_t module = 0;  ///< index into ProjectAnalysis::Modules()
    int32_t line = 0;
    int32_t column = 0;
    /// Of a procedure, property, event or Declare (ModuleDocs::IsCheckedKind): the warnings the
    /// site and the coverage show. The export shows every declaration's.
    bool checked = false;
    std::string message;  ///< source bytes: the names are the file's
  };

  /// Every comment read: of the modules, their declarations and members, in project order.
  std::vector<Comment> comments;
  std::vector<std::pair<Text, Text>> params;
  /// The texts of every comment, one after another (source bytes).
  std::string text;
  /// The comment of each record that has one (a module's clsVBFileType, a declaration's or
  /// member's ClsEntryPtr), sorted by record.
  std::vector<std::pair<const void*, uint32_t>> commentOf;
  std::vector<Module> modules;
  /// Modules in order; a module's in the order of its declarations (ListDeclarations), each
  /// declaration's as ModuleDocs::Check gives them.
  std::vector<Warning> warnings;
  /// The analysis had a symbol table: the modules' coverage was measured.
  bool measured = false;
  /// ReadAnalysisDocs filled it.
  bool read = false;

  /// The doc comment of a record (a module's item, a declaration or a member); null for none.
  const Comment* Of(const void* in_pRecord) const;
  const Comment* Of(const clsVBFileType& in_oModule) const { return Of(&in_oModule); }
  const Comment* Of(const ClsEntryPtr& in_oEntry) const { return Of(&in_oEntry); }
  std::string_view View(Text in_oText) const {
    return std::string_view(text).substr(in_oText.start, in_oText.size);
  }
  /// The comment as a DocComment of its own (its texts copied).
  DocComment Unpack(const Comment& in_oComment) const;
};

/// Reads the doc comments of every module of the analysis (its modules at once on the threads the
/// run's budget allows). Throws RunStopped when the run is asked to stop.
ProjectDocs ReadProjectDocs(const ProjectAnalysis& in_oInfo);

}  // namespace qs

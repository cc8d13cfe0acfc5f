// The doc comments of one module's declarations, for the outputs that show them (the JSON
// export, the documentation coverage): which comments each kind of declaration takes, and the
// checks of a procedure's documented parameters against its signature.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/DocComment.h"
#include "model/Kinds.h"
#include "parser/DocCommentReader.h"

namespace qs {

class ClsEntryPtr;
class clsVBHeader;

/// A documentation warning: the position of the declaration's name and what is wrong (source
/// bytes: the names are the file's).
struct DocWarning {
  int32_t pos = 0;
  std::string message;
};

class ModuleDocs {
 public:
  /// Starts on a module (its header holds the file's tokens); without one nothing is described.
  void Reset(const clsVBHeader* in_oHeader);
  /// The doc comment of a module-level declaration of the kind (DeclaredEntry::kind).
  bool Describe(const ClsEntryPtr& in_oEntry, DeclKind in_eKind, DocComment& out);
  /// The doc comment of a member of an enumeration or user type.
  bool DescribeMember(const ClsEntryPtr& in_oMember, DocComment& out);
  bool DescribeModule(DocComment& out);

  /// True for the kinds whose documented parameters the site and the coverage check (Check):
  /// procedures, properties, events and Declares. The export checks every described declaration.
  static bool IsCheckedKind(DeclKind in_eKind);
  /// Appends the warnings about a procedure's documented parameters: a documented name the
  /// signature does not have, and parameters left undocumented when others are documented.
  static void Check(const ClsEntryPtr& in_oEntry, const DocComment& in_oDoc,
                    std::vector<DocWarning>& out);

 private:
  DocCommentReader m_reader;
};

}  // namespace qs

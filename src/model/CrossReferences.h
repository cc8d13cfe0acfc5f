// The cross references of a run: every declaration the project makes (modules, module-level
// declarations, procedures, members, parameters, locals, labels, controls, implicit locals), every
// use of one, and the names the project does not declare. Uses are small records in one flat
// vector: no use owns memory of its own.
#pragma once

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/Kinds.h"

namespace qs {

class ClsEntryPtr;
class ClsSymEntry;
class clsVBFileType;
class clsVBHeader;

enum class UseKind : uint8_t { kRead, kWrite, kCall };

/// Whether a declaration is used; kExposed for an unused one that callers outside the project
/// may use; kKept for one that is never reported unused (event handlers, interface members, ...);
/// kImplements for an unused one whose signature an interface fixes (a member implementing a
/// type library's interface, its parameters, the parameters of an implemented class's members);
/// kLateBound for an unused Public member whose name the project reaches through an object of
/// unknown type (As Object, CallByName ...), so that it may be used after all.
enum class Exposure : uint8_t { kUsed, kUnused, kExposed, kKept, kImplements, kLateBound };
/// The number of Exposure values.
constexpr size_t kExposureCount = 6;

/// The word for a kind of use and an exposure as the outputs write them.
const char* UseKindName(UseKind in_eKind);
const char* ExposureName(Exposure in_eExposure);

/// A use as UseList gives it.
struct CrossUse {
  int32_t module = 0;  ///< index of the file in CrossReferences::modules
  int32_t pos = 0;     ///< token position of the name in the file's stream
  int32_t line = 0;    ///< 1-based
  int32_t column = 0;  ///< 1-based byte column
  int32_t decl = 0;    ///< the declaration used
  int32_t from = 0;    ///< the procedure the use stands in, or the module's declaration
  UseKind kind = UseKind::kRead;
};

/// How a use is held: 20 bytes, its file told by the run of uses it lies in.
struct UseRecord {
  int32_t pos = 0;
  int32_t decl = 0;
  int32_t from = 0;
  int32_t line = 0;
  uint32_t columnKind = 0;  ///< column << 2 | kind

  int32_t Column() const { return static_cast<int32_t>(columnKind >> 2); }
  UseKind Kind() const { return static_cast<UseKind>(columnKind & 3); }
  void SetKind(UseKind in_eKind) {
    columnKind = (columnKind & ~3u) | static_cast<uint32_t>(in_eKind);
  }
  static uint32_t Pack(int32_t in_lColumn, UseKind in_eKind) {
    const auto column = static_cast<uint32_t>(std::clamp<int32_t>(in_lColumn, 0, INT32_MAX >> 1));
    return column << 2 | static_cast<uint32_t>(in_eKind);
  }
};

/// The uses of a run in file order: the blocks of records each walk of the resolver filled, kept
/// as they were filled (no use is copied when they are put together), with the first use of each
/// file. Read as CrossUse values.
class UseList {
 public:
  using Block = std::deque<UseRecord>;
  /// A run of uses of one file: from index first on (to the next run's first).
  struct FileRun {
    size_t first = 0;
    int32_t module = 0;
  };

  size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  CrossUse operator[](size_t in_lIndex) const;
  /// The record behind use in_lIndex (< size()), for a reader that asks memory for it early.
  const UseRecord* Record(size_t in_lIndex) const {
    const size_t b = BlockOf(in_lIndex);
    return &m_blocks[b][in_lIndex - m_blockStart[b]];
  }

  /// Puts a block behind the others; its runs count from the block's start, in file order.
  void Append(Block&& in_oBlock, const std::vector<FileRun>& in_vRuns);
  /// Each file's uses (their records, mutable) as [first, end) ranges of one block.
  template <class Visit>
  void ForEachFile(Visit&& in_fVisit) {
    for (size_t r = 0; r < m_runs.size(); ++r) {
      const size_t end = r + 1 < m_runs.size() ? m_runs[r + 1].first : m_size;
      Block& block = m_blocks[BlockOf(m_runs[r].first)];
      const size_t base = m_blockStart[BlockOf(m_runs[r].first)];
      in_fVisit(m_runs[r].module,
                block.begin() + static_cast<std::ptrdiff_t>(m_runs[r].first - base),
                block.begin() + static_cast<std::ptrdiff_t>(end - base));
    }
  }

  /// Each use's record with its index, in order.
  template <class Visit>
  void ForEachRecord(Visit&& in_fVisit) const {
    size_t index = 0;
    for (const Block& block : m_blocks)
      for (const UseRecord& record : block) in_fVisit(index++, record);
  }

  class const_iterator {
   public:
    using value_type = CrossUse;
    using difference_type = std::ptrdiff_t;
    const_iterator(const UseList* in_pList, size_t in_lIndex)
        : m_list(in_pList), m_index(in_lIndex) {}
    CrossUse operator*() const { return (*m_list)[m_index]; }
    const_iterator& operator++() {
      ++m_index;
      return *this;
    }
    bool operator==(const const_iterator& in_oOther) const { return m_index == in_oOther.m_index; }
    bool operator!=(const const_iterator& in_oOther) const { return m_index != in_oOther.m_index; }

   private:
    const UseList* m_list;
    size_t m_index;
  };
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, m_size}; }

 private:
  size_t BlockOf(size_t in_lIndex) const {
    return static_cast<size_t>(
               std::upper_bound(m_blockStart.begin(), m_blockStart.end(), in_lIndex) -
               m_blockStart.begin()) -
           1;
  }
  // The run each chunk of 2^kChunkShift uses starts in, so that a use's file is found by a few
  // steps from there.
  static constexpr size_t kChunkShift = 10;
  std::vector<Block> m_blocks;
  std::vector<size_t> m_blockStart;
  std::vector<FileRun> m_runs;
  std::vector<uint32_t> m_chunkRun;
  size_t m_size = 0;
};

struct CrossDeclaration {
  /// The analysis record (null for modules, controls, labels and implicit locals).
  const ClsEntryPtr* entry = nullptr;
  /// The name as written: a view of a record, header or token text that lives as long as the run.
  std::string_view name;
  int32_t module = 0;   ///< index of the file
  int32_t parent = -1;  ///< procedure of a local, parameter or label; type or enum of a member
  int32_t pos = -1;     ///< token position of the name; -1 when it has none in the code
  int32_t line = 0;
  int32_t column = 0;
  /// Itself, or the first of twins declared in both branches of an #If block.
  int32_t canonical = 0;
  uint32_t uses = 0;  ///< uses of the canonical declaration (twins share them)
  DeclKind kind = DeclKind::kVariable;
  Exposure exposure = Exposure::kUsed;
  bool isPublic = false;
  bool isFriend = false;
  bool withEvents = false;
  /// An event handler, an interface member or another procedure outside callers invoke.
  bool handler = false;
  /// A procedure implementing a member of an interface the project does not declare (a type
  /// library's): its signature is the interface's.
  bool implementsForeign = false;
  /// False for a declaration in a branch of an #If block that conditional compilation leaves out
  /// (and the parameters and locals of such a procedure): no name binds to it, it has no uses
  /// and it is never unused.
  bool active = true;
};

struct CrossModule {
  const clsVBFileType* item = nullptr;
  const clsVBHeader* header = nullptr;
  const ClsSymEntry* entry = nullptr;  ///< null when another file of the same name holds it
  int32_t decl = 0;                    ///< the module's own declaration
  int32_t itemType = 0;                ///< kItem... of the project file
  bool optionExplicit = false;
  bool exposed = false;  ///< VB_Exposed is true (classes, user controls, documents)
  /// The declarations [first, end) of the module's Global variables, which have no analysis
  /// record (twins of an #If block among them: only canonical ones are the module's).
  int32_t firstGlobal = 0;
  int32_t endGlobal = 0;
  /// The Def-type statements' default type of each letter's undeclared and untyped names: the
  /// code of the type's keyword (TypeNameOfKeyword gives its name); 0 where none is set (Variant).
  std::array<int32_t, 26> defType{};
  /// The lines [first, last] (1-based) of the branches of #If blocks that conditional
  /// compilation leaves out, in order.
  std::vector<std::pair<int32_t, int32_t>> inactiveLines;
};

/// A class another project of the same call exposes (VB_Exposed = True), known to the projects
/// whose "Reference=*\A" lines name that project: its project's name, its name and its Public
/// members with their types as written ("Long", "Lib.clsThing"; "" for a sub). Project-file bytes.
struct ExposedClass {
  struct Member {
    std::string name;
    std::string type;
    DeclKind kind = DeclKind::kVariable;
  };
  std::string project;
  std::string name;
  std::vector<Member> members;
};

/// A class's Implements statement: the interface, the project's class (its module's declaration)
/// or, for one the project does not declare, only its name (the last part of "Lib.IFoo").
struct Implementation {
  int32_t module = 0;     ///< index of the implementing file
  int32_t iface = -1;     ///< the interface's module declaration; -1 when not the project's
  std::string_view name;  ///< the interface's name as the statement ends with it
};

/// A member name read through an object whose type is not known (As Object, As Variant, an
/// undeclared variable, Controls(i), a CallByName string): it may name a project's member.
struct LateBoundUse {
  std::string_view name;  ///< a view of the token text (or of the string's text inside quotes)
  int32_t module = 0;
  int32_t pos = 0;  ///< token position (the string's, for CallByName)
  int32_t line = 0;
  int32_t column = 0;
};

/// A use of another project's exposed class (member -1) or of one of its members.
struct ForeignUse {
  int32_t module = 0;  ///< index of the using file in CrossReferences::modules
  int32_t line = 0;
  int32_t column = 0;
  int32_t cls = 0;      ///< index into the exposed classes the resolver was given
  int32_t member = -1;  ///< index into the class's members; -1 for the class itself
  UseKind kind = UseKind::kRead;
};

struct CrossReferences {
  std::vector<CrossModule> modules;  ///< in the project file's order
  std::vector<CrossDeclaration> decls;
  /// In file order: modules in order, then position.
  UseList uses;
  /// Names the project does not declare, with their use counts, in order of first use.
  std::vector<std::pair<std::string, uint32_t>> external;
  /// Uses of other projects' exposed classes and their members, in file order (empty unless
  /// the resolver was given such classes).
  std::vector<ForeignUse> foreignUses;
  uint64_t unresolvedMembers = 0;  ///< members of owners whose type is unknown
  /// The classes' Implements statements, in file order.
  std::vector<Implementation> implementations;
  /// Member names read through objects of unknown type, in file order.
  std::vector<LateBoundUse> lateBound;
  /// (event, handler) of each procedure handling a project's event through a WithEvents
  /// variable or a control of the project's user control, in the handlers' file order.
  std::vector<std::pair<int32_t, int32_t>> eventHandlers;
  uint64_t ambiguous = 0;  ///< names two standard modules declare Public
  /// The declaration of each analysis record, and of each control record of a header, sorted.
  std::vector<std::pair<const void*, int32_t>> declOf;
  /// Uses per declaration: those of declaration d are useIndex[useStart[d] .. useStart[d+1]).
  /// A question's run (no export) leaves useIndex empty: UseList::ForEachRecord finds them.
  std::vector<int32_t> useStart;
  std::vector<int32_t> useIndex;
  /// Each procedure's implicit locals: declarations [first, end) of kind kImplicit.
  std::unordered_map<int32_t, std::pair<int32_t, int32_t>> implicitLocals;
  /// Each procedure's variables and constants the code declares that no analysis record holds
  /// (ReDim of an undeclared name, a declaration after ":"), in order.
  std::unordered_map<int32_t, std::vector<int32_t>> walkLocals;
  /// What each procedure calls, once each in first-call order: callList[callStart[p] ..
  /// callStart[p+1]).
  std::vector<int32_t> callStart;
  std::vector<int32_t> callList;
  /// What conditional compilation could not read: the module (-1 for the project's own
  /// constants), the 1-based line (0 for none) and what happened.
  struct ConditionWarning {
    int32_t module = -1;
    int32_t line = 0;
    std::string message;
  };
  std::vector<ConditionWarning> conditionWarnings;
  /// Texts the names of some labels and implicit locals view (bracketed names of several tokens).
  std::vector<std::deque<std::string>> ownedNames;
  bool computed = false;

  /// The declaration of an analysis or control record; -1 when it has none.
  int32_t DeclOf(const void* in_pRecord) const {
    const auto it = std::lower_bound(declOf.begin(), declOf.end(),
                                     std::pair<const void*, int32_t>(in_pRecord, INT32_MIN));
    return it == declOf.end() || it->first != in_pRecord ? -1 : it->second;
  }
  /// "Module.Name", "Module.Procedure.Name" or "Module.Type.Member" of a declaration.
  std::string QualifiedName(int32_t in_lDecl) const;
  /// The same, appended to out (no allocation of its own).
  void AppendQualifiedName(int32_t in_lDecl, std::string& out) const;
};

}  // namespace qs

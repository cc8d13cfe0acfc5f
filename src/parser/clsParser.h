// The one parser class: bound to one token stream, it parses a project file, a form or class
// header, or the code section of a source file.
//
// Every member lives in src/parser/: the frame (binding, error state, cursor routines) in
// clsParser.cpp, the header parsers in ParseVBP.cpp, ParseFormType.cpp and ParseClassType.cpp,
// the code-section analysis in ParseForwardDecl.cpp, ParseDeclarations.cpp, ParseProcedures.cpp
// and ParseNames.cpp.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "model/RunState.h"
#include "text/clsTokenStream.h"

namespace qs {

/// How the run's warnings name what a failure (an internal error, not malformed input) cut short;
/// the failure's reason follows after ": ".
inline constexpr std::string_view kModuleAnalysisEnded =
    "the code analysis of this module ended early";
inline constexpr std::string_view kHeaderNotRead =
    "the header of this file could not be read (the file is documented as empty)";

class ClsEntry;
class ClsEntryPtr;
class ClsUniqArray;
class clsFixPtr;
class clsFixup;
class clsTokenStream;
class clsVBFileTypes;
class clsVBHeader;
class clsVBFileType;

class clsParser {
 public:
  /// A parser that records into the given run: its symbol table, current module and list, and
  /// its project name. The run must outlive the parser.
  explicit clsParser(RunState& io_oRun);
  /// A parser with a run state of its own, empty: for parsing that belongs to no run (a project
  /// or header parse on its own, a test).
  clsParser();
  ~clsParser();
  clsParser(const clsParser&) = delete;
  clsParser& operator=(const clsParser&) = delete;

  /// Binds the parser to a token stream. The stream stays shared with the caller (normally the
  /// header record of the file); an empty pointer leaves the parser unbound.
  void InitParser(std::shared_ptr<clsTokenStream> in_TokenStrm);
  /// The bound stream (empty before InitParser).
  const std::shared_ptr<clsTokenStream>& TokenStream() const { return m_oTokenStream; }

  /// Clears the error state and walks the stream from its beginning, stopping early when an
  /// error is recorded; raises EvtParseError when the walk ends with an error recorded. A walk or
  /// handler that fails ends it with a warning in the run (RunState::warnings).
  void Parse();

  /// The parser's argument list: created empty with the parser.
  ClsUniqArray& Args() { return *m_oArgs; }
  const ClsUniqArray& Args() const { return *m_oArgs; }

  /// Raised by Parse when a parse error was recorded: text, routine name, token position and
  /// token code of the error.
  std::function<void(const std::string& in_sErr, const std::string& in_sErrProc, int32_t in_lErrPtr,
                     int16_t in_iErrTokenCode)>
      EvtParseError;

  // ---- Header parsers ----

  /// Turns a project-file stream into a new item collection: one pass per project-file key. A
  /// pass that fails keeps the items it added and leaves a warning in the run; the other passes
  /// still run.
  std::shared_ptr<clsVBFileTypes> ParseVBP();
  /// Parses the header of a form-like file (form, user control, property page, user document,
  /// designer). A control of the project's own library is recognised by the run's project name.
  /// Returns null, with a warning in the run, when the parse fails.
  std::shared_ptr<clsVBHeader> ParseFormType();
  /// The run the parser records into (its own when constructed without one).
  RunState& Run() { return *m_oRun; }
  /// Parses the header of a class module or standard module. Returns null, with a warning in the
  /// run, when the parse fails.
  std::shared_ptr<clsVBHeader> ParseClassType();

 private:
  // Lets the tests drive the private routines; defined once, in tests/parser/ParserTestPeer.h.
  friend struct clsParserTestPeer;

  // ---- Error state ----
  void SetParseError(std::string_view in_sErr, std::string_view in_sErrProc, int32_t in_lErrPtr,
                     int16_t in_iErrTokenCode);
  /// Clears the flag, empties both texts and sets both numbers to -1.
  void ClearParseError();

  // ---- Cursor routines (shared by the header parsers and the code analysis) ----
  // All of them do nothing (and answer false / "") while no stream is bound.

  /// Steps over whitespace tokens.
  void SkipWhitespace();
  /// When the current token has this code: steps past it and the whitespace after it, true.
  /// Otherwise the cursor stays and the answer is false.
  bool AcceptToken(int32_t code);
  /// AcceptToken for any of the twelve built-in type keywords (String ... Variant).
  bool AcceptTypeKeyword();
  /// The canonical name of a built-in type keyword ("String", "Long" ...), else "".
  static std::string_view TypeNameOfToken(int32_t code);
  /// Over a "_" and the blanks after it, then over an end of line and the blanks after that.
  void SkipLineContinuation();

  // Small stream helpers used by the parsing routines. They run for every token the scans pass,
  // so they are inline.
  /// code at the cursor (0 when unbound or beyond the end)
  int32_t CurCode() const { return m_oTokenStream ? m_oTokenStream->TokenCode() : 0; }
  /// text at the cursor ("" when unbound)
  std::string_view CurText() const {
    return m_oTokenStream ? m_oTokenStream->TokenString() : std::string_view();
  }
  /// cursor position (0 when unbound)
  int32_t CurPtr() const { return m_oTokenStream ? m_oTokenStream->TokenPtr() : 0; }
  /// cursor past the last token (true when unbound)
  bool AtEnd() const { return !m_oTokenStream || m_oTokenStream->EOS(); }
  /// cursor one on (nothing when unbound)
  void Next() {
    if (m_oTokenStream) m_oTokenStream->NextPtr();
  }

  // ---- Project-file line parsers (ParseVBP.cpp) ----
  // Each runs one full pass over the stream for its key and adds items to m_oFileTypes.
  void ParseNameLine();
  void ParseFormLine();
  void ParseUserControlLine();
  void ParsePropertyPageLine();
  void ParseUserDocumentLine();
  void ParseDesignerLine();
  void ParseClassLine();
  void ParseModuleLine();
  void ParseResFile32Line();
  void ParseStartupLine();
  void ParseIconFormLine();
  void ParseRelatedDocLine();
  void ParseReferenceLine();
  void ParseObjectLine();

  /// One pass for a key: calls readValue after every "key=" found; readValue answers whether an
  /// item was added (a pass that takes only the first line then ends). yields: give the window
  /// system a turn once per token.
  template <class ReadValue>
  void RunKeyPass(int32_t keyCode, bool firstOnly, bool yields, ReadValue&& readValue);
  bool ReadPathValue(int32_t eType);
  bool ReadNamePathValue(int32_t eType);
  bool ReadQuotedValue(int32_t keyCode);
  bool ReadReferenceValue();
  bool ReadObjectValue();
  /// Appends token texts to out until the current token has one of the stop codes or is an end
  /// of line; false when the end of the stream came first.
  bool CollectUntil(std::string& out, int32_t stop1, int32_t stop2);

  // ---- Form and class header helpers (ParseFormType.cpp, ParseClassType.cpp) ----
  void ParseFormBegin(clsVBHeader& header, std::string& currentControl);
  void ParseFormProperty(clsVBHeader& header, const std::string& currentControl);
  void ParseHeaderAttribute(clsVBHeader& header);

  /// Records in the run that in_sWhat was cut short by the failure: "in_sWhat: its reason".
  void WarnFailure(std::string_view in_sWhat, const std::exception& in_oFailure);

  std::shared_ptr<clsTokenStream> m_oTokenStream;
  std::unique_ptr<ClsUniqArray> m_oArgs;
  std::shared_ptr<clsVBFileTypes> m_oFileTypes;  // the collection ParseVBP is filling
  std::unique_ptr<RunState> m_oOwnRun;           // the run state of a parser made without one
  RunState* m_oRun;                              // never null

  bool m_bParseError = false;
  std::string m_sErr;
  std::string m_sErrProc;
  int32_t m_lErrPtr = -1;
  int16_t m_iErrTokenCode = -1;

  // ==== Code-section analysis ====
  // RemapTokens, ParseForwardDecl, AcceptName and the other declaration, procedure and
  // name-list routines are declared below this line, with their own access specifiers.

 public:
  // ---- Code section scan (ParseForwardDecl.cpp) ----
  /// Re-codes every word from in_lCodePtr to the end of the stream with the code keyword table
  /// and puts the cursor back at in_lCodePtr. Nothing happens for a position outside the stream.
  /// A failure leaves the later words as they were, with a warning in the run.
  void RemapTokens(int32_t in_lCodePtr);
  /// Scans the code section from in_lCodePtr and adds its declarations to the run's symbol
  /// entry g_oSymTable->Item(g_sSymTableKey). Malformed code ends a statement's routine without
  /// a record; a failure (an internal error) ends the scan, keeping what was recorded, with a
  /// warning in the run. Throws only std::bad_alloc (out of memory) and RunStopped.
  void ParseForwardDecl(int32_t in_lCodePtr);

 private:
  /// A statement that begins with Friend, Public or Private.
  void ParseScopedDecl(int32_t keyword);
  /// Hands the declaration at the cursor to its routine. in_sScope is the scope word read before
  /// it, "" for a statement without one (which gets each declaration's own default scope).
  void ParseDeclaration(std::string_view in_sScope);
  /// Makes one list of the run's current module entry the target of the next declaration.
  void SelectList(ClsEntry ClsSymEntry::*in_oList);

  // ---- Names (ParseNames.cpp) ----
  /// Reads the name at the cursor and steps past it: a word (a name token, or any word when
  /// anyWord), never a number, or a bracketed name ("[" ... "]" on one line, or one bracketed
  /// token), whose text is what stands between the brackets. False (cursor unchanged) otherwise.
  bool ReadName(bool anyWord, std::string& out_sName, int32_t& out_lPtr);
  /// True when the word at the position is a number: it starts with a digit, or it follows "&"
  /// directly and is H with hex digits or O with octal digits.
  bool IsNumberToken(int32_t in_lPtr) const;
  /// True when the current token is "#" and only blanks stand before it on its line.
  bool AtDirectiveLine() const;
  /// Moves to the end of the line (the cursor stays on its line end), over continuations.
  void SkipToLineEnd();
  /// The code of the first token after in_lPtr that is not whitespace.
  int32_t CodeAfterBlanks(int32_t in_lPtr) const;
  /// Appends the name at the cursor to the list and steps one token; false when there is none.
  bool AcceptName(clsFixup& names);
  /// After a name: reads a dotted continuation (".Name" pairs, argument lists between them)
  /// into the list; true when there was one. Stops before a line end, "," and ")"; out_bclosed
  /// tells whether it stopped on in_iCloseCode.
  bool ParseQualifiedName(clsFixup& names, bool& out_bclosed, int32_t in_iCloseCode);
  /// Walks a value to the end of its line (continuations followed) and over the line end and the
  /// blanks after it, collecting names. With stopAtComma it stops after a "," outside parentheses
  /// instead and answers true; false when the walk ended at the line end or the stream's end.
  bool SkipExpression(clsFixup& names, bool stopAtComma = false);
  /// SkipExpression on a list that is dropped; always true.
  bool SkipEnumValue();

  // ---- Declarations (ParseDeclarations.cpp) ----
  /// Reads a declared name and a type-suffix character after it (its type goes to SymType).
  bool ParseDeclarator(clsFixPtr& out_decl, bool anyWord = false);
  /// Steps over a parenthesised subscript up to its balancing ")", never past a line end that
  /// has no continuation; true when there was one.
  bool ParseSubscript();
  /// What ReadTypeName found at the cursor.
  enum class TypeNameKind { kNone, kBuiltin, kNamed };
  /// Reads a type name: a built-in type keyword (String * n with its length) or a qualified name
  /// (Lib.Class). out_sType gets the keyword's canonical name or the joined name, out_lPtr the
  /// position of the first name (0 for a built-in type). kNone, cursor unchanged, otherwise.
  /// Blanks after a name are left for the caller.
  TypeNameKind ReadTypeName(std::string& out_sType, int32_t& out_lPtr);
  /// Reads "As [New] type" into the declarator's SymType; false when no As follows (the
  /// declarator keeps its suffix type or none).
  bool ParseAsClause(clsFixPtr& inout_decl);
  void ParseVariableDecl(std::string_view scope);
  void ParseLocalVariableDecl(ClsEntry* list, std::string_view scope);
  void ParseConstDecl(std::string_view scope);
  void ParseLocalConstDecl(ClsEntry* list, std::string_view scope);
  void ParseEnumDecl(std::string_view scope);
  void ParseTypeDecl(std::string_view scope);
  void ParseOptionStatement();
  /// True when the value after the "=" at or after the cursor is a single string literal.
  bool ValueIsSingleString() const;

  // ---- Procedures (ParseProcedures.cpp) ----
  void ParseSubDecl(std::string_view scope);
  void ParseFunctionDecl(std::string_view scope);
  void ParsePropertyDecl(int32_t accessor, std::string_view scope);
  void ParseEventDecl(std::string_view scope);
  void ParseDeclareDecl(std::string_view scope);
  /// Header, parameters, return type and body of Sub, Function, Property and Event.
  void ParseProcedure(int32_t leadCode, int32_t kind, std::string_view scope, int32_t endKeyword,
                      bool hasReturn);
  /// The list after "(" up to its balancing ")"; inout_lHeldPtr receives the position of the
  /// last parameter type read.
  void ParseParameterList(ClsEntry& params, int32_t& inout_lHeldPtr);
  /// True when the current token starts a declared name: a parameter, or a member of a Type
  /// block.
  bool AtDeclaredName() const;
  /// Reads one parameter (or default-value) name into the list; false when there is none.
  bool ParseParameterName(ClsEntry& list, std::shared_ptr<ClsEntryPtr>& out_entry,
                          std::string_view scope, int32_t mode);
  /// The type after As in a parameter list.
  void ParseParameterType(clsFixPtr& out_decl);
  /// Reads locals and local constants up to "End <endKeyword>".
  void ParseProcedureBody(ClsEntryPtr& proc, int32_t endKeyword);
};

}  // namespace qs

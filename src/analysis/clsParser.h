// The one parser class: bound to one token stream, it parses a project file, a form or class
// header, or the code section of a source file.
//
// The frame (binding, error state, cursor routines) lives in src/analysis/clsParser.cpp; the
// header parsers live in src/project/ (ParseVBP.cpp, ParseFormType.cpp, ParseClassType.cpp);
// the code-section analysis lives in src/analysis/.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace qs {

class ClsUniqArray;
class clsTokenStream;
class clsVBFileTypes;
class clsVBHeader;
class clsVBFileType;

class clsParser {
 public:
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
  /// error is recorded; raises EvtParseError when the walk ends with an error recorded.
  void Parse();

  /// The parser's argument list: created empty with the parser.
  ClsUniqArray& Args() { return *m_oArgs; }
  const ClsUniqArray& Args() const { return *m_oArgs; }

  /// Raised by Parse when a parse error was recorded: text, routine name, token position and
  /// token code of the error.
  std::function<void(const std::string& in_sErr, const std::string& in_sErrProc, int32_t in_lErrPtr,
                     int16_t in_iErrTokenCode)>
      EvtParseError;

  // ---- Header parsers (src/project/) ----

  /// Turns a project-file stream into a new item collection: one pass per project-file key.
  /// Returns null only when the collection itself cannot be made.
  std::shared_ptr<clsVBFileTypes> ParseVBP();
  /// Parses the header of a form-like file (form, user control, property page, user document,
  /// designer). Returns null when the parse fails.
  std::shared_ptr<clsVBHeader> ParseFormType();
  /// Parses the header of a class module or standard module. Returns null when the parse fails.
  std::shared_ptr<clsVBHeader> ParseClassType();

 private:
  friend struct clsParserTestPeer;  // lets the tests drive the private cursor routines

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

  // Small stream helpers used by the parsing routines.
  int32_t CurCode() const;           ///< code at the cursor (0 when unbound or beyond the end)
  std::string_view CurText() const;  ///< text at the cursor ("" when unbound)
  int32_t CurPtr() const;            ///< cursor position (0 when unbound)
  bool AtEnd() const;                ///< cursor past the last token (true when unbound)
  void Next();                       ///< cursor one on (nothing when unbound)

  // ---- Project-file line parsers (src/project/ParseVBP.cpp) ----
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

  // ---- Form and class header helpers (src/project/) ----
  void ParseFormBegin(clsVBHeader& header, std::string& currentControl);
  void ParseFormProperty(clsVBHeader& header, const std::string& currentControl);
  void ParseHeaderAttribute(clsVBHeader& header);

  std::shared_ptr<clsTokenStream> m_oTokenStream;
  std::unique_ptr<ClsUniqArray> m_oArgs;
  std::shared_ptr<clsVBFileTypes> m_oFileTypes;  // the collection ParseVBP is filling

  bool m_bParseError = false;
  std::string m_sErr;
  std::string m_sErrProc;
  int32_t m_lErrPtr = -1;
  int16_t m_iErrTokenCode = -1;

  // ==== Code-section analysis (defined in src/analysis/) ====
  // RemapTokens, ParseForwardDecl, AcceptName and the other declaration, procedure and
  // name-list routines are declared below this line, with their own access specifiers.
};

}  // namespace qs

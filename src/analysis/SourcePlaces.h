// Places and texts of a source file read back from its token stream: the line and column of a
// token, the number of lines, and a declaration's line or value as written.
//
// Every byte of a file is in the text of exactly one token except line ends and zero bytes: a
// line end (CR LF, a lone CR or a lone LF) is one token whatever its bytes, and a zero byte makes
// no token. So lines are counted by line-end tokens, and a column is 1 plus the lengths of the
// tokens before it on its line (a zero byte earlier on the same line is not counted).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qs {

class clsTokenStream;

class LineIndex {
 public:
  struct Place {
    int32_t line = 0;    ///< 1-based; 0 for a position outside the stream
    int32_t column = 0;  ///< 1-based byte column
  };

  /// Indexes the stream's lines: from in_pLineEnds, the positions of its line-end tokens when
  /// the run kept them, else in one pass over its tokens (none without a stream). The stream and
  /// the positions must outlive the index or the next Reset.
  void Reset(const clsTokenStream* in_oStream, const std::vector<int32_t>* in_pLineEnds = nullptr);
  /// The place of the token at the position; line 0 when there is no such token. A bracketed
  /// name ("[_First]" in code) is placed at the name inside the brackets.
  Place PlaceOf(int32_t in_lPos) const;
  /// Lines in the file: one per line end, and one more for text after the last line end.
  int32_t Lines() const { return m_lines; }

 private:
  const clsTokenStream* m_stream = nullptr;
  const std::vector<int32_t>* m_ends = nullptr;  ///< position of each line-end token
  std::vector<int32_t> m_ownEnds;                ///< the positions, when found here
  int32_t m_lines = 0;
  // The last place found: a later token of the same line is counted on from it, so the places
  // of a procedure's parameters cost one walk along their line.
  mutable int32_t m_lastPos = -1;
  mutable Place m_last;
};

/// Texts as written around a declaration; each appends project-file bytes (to be converted) to
/// out, with the lines a continuation ("_" at a line's end) joins made one, every run of blanks
/// made a single blank, and no blank at either end. A comment ends the text.
namespace SourceText {
/// The whole statement line the token at in_lPos belongs to.
void AppendLine(const clsTokenStream& ts, int32_t in_lPos, std::string& out);
/// The declarator of the name at in_lNamePos as its own statement: the statement's leading
/// words (Dim, Public, Const, ...) and the declarator from the comma before the name to the comma
/// after it ("Dim a As Long, b As String" gives "Dim b As String" for b). A statement of one
/// declarator gives what AppendLine gives.
void AppendDeclarator(const clsTokenStream& ts, int32_t in_lNamePos, std::string& out);
/// The value after the "=" that follows the name at in_lNamePos (a constant's value, a
/// parameter's default, an enumeration member's value), up to the next "," or ")" outside
/// parentheses or the statement's end. False, with nothing appended, when no "=" follows.
bool AppendValue(const clsTokenStream& ts, int32_t in_lNamePos, std::string& out);
/// The text of the string literal at in_lPos: without its quotes, each doubled quote made one.
/// False, with nothing appended, when no string literal is there.
bool AppendStringValue(const clsTokenStream& ts, int32_t in_lPos, std::string& out);
/// The scope word written first on the statement of the token at in_lPos: "Public",
/// "Private", "Friend", or "" when none is written.
const char* WrittenScope(const clsTokenStream& ts, int32_t in_lPos);
}  // namespace SourceText

}  // namespace qs

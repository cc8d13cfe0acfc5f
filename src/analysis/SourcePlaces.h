// Places and texts of a source file read back from its token stream: the line and column of a
// token, the number of lines, and a declaration's line or value as written.
//
// Every byte of a file is in the text of exactly one token except line ends and zero bytes: a
// line end (CR LF, a lone CR or a lone LF) is one token whatever its bytes, and a zero byte makes
// no token. A string or bracketed name left open runs on to its closing character across lines,
// so such a token holds line ends of its own (a damaged file's binary bytes open strings that way).
// So lines are counted by line-end tokens and the line ends tokens hold, and a column is 1 plus
// the lengths of the tokens (or of the part of a token after its last line end) before it on its
// line (a zero byte earlier on the same line is not counted).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/TokenCodes.h"

namespace qs {

class clsTokenStream;

/// The line ends a token's text holds (CR LF, a lone CR or a lone LF each count one): how many,
/// and the offset in the text just past the last (0 when none).
struct HeldLineEnds {
  int32_t count = 0;
  int32_t after = 0;
};
HeldLineEnds LineEndsIn(std::string_view in_sText);
/// True for a token that may hold line ends: a string, a bracketed name, or either marked
/// undefined. Other tokens end at a line end.
inline bool MayHoldLineEnds(int32_t in_lCode, std::string_view in_sText) {
  return in_lCode == TokString || in_lCode == TokUndefined ||
         (!in_sText.empty() && in_sText.front() == '[');
}
/// Appends the position of every token of the stream that holds line ends, once per line end it
/// holds, in order (the loader keeps them beside the line-end tokens' positions).
void AppendHeldLineEnds(const clsTokenStream& in_oStream, std::vector<int32_t>& out);

class LineIndex {
 public:
  struct Place {
    int32_t line = 0;    ///< 1-based; 0 for a position outside the stream
    int32_t column = 0;  ///< 1-based byte column
  };

  /// Indexes the stream's lines: from in_pLineEnds, the positions of its line-end tokens when
  /// the run kept them, with in_pHeldEnds, those of the tokens holding line ends
  /// (AppendHeldLineEnds; null for none), else in one pass over its tokens (none without a
  /// stream). The stream and the positions must outlive the index or the next Reset.
  void Reset(const clsTokenStream* in_oStream, const std::vector<int32_t>* in_pLineEnds = nullptr,
             const std::vector<int32_t>* in_pHeldEnds = nullptr);
  /// The place of the token at the position; line 0 when there is no such token. A bracketed
  /// name ("[_First]" in code) is placed at the name inside the brackets.
  Place PlaceOf(int32_t in_lPos) const;
  /// Lines in the file: one per line end, and one more for text after the last line end.
  int32_t Lines() const { return m_lines; }

 private:
  const clsTokenStream* m_stream = nullptr;
  /// The position of each line-end token, and of each token holding line ends once per line end
  /// it holds, in order.
  const std::vector<int32_t>* m_ends = nullptr;
  std::vector<int32_t> m_ownEnds;  ///< the positions, when found or merged here
  /// The column of the first token after the line end at m_ends[i]'s position.
  int32_t ColumnAfter(int32_t in_lEndPos) const;
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

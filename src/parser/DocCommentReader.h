// The doc comments of one source file. Reset indexes the file's lines in one pass over its
// tokens (what each line is: blank, comment, Attribute, Option or code, and its trailing comment);
// Describe then gathers, for one declaration, the comment lines that belong to it and reads them
// with DocCommentParser:
//  - the block of comment lines (Rem lines too) directly above its statement, no blank line
//    between; Attribute lines inside the block do not break it;
//  - for a procedure, the comment lines that open its body, before its first statement;
//  - Attribute Name.VB_Description / VB_VarDescription lines of its name: in a procedure's body,
//    or right after the statement of an event, variable or constant;
//  - for a variable, constant or member, the comment at the end of its own line.
// The module is described by the block that opens its code section (after the Attribute lines;
// Option lines do not break it) when a blank line follows it, and by Attribute VB_Description.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/DocComment.h"
#include "parser/DocCommentParser.h"

namespace qs {

class clsTokenStream;

class DocCommentReader {
 public:
  enum class Target : uint8_t {
    kProcedure,    ///< Sub, Function, Property
    kEvent,        ///< Event
    kDeclaration,  ///< Declare, Enum, Type
    kVariable,     ///< a module-level variable or constant
    kMember,       ///< a member of an Enum or Type
  };

  /// Indexes the stream's lines; the code section starts at in_lCodeStart. in_pLineEnds, when
  /// given, holds the positions of the stream's line-end tokens (clsVBHeader::LineEnds), else
  /// they are found here. The stream must outlive the reader or the next Reset.
  void Reset(const clsTokenStream* in_oStream, int32_t in_lCodeStart,
             const std::vector<int32_t>* in_pLineEnds = nullptr);
  /// Fills out with the doc comment of the declaration whose name is at in_lNamePos; false (out
  /// empty) when nothing describes it.
  bool Describe(int32_t in_lNamePos, std::string_view in_sName, Target in_eTarget, DocComment& out);
  /// Fills out with the module's doc comment; false when there is none.
  bool DescribeModule(DocComment& out);

 private:
  enum Kind : uint8_t { kBlank, kComment, kAttribute, kOption, kCode, kHeader };
  struct Line {
    int32_t start = 0;     ///< position of the line's first token
    int32_t first = -1;    ///< its first token that is no blank (-1 for a blank line)
    int32_t comment = -1;  ///< the comment token at its end, or the Rem word opening it
    Kind kind = kBlank;
    bool continued = false;  ///< ends with " _": the statement goes on on the next line
  };

  size_t LineOf(int32_t in_lPos) const;
  /// Adds the comment of line i to the block.
  void AddComment(const Line& line);
  /// Adds the description an Attribute line gives in_sName (any name when empty: the module).
  void AddAttribute(const Line& line, std::string_view in_sName);
  void AddBreak();

  const clsTokenStream* m_stream = nullptr;
  std::vector<Line> m_lines;
  std::vector<int32_t> m_ownEnds;  ///< the line ends, when found here
  size_t m_codeLine = 0;           ///< the line the code section starts on
  DocCommentParser m_parser;
  std::string m_text;  ///< the block's texts, sliced by m_block
  std::vector<DocCommentParser::Line> m_block;
};

}  // namespace qs

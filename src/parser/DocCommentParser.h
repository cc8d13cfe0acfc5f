// Reads the text of a doc comment, whichever convention it is written in, into a DocComment:
// description attributes and annotations, '' blocks with @tags, heading blocks (Purpose:,
// Inputs:, Returns: ...), ''' XML documentation and free text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/DocComment.h"

namespace qs {

class DocCommentParser {
 public:
  /// One line of a comment block: a slice of the caller's text.
  struct Line {
    uint32_t begin = 0;
    uint32_t size = 0;
    /// The apostrophes that opened the comment (a Rem line counts as one), kBreak for a blank
    /// line inside the block, kAttribute for the text of a description attribute.
    uint8_t marks = 0;
  };
  static constexpr uint8_t kBreak = 0;
  static constexpr uint8_t kAttribute = 255;

  /// What the block describes: which annotations it takes ('@ModuleDescription for a module,
  /// '@Description and '@VariableDescription for a declaration), and whether only those are
  /// taken (a block that opens a module but touches its first declaration; its description
  /// attributes are taken too).
  enum class Scope : uint8_t { kDeclaration, kModule, kModuleAnnotationsOnly };

  /// Fills out (cleared first) from the lines, slices of in_sText in the order written. The
  /// attributes' and annotations' text is the summary and comes first in the description.
  void Parse(std::string_view in_sText, const std::vector<Line>& in_lines, Scope in_eScope,
             DocComment& out);

 private:
  // A line of the block as it is read: its text without apostrophes, banner-free and trimmed.
  struct Content {
    std::string_view text;
    uint8_t marks;  ///< kBreak for a paragraph break
  };
  void ReadTags(DocComment& out);
  void ReadHeadings(DocComment& out);
  void ReadXml(DocComment& out);
  /// The description: the lines of a paragraph joined by a blank, paragraphs (and each tag,
  /// heading or parameter line) on lines of their own.
  void AppendDescription(DocComment& out, DocSource in_eSource);

  std::vector<Content> m_content;
  std::string m_attributes;  ///< the attributes' and annotations' texts, one per line
  std::string m_lead;        ///< text before the first tag
  std::string m_xml;         ///< an XML block's text
  std::string m_value;       ///< an annotation's text
};

}  // namespace qs

// What the comments written around a declaration say about it, whichever convention they follow,
// mapped onto one record. The texts are bytes of the source file's code page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qs {

/// The convention a doc comment's summary came from.
enum class DocSource : uint8_t {
  kNone,
  kAttribute,   ///< Attribute Name.VB_Description / VB_VarDescription, or module VB_Description
  kAnnotation,  ///< '@Description("..."), '@ModuleDescription, '@VariableDescription
  kTags,        ///< a block opened by '' with @param, @return and the other tags
  kHeadings,    ///< a block of headings: ' Purpose:, ' Inputs:, ' Returns: ...
  kXml,         ///< ''' XML documentation: <summary>, <param name="x">, <returns>, <remarks>
  kText,        ///< any other comment block
};

/// The word the outputs use for a convention: "attribute", "annotation", "tags", "headings",
/// "xml", "text" ("" for kNone).
const char* DocSourceName(DocSource in_eSource);

struct DocParam {
  std::string name;
  std::string text;
};

/// One declaration's (or module's) doc comment. Every member may be empty; a record whose
/// description is empty describes nothing (every other member's text is part of it).
struct DocComment {
  std::string summary;      ///< first sentence, or the text a convention names as the summary
  std::string description;  ///< the whole text, the structured part first
  std::vector<DocParam> params;
  std::string returns;
  std::string remarks;
  std::string author;
  std::string date;
  DocSource source = DocSource::kNone;

  bool Empty() const { return description.empty(); }
  /// Empties every member; the strings keep their room for the next declaration.
  void Clear();
};

}  // namespace qs

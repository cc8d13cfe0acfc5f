// Helpers for the project tests: tokenize a text as the driver does and run a header parser.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "parser/clsParser.h"
#include "text/ClsString.h"
#include "text/clsToken.h"
#include "text/clsTokenStream.h"

namespace qs::testing {

enum class FileKind { Project, Form, Class };

/// Tokenizes the text with the tokenizer of the given file kind.
inline std::shared_ptr<clsTokenStream> Tokenize(std::string_view text, FileKind kind) {
  ClsString s;
  s.SetText(text);
  std::shared_ptr<clsToken> keywords;
  std::shared_ptr<clsTokenStream> stream;
  switch (kind) {
    case FileKind::Project:
      s.TokenizeVBP(keywords, stream);
      break;
    case FileKind::Form:
      s.TokenizeForm(keywords, stream);
      break;
    case FileKind::Class:
      s.TokenizeClass(keywords, stream);
      break;
  }
  return stream;
}

/// The items of a project file text.
inline std::shared_ptr<clsVBFileTypes> ParseProject(std::string_view text) {
  clsParser parser;
  parser.InitParser(Tokenize(text, FileKind::Project));
  return parser.ParseVBP();
}

/// A parsed header together with the stream it was parsed from (positions refer to it).
struct ParsedHeader {
  std::shared_ptr<clsTokenStream> stream;
  std::shared_ptr<clsVBHeader> header;
};

/// Parses a form header; in_sProjectName is the project name the run has at that form.
inline ParsedHeader ParseForm(std::string_view text, std::string_view in_sProjectName = {}) {
  ParsedHeader r{Tokenize(text, FileKind::Form), nullptr};
  RunState run;
  run.SetProjectName(in_sProjectName);
  clsParser parser(run);
  parser.InitParser(r.stream);
  r.header = parser.ParseFormType();
  return r;
}

inline ParsedHeader ParseClass(std::string_view text) {
  ParsedHeader r{Tokenize(text, FileKind::Class), nullptr};
  clsParser parser;
  parser.InitParser(r.stream);
  r.header = parser.ParseClassType();
  return r;
}

/// Position of the n-th (0-based) token with this text, or -1.
inline int32_t PositionOf(const clsTokenStream& ts, std::string_view text, int n = 0) {
  for (int32_t i = 0; i < ts.Count(); ++i) {
    if (ts.TokenStringAt(i) == text && n-- == 0) return i;
  }
  return -1;
}

/// Position of the n-th (0-based) token with this code, or -1.
inline int32_t PositionOfCode(const clsTokenStream& ts, int32_t code, int n = 0) {
  for (int32_t i = 0; i < ts.Count(); ++i) {
    if (ts.TokenCodeAt(i) == code && n-- == 0) return i;
  }
  return -1;
}

}  // namespace qs::testing

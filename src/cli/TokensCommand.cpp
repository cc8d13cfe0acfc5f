#include "cli/TokensCommand.h"

#include <memory>
#include <ostream>

#include "text/ClsString.h"
#include "text/clsToken.h"
#include "text/clsTokenStream.h"

namespace qs::cli {

std::string EscapeTokenText(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          out += "\\x";
          out += kHex[c >> 4];
          out += kHex[c & 0x0F];
        } else {
          out += ch;
        }
    }
  }
  return out;
}

int RunTokens(std::string_view kind, const std::string& path, std::ostream& out,
              std::ostream& err) {
  using Tokenizer =
      void (ClsString::*)(std::shared_ptr<clsToken>&, std::shared_ptr<clsTokenStream>&) const;
  Tokenizer tokenize = nullptr;
  if (kind == "code") {
    tokenize = &ClsString::TokenizeEx;
  } else if (kind == "vbp") {
    tokenize = &ClsString::TokenizeVBP;
  } else if (kind == "form") {
    tokenize = &ClsString::TokenizeForm;
  } else if (kind == "class") {
    tokenize = &ClsString::TokenizeClass;
  } else {
    err << "quillscope-cli: unknown token kind '" << kind << "' (code, vbp, form or class)\n";
    return 2;
  }

  ClsString text;
  LoadError reason = LoadError::kNone;
  if (!text.LoadFromFile(path, reason)) {
    err << "quillscope-cli: cannot read " << path << ": file " << LoadErrorText(reason) << "\n";
    return 1;
  }
  std::shared_ptr<clsToken> keywords;
  std::shared_ptr<clsTokenStream> stream;
  (text.*tokenize)(keywords, stream);
  if (!stream) return 0;
  std::string line;
  for (int32_t i = 0; i < stream->Count(); ++i) {
    line = std::to_string(stream->TokenCodeAt(i));
    line += '\t';
    line += EscapeTokenText(stream->TokenStringAt(i));
    line += '\n';
    out << line;
  }
  out.flush();
  return 0;
}

}  // namespace qs::cli

// Token inspection: prints the token stream one of the tokenizers makes of a file.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace qs::cli {

/// Tokenizes the file with TokenizeEx (kind "code"), TokenizeVBP ("vbp"), TokenizeForm ("form")
/// or TokenizeClass ("class") and prints one token per line: the code, a TAB and the token's
/// text with backslash, CR, LF and TAB written as \\ \r \n \t and every other byte below 0x20 or
/// from 0x7F up as \xHH. Returns 0; 1 with a one-line message on err when the file cannot be
/// read; 2 when the kind is unknown.
int RunTokens(std::string_view kind, const std::string& path, std::ostream& out, std::ostream& err);

/// The token text as the listing writes it (the escapes above).
std::string EscapeTokenText(std::string_view text);

}  // namespace qs::cli

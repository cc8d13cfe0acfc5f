#include "io/JsonWriter.h"

#include <string>

namespace qs {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void AppendU4(std::string& out, unsigned cp) {
  out += "\\u";
  out += kHex[(cp >> 12) & 0xF];
  out += kHex[(cp >> 8) & 0xF];
  out += kHex[(cp >> 4) & 0xF];
  out += kHex[cp & 0xF];
}

// Length of the valid UTF-8 sequence at s[i] (1 to 4) and its code point; 0 when the bytes there
// do not form one (bad lead byte, missing or bad continuation, overlong form, surrogate, or a code
// point above U+10FFFF).
size_t DecodeUtf8(std::string_view s, size_t i, unsigned& cp) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned c = b(i);
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  size_t len;
  unsigned min;
  if ((c & 0xE0) == 0xC0) {
    len = 2, min = 0x80, cp = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    len = 3, min = 0x800, cp = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    len = 4, min = 0x10000, cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

}  // namespace

void AppendJsonEscaped(std::string& out, std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned cp = 0;
    const size_t len = DecodeUtf8(s, i, cp);
    if (len == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD for a byte that starts no valid sequence
      ++i;
      continue;
    }
    switch (cp) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        // Other control characters, DEL and the C1 controls (the code page's five undefined
        // bytes convert to those) are escaped so the file stays plain, printable text.
        if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) {
          AppendU4(out, cp);
        } else {
          out.append(s.substr(i, len));
        }
    }
    i += len;
  }
}

}  // namespace qs

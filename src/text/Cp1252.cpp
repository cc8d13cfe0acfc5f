#include "text/Cp1252.h"

#include <array>

namespace qs {
namespace {

// Unicode code points of the bytes 0x80-0x9F; the undefined ones keep their own value.
constexpr uint16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr uint32_t CodePoint(unsigned c) {
  return (c >= 0x80 && c < 0xA0) ? kHigh[c - 0x80] : c;
}

}  // namespace

std::string Upper1252(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(kCp1252Upper[static_cast<unsigned char>(c)]);
  return out;
}

std::string Lower1252(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(kCp1252Lower[static_cast<unsigned char>(c)]);
  return out;
}

bool EqualsNoCase1252(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // Names are mostly written in the same letter case everywhere.
  if (a == b) return true;
  for (size_t i = 0; i < a.size(); ++i)
    if (kCp1252Upper[static_cast<unsigned char>(a[i])] !=
        kCp1252Upper[static_cast<unsigned char>(b[i])])
      return false;
  return true;
}

size_t HashNoCase1252(std::string_view s) {
  // FNV-1a over the upper-cased bytes.
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : s) {
    h ^= kCp1252Upper[c];
    h *= 1099511628211ull;
  }
  return static_cast<size_t>(h);
}

bool Utf8To1252Exact(std::string_view utf8, std::string& out) {
  std::string bytes;
  size_t i = 0;
  while (i < utf8.size()) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    const size_t more = lead < 0x80             ? 0
                        : (lead & 0xE0) == 0xC0 ? 1
                        : (lead & 0xF0) == 0xE0 ? 2
                        : (lead & 0xF8) == 0xF0 ? 3
                                                : 4;
    if (more == 4 || i + more >= utf8.size()) return false;
    uint32_t cp = more == 0 ? lead : lead & (0x3Fu >> more);
    for (size_t j = 1; j <= more; ++j) {
      const unsigned char next = static_cast<unsigned char>(utf8[i + j]);
      if ((next & 0xC0) != 0x80) return false;
      cp = cp << 6 | (next & 0x3Fu);
    }
    // An overlong form is no valid UTF-8.
    if ((more == 1 && cp < 0x80) || (more == 2 && cp < 0x800) || (more == 3 && cp < 0x10000))
      return false;
    i += more + 1;
    unsigned byte = 256;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) byte = cp;
    for (unsigned k = 0; byte == 256 && k < 32; ++k)
      if (kHigh[k] == cp) byte = 0x80 + k;
    if (byte == 256) return false;
    bytes.push_back(static_cast<char>(byte));
  }
  out += bytes;
  return true;
}

std::string Utf8To1252(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  size_t i = 0;
  while (i < in.size()) {
    unsigned char b = static_cast<unsigned char>(in[i]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    size_t need = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 0;
    uint32_t cp = need == 1 ? (b & 0x1Fu) : need == 2 ? (b & 0x0Fu) : (b & 0x07u);
    size_t j = 1;
    bool ok = need != 0;
    for (; ok && j <= need; ++j) {
      if (i + j >= in.size() || (static_cast<unsigned char>(in[i + j]) & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (static_cast<unsigned char>(in[i + j]) & 0x3Fu);
    }
    if (!ok) {
      out.push_back('?');  // a broken sequence: skip its lead byte and what was read of it
      i += j;
      continue;
    }
    i += need + 1;
    char mapped = '?';
    if (cp >= 0xA0 && cp <= 0xFF) {
      mapped = static_cast<char>(cp);
    } else if (cp >= 0x80) {
      for (unsigned k = 0; k < 32; ++k)
        if (kHigh[k] == cp) {
          mapped = static_cast<char>(0x80 + k);
          break;
        }
    }
    out.push_back(mapped);
  }
  return out;
}

std::string Cp1252ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  AppendCp1252ToUtf8(out, s);
  return out;
}

void AppendCp1252ToUtf8(std::string& out, std::string_view s) {
  // Names and most values are ASCII throughout: that part is copied whole.
  size_t ascii = 0;
  while (ascii < s.size() && static_cast<unsigned char>(s[ascii]) < 0x80) ++ascii;
  out.append(s.data(), ascii);
  for (unsigned char c : s.substr(ascii)) {
    uint32_t cp = CodePoint(c);
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
}

}  // namespace qs

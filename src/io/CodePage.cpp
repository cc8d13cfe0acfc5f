#include "io/CodePage.h"

// Windows converts through its own code pages: CodePageWindows.cpp.
#ifndef _WIN32

#include <iconv.h>

#include <cerrno>
#include <string>

#include "text/Cp1252.h"

namespace qs {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The system's name of a code page number.
std::string SystemName(int codePage) {
  if (codePage == 65001) return "UTF-8";
  return "CP" + std::to_string(codePage);
}

iconv_t OpenFrom(int codePage) {
  if (codePage <= 0 || codePage > 99999) return reinterpret_cast<iconv_t>(-1);
  return iconv_open("UTF-8", SystemName(codePage).c_str());
}

}  // namespace

CodePageText::~CodePageText() {
  if (m_iconv) iconv_close(static_cast<iconv_t>(m_iconv));
}

bool CodePageText::IsKnown(int in_nCodePage) {
  if (in_nCodePage == kDefault) return true;
  const iconv_t cd = OpenFrom(in_nCodePage);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  return true;
}

bool CodePageText::Open(int in_nCodePage) {
  void* converter = nullptr;
  if (in_nCodePage != kDefault) {
    const iconv_t cd = OpenFrom(in_nCodePage);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    converter = cd;
  }
  if (m_iconv) iconv_close(static_cast<iconv_t>(m_iconv));
  m_iconv = converter;
  m_codePage = in_nCodePage;
  return true;
}

bool CodePageText::FromUtf8(std::string& out, std::string_view in_sUtf8) const {
  if (m_codePage == kDefault) return Utf8To1252Exact(in_sUtf8, out);
  // A converter of its own: a name is converted once per question.
  const iconv_t cd = iconv_open(SystemName(m_codePage).c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string bytes(in_sUtf8.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(in_sUtf8.data());
  size_t inLeft = in_sUtf8.size();
  char* o = bytes.data();
  size_t oLeft = bytes.size();
  // Any failure (a byte that is no UTF-8, a character the code page lacks) refuses the text;
  // a converter that substitutes reports the characters it substituted as irreversible.
  size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
  if (r == 0) r = iconv(cd, nullptr, nullptr, &o, &oLeft);
  iconv_close(cd);
  if (r != 0) return false;
  out.append(bytes.data(), static_cast<size_t>(o - bytes.data()));
  return true;
}

void CodePageText::Append(std::string& out, std::string_view in_sBytes) {
  if (!m_iconv) {
    AppendCp1252ToUtf8(out, in_sBytes);
    return;
  }
  const auto cd = static_cast<iconv_t>(m_iconv);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state for every text
  char* in = const_cast<char*>(in_sBytes.data());
  size_t inLeft = in_sBytes.size();
  char chunk[256];
  while (inLeft > 0) {
    char* o = chunk;
    size_t oLeft = sizeof chunk;
    const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(chunk, static_cast<size_t>(o - chunk));
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;  // the chunk is full: go on with a new one
    // EILSEQ (a byte that begins no character) or EINVAL (a character cut off by the end of the
    // text): that byte is marked and the conversion goes on after it.
    out.append(kReplacement);
    ++in;
    --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  // A stateful code page may still owe its closing bytes.
  char* o = chunk;
  size_t oLeft = sizeof chunk;
  if (iconv(cd, nullptr, nullptr, &o, &oLeft) != static_cast<size_t>(-1))
    out.append(chunk, static_cast<size_t>(o - chunk));
}

}  // namespace qs

#endif  // _WIN32

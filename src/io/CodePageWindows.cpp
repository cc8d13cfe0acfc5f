// CodePageText on Windows: the system's own code pages (MultiByteToWideChar), since MinGW has no
// iconv. CodePage.cpp holds the other platforms' converter.
#ifdef _WIN32

#include <windows.h>

#include <climits>
#include <string>

#include "io/CodePage.h"
#include "text/Cp1252.h"

namespace qs {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
// The most bytes one character takes in any code page (UTF-8's four).
constexpr int kLongestCharacter = 4;

// Code pages whose conversion takes no flags: MB_ERR_INVALID_CHARS is refused there.
DWORD StrictFlags(int codePage) {
  if (codePage == 42 || codePage == 65000 || (codePage >= 50220 && codePage <= 50229) ||
      (codePage >= 57002 && codePage <= 57011))
    return 0;
  return MB_ERR_INVALID_CHARS;
}

// True when the text holds a C1 control character (U+0080 to U+009F): Windows gives one for a
// byte its code page leaves undefined (0x98 in code page 1251 is U+0098), where no code page
// has a character of its own.
bool HasC1Control(std::wstring_view wide) {
  for (wchar_t c : wide)
    if (c >= 0x80 && c <= 0x9F) return true;
  return false;
}

// The UTF-16 of the bytes, appended to wide; false (wide unchanged) when a byte begins no
// character of the code page.
bool Widen(int codePage, std::string_view bytes, std::wstring& wide) {
  const int n = ::MultiByteToWideChar(static_cast<UINT>(codePage), StrictFlags(codePage),
                                      bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return false;
  const size_t at = wide.size();
  wide.resize(at + static_cast<size_t>(n));
  ::MultiByteToWideChar(static_cast<UINT>(codePage), StrictFlags(codePage), bytes.data(),
                        static_cast<int>(bytes.size()), wide.data() + at, n);
  if (HasC1Control(std::wstring_view(wide).substr(at))) {
    wide.resize(at);
    return false;
  }
  return true;
}

void AppendUtf8(std::string& out, const std::wstring& wide) {
  if (wide.empty()) return;
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
  if (n <= 0) return;
  const size_t at = out.size();
  out.resize(at + static_cast<size_t>(n));
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data() + at, n,
                        nullptr, nullptr);
}

}  // namespace

CodePageText::~CodePageText() = default;

bool CodePageText::IsKnown(int in_nCodePage) {
  if (in_nCodePage == kDefault) return true;
  return in_nCodePage > 0 && in_nCodePage <= 65535 &&
         ::IsValidCodePage(static_cast<UINT>(in_nCodePage)) != 0;
}

bool CodePageText::Open(int in_nCodePage) {
  if (!IsKnown(in_nCodePage)) return false;
  m_codePage = in_nCodePage;
  return true;
}

bool CodePageText::FromUtf8(std::string& out, std::string_view in_sUtf8) const {
  if (m_codePage == kDefault) return Utf8To1252Exact(in_sUtf8, out);
  if (in_sUtf8.empty()) return true;
  if (in_sUtf8.size() > static_cast<size_t>(INT_MAX / 4)) return false;
  const int size = static_cast<int>(in_sUtf8.size());
  const int n =
      ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, in_sUtf8.data(), size, nullptr, 0);
  if (n <= 0) return false;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, in_sUtf8.data(), size, wide.data(), n);
  if (m_codePage == 65001) {
    out.append(in_sUtf8);
    return true;
  }
  // No best-fit letters ("a" for "a acute"): a character the code page lacks refuses the text.
  BOOL usedDefault = FALSE;
  const int m = ::WideCharToMultiByte(static_cast<UINT>(m_codePage), WC_NO_BEST_FIT_CHARS,
                                      wide.data(), n, nullptr, 0, nullptr, &usedDefault);
  if (m <= 0 || usedDefault) return false;
  std::string bytes(static_cast<size_t>(m), '\0');
  ::WideCharToMultiByte(static_cast<UINT>(m_codePage), WC_NO_BEST_FIT_CHARS, wide.data(), n,
                        bytes.data(), m, nullptr, &usedDefault);
  if (usedDefault) return false;
  out += bytes;
  return true;
}

void CodePageText::Append(std::string& out, std::string_view in_sBytes) {
  if (m_codePage == kDefault) {
    AppendCp1252ToUtf8(out, in_sBytes);
    return;
  }
  // One buffer per thread, kept: no allocation per text once it has grown.
  thread_local std::wstring wide;
  wide.clear();
  if (in_sBytes.size() <= static_cast<size_t>(INT_MAX) && Widen(m_codePage, in_sBytes, wide)) {
    AppendUtf8(out, wide);
    return;
  }
  // A byte that begins no character: character by character, the shortest that converts first,
  // and a mark for every byte that begins none.
  size_t pos = 0;
  while (pos < in_sBytes.size()) {
    bool converted = false;
    for (int length = 1; length <= kLongestCharacter && pos + length <= in_sBytes.size();
         ++length) {
      wide.clear();
      if (Widen(m_codePage, in_sBytes.substr(pos, static_cast<size_t>(length)), wide)) {
        AppendUtf8(out, wide);
        pos += static_cast<size_t>(length);
        converted = true;
        break;
      }
    }
    if (!converted) {
      out.append(kReplacement);
      ++pos;
    }
  }
}

}  // namespace qs

#endif  // _WIN32

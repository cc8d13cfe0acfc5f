#include "output/common/SiteText.h"

#include <utility>

#include "text/Cp1252.h"

namespace qs {

std::string HtmlEscape(std::string_view in_sValue) {
  // Most values (names, types, scopes) need no escape: copied whole.
  size_t first = 0;
  while (first < in_sValue.size() && in_sValue[first] != '&' && in_sValue[first] != '<' &&
         in_sValue[first] != '>')
    ++first;
  if (first == in_sValue.size()) return std::string(in_sValue);
  std::string out;
  out.reserve(in_sValue.size() + 8);
  out.append(in_sValue.substr(0, first));
  for (char c : in_sValue.substr(first)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

namespace SiteText {

void AppendHtml(std::string& out, std::string_view in_sUtf8) {
  size_t from = 0;
  for (size_t i = 0; i < in_sUtf8.size(); ++i) {
    const char* entity = nullptr;
    switch (in_sUtf8[i]) {
      case '&':
        entity = "&amp;";
        break;
      case '<':
        entity = "&lt;";
        break;
      case '>':
        entity = "&gt;";
        break;
      case '"':
        entity = "&quot;";
        break;
      case '\'':
        entity = "&#39;";
        break;
      default:
        continue;
    }
    out.append(in_sUtf8.substr(from, i - from));
    out.append(entity);
    from = i + 1;
  }
  out.append(in_sUtf8.substr(from));
}

void AppendJsString(std::string& out, std::string_view in_sUtf8) {
  out += '"';
  for (const char c : in_sUtf8) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || c == '<') {
      static const char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

std::string FileNamePart(std::string_view in_sName) {
  std::string part;
  for (const char c : in_sName.substr(0, 60)) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    part += plain ? c : '_';
  }
  return part;
}

std::string ModulePage(size_t in_nIndex, std::string_view in_sName) {
  return "m" + std::to_string(in_nIndex + 1) + "-" + FileNamePart(in_sName) + ".html";
}

std::string ShortcutText(std::string_view in_sWritten) {
  std::string text;
  size_t i = 0;
  for (; i < in_sWritten.size(); ++i) {
    const char c = in_sWritten[i];
    if (c == '^') {
      text += "Ctrl+";
    } else if (c == '+') {
      text += "Shift+";
    } else if (c == '%') {
      text += "Alt+";
    } else {
      break;
    }
  }
  std::string_view key = in_sWritten.substr(i);
  if (key.size() >= 2 && key.front() == '{' && key.back() == '}') {
    key = key.substr(1, key.size() - 2);
    static const std::pair<std::string_view, std::string_view> kNames[] = {
        {"DEL", "Del"}, {"INSERT", "Ins"}, {"BKSP", "Backspace"}};
    for (const auto& [written, shown] : kNames) {
      if (EqualsNoCase1252(key, written)) {
        key = shown;
        break;
      }
    }
  }
  text.append(key);
  return text;
}

AnchorNames::AnchorNames() {
  // The module page's own sections.
  for (const char* section : {"summary", "private", "controls", "menus", "constant", "enum", "type",
                              "variable", "declare", "event", "sub", "function", "property"})
    m_taken.emplace(section);
}

bool AnchorNames::Append(std::string& out, std::string_view in_sNameUtf8, DeclKind in_eKind) {
  m_id.clear();
  switch (in_eKind) {
    case DeclKind::kPropertyGet:
      m_id = "get-";
      break;
    case DeclKind::kPropertyLet:
      m_id = "let-";
      break;
    case DeclKind::kPropertySet:
      m_id = "set-";
      break;
    default:
      break;
  }
  for (const char c : in_sNameUtf8) {
    const auto b = static_cast<unsigned char>(c);
    const bool kept = b >= 0x80 || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') ||
                      (b >= 'a' && b <= 'z') || b == '_';
    m_id += kept ? c : '_';
  }
  if (m_id.empty() || m_id.back() == '-') m_id += '_';
  if (m_taken.insert(m_id).second) {
    out += m_id;
    // A property's procedure: the name alone for the property, when free.
    return IsPropertyKind(in_eKind) && m_taken.emplace(m_id, 4, std::string::npos).second;
  }
  const size_t base = m_id.size();
  for (size_t n = 1;; ++n) {
    m_id.resize(base);
    m_id += '-';
    m_id += std::to_string(n);
    if (m_taken.insert(m_id).second) break;
  }
  out += m_id;
  return false;
}

}  // namespace SiteText

}  // namespace qs

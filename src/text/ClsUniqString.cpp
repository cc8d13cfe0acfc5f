#include "text/ClsUniqString.h"

#include "text/Cp1252.h"

namespace qs {

std::string ClsUniqString::GetString(int32_t in_lStartPos) const {
  long pos = in_lStartPos;
  if (pos < 1 || pos > Count()) pos = 1;
  const std::string* s = m_items.Item(pos);
  return s ? *s : std::string();
}

std::string ClsUniqString::SelectString(std::string_view in_sText, int32_t& inout_lStartPos) const {
  if (in_sText.empty()) return std::string();
  const long n = Count();
  long start = inout_lStartPos;
  if (start < 1 || start > n) start = 1;
  for (long i = start; i <= n; ++i) {
    const std::string& s = *m_items.Item(i);
    std::string_view head = std::string_view(s).substr(0, in_sText.size());
    if (EqualsNoCase1252(head, in_sText)) {
      inout_lStartPos = static_cast<int32_t>(i);
      return s;
    }
  }
  return std::string();
}

bool ClsUniqString::AddEx(std::string_view item, std::string_view key) {
  return m_items.Add(std::string(item), key);
}

bool ClsUniqString::Add(std::string_view item) {
  return AddEx(item, item);
}

bool ClsUniqString::Remove(long position) {
  return m_items.Remove(position);
}

bool ClsUniqString::Remove(std::string_view key) {
  return m_items.Remove(key);
}

std::string ClsUniqString::Item(long position) const {
  const std::string* s = m_items.Item(position);
  return s ? *s : std::string();
}

std::string ClsUniqString::Item(std::string_view key) const {
  const std::string* s = m_items.Item(key);
  return s ? *s : std::string();
}

}  // namespace qs

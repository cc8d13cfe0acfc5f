#include "model/ClsEntry.h"

#include <algorithm>
#include <exception>

namespace qs {

void ClsEntry::Add(std::shared_ptr<ClsEntryPtr> Item) {
  if (!Item) return;
  Item->ID = m_counter;
  m_items.push_back(std::move(Item));
  ++m_counter;
}

long ClsEntry::Find(std::string_view in_sKey) const {
  // The key a record was given: decimal digits without a sign or a leading zero.
  if (in_sKey.empty() || in_sKey.size() > 10 || (in_sKey[0] == '0' && in_sKey.size() > 1))
    return -1;
  int64_t id = 0;
  for (const char c : in_sKey) {
    if (c < '0' || c > '9') return -1;
    id = id * 10 + (c - '0');
  }
  if (id >= m_counter) return -1;
  const auto it = std::lower_bound(
      m_items.begin(), m_items.end(), id,
      [](const std::shared_ptr<ClsEntryPtr>& e, int64_t wanted) { return e->ID < wanted; });
  if (it == m_items.end() || (*it)->ID != id) return -1;
  return static_cast<long>(it - m_items.begin());
}

void ClsEntry::Remove(long Index) {
  if (!Exists(Index)) return;
  m_items.erase(m_items.begin() + (Index - 1));
}

void ClsEntry::Remove(std::string_view Index) {
  const long at = Find(Index);
  if (at >= 0) m_items.erase(m_items.begin() + at);
}

std::shared_ptr<ClsEntryPtr> ClsEntry::Item(long IndexKey) const {
  return Exists(IndexKey) ? m_items[static_cast<size_t>(IndexKey - 1)] : nullptr;
}

std::shared_ptr<ClsEntryPtr> ClsEntry::Item(std::string_view IndexKey) const {
  const long at = Find(IndexKey);
  return at >= 0 ? m_items[static_cast<size_t>(at)] : nullptr;
}

std::shared_ptr<ClsEntryPtr> ClsEntry::Last() const {
  return m_items.empty() ? nullptr : m_items.back();
}

}  // namespace qs

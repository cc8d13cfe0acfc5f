#include "model/ClsEntry.h"

#include <new>
#include <string>

namespace qs {

void ClsEntry::Add(std::shared_ptr<ClsEntryPtr> Item) {
  if (!Item) return;
  const std::string key = std::to_string(m_counter);
  Item->ID = m_counter;
  if (m_items.Add(std::move(Item), key)) ++m_counter;
}

void ClsEntry::Remove(long Index) {
  m_items.Remove(Index);
}
void ClsEntry::Remove(std::string_view Index) {
  m_items.Remove(Index);
}

std::shared_ptr<ClsEntryPtr> ClsEntry::Item(long IndexKey) const {
  const auto* p = m_items.Item(IndexKey);
  return p ? *p : nullptr;
}

std::shared_ptr<ClsEntryPtr> ClsEntry::Item(std::string_view IndexKey) const {
  const auto* p = m_items.Item(IndexKey);
  return p ? *p : nullptr;
}

std::shared_ptr<ClsEntryPtr> ClsEntry::Last() const {
  const auto* p = m_items.Last();
  return p ? *p : nullptr;
}

}  // namespace qs

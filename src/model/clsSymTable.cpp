#include "model/clsSymTable.h"

#include <exception>

namespace qs {

std::shared_ptr<ClsSymEntry> clsSymTable::CreateSymbolTableEntry(std::string_view IndexKey) {
  auto entry = std::make_shared<ClsSymEntry>();
  entry->EntryName = std::string(IndexKey);
  Add(entry, IndexKey);
  return entry;
}

bool clsSymTable::Add(std::shared_ptr<ClsSymEntry> Item, std::string_view Key) {
  if (!Item) return false;
  return m_items.Add(std::move(Item), Key);
}

void clsSymTable::Remove(long Index) {
  m_items.Remove(Index);
}
void clsSymTable::Remove(std::string_view Index) {
  m_items.Remove(Index);
}

std::shared_ptr<ClsSymEntry> clsSymTable::Item(long IndexKey) const {
  const auto* p = m_items.Item(IndexKey);
  return p ? *p : nullptr;
}

std::shared_ptr<ClsSymEntry> clsSymTable::Item(std::string_view IndexKey) const {
  const auto* p = m_items.Item(IndexKey);
  return p ? *p : nullptr;
}

}  // namespace qs

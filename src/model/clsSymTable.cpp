#include "model/clsSymTable.h"

#include <exception>

namespace qs {

std::shared_ptr<ClsSymEntry> clsSymTable::CreateSymbolTableEntry(std::string_view IndexKey) {
  try {
    auto entry = std::make_shared<ClsSymEntry>();
    entry->EntryName = std::string(IndexKey);
    Add(entry, IndexKey);
    return entry;
  } catch (const std::exception&) {
    // No memory for the entry: the caller gets null and the table stays as it was.
    return nullptr;
  }
}

bool clsSymTable::Add(std::shared_ptr<ClsSymEntry> Item, std::string_view Key) {
  if (!Item) return false;
  try {
    return m_items.Add(std::move(Item), Key);
  } catch (const std::exception&) {
    // No memory to store the entry: the caller gets false and the table stays as it was.
    return false;
  }
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

// The symbol table of a run: one entry per source module, keyed by the module's name without
// regard to letter case, in the order the entries were created.
#pragma once

#include <memory>
#include <string_view>
#include <utility>

#include "model/ClsSymEntry.h"
#include "text/CollectionValues.h"
#include "text/KeyedCollection.h"

namespace qs {

class clsSymTable {
 public:
  using Items = KeyedCollection<std::shared_ptr<ClsSymEntry>>;

  /// Makes an entry named IndexKey and adds it under that key. The new entry is returned even
  /// when the key was already present (it is then not stored; the first entry stays).
  std::shared_ptr<ClsSymEntry> CreateSymbolTableEntry(std::string_view IndexKey);
  /// Adds under the key; false (nothing changes) when the key is present or the item empty.
  bool Add(std::shared_ptr<ClsSymEntry> Item, std::string_view Key);
  /// Removes by key or 1-based position; nothing happens when there is none.
  void Remove(long Index);
  void Remove(std::string_view Index);
  long Count() const { return m_items.Count(); }
  bool Exists(long IndexKey) const { return m_items.Exists(IndexKey); }
  bool Exists(std::string_view IndexKey) const { return m_items.Exists(IndexKey); }
  /// The entry at the 1-based position or under the key; empty when there is none.
  std::shared_ptr<ClsSymEntry> Item(long IndexKey) const;
  std::shared_ptr<ClsSymEntry> Item(std::string_view IndexKey) const;

  /// Enumeration in insertion order (NewEnum): yields the entries.
  using const_iterator = ValueIterator<decltype(std::declval<const Items&>().begin())>;
  const_iterator begin() const { return const_iterator(m_items.begin()); }
  const_iterator end() const { return const_iterator(m_items.end()); }

 private:
  Items m_items;
};

}  // namespace qs

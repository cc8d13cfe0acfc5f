// An ordered list of declared things with automatic keys "0", "1", ...
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>

#include "model/ClsEntryPtr.h"
#include "text/CollectionValues.h"
#include "text/KeyedCollection.h"

namespace qs {

class ClsEntry {
 public:
  using Items = KeyedCollection<std::shared_ptr<ClsEntryPtr>>;

  /// Appends the record under the key formed by the counter's decimal digits and sets its ID to
  /// the counter; the counter then increases. An empty pointer is ignored.
  void Add(std::shared_ptr<ClsEntryPtr> Item);
  /// Removes by key ("0", ...) or 1-based position; nothing happens when there is none. Other
  /// items keep their IDs and a key is never reused.
  void Remove(long Index);
  void Remove(std::string_view Index);
  long Count() const { return m_items.Count(); }
  bool Exists(long IndexKey) const { return m_items.Exists(IndexKey); }
  bool Exists(std::string_view IndexKey) const { return m_items.Exists(IndexKey); }
  /// The record at the 1-based position or under the key; empty when there is none.
  std::shared_ptr<ClsEntryPtr> Item(long IndexKey) const;
  std::shared_ptr<ClsEntryPtr> Item(std::string_view IndexKey) const;
  /// The most recently added record still present; empty when the list is empty.
  std::shared_ptr<ClsEntryPtr> Last() const;

  /// Enumeration in insertion order (NewEnum): yields the records.
  using const_iterator = ValueIterator<decltype(std::declval<const Items&>().begin())>;
  const_iterator begin() const { return const_iterator(m_items.begin()); }
  const_iterator end() const { return const_iterator(m_items.end()); }

 private:
  Items m_items;
  int32_t m_counter = 0;
};

}  // namespace qs

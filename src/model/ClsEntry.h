// An ordered list of declared things with automatic keys "0", "1", ...
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "model/ClsEntryPtr.h"

namespace qs {

/// The records are held in insertion order; a record's key is its ID written in decimal, so a
/// key is looked up as a number (IDs only grow along the list). The records stay shared: the
/// parser fills a record in after adding it, and the analysis keeps their addresses.
class ClsEntry {
 public:
  using Items = std::vector<std::shared_ptr<ClsEntryPtr>>;

  /// Appends the record under the key formed by the counter's decimal digits and sets its ID to
  /// the counter; the counter then increases. An empty pointer is ignored.
  void Add(std::shared_ptr<ClsEntryPtr> Item);
  /// Removes by key ("0", ...) or 1-based position; nothing happens when there is none. Other
  /// items keep their IDs and a key is never reused.
  void Remove(long Index);
  void Remove(std::string_view Index);
  long Count() const { return static_cast<long>(m_items.size()); }
  bool Exists(long IndexKey) const { return IndexKey >= 1 && IndexKey <= Count(); }
  bool Exists(std::string_view IndexKey) const { return Find(IndexKey) >= 0; }
  /// The record at the 1-based position or under the key; empty when there is none.
  std::shared_ptr<ClsEntryPtr> Item(long IndexKey) const;
  std::shared_ptr<ClsEntryPtr> Item(std::string_view IndexKey) const;
  /// The most recently added record still present; empty when the list is empty.
  std::shared_ptr<ClsEntryPtr> Last() const;

  /// Enumeration in insertion order (NewEnum): yields the records (never empty pointers).
  using const_iterator = Items::const_iterator;
  const_iterator begin() const { return m_items.begin(); }
  const_iterator end() const { return m_items.end(); }

 private:
  /// The index of the record whose key is the text; -1 when the text is no key ("7", not "07",
  /// "+7" or " 7") or no record has it.
  long Find(std::string_view in_sKey) const;

  Items m_items;
  int32_t m_counter = 0;
};

}  // namespace qs

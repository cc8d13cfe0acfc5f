// An ordered list of name occurrences, keyed "0", "1", ... in insertion order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "text/CollectionValues.h"
#include "text/KeyedCollection.h"
#include "text/clsFixPtr.h"

namespace qs {

class clsFixup {
 public:
  using Items = KeyedCollection<std::shared_ptr<clsFixPtr>>;

  /// The name this list belongs to when it sits in a clsFixups registry.
  std::string ID;

  /// Appends a new record (text, position, not fixed) and returns it; empty on failure.
  std::shared_ptr<clsFixPtr> AddTokenString(std::string_view in_sTokenString, int32_t in_lPtr);
  /// True when some record's text equals the text exactly (letter case counts).
  bool TokenStringExists(std::string_view in_sTokenString) const;
  /// For the first record whose text equals the text exactly: its type, position, type-of and
  /// subscript flag through the out arguments, and true. False (out arguments untouched) when
  /// there is none.
  bool TokenStringExistsEx(std::string_view in_sTokenString, std::string& out_stype,
                           int32_t& out_lPtr, std::string& out_stypeof, bool& out_bsubscript) const;

  /// Appends under the counter key and sets the record's ID to it; an empty pointer is ignored.
  void Add(std::shared_ptr<clsFixPtr> Item);
  void Remove(long Index);
  void Remove(std::string_view Index);
  long Count() const { return m_items.Count(); }
  bool Exists(long IndexKey) const { return m_items.Exists(IndexKey); }
  bool Exists(std::string_view IndexKey) const { return m_items.Exists(IndexKey); }
  /// The record at the 1-based position or under the key; empty when there is none.
  std::shared_ptr<clsFixPtr> Item(long IndexKey) const;
  std::shared_ptr<clsFixPtr> Item(std::string_view IndexKey) const;
  /// The record at position Count; empty when the list is empty.
  std::shared_ptr<clsFixPtr> Last() const;

  /// Enumeration in insertion order (NewEnum): yields the records.
  using const_iterator = ValueIterator<decltype(std::declval<const Items&>().begin())>;
  const_iterator begin() const { return const_iterator(m_items.begin()); }
  const_iterator end() const { return const_iterator(m_items.end()); }

 private:
  Items m_items;
  int32_t m_counter = 0;
};

}  // namespace qs

// A registry of name-occurrence lists keyed by name (letter case ignored), able to rewrite
// every recorded occurrence of a name in a token stream.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>

#include "text/CollectionValues.h"
#include "text/KeyedCollection.h"
#include "text/clsFixup.h"

namespace qs {

class clsTokenStream;

class clsFixups {
 public:
  using Items = KeyedCollection<std::shared_ptr<clsFixup>>;

  /// Records an occurrence (position only, empty text) in the list keyed in_sVar, creating that
  /// list (its ID = in_sVar) when there is none.
  void AddVar(std::string_view in_sVar, int32_t in_lPtr);
  /// A new list holding one occurrence (text in_sVar), added under the counter key.
  void AddVarEx(std::string_view in_sVar, int32_t in_lPtr);
  /// Adds a list under its ID; nothing changes when that key is present or the item is empty.
  void Add(std::shared_ptr<clsFixup> Item);
  /// Adds a list under the counter key; the counter increases.
  void AddEx(std::shared_ptr<clsFixup> Item);
  /// Rewrites, in the stream, the text of every occurrence of the list keyed in_sVar that is not
  /// yet fixed, and marks it fixed. A second call for the same name changes nothing.
  void Fixup(clsTokenStream& in_oTokenStream, std::string_view in_sVar,
             std::string_view in_sNewName);

  void Remove(long Index);
  void Remove(std::string_view Index);
  long Count() const { return m_items.Count(); }
  bool Exists(long IndexKey) const { return m_items.Exists(IndexKey); }
  bool Exists(std::string_view IndexKey) const { return m_items.Exists(IndexKey); }
  /// The list at the 1-based position or under the key; empty when there is none.
  std::shared_ptr<clsFixup> Item(long IndexKey) const;
  std::shared_ptr<clsFixup> Item(std::string_view IndexKey) const;
  /// The list at position Count; empty when the registry is empty.
  std::shared_ptr<clsFixup> Last() const;

  /// Enumeration in insertion order (NewEnum): yields the lists.
  using const_iterator = ValueIterator<decltype(std::declval<const Items&>().begin())>;
  const_iterator begin() const { return const_iterator(m_items.begin()); }
  const_iterator end() const { return const_iterator(m_items.end()); }

 private:
  Items m_items;
  int32_t m_counter = 0;
};

}  // namespace qs

// An ordered list of arbitrary values (numbers, strings, records, object references) with unique
// keys; two keys that differ only in letter case are the same key. Positions are 1-based.
#pragma once

#include <any>
#include <string>
#include <string_view>

#include "text/KeyedCollection.h"

namespace qs {

class ClsUniqArray {
 public:
  using Items = KeyedCollection<std::any>;

  /// Inserts the item after / before the item at the 1-based position. False, and nothing
  /// changes, when the position does not exist or the key is present.
  bool AddAfter(std::any item, std::string_view key, long position);
  bool AddBefore(std::any item, std::string_view key, long position);
  /// Appends the item; false, and nothing changes, when the key is present.
  bool Add(std::any item, std::string_view key);
  /// Removes the item at the position or under the key; false when there is none.
  bool Remove(long position);
  bool Remove(std::string_view key);
  bool Remove(const char* key) { return Remove(std::string_view(key)); }
  /// Removes the item under the key (if any) and appends the new item under it, so the item moves
  /// to the end of the list. Always true.
  bool Replace(std::any item, std::string_view key);

  long Count() const { return m_items.Count(); }
  bool Exists(long position) const { return m_items.Exists(position); }
  bool Exists(std::string_view key) const { return m_items.Exists(key); }
  bool Exists(const char* key) const { return Exists(std::string_view(key)); }

  /// A copy of the item, or an empty value when there is none.
  std::any Item(long position) const;
  std::any Item(std::string_view key) const;
  std::any Item(const char* key) const { return Item(std::string_view(key)); }

  /// The stored item as a T, without copying; nullptr when there is no such item or it holds
  /// another type.
  template <class T>
  const T* ItemAs(long position) const {
    const std::any* a = m_items.Item(position);
    return a ? std::any_cast<T>(a) : nullptr;
  }
  template <class T>
  const T* ItemAs(std::string_view key) const {
    const std::any* a = m_items.Item(key);
    return a ? std::any_cast<T>(a) : nullptr;
  }
  template <class T>
  const T* ItemAs(const char* key) const {
    return ItemAs<T>(std::string_view(key));
  }

  /// Enumeration in order (NewEnum): entries with .key and .value (a std::any).
  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

 private:
  Items m_items;
};

}  // namespace qs

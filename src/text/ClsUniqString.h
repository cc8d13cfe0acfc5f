// An ordered set of strings with unique keys (letter case ignored) and a prefix search.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/KeyedCollection.h"

namespace qs {

class ClsUniqString {
 public:
  using Items = KeyedCollection<std::string>;

  /// The string at the 1-based position; a position outside 1 .. Count() means 1. "" when empty.
  std::string GetString(int32_t in_lStartPos) const;
  /// The first string from position inout_lStartPos on (1 when out of range) that begins with
  /// in_sText, ignoring letter case; inout_lStartPos receives its position. "" and
  /// inout_lStartPos unchanged when none matches or in_sText is empty. No wrap-around.
  std::string SelectString(std::string_view in_sText, int32_t& inout_lStartPos) const;
  /// Adds the string under the key; false when the key is present.
  bool AddEx(std::string_view item, std::string_view key);
  /// Adds the string with itself as key, so a string already present (any case) is not added.
  bool Add(std::string_view item);
  bool Remove(long position);
  bool Remove(std::string_view key);
  bool Remove(const char* key) { return Remove(std::string_view(key)); }

  long Count() const { return m_items.Count(); }
  bool Exists(std::string_view key) const { return m_items.Exists(key); }
  bool Exists(const char* key) const { return Exists(std::string_view(key)); }
  /// The string at the position or under the key, or "".
  std::string Item(long position) const;
  std::string Item(std::string_view key) const;
  std::string Item(const char* key) const { return Item(std::string_view(key)); }

  /// Enumeration in order (NewEnum): entries with .key and .value.
  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

 private:
  Items m_items;
};

}  // namespace qs

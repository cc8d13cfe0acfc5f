// The one keyed collection of the system: an ordered list of values with unique string keys.
//
// Keys are compared without regard to letter case, as code page 1252 folds it. Positions are
// 1-based. Every collection class of the system (unique arrays and strings, project items, the
// symbol table and its lists, name lists) wraps one of these.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "text/Cp1252.h"

namespace qs {

template <class T>
class KeyedCollection {
 public:
  struct Entry {
    std::string key;
    T value;
  };

  /// Appends the value under the key; false (and nothing changes) when the key is present.
  bool Add(T value, std::string_view key) { return InsertAt(entries_.size(), std::move(value), key); }

  /// Inserts before / after the item at 1-based position; false when the position does not
  /// exist or the key is present.
  bool AddBefore(T value, std::string_view key, long pos) {
    if (pos < 1 || pos > Count()) return false;
    return InsertAt(static_cast<size_t>(pos - 1), std::move(value), key);
  }
  bool AddAfter(T value, std::string_view key, long pos) {
    if (pos < 1 || pos > Count()) return false;
    return InsertAt(static_cast<size_t>(pos), std::move(value), key);
  }

  /// Removes the item at the 1-based position or under the key; false when there is none.
  bool Remove(long pos) {
    if (pos < 1 || pos > Count()) return false;
    EraseAt(static_cast<size_t>(pos - 1));
    return true;
  }
  bool Remove(std::string_view key) {
    auto it = index_.find(key);
    if (it == index_.end()) return false;
    EraseAt(it->second);
    return true;
  }

  long Count() const { return static_cast<long>(entries_.size()); }
  bool Exists(std::string_view key) const { return index_.find(key) != index_.end(); }
  bool Exists(long pos) const { return pos >= 1 && pos <= Count(); }

  /// The value at the 1-based position or under the key; nullptr when there is none.
  T* Item(long pos) { return Exists(pos) ? &entries_[static_cast<size_t>(pos - 1)].value : nullptr; }
  const T* Item(long pos) const {
    return Exists(pos) ? &entries_[static_cast<size_t>(pos - 1)].value : nullptr;
  }
  T* Item(std::string_view key) {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second].value;
  }
  const T* Item(std::string_view key) const {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second].value;
  }
  // A string literal is a key, never a position.
  T* Item(const char* key) { return Item(std::string_view(key)); }
  const T* Item(const char* key) const { return Item(std::string_view(key)); }
  bool Exists(const char* key) const { return Exists(std::string_view(key)); }
  bool Remove(const char* key) { return Remove(std::string_view(key)); }

  /// The last value; nullptr when the collection is empty.
  T* Last() { return entries_.empty() ? nullptr : &entries_.back().value; }
  const T* Last() const { return entries_.empty() ? nullptr : &entries_.back().value; }

  /// The key of the item at the 1-based position ("" when there is none).
  std::string_view KeyAt(long pos) const {
    return Exists(pos) ? std::string_view(entries_[static_cast<size_t>(pos - 1)].key)
                       : std::string_view();
  }

  void Clear() {
    entries_.clear();
    index_.clear();
  }
  void Reserve(size_t n) {
    entries_.reserve(n);
    index_.reserve(n);
  }

  // Enumeration in order (NewEnum): iterates over the entries (key and value).
  auto begin() { return entries_.begin(); }
  auto end() { return entries_.end(); }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }

 private:
  struct NoCaseHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return HashNoCase1252(s); }
  };
  struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase1252(a, b); }
  };

  bool InsertAt(size_t at, T&& value, std::string_view key) {
    if (index_.find(key) != index_.end()) return false;
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), Entry{std::string(key), std::move(value)});
    if (at + 1 == entries_.size()) {
      index_.emplace(entries_.back().key, at);
    } else {
      Reindex();
    }
    return true;
  }
  void EraseAt(size_t at) {
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
    Reindex();
  }
  // Positions shift after an insertion in the middle or a removal; both are rare, so the index is
  // rebuilt rather than patched.
  void Reindex() {
    index_.clear();
    for (size_t i = 0; i < entries_.size(); ++i) index_.emplace(entries_[i].key, i);
  }

  std::vector<Entry> entries_;
  std::unordered_map<std::string, size_t, NoCaseHash, NoCaseEqual> index_;
};

}  // namespace qs

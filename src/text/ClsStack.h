// A stack of strings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

class ClsStack {
 public:
  ClsStack();

  /// Replaces the top item; nothing happens on an empty stack.
  void Add(std::string_view in_value);
  /// The item at the 0-based index (bottom is 0), or "" when there is none.
  std::string ItemAt(int32_t in_lPtr) const;
  /// The top item, or "" on an empty stack.
  std::string Item() const;
  /// The number of items.
  int32_t Count() const { return static_cast<int32_t>(m_items.size()); }
  bool IsEmpty() const { return m_items.empty(); }
  /// Removes and returns the top item; "" on an empty stack.
  std::string Pop();
  /// Pushes an empty string.
  void PushNew();
  /// Pushes the string; the room grows in steps of 20 items.
  void Push(std::string_view in_value);
  /// The highest index the current room holds (20 at first, then 40, 60, ...).
  int32_t Capacity() const { return m_capacity; }

 private:
  std::vector<std::string> m_items;
  int32_t m_capacity = 20;
};

}  // namespace qs

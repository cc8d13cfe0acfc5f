#include "text/ClsStack.h"

#include <new>
#include <utility>

namespace qs {

namespace {
constexpr int32_t kStackStep = 20;
}

ClsStack::ClsStack() {
  try {
    m_items.reserve(kStackStep + 1);
  } catch (const std::bad_alloc&) {
    // No room reserved ahead (a hint): the stack starts empty and grows on the first push.
    return;
  }
}

void ClsStack::Add(std::string_view in_value) {
  if (!m_items.empty()) m_items.back().assign(in_value);
}

std::string ClsStack::ItemAt(int32_t in_lPtr) const {
  if (in_lPtr < 0 || in_lPtr >= Count()) return std::string();
  return m_items[static_cast<size_t>(in_lPtr)];
}

std::string ClsStack::Item() const {
  return m_items.empty() ? std::string() : m_items.back();
}

std::string ClsStack::Pop() {
  if (m_items.empty()) return std::string();
  std::string top = std::move(m_items.back());
  m_items.pop_back();
  return top;
}

void ClsStack::PushNew() {
  Push(std::string_view());
}

void ClsStack::Push(std::string_view in_value) {
  // Items live at indices 0 .. m_capacity; the room grows by a fixed step when it is full.
  if (Count() - 1 == m_capacity) {
    m_items.reserve(static_cast<size_t>(m_capacity) + kStackStep + 1);
    m_capacity += kStackStep;
  }
  m_items.emplace_back(in_value);
}

}  // namespace qs

#include "text/ClsUniqArray.h"

#include <utility>

namespace qs {

// An allocation failure (std::bad_alloc) goes on to the caller: a run out of memory fails at its
// boundary rather than going on with an item missing.

bool ClsUniqArray::AddAfter(std::any item, std::string_view key, long position) {
  return m_items.AddAfter(std::move(item), key, position);
}

bool ClsUniqArray::AddBefore(std::any item, std::string_view key, long position) {
  return m_items.AddBefore(std::move(item), key, position);
}

bool ClsUniqArray::Add(std::any item, std::string_view key) {
  return m_items.Add(std::move(item), key);
}

bool ClsUniqArray::Remove(long position) {
  return m_items.Remove(position);
}

bool ClsUniqArray::Remove(std::string_view key) {
  return m_items.Remove(key);
}

bool ClsUniqArray::Replace(std::any item, std::string_view key) {
  Remove(key);
  Add(std::move(item), key);
  return true;
}

std::any ClsUniqArray::Item(long position) const {
  const std::any* a = m_items.Item(position);
  return a ? *a : std::any();
}

std::any ClsUniqArray::Item(std::string_view key) const {
  const std::any* a = m_items.Item(key);
  return a ? *a : std::any();
}

}  // namespace qs

#include "text/ClsUniqArray.h"

#include <utility>

namespace qs {

// Every operation ends quietly: an allocation failure while copying an item leaves the list as
// it was and reports an empty result.

bool ClsUniqArray::AddAfter(std::any item, std::string_view key, long position) {
  try {
    return m_items.AddAfter(std::move(item), key, position);
  } catch (...) {
    // No memory for the item: the caller gets false and the array stays as it was.
    return false;
  }
}

bool ClsUniqArray::AddBefore(std::any item, std::string_view key, long position) {
  try {
    return m_items.AddBefore(std::move(item), key, position);
  } catch (...) {
    // No memory for the item: the caller gets false and the array stays as it was.
    return false;
  }
}

bool ClsUniqArray::Add(std::any item, std::string_view key) {
  try {
    return m_items.Add(std::move(item), key);
  } catch (...) {
    // No memory for the item: the caller gets false and the array stays as it was.
    return false;
  }
}

bool ClsUniqArray::Remove(long position) {
  try {
    return m_items.Remove(position);
  } catch (...) {
    // The caller gets false and the array stays as it was.
    return false;
  }
}

bool ClsUniqArray::Remove(std::string_view key) {
  try {
    return m_items.Remove(key);
  } catch (...) {
    // The caller gets false and the array stays as it was.
    return false;
  }
}

bool ClsUniqArray::Replace(std::any item, std::string_view key) {
  Remove(key);
  Add(std::move(item), key);
  return true;
}

std::any ClsUniqArray::Item(long position) const {
  try {
    const std::any* a = m_items.Item(position);
    return a ? *a : std::any();
  } catch (...) {
    // No memory for the copy: the caller gets an empty value.
    return std::any();
  }
}

std::any ClsUniqArray::Item(std::string_view key) const {
  try {
    const std::any* a = m_items.Item(key);
    return a ? *a : std::any();
  } catch (...) {
    // No memory for the copy: the caller gets an empty value.
    return std::any();
  }
}

}  // namespace qs

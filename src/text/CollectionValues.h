// Iteration over the values of a keyed collection, in insertion order.
//
// The collection classes of the analysis hold shared records; a reader walks them with a
// range-for and sees the records themselves, not the key/value pairs underneath.
#pragma once

#include <iterator>

namespace qs {

template <class It>
class ValueIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using difference_type = std::ptrdiff_t;
  using value_type = std::remove_cvref_t<decltype(std::declval<It>()->value)>;
  using reference = const value_type&;
  using pointer = const value_type*;

  ValueIterator() = default;
  explicit ValueIterator(It it) : it_(it) {}
  reference operator*() const { return it_->value; }
  pointer operator->() const { return &it_->value; }
  ValueIterator& operator++() {
    ++it_;
    return *this;
  }
  ValueIterator operator++(int) {
    ValueIterator old = *this;
    ++it_;
    return old;
  }
  bool operator==(const ValueIterator& o) const { return it_ == o.it_; }
  bool operator!=(const ValueIterator& o) const { return it_ != o.it_; }

 private:
  It it_{};
};

}  // namespace qs

// The keyword hash table: exact, case-sensitive lookup of a word's token code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

class clsHashTable {
 public:
  clsHashTable();

  /// Stores the word with its code. No duplicate check: the first stored entry answers.
  void AddToken(std::string_view in_sTokenName, int32_t in_lTokenCode);
  /// Looks the word up: out_bfound false and out_lTokenCode -1 when it is not stored.
  void IsTokenFound(std::string_view in_sTokenName, int32_t& out_lTokenCode,
                    bool& out_bfound) const;
  /// Number of buckets S = 2 * max(requested, 1000) + 1. Setting it discards all stored words.
  int32_t AllocateSize() const { return m_size; }
  void SetAllocateSize(int32_t in_lvalue);

  /// The full hash of a word (0 .. 2^30 - 1) and its bucket index (1 .. S).
  static int32_t FullHash(std::string_view word);
  int32_t BucketIndex(std::string_view word) const;
  /// Number of stored entries, repeats included.
  int32_t StoredCount() const;

 private:
  struct Overflow {
    int32_t code;
    std::string name;
  };
  struct Bucket {
    int32_t hash = 0;
    int32_t code = 0;
    std::string name;
    std::vector<Overflow> overflow;
  };
  int32_t m_size = 0;
  std::vector<Bucket> m_buckets;  // indices 0 .. S; 1 .. S used
};

}  // namespace qs

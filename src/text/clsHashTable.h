// The keyword hash table: exact, case-sensitive lookup of a word's token code.
#pragma once

#include <cstddef>
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

  /// The keyword hash, one byte at a time: HashStart of the word's first byte (0 for an empty
  /// word), then HashStep for each further byte among the first kHashedBytes; 30 bits are kept.
  /// A scanner may hash a word this way while it reads it; FullHash does it for a whole word.
  static constexpr size_t kHashedBytes = 256;
  static constexpr uint32_t HashStart(unsigned char first) { return first + 17u; }
  static constexpr uint32_t HashStep(uint32_t hash, unsigned char next) {
    // Unsigned: 2 * hash + next may pass the largest int32_t before the mask applies.
    return (2u * hash + next) & ((1u << 30) - 1);
  }

  /// The full hash of a word (0 .. 2^30 - 1) and its bucket index (1 .. S).
  static int32_t FullHash(std::string_view word);
  int32_t BucketIndex(std::string_view word) const;
  /// The code stored for a word whose FullHash the caller has already computed; -1 when the
  /// word is not stored. The scanners hash a word while they read it and look it up here.
  int32_t FindHashed(std::string_view word, int32_t fullHash) const {
    const size_t i = Reduce(fullHash) + 1;
    if (!m_used[i]) return -1;  // most words are names: answered from a small table
    const Bucket& b = m_buckets[i];
    if (b.name == word) return b.code;
    for (const Overflow& o : b.overflow)
      if (o.name == word) return o.code;
    return -1;
  }
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
  /// fullHash mod S without a division (Lemire's multiply-shift reduction; exact for 32-bit
  /// operands). A lookup runs for every word of every file, and a division would dominate it.
  size_t Reduce(int32_t fullHash) const {
    const uint64_t low = m_reduceFactor * static_cast<uint32_t>(fullHash);
    return static_cast<size_t>(
        (static_cast<unsigned __int128>(low) * static_cast<uint32_t>(m_size)) >> 64);
  }

  int32_t m_size = 0;
  uint64_t m_reduceFactor = 0;    // 2^64 / S, rounded up
  std::vector<Bucket> m_buckets;  // indices 0 .. S; 1 .. S used
  std::vector<uint8_t> m_used;    // 1 where the bucket holds a word
};

}  // namespace qs

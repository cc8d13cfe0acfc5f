#include "text/clsHashTable.h"

#include <algorithm>

namespace qs {

namespace {
constexpr int32_t kDefaultRequest = 1000;
}  // namespace

clsHashTable::clsHashTable() {
  SetAllocateSize(kDefaultRequest);
}

void clsHashTable::SetAllocateSize(int32_t in_lvalue) {
  const int32_t size = 2 * std::max(in_lvalue, kDefaultRequest) + 1;
  std::vector<Bucket> buckets(static_cast<size_t>(size) + 1);
  std::vector<uint8_t> used(static_cast<size_t>(size) + 1, 0);
  m_buckets.swap(buckets);
  m_used.swap(used);
  m_size = size;
  m_reduceFactor = UINT64_MAX / static_cast<uint32_t>(size) + 1;
}

int32_t clsHashTable::FullHash(std::string_view word) {
  const size_t n = std::min(word.size(), kHashedBytes);
  const auto* b = reinterpret_cast<const unsigned char*>(word.data());
  uint32_t h = HashStart(n > 0 ? b[0] : 0);
  for (size_t i = 1; i < n; ++i) h = HashStep(h, b[i]);
  return static_cast<int32_t>(h);
}

int32_t clsHashTable::BucketIndex(std::string_view word) const {
  return static_cast<int32_t>(Reduce(FullHash(word))) + 1;
}

void clsHashTable::AddToken(std::string_view in_sTokenName, int32_t in_lTokenCode) {
  const int32_t h = FullHash(in_sTokenName);
  const size_t i = Reduce(h) + 1;
  Bucket& b = m_buckets[i];
  if (b.hash == 0) {
    m_used[i] = 1;
    b.hash = h;
    b.code = in_lTokenCode;
    b.name.assign(in_sTokenName);
    b.overflow.clear();
  } else {
    b.overflow.push_back(Overflow{in_lTokenCode, std::string(in_sTokenName)});
  }
}

void clsHashTable::IsTokenFound(std::string_view in_sTokenName, int32_t& out_lTokenCode,
                                bool& out_bfound) const {
  out_lTokenCode = FindHashed(in_sTokenName, FullHash(in_sTokenName));
  out_bfound = out_lTokenCode != -1;
}

int32_t clsHashTable::StoredCount() const {
  int32_t n = 0;
  for (const Bucket& b : m_buckets) {
    if (b.hash != 0) n += 1 + static_cast<int32_t>(b.overflow.size());
  }
  return n;
}

}  // namespace qs

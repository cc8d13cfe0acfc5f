#include "text/clsTokenStream.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <stdexcept>
#include <system_error>

#include "text/SystemPath.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsFixups.h"

namespace qs {

namespace {

constexpr int32_t kGrowStep = 1000;

// Readers see a single-character token as the character itself; these are the characters.
constexpr std::array<char, 256> MakeCharTable() {
  std::array<char, 256> t{};
  for (int c = 0; c < 256; ++c) t[static_cast<size_t>(c)] = static_cast<char>(c);
  return t;
}
constexpr std::array<char, 256> kCharTable = MakeCharTable();

void PutInt32(std::string& out, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  const char b[4] = {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
                     static_cast<char>((u >> 16) & 0xFF), static_cast<char>((u >> 24) & 0xFF)};
  out.append(b, 4);
}

void PutUInt16(std::string& out, uint16_t v) {
  const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
  out.append(b, 2);
}

// Reads little-endian integers from a dump, refusing to read past its end.
class DumpReader {
 public:
  explicit DumpReader(std::string_view data) : m_data(data) {}
  bool Int32(int32_t& v) {
    if (Left() < 4) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(m_data.data() + m_pos);
    v = static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                             (static_cast<uint32_t>(p[2]) << 16) |
                             (static_cast<uint32_t>(p[3]) << 24));
    m_pos += 4;
    return true;
  }
  bool UInt16(uint16_t& v) {
    if (Left() < 2) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(m_data.data() + m_pos);
    v = static_cast<uint16_t>(p[0] | (p[1] << 8));
    m_pos += 2;
    return true;
  }
  bool Bytes(size_t n, std::string_view& v) {
    if (Left() < n) return false;
    v = m_data.substr(m_pos, n);
    m_pos += n;
    return true;
  }
  size_t Left() const { return m_data.size() - m_pos; }

 private:
  std::string_view m_data;
  size_t m_pos = 0;
};

// The smallest record in a dump: code, text length, no text, length.
constexpr int64_t kMinRecordBytes = 4 + 2 + 4;

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  std::FILE* f = OpenFile(path, "wb");  // "wb" truncates an existing file
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return (std::fclose(f) == 0) && ok;
}

}  // namespace

clsTokenStream::clsTokenStream() {
  Reset(kGrowStep);
  m_bookMarks = std::make_shared<clsFixups>();
}

std::shared_ptr<clsTokenStream> clsTokenStream::Clone() const {
  auto copy = std::make_shared<clsTokenStream>();
  copy->m_records = m_records;
  copy->m_bases = m_bases;
  copy->m_wideCodes = m_wideCodes;
  copy->m_wideOffsets = m_wideOffsets;
  // Only the bytes in use are copied; the copy's arena grows on its first append.
  copy->m_arena.reset(new char[std::max<size_t>(m_arenaSize, 1)]);
  if (m_arenaSize > 0) std::memcpy(copy->m_arena.get(), m_arena.get(), m_arenaSize);
  copy->m_arenaSize = m_arenaSize;
  copy->m_arenaCapacity = std::max<size_t>(m_arenaSize, 1);
  copy->m_capacity = m_capacity;
  copy->m_cursor = m_cursor;
  copy->m_count = m_count;
  copy->m_holdsLineEnds = m_holdsLineEnds;
  copy->m_lineStartHashes = m_lineStartHashes;
  return copy;
}

clsFixups& clsTokenStream::BookMarks() {
  if (!m_bookMarks) m_bookMarks = std::make_shared<clsFixups>();
  return *m_bookMarks;
}

clsTokenStream::~clsTokenStream() = default;

// The shared texts at their fixed offsets: empty, line end, single blank.
static constexpr std::string_view kArenaStart("\x00\x02\r\n\x01 ", 6);

void clsTokenStream::Reset(int32_t capacity) {
  std::vector<uint32_t> records;
  records.reserve(static_cast<size_t>(kGrowStep) + 2);
  records.push_back(kEmptyRecord);  // the sentinel at -1
  std::vector<uint32_t> bases;
  bases.reserve(static_cast<size_t>(kGrowStep) / 64 + 2);
  bases.push_back(static_cast<uint32_t>(kArenaStart.size()));
  m_wideCodes.clear();
  m_wideOffsets.clear();
  m_arena.reset();
  m_arenaSize = 0;
  m_arenaCapacity = 0;
  GrowArena(4096);
  std::memcpy(m_arena.get(), kArenaStart.data(), kArenaStart.size());
  m_arenaSize = kArenaStart.size();
  m_records.swap(records);
  m_bases.swap(bases);
  m_capacity = capacity;
  m_count = 0;
  m_holdsLineEnds = false;
  m_lineStartHashes.clear();
  m_cursor = 0;
}

int64_t clsTokenStream::WritableSlot(int32_t pos) {
  if (pos < 0 || pos > m_capacity) return -1;
  const auto i = static_cast<size_t>(pos) + 1;
  if (i >= m_records.size()) {
    CoverSlots(i + 1);
    m_records.resize(i + 1, kEmptyRecord);
  }
  return static_cast<int64_t>(i);
}

void clsTokenStream::CoverSlots(size_t in_nSlots) {
  while ((m_bases.size() << kBlockShift) < in_nSlots)
    m_bases.push_back(static_cast<uint32_t>(m_arenaSize));
}

int32_t clsTokenStream::WideCode(size_t i) const {
  const auto it = m_wideCodes.find(i);
  return it == m_wideCodes.end() ? 0 : it->second;
}

uint32_t clsTokenStream::SlotOffset(size_t i) const {
  if (i >= m_records.size()) return kEmptyText;
  const uint32_t place = m_records[i] >> kCodeBits;
  if (place < kLowestMark) return m_bases[i >> kBlockShift] + place;
  if (place < kMarkEmpty) return kSharedBase + (kMarkEmpty + 1 - place);
  switch (place) {
    case kMarkEmpty:
      return kEmptyText;
    case kMarkLineEnd:
      return kLineEndText;
    case kMarkBlank:
      return kBlankText;
    default: {
      const auto it = m_wideOffsets.find(i);
      return it == m_wideOffsets.end() ? kEmptyText : it->second;
    }
  }
}

uint32_t clsTokenStream::PackWideOffset(size_t slot, uint32_t offset) {
  m_wideOffsets[slot] = offset;
  return kWideOffset;
}

void clsTokenStream::StoreCode(size_t i, int32_t code) {
  uint32_t& r = m_records[i];
  if ((r & kCodeMask) == kWideCode) m_wideCodes.erase(i);
  uint32_t packed = static_cast<uint32_t>(code);
  if (packed >= kWideCode) {
    m_wideCodes[i] = code;
    packed = kWideCode;
  }
  r = (r & ~kCodeMask) | packed;
}

void clsTokenStream::StoreOffset(size_t i, uint32_t offset) {
  uint32_t& r = m_records[i];
  if ((r >> kCodeBits) == kWideOffset) m_wideOffsets.erase(i);
  r = (r & kCodeMask) | (PackOffset(i, offset) << kCodeBits);
}

void clsTokenStream::GrowArena(size_t needed) {
  // Offsets are 32-bit: the arena never grows beyond what they reach.
  if (needed <= m_arenaCapacity || needed > kArenaLimit) return;
  const size_t capacity =
      std::min(std::max(needed, m_arenaCapacity + m_arenaCapacity / 2), kArenaLimit);
  std::unique_ptr<char[]> grown(new char[capacity]);
  if (m_arenaSize > 0) std::memcpy(grown.get(), m_arena.get(), m_arenaSize);
  m_arena = std::move(grown);
  m_arenaCapacity = capacity;
}

uint32_t clsTokenStream::InternSlow(std::string_view text) {
  if (text.empty()) return kEmptyText;
  // A length below 2^31 takes at most five bytes of seven bits.
  if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return kEmptyText;
  char prefix[5];
  size_t n = 0;
  for (size_t len = text.size(); n < sizeof(prefix); len >>= 7) {
    prefix[n++] = static_cast<char>((len & 0x7F) | (len >= 0x80 ? 0x80 : 0));
    if (len < 0x80) break;
  }
  if (m_arenaSize + n + text.size() > kArenaLimit) return kEmptyText;
  // Copied first: the text may be a view of the arena, which growing moves.
  const std::string copy(text);
  GrowArena(m_arenaSize + n + copy.size());
  if (m_arenaSize + n + copy.size() > m_arenaCapacity) return kEmptyText;
  const auto offset = static_cast<uint32_t>(m_arenaSize);
  std::memcpy(m_arena.get() + m_arenaSize, prefix, n);
  std::memcpy(m_arena.get() + m_arenaSize + n, copy.data(), copy.size());
  m_arenaSize += n + copy.size();
  return offset;
}

namespace {
constexpr std::string_view kBlanks =
    "                                                                ";
}  // namespace

bool clsTokenStream::IsBlankRun(std::string_view text) {
  static_assert(kBlanks.size() == kSharedBlanks);
  return text.size() <= kBlanks.size() &&
         std::memcmp(text.data(), kBlanks.data(), text.size()) == 0;
}

std::string_view clsTokenStream::StoredTextSlow(uint32_t offset) const {
  if (offset >= kSharedBase) {
    const uint32_t n = offset - kSharedBase;
    return n <= kSharedBlanks ? kBlanks.substr(0, n) : std::string_view();
  }
  size_t pos = offset;
  size_t len = 0;
  for (int shift = 0; pos < m_arenaSize && shift < 35; shift += 7) {
    const auto byte = static_cast<unsigned char>(m_arena[pos++]);
    len |= static_cast<size_t>(byte & 0x7F) << shift;
    if (!(byte & 0x80)) break;
  }
  if (pos + len > m_arenaSize) return {};
  return std::string_view(m_arena.get() + pos, len);
}

void clsTokenStream::AddTokenSlow(int32_t in_lTokenCode, std::string_view in_sToken) {
  // The sentinel at -1 (reached by PrevPtr from 0) is never overwritten.
  if (m_cursor < 0) return;
  // The visible capacity grows by a fixed step; the records below it grow geometrically, so
  // appending stays amortised constant time.
  if (m_cursor >= m_capacity) m_capacity += kGrowStep;
  // Room for a short text, so the fast path can copy it without a check.
  GrowArena(m_arenaSize + 128);
  // Appending behind the last record, or overwriting after the cursor was moved back, or
  // writing ahead of the last record. Done here rather than through AddToken so this path can
  // never bounce back into itself.
  const int64_t i = WritableSlot(m_cursor);
  if (i < 0) return;
  StoreOffset(static_cast<size_t>(i), Intern(in_sToken));
  StoreCode(static_cast<size_t>(i), in_lTokenCode);
  ++m_count;
  ++m_cursor;
  YieldPoint();
}

void clsTokenStream::Reserve(int32_t in_lTokens, size_t in_lTextBytes) {
  try {
    if (in_lTokens > 0) {
      m_records.reserve(static_cast<size_t>(in_lTokens) + 2);
      m_bases.reserve((static_cast<size_t>(in_lTokens) >> kBlockShift) + 2);
    }
    GrowArena(m_arenaSize + in_lTextBytes + 128);
  } catch (const std::bad_alloc&) {
    // A reservation is only a hint: the appends make room as they go (and fail there when the
    // memory is really short).
    return;
  }
}

void clsTokenStream::ShrinkToFit() {
  try {
    m_records.shrink_to_fit();
    m_bases.shrink_to_fit();
    if (m_arenaCapacity > m_arenaSize) {
      std::unique_ptr<char[]> exact(new char[m_arenaSize]);
      std::memcpy(exact.get(), m_arena.get(), m_arenaSize);
      m_arena = std::move(exact);
      m_arenaCapacity = m_arenaSize;
    }
  } catch (const std::bad_alloc&) {
    // No room for the exact copy: the stream keeps its tokens and its larger room.
    return;
  }
}

void clsTokenStream::Clear() {
  Reset(kGrowStep);
}

void clsTokenStream::SetTokenCode(int32_t in_lTokenCode) {
  const int64_t i = WritableSlot(m_cursor);
  if (i >= 0) StoreCode(static_cast<size_t>(i), in_lTokenCode);
}

void clsTokenStream::MarkAsUndefined(int32_t in_lTokenCode) {
  MarkAsToken(in_lTokenCode, {});
}

void clsTokenStream::MarkAsToken(int32_t in_lTokenCode, std::string_view in_sTokenString) {
  const int64_t i = WritableSlot(m_cursor);
  if (i < 0) return;
  StoreOffset(static_cast<size_t>(i), Intern(in_sTokenString));
  StoreCode(static_cast<size_t>(i), in_lTokenCode);
}

std::string_view clsTokenStream::TokenStringAt(int32_t in_lPoint) const {
  const int64_t i = SlotIndex(in_lPoint);
  if (i < 0) return {};
  const int32_t code = SlotCode(static_cast<size_t>(i));
  if (code < 0) return {};
  if (code <= kLastCharacterCode)
    return std::string_view(&kCharTable[static_cast<size_t>(code)], 1);
  return StoredText(SlotOffset(static_cast<size_t>(i)));
}

void clsTokenStream::SetTokenString(std::string_view in_sTokenString) {
  SetTokenStringAt(m_cursor, in_sTokenString);
}

void clsTokenStream::SetTokenStringAt(int32_t in_lPoint, std::string_view in_sTokenString) {
  const int64_t i = WritableSlot(in_lPoint);
  if (i < 0) return;
  StoreOffset(static_cast<size_t>(i), Intern(in_sTokenString));
}

int32_t clsTokenStream::TokenLenAt(int32_t in_lPoint) const {
  const int64_t i = SlotIndex(in_lPoint);
  if (i < 0) return 0;
  const int32_t code = SlotCode(static_cast<size_t>(i));
  if (code < 0) return 0;
  return code <= kLastCharacterCode
             ? 1
             : static_cast<int32_t>(StoredText(SlotOffset(static_cast<size_t>(i))).size());
}

std::string clsTokenStream::Text(int32_t in_lPoint) const {
  const int32_t first = in_lPoint < -1 ? -1 : in_lPoint;
  size_t total = 0;
  for (int32_t p = first; p < m_count; ++p) {
    if (TokenCodeAt(p) != TokUndefined) total += static_cast<size_t>(TokenLenAt(p));
  }
  std::string text;
  text.reserve(total);
  for (int32_t p = first; p < m_count; ++p) {
    if (TokenCodeAt(p) != TokUndefined) text.append(TokenStringAt(p));
    YieldPoint();
  }
  return text;
}

bool clsTokenStream::SaveToFile(const std::string& in_sValue) const {
  // A text longer than the 16-bit length field would corrupt the dump: write nothing.
  for (size_t i = 0; i < m_records.size(); ++i) {
    if (StoredText(SlotOffset(i)).size() > std::numeric_limits<uint16_t>::max()) return false;
  }
  std::string dump;
  dump.reserve(8 + (static_cast<size_t>(m_capacity) + 2) * kMinRecordBytes + m_arenaSize);
  PutInt32(dump, m_capacity);
  PutInt32(dump, m_count);
  for (int32_t pos = -1; pos <= m_capacity; ++pos) {
    const auto i = static_cast<size_t>(static_cast<int64_t>(pos) + 1);
    const std::string_view text = StoredText(SlotOffset(i));
    PutInt32(dump, SlotCode(i));
    PutUInt16(dump, static_cast<uint16_t>(text.size()));
    dump.append(text);
    PutInt32(dump, static_cast<int32_t>(text.size()));
  }
  return WriteWholeFile(in_sValue, dump);
}

bool clsTokenStream::SavePointTextToFile(int32_t in_lPoint, const std::string& in_sFilename) const {
  try {
    std::error_code ec;
    std::filesystem::remove(SystemPath(in_sFilename), ec);
    return WriteWholeFile(in_sFilename, Text(in_lPoint));
  } catch (const std::system_error&) {
    // (On Windows) a path that is not UTF-8: the caller gets false. Any other failure (out of
    // memory) goes on to the caller.
    return false;
  }
}

bool clsTokenStream::SaveTextToFile(const std::string& in_sValue) const {
  return SavePointTextToFile(0, in_sValue);
}

bool clsTokenStream::LoadFromFile(const std::string& in_sValue, LoadError& out_eReason) {
  std::string data;
  std::uintmax_t size = 0;
  out_eReason = MeasureFile(in_sValue, size);
  if (out_eReason == LoadError::kNone) {
    try {
      data.resize(static_cast<size_t>(size));
    } catch (const std::length_error&) {
      // A dump longer than a string can hold: the caller is told it is too large.
      out_eReason = LoadError::kTooLarge;
    } catch (const std::bad_alloc&) {
      // A dump larger than the memory there is: the caller is told it is too large.
      out_eReason = LoadError::kTooLarge;
    }
    if (out_eReason == LoadError::kNone)
      out_eReason = ReadFileBytes(in_sValue, data.data(), data.size());
  }
  if (out_eReason != LoadError::kNone) {
    Reset(kGrowStep);
    return false;
  }
  // From here on a failure means the bytes are not a whole dump.
  out_eReason = LoadError::kBadContent;
  DumpReader reader(data);
  int32_t capacity = 0;
  int32_t count = 0;
  // Every record takes at least kMinRecordBytes, so the header's capacity must fit the file
  // before anything is allocated for it.
  const bool headerOk = reader.Int32(capacity) && reader.Int32(count) && capacity >= 0 &&
                        (static_cast<int64_t>(capacity) + 2) * kMinRecordBytes <=
                            static_cast<int64_t>(reader.Left()) &&
                        count >= 0 && count <= capacity + 1;
  if (!headerOk) {
    Reset(kGrowStep);
    return false;
  }
  Reset(capacity);
  // Appended slot by slot, so each block's base lies just below its texts.
  m_records.clear();
  m_bases.clear();
  m_records.reserve(static_cast<size_t>(capacity) + 2);
  for (size_t i = 0; i < static_cast<size_t>(capacity) + 2; ++i) {
    int32_t code = 0;
    uint16_t n = 0;
    std::string_view text;
    int32_t length = 0;
    if (!reader.Int32(code) || !reader.UInt16(n) || !reader.Bytes(n, text) ||
        !reader.Int32(length) || length != static_cast<int32_t>(n)) {
      Reset(kGrowStep);
      return false;
    }
    CoverSlots(i + 1);
    m_records.push_back(kEmptyRecord);
    StoreOffset(i, Intern(text));
    StoreCode(i, code);
  }
  // Position -1 always reads as code 0 with an empty text.
  StoreCode(0, 0);
  StoreOffset(0, kEmptyText);
  m_capacity = capacity;
  m_count = count;
  m_cursor = 0;
  out_eReason = LoadError::kNone;
  return true;
}

}  // namespace qs

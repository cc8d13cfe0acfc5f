#include "text/clsTokenStream.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "analysis/clsFixups.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"

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
  std::FILE* f = std::fopen(path.c_str(), "wb");  // "wb" truncates an existing file
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return (std::fclose(f) == 0) && ok;
}

}  // namespace

clsTokenStream::clsTokenStream() {
  try {
    Reset(kGrowStep);
    m_bookMarks = std::make_shared<clsFixups>();
  } catch (...) {
  }
}

clsFixups& clsTokenStream::BookMarks() {
  if (!m_bookMarks) m_bookMarks = std::make_shared<clsFixups>();
  return *m_bookMarks;
}

clsTokenStream::~clsTokenStream() = default;

// The shared texts at their fixed offsets: empty, line end, single blank.
static constexpr std::string_view kArenaStart("\x00\x02\r\n\x01 ", 6);

void clsTokenStream::Reset(int32_t capacity) {
  std::vector<Record> records;
  records.reserve(static_cast<size_t>(kGrowStep) + 2);
  records.push_back(kEmptyRecord);  // the sentinel at -1
  m_arena.reset();
  m_arenaSize = 0;
  m_arenaCapacity = 0;
  GrowArena(4096);
  std::memcpy(m_arena.get(), kArenaStart.data(), kArenaStart.size());
  m_arenaSize = kArenaStart.size();
  m_records.swap(records);
  m_capacity = capacity;
  m_count = 0;
  m_cursor = 0;
}

const clsTokenStream::Record* clsTokenStream::Slot(int32_t pos) const {
  if (pos < -1 || pos > m_capacity) return nullptr;
  const auto i = static_cast<size_t>(pos) + 1;
  return i < m_records.size() ? &m_records[i] : &kEmptyRecord;
}

clsTokenStream::Record* clsTokenStream::WritableSlot(int32_t pos) {
  if (pos < 0 || pos > m_capacity) return nullptr;
  const auto i = static_cast<size_t>(pos) + 1;
  if (i >= m_records.size()) m_records.resize(i + 1, kEmptyRecord);
  return &m_records[i];
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
  char prefix[5];
  size_t n = 0;
  for (size_t len = text.size();; len >>= 7) {
    prefix[n++] = static_cast<char>((len & 0x7F) | (len >= 0x80 ? 0x80 : 0));
    if (len < 0x80) break;
  }
  if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()) ||
      m_arenaSize + n + text.size() > kArenaLimit)
    return kEmptyText;
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

std::string_view clsTokenStream::StoredText(const Record& r) const {
  size_t pos = r.offset;
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
  try {
    // The sentinel at -1 (reached by PrevPtr from 0) is never overwritten.
    if (m_cursor < 0) return;
    // The visible capacity grows by a fixed step; the records below it grow geometrically, so
    // appending stays amortised constant time.
    if (m_cursor >= m_capacity) m_capacity += kGrowStep;
    // Room for a short text, so the fast path can copy it without a check.
    GrowArena(m_arenaSize + 128);
    if (m_cursor + 1 == static_cast<int32_t>(m_records.size())) {
      // Appending behind the last record; done here rather than through AddToken so this path
      // can never bounce back into itself.
      const uint32_t offset = Intern(in_sToken);
      m_records.push_back(Record{in_lTokenCode, offset});
      ++m_count;
      ++m_cursor;
      YieldToWindowSystem();
      return;
    }
    // Appending after the cursor was moved back (overwriting) or ahead of the last record.
    Record* r = WritableSlot(m_cursor);
    if (!r) return;
    r->offset = Intern(in_sToken);
    r->code = in_lTokenCode;
    ++m_count;
    ++m_cursor;
  } catch (...) {
    return;
  }
  YieldToWindowSystem();
}

void clsTokenStream::Reserve(int32_t in_lTokens, size_t in_lTextBytes) {
  try {
    if (in_lTokens > 0) m_records.reserve(static_cast<size_t>(in_lTokens) + 2);
    GrowArena(m_arenaSize + in_lTextBytes + 128);
  } catch (...) {
  }
}

void clsTokenStream::SetTokenPtr(int32_t in_lPtr) {
  if (in_lPtr >= 0 && in_lPtr <= m_count) m_cursor = in_lPtr;
}

void clsTokenStream::NextPtr() {
  if (m_cursor <= m_count) ++m_cursor;
}

void clsTokenStream::PrevPtr() {
  if (m_cursor >= 0) --m_cursor;
}

void clsTokenStream::Clear() {
  try {
    Reset(kGrowStep);
  } catch (...) {
  }
}

int32_t clsTokenStream::TokenCodeAt(int32_t in_lPtr) const {
  const Record* r = Slot(in_lPtr);
  return r ? r->code : 0;
}

void clsTokenStream::SetTokenCode(int32_t in_lTokenCode) {
  try {
    if (Record* r = WritableSlot(m_cursor)) r->code = in_lTokenCode;
  } catch (...) {
  }
}

void clsTokenStream::MarkAsUndefined(int32_t in_lTokenCode) {
  MarkAsToken(in_lTokenCode, {});
}

void clsTokenStream::MarkAsToken(int32_t in_lTokenCode, std::string_view in_sTokenString) {
  try {
    Record* r = WritableSlot(m_cursor);
    if (!r) return;
    r->offset = Intern(in_sTokenString);
    r->code = in_lTokenCode;
  } catch (...) {
  }
}

std::string_view clsTokenStream::TokenStringAt(int32_t in_lPoint) const {
  const Record* r = Slot(in_lPoint);
  if (!r || r->code < 0) return {};
  if (r->code <= 255) return std::string_view(&kCharTable[static_cast<size_t>(r->code)], 1);
  return StoredText(*r);
}

void clsTokenStream::SetTokenString(std::string_view in_sTokenString) {
  SetTokenStringAt(m_cursor, in_sTokenString);
}

void clsTokenStream::SetTokenStringAt(int32_t in_lPoint, std::string_view in_sTokenString) {
  try {
    Record* r = WritableSlot(in_lPoint);
    if (!r) return;
    r->offset = Intern(in_sTokenString);
  } catch (...) {
  }
}

int32_t clsTokenStream::TokenLenAt(int32_t in_lPoint) const {
  const Record* r = Slot(in_lPoint);
  if (!r || r->code < 0) return 0;
  return r->code <= 255 ? 1 : static_cast<int32_t>(StoredText(*r).size());
}

std::string clsTokenStream::Text(int32_t in_lPoint) const {
  try {
    const int32_t first = in_lPoint < -1 ? -1 : in_lPoint;
    size_t total = 0;
    for (int32_t p = first; p < m_count; ++p) {
      if (TokenCodeAt(p) != TokUndefined) total += static_cast<size_t>(TokenLenAt(p));
    }
    std::string text;
    text.reserve(total);
    for (int32_t p = first; p < m_count; ++p) {
      if (TokenCodeAt(p) != TokUndefined) text.append(TokenStringAt(p));
      YieldToWindowSystem();
    }
    return text;
  } catch (...) {
    return std::string();
  }
}

bool clsTokenStream::SaveToFile(const std::string& in_sValue) const {
  try {
    // A text longer than the 16-bit length field would corrupt the dump: write nothing.
    for (const Record& r : m_records) {
      if (StoredText(r).size() > std::numeric_limits<uint16_t>::max()) return false;
    }
    std::string dump;
    dump.reserve(8 + (static_cast<size_t>(m_capacity) + 2) * kMinRecordBytes + m_arenaSize);
    PutInt32(dump, m_capacity);
    PutInt32(dump, m_count);
    for (int32_t pos = -1; pos <= m_capacity; ++pos) {
      const Record& r = *Slot(pos);
      const std::string_view text = StoredText(r);
      PutInt32(dump, r.code);
      PutUInt16(dump, static_cast<uint16_t>(text.size()));
      dump.append(text);
      PutInt32(dump, static_cast<int32_t>(text.size()));
    }
    return WriteWholeFile(in_sValue, dump);
  } catch (...) {
    return false;
  }
}

bool clsTokenStream::SavePointTextToFile(int32_t in_lPoint, const std::string& in_sFilename) const {
  try {
    std::error_code ec;
    std::filesystem::remove(in_sFilename, ec);
    return WriteWholeFile(in_sFilename, Text(in_lPoint));
  } catch (...) {
    return false;
  }
}

bool clsTokenStream::SaveTextToFile(const std::string& in_sValue) const {
  return SavePointTextToFile(0, in_sValue);
}

bool clsTokenStream::LoadFromFile(const std::string& in_sValue) {
  try {
    std::string data;
    {
      std::ifstream in(in_sValue, std::ios::binary);
      if (!in) {
        Reset(kGrowStep);
        return false;
      }
      data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      if (in.bad()) {
        Reset(kGrowStep);
        return false;
      }
    }
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
    m_records.resize(static_cast<size_t>(capacity) + 2, kEmptyRecord);
    for (Record& r : m_records) {
      int32_t code = 0;
      uint16_t n = 0;
      std::string_view text;
      int32_t length = 0;
      if (!reader.Int32(code) || !reader.UInt16(n) || !reader.Bytes(n, text) ||
          !reader.Int32(length) || length != static_cast<int32_t>(n)) {
        Reset(kGrowStep);
        return false;
      }
      r.code = code;
      r.offset = Intern(text);
    }
    m_records[0] = Record{0, kEmptyText};  // position -1 always reads as code 0
    m_capacity = capacity;
    m_count = count;
    m_cursor = 0;
    return true;
  } catch (...) {
    try {
      Reset(kGrowStep);
    } catch (...) {
    }
    return false;
  }
}

}  // namespace qs

#include "text/clsTokenStream.h"

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

void clsTokenStream::Reset(int32_t capacity) {
  m_records.assign(static_cast<size_t>(capacity) + 2, Record{0, 0, 0});
  m_arena.clear();
  m_capacity = capacity;
  m_count = 0;
  m_cursor = 0;
}

clsTokenStream::Record* clsTokenStream::Slot(int32_t pos) {
  if (pos < -1 || pos > m_capacity) return nullptr;
  return &m_records[static_cast<size_t>(pos) + 1];
}

const clsTokenStream::Record* clsTokenStream::Slot(int32_t pos) const {
  if (pos < -1 || pos > m_capacity) return nullptr;
  return &m_records[static_cast<size_t>(pos) + 1];
}

void clsTokenStream::StoreText(Record& r, std::string_view text) {
  if (text.empty()) {
    r.offset = 0;
    r.length = 0;
    return;
  }
  // Offsets are 32-bit; an arena that would outgrow them keeps the token's text empty.
  if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()) ||
      m_arena.size() + text.size() > std::numeric_limits<uint32_t>::max()) {
    r.offset = 0;
    r.length = 0;
    return;
  }
  r.offset = static_cast<uint32_t>(m_arena.size());
  m_arena.append(text.data(), text.size());
  r.length = static_cast<int32_t>(text.size());
}

void clsTokenStream::AddToken(int32_t in_lTokenCode, std::string_view in_sToken) {
  try {
    // The sentinel at -1 (reached by PrevPtr from 0) is never overwritten.
    if (m_cursor < 0) return;
    if (m_cursor >= m_capacity) {
      // The visible capacity grows by a fixed step; the vector below it grows geometrically, so
      // appending stays amortised constant time.
      const int32_t grown = m_capacity + kGrowStep;
      m_records.resize(static_cast<size_t>(grown) + 2, Record{0, 0, 0});
      m_capacity = grown;
    }
    Record& r = m_records[static_cast<size_t>(m_cursor) + 1];
    r.code = in_lTokenCode;
    StoreText(r, in_sToken);
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
    m_arena.reserve(in_lTextBytes);
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
  if (m_cursor < 0) return;
  if (Record* r = Slot(m_cursor)) r->code = in_lTokenCode;
}

void clsTokenStream::MarkAsUndefined(int32_t in_lTokenCode) {
  MarkAsToken(in_lTokenCode, {});
}

void clsTokenStream::MarkAsToken(int32_t in_lTokenCode, std::string_view in_sTokenString) {
  if (m_cursor < 0) return;
  Record* r = Slot(m_cursor);
  if (!r) return;
  try {
    StoreText(*r, in_sTokenString);
    r->code = in_lTokenCode;
  } catch (...) {
  }
}

std::string_view clsTokenStream::TokenStringAt(int32_t in_lPoint) const {
  const Record* r = Slot(in_lPoint);
  if (!r || r->code < 0) return {};
  if (r->code <= 255) return std::string_view(&kCharTable[static_cast<size_t>(r->code)], 1);
  if (r->length <= 0) return {};
  return std::string_view(m_arena.data() + r->offset, static_cast<size_t>(r->length));
}

void clsTokenStream::SetTokenString(std::string_view in_sTokenString) {
  SetTokenStringAt(m_cursor, in_sTokenString);
}

void clsTokenStream::SetTokenStringAt(int32_t in_lPoint, std::string_view in_sTokenString) {
  if (in_lPoint < 0) return;
  Record* r = Slot(in_lPoint);
  if (!r) return;
  try {
    StoreText(*r, in_sTokenString);
  } catch (...) {
  }
}

int32_t clsTokenStream::TokenLenAt(int32_t in_lPoint) const {
  const Record* r = Slot(in_lPoint);
  if (!r || r->code < 0) return 0;
  return r->code <= 255 ? 1 : r->length;
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
      if (r.length > std::numeric_limits<uint16_t>::max()) return false;
    }
    std::string dump;
    dump.reserve(8 + m_records.size() * kMinRecordBytes + m_arena.size());
    PutInt32(dump, m_capacity);
    PutInt32(dump, m_count);
    for (const Record& r : m_records) {
      const size_t n = r.length > 0 ? static_cast<size_t>(r.length) : 0;
      PutInt32(dump, r.code);
      PutUInt16(dump, static_cast<uint16_t>(n));
      dump.append(m_arena, n > 0 ? r.offset : 0, n);
      PutInt32(dump, static_cast<int32_t>(n));
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
    std::vector<Record> records(static_cast<size_t>(capacity) + 2, Record{0, 0, 0});
    std::string arena;
    for (Record& r : records) {
      int32_t code = 0;
      uint16_t n = 0;
      std::string_view text;
      int32_t length = 0;
      if (!reader.Int32(code) || !reader.UInt16(n) || !reader.Bytes(n, text) ||
          !reader.Int32(length) || length != static_cast<int32_t>(n) ||
          arena.size() + n > std::numeric_limits<uint32_t>::max()) {
        Reset(kGrowStep);
        return false;
      }
      r.code = code;
      r.offset = n > 0 ? static_cast<uint32_t>(arena.size()) : 0;
      r.length = n;
      arena.append(text);
    }
    records[0] = Record{0, 0, 0};  // position -1 always reads as code 0
    m_records.swap(records);
    m_arena.swap(arena);
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

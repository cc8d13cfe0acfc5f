// The tokens of one file with a cursor.
//
// A record is a code and a slice of one text arena, so appending a token costs no allocation of
// its own. Positions are 0-based; position -1 and every position past the appended tokens read
// as code 0 with an empty text.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "text/LoadError.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"

namespace qs {

class clsFixups;

class clsTokenStream {
 public:
  clsTokenStream();
  ~clsTokenStream();
  clsTokenStream(const clsTokenStream&) = delete;
  clsTokenStream& operator=(const clsTokenStream&) = delete;
  /// A stream with the same tokens, codes, texts and cursor (its book marks start empty): a file
  /// tokenized once is handed to each reader as a copy of its own. Throws std::bad_alloc when there
  /// is no memory for it.
  std::shared_ptr<clsTokenStream> Clone() const;

  /// Appends a token at the cursor; the cursor and the count move on by one.
  [[gnu::always_inline]] void AddToken(int32_t in_lTokenCode, std::string_view in_sToken) {
    // Fast path: appending behind the last written record, inside the visible capacity, with a
    // code that fits a record.
    if (m_cursor + 1 == static_cast<int32_t>(m_records.size()) && m_cursor < m_capacity &&
        static_cast<uint32_t>(in_lTokenCode) < kWideCode) {
      const size_t slot = m_records.size();
      // A new block's base is the arena's end before its first text is stored, so every text
      // appended for the block lies at or above it.
      if ((slot >> kBlockShift) >= m_bases.size())
        m_bases.push_back(static_cast<uint32_t>(m_arenaSize));
      const uint32_t offset = Intern(in_sToken);
      m_records.push_back(static_cast<uint32_t>(in_lTokenCode) |
                          (PackOffset(slot, offset) << kCodeBits));
      ++m_count;
      ++m_cursor;
      YieldPoint();
      return;
    }
    AddTokenSlow(in_lTokenCode, in_sToken);
  }

  /// The cursor. Setting it is ignored unless 0 <= in_lPtr <= Count().
  int32_t TokenPtr() const { return m_cursor; }
  void SetTokenPtr(int32_t in_lPtr) {
    if (in_lPtr >= 0 && in_lPtr <= m_count) m_cursor = in_lPtr;
  }
  /// cursor + 1, never beyond Count() + 1
  void NextPtr() {
    if (m_cursor <= m_count) ++m_cursor;
  }
  /// cursor - 1, never below -1
  void PrevPtr() {
    if (m_cursor >= 0) --m_cursor;
  }
  void GoBOS() { m_cursor = 0; }
  /// Empties the stream: capacity 1000, count 0, cursor 0.
  void Clear();
  /// True when the cursor is past the last token.
  bool EOS() const { return m_cursor > m_count - 1; }

  int32_t TokenCode() const { return TokenCodeAt(m_cursor); }
  void SetTokenCode(int32_t in_lTokenCode);
  int32_t TokenCodeAhead(int32_t in_lPtr) const { return TokenCodeAt(m_cursor + in_lPtr); }
  int32_t TokenCodePrev() const { return TokenCodeAt(m_cursor - 1); }
  /// Code at an absolute position; 0 outside the record table.
  int32_t TokenCodeAt(int32_t in_lPtr) const {
    // Position -1 is slot 0; every position past the written records reads as code 0.
    const auto i = static_cast<uint64_t>(static_cast<int64_t>(in_lPtr) + 1);
    if (i >= m_records.size()) return 0;
    const uint32_t code = m_records[i] & kCodeMask;
    return code != kWideCode ? static_cast<int32_t>(code) : WideCode(i);
  }

  /// Sets the code at the cursor and empties its text.
  void MarkAsUndefined(int32_t in_lTokenCode);
  /// Sets the code and the text at the cursor.
  void MarkAsToken(int32_t in_lTokenCode, std::string_view in_sTokenString);

  /// The text a reader sees at the cursor: the character itself for codes up to 255, else the
  /// stored text. The view stays valid until the stream is changed.
  std::string_view TokenString() const { return TokenStringAt(m_cursor); }
  std::string_view TokenStringAt(int32_t in_lPoint) const;
  /// Sets the stored text at the cursor (the code is unchanged).
  void SetTokenString(std::string_view in_sTokenString);
  void SetTokenStringAt(int32_t in_lPoint, std::string_view in_sTokenString);
  /// 1 for codes up to 255, else the stored length.
  int32_t TokenLen() const { return TokenLenAt(m_cursor); }
  int32_t TokenLenAt(int32_t in_lPoint) const;

  /// Gives every token from position in_lFrom to the last whose code is above in_lAbove (at
  /// least kLastCharacterCode, so only stored texts are read) the code in_fCodeOf answers for its
  /// text. One yield point per position passed. The cursor does not move.
  template <class CodeOf>
  void RecodeWords(int32_t in_lFrom, int32_t in_lAbove, CodeOf&& in_fCodeOf) {
    if (in_lFrom < 0 || in_lAbove < kLastCharacterCode) return;
    const size_t end = std::min(static_cast<size_t>(m_count) + 1, m_records.size());
    for (size_t i = static_cast<size_t>(in_lFrom) + 1; i < end; ++i) {
      YieldPoint();
      if (SlotCode(i) <= in_lAbove) continue;
      const uint32_t place = m_records[i] >> kCodeBits;
      const std::string_view text = place < kLowestMark
                                        ? StoredText(m_bases[i >> kBlockShift] + place)
                                        : StoredText(SlotOffset(i));
      StoreCode(i, in_fCodeOf(text));
    }
  }

  /// Appends to out the position of every token whose code is in_lCode (a code of 1 to 4094), in
  /// order: one pass over the records without reading any text (a line index, say).
  void AppendPositionsOf(int32_t in_lCode, std::vector<int32_t>& out) const {
    if (in_lCode <= 0 || static_cast<uint32_t>(in_lCode) >= kWideCode) return;
    const size_t end = std::min(static_cast<size_t>(m_count) + 1, m_records.size());
    const uint32_t* records = m_records.data();
    for (size_t i = 1; i < end; ++i) {
      if ((records[i] & kCodeMask) == static_cast<uint32_t>(in_lCode))
        out.push_back(static_cast<int32_t>(i) - 1);
    }
  }

  /// The text rebuilt from the tokens from in_lPoint to the end, skipping undefined tokens.
  std::string Text(int32_t in_lPoint) const;

  int32_t Count() const { return m_count; }
  /// Whether a token's text holds a line end (a string or bracketed name left open runs on to
  /// its closing character past line ends: a damaged file). The tokenizer says so.
  bool HoldsLineEnds() const { return m_holdsLineEnds; }
  void NoteLineEndsHeld() { m_holdsLineEnds = true; }
  /// The "#" tokens that open their lines (directives: #If, #Const, ...), each with its 1-based
  /// line, in order. The tokenizer notes them.
  const std::vector<std::pair<int32_t, int32_t>>& LineStartHashes() const {
    return m_lineStartHashes;
  }
  void NoteLineStartHash(int32_t in_lPos, int32_t in_lLine) {
    m_lineStartHashes.emplace_back(in_lPos, in_lLine);
  }
  /// Highest index of the record table; grows in steps of 1000.
  int32_t Capacity() const { return m_capacity; }

  /// Writes the record dump. False, and nothing written, when the file cannot be written or a
  /// text is longer than the dump's 16-bit length field holds. An existing file is replaced.
  bool SaveToFile(const std::string& in_sValue) const;
  /// Replaces the file with Text(in_lPoint) / Text(0). False when it cannot be written.
  bool SavePointTextToFile(int32_t in_lPoint, const std::string& in_sFilename) const;
  bool SaveTextToFile(const std::string& in_sValue) const;
  /// Reads a record dump. Every count and length is checked against the file's size; a missing,
  /// short or inconsistent dump leaves an empty stream and returns false, and out_eReason says
  /// why (kBadContent for a file that is not a whole dump; kTooLarge for one there is no memory
  /// to hold).
  bool LoadFromFile(const std::string& in_sValue, LoadError& out_eReason);
  bool LoadFromFile(const std::string& in_sValue) {
    LoadError reason = LoadError::kNone;
    return LoadFromFile(in_sValue, reason);
  }

  /// The stream's registry of name occurrences; created with the stream, empty during a run.
  clsFixups& BookMarks();

  /// Makes room for about in_lTokens tokens with in_lTextBytes bytes of text in all, so that a
  /// tokenizer appends without reallocating. Changes nothing a reader can see.
  void Reserve(int32_t in_lTokens, size_t in_lTextBytes);
  /// Gives back the room reserved beyond the tokens and texts stored so far (a tokenizer calls it
  /// when it is done, so a run that keeps every file's stream keeps no slack). Changes nothing a
  /// reader can see; appending afterwards grows the stream again.
  void ShrinkToFit();

 private:
  // A record is 4 bytes: the code in the low 12 bits and, in the high 20 bits, where its text
  // lies in the arena, counted from the base of the record's block of 64 slots. Every text in the
  // arena is stored as its length (7 bits per byte, low bits first, high bit set on all but the
  // last byte) followed by its bytes. The empty text, the line end and the single blank have
  // fixed places and their own marks. A code or a place a record cannot hold (a negative code, a
  // code above 4094, a text far above its block's base after a rewrite) is kept in a side table
  // keyed by slot, and the record holds the mark kWideCode / kWideOffset instead. Tokenizers
  // append texts in order, so the side tables stay empty in a documentation run.
  //
  // m_records holds the slots of positions -1 .. (last written position); the positions behind
  // it up to the capacity read as empty records, so appending never zero-fills ahead.
  static constexpr uint32_t kCodeBits = 12;
  static constexpr uint32_t kCodeMask = (1u << kCodeBits) - 1;
  static constexpr uint32_t kWideCode = kCodeMask;
  static constexpr uint32_t kWideOffset = (1u << (32 - kCodeBits)) - 1;
  static constexpr uint32_t kMarkBlank = kWideOffset - 1;
  static constexpr uint32_t kMarkLineEnd = kWideOffset - 2;
  static constexpr uint32_t kMarkEmpty = kWideOffset - 3;
  // Runs of 2 .. kSharedBlanks blanks (indentation, mostly: a quarter of a source file's bytes)
  // are not stored in the arena either. They have offsets of their own above every arena offset,
  // kSharedBase + the run's length, and marks below kMarkEmpty: kMarkEmpty + 1 - length.
  static constexpr uint32_t kSharedBlanks = 64;
  static constexpr uint32_t kLowestMark = kMarkEmpty + 1 - kSharedBlanks;
  static constexpr uint32_t kSharedBase = 0xFFFFFF80u;
  static constexpr uint32_t kBlockShift = 6;
  static constexpr uint32_t kEmptyText = 0;
  static constexpr uint32_t kLineEndText = 1;
  static constexpr uint32_t kBlankText = 4;
  static constexpr size_t kArenaLimit = 0xFFFFFF00u;
  static constexpr uint32_t kEmptyRecord = kMarkEmpty << kCodeBits;

  /// The slot index of a position for reading; -1 outside -1 .. capacity.
  int64_t SlotIndex(int32_t pos) const {
    return pos < -1 || pos > m_capacity ? -1 : static_cast<int64_t>(pos) + 1;
  }
  /// The code and the text offset of a slot (slots past the written records read as empty).
  int32_t SlotCode(size_t i) const {
    if (i >= m_records.size()) return 0;
    const uint32_t code = m_records[i] & kCodeMask;
    return code != kWideCode ? static_cast<int32_t>(code) : WideCode(i);
  }
  uint32_t SlotOffset(size_t i) const;
  int32_t WideCode(size_t i) const;
  /// The slot index of a position for writing, the record table grown to reach it; -1 outside
  /// 0 .. capacity (the sentinel at -1 is never written).
  int64_t WritableSlot(int32_t pos);
  /// Writes a slot's code / text offset, using the side tables where the record cannot hold it.
  void StoreCode(size_t i, int32_t code);
  void StoreOffset(size_t i, uint32_t offset);
  /// The 20-bit place of a text for a slot whose block exists; kWideOffset when it must go to the
  /// side table (which this then fills).
  uint32_t PackOffset(size_t slot, uint32_t offset) {
    if (offset == kEmptyText) return kMarkEmpty;
    if (offset == kLineEndText) return kMarkLineEnd;
    if (offset == kBlankText) return kMarkBlank;
    if (offset >= kSharedBase) return kMarkEmpty + 1 - (offset - kSharedBase);
    const uint32_t base = m_bases[slot >> kBlockShift];
    if (offset >= base && offset - base < kLowestMark) return offset - base;
    return PackWideOffset(slot, offset);
  }
  uint32_t PackWideOffset(size_t slot, uint32_t offset);
  /// Adds block bases until the blocks cover in_nSlots slots.
  void CoverSlots(size_t in_nSlots);
  /// Stores the text (or finds it among the shared ones) and returns its offset. Throws when
  /// memory runs out; a text the 32-bit offsets cannot reach is stored as empty.
  [[gnu::always_inline]] uint32_t Intern(std::string_view text) {
    if (text.empty()) return kEmptyText;
    if (text[0] == ' ') {
      if (text.size() == 1) return kBlankText;
      if (text.size() <= kSharedBlanks && IsBlankRun(text))
        return kSharedBase + static_cast<uint32_t>(text.size());
    }
    if (text.size() == 2 && text[0] == '\r' && text[1] == '\n') return kLineEndText;
    if (text.size() < 128 && m_arenaSize + 128 <= m_arenaCapacity && !InArena(text)) {
      char* p = m_arena.get() + m_arenaSize;
      *p = static_cast<char>(text.size());
      std::memcpy(p + 1, text.data(), text.size());
      const auto offset = static_cast<uint32_t>(m_arenaSize);
      m_arenaSize += 1 + text.size();
      return offset;
    }
    return InternSlow(text);
  }
  uint32_t InternSlow(std::string_view text);
  /// True when the text (at most kSharedBlanks bytes) is blanks only.
  static bool IsBlankRun(std::string_view text);
  /// True when the text is a view of the arena itself (growing the arena would move it).
  bool InArena(std::string_view text) const {
    const auto p = reinterpret_cast<uintptr_t>(text.data());
    const auto b = reinterpret_cast<uintptr_t>(m_arena.get());
    return p >= b && p < b + m_arenaSize;
  }
  void GrowArena(size_t needed);
  /// The text stored at an arena offset.
  std::string_view StoredText(uint32_t offset) const {
    // Texts shorter than 128 bytes (nearly all) have a one-byte length.
    if (offset < m_arenaSize) {
      const auto len = static_cast<unsigned char>(m_arena[offset]);
      if (len < 0x80 && offset + 1 + len <= m_arenaSize)
        return std::string_view(m_arena.get() + offset + 1, len);
    }
    return StoredTextSlow(offset);
  }
  std::string_view StoredTextSlow(uint32_t offset) const;
  void AddTokenSlow(int32_t in_lTokenCode, std::string_view in_sToken);
  void Reset(int32_t capacity);

  std::vector<uint32_t> m_records;
  std::vector<uint32_t> m_bases;  // arena offset each block of 64 slots counts from
  std::unordered_map<size_t, int32_t> m_wideCodes;
  std::unordered_map<size_t, uint32_t> m_wideOffsets;
  std::unique_ptr<char[]> m_arena;
  size_t m_arenaSize = 0;
  size_t m_arenaCapacity = 0;
  int32_t m_capacity = 0;
  int32_t m_cursor = 0;
  int32_t m_count = 0;
  bool m_holdsLineEnds = false;
  std::vector<std::pair<int32_t, int32_t>> m_lineStartHashes;
  std::shared_ptr<clsFixups> m_bookMarks;
};

}  // namespace qs

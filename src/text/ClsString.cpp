#include "text/ClsString.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>

#include "text/Cp1252.h"
#include "text/Keywords.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsToken.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

// Spare zero bytes kept behind the text.
constexpr int32_t kSlack = 260;

constexpr unsigned char kCR = 13;
constexpr unsigned char kLF = 10;

// What a byte can start. The tokenizer loop switches on these few small numbers (a dense jump
// table) instead of testing the byte against each rule in turn.
enum CharClass : uint8_t {
  kClassSingle = 0,  // any other byte: a single-character token
  kClassZero,        // the zero byte: no token
  kClassBlank,       // TAB and space
  kClassApostrophe,  // comment start
  kClassWord,        // letter or digit of the code page
  kClassQuote,       // string literal
  kClassBracket,     // "[": a bracketed name in form files
  kClassCR,
  kClassLF,
};

constexpr std::array<uint8_t, 256> MakeStartClass() {
  std::array<uint8_t, 256> t{};
  for (unsigned c = 0; c < 256; ++c) t[c] = kCp1252Alnum[c] ? kClassWord : kClassSingle;
  t[0] = kClassZero;
  t['\t'] = kClassBlank;
  t[' '] = kClassBlank;
  t['\''] = kClassApostrophe;
  t['"'] = kClassQuote;
  t['['] = kClassBracket;
  t[kCR] = kClassCR;
  t[kLF] = kClassLF;
  return t;
}
constexpr std::array<uint8_t, 256> kStartClass = MakeStartClass();

// Bytes that continue a word (and, for the word counts, may also start one).
constexpr std::array<uint8_t, 256> MakeWordByte() {
  std::array<uint8_t, 256> t = kCp1252Alnum;
  t['_'] = 1;
  return t;
}
constexpr std::array<uint8_t, 256> kWordByte = MakeWordByte();

// The switches that tell the five tokenizers apart.
struct TokenizerRules {
  bool comments;  // an apostrophe starts a comment (else it is token 39)
  bool brackets;  // "[" starts a bracketed name (else it is token 91)
  bool layout;    // blanks, comments and line ends become tokens and keywords keep their text
  bool yieldPerStep;
};

constexpr TokenizerRules kCodeRules{true, false, true, false};
constexpr TokenizerRules kProjectRules{false, false, true, true};
constexpr TokenizerRules kFormRules{true, true, true, true};
constexpr TokenizerRules kClassRules{true, false, true, true};
constexpr TokenizerRules kReducedRules{true, false, false, true};

// Reads the construct that opens with `open` at p: through the next `close`, or to the end of
// the text when there is none. Returns the position after it.
inline int32_t ScanDelimited(const unsigned char* b, int32_t p, int32_t end, unsigned char close) {
  ++p;  // the opening character
  const void* hit = std::memchr(b + p, close, static_cast<size_t>(end - p));
  if (!hit) return end;
  return static_cast<int32_t>(static_cast<const unsigned char*>(hit) - b) + 1;
}

// Whether the bytes [from, to) hold a CR or an LF: a delimited token left open that runs on.
inline bool HoldsLineEnd(const unsigned char* b, int32_t from, int32_t to) {
  const auto n = static_cast<size_t>(to - from);
  return std::memchr(b + from, kLF, n) != nullptr || std::memchr(b + from, kCR, n) != nullptr;
}

// Whether the next token of the stream opens its line: no token before it on the line but blanks.
inline bool OpensLine(const clsTokenStream& out) {
  int32_t last = out.Count() - 1;
  if (last >= 0 && out.TokenCodeAt(last) == TokWhiteSpace) --last;
  return last < 0 || out.TokenCodeAt(last) == TokEndOfLine;
}

// The one tokenizer loop. Scanning stops at the end of the text: the spare bytes behind it never
// become part of a token, not even of a string, comment or bracketed name left open.
template <TokenizerRules R>
void RunTokenizer(const unsigned char* b, int32_t end, const clsToken& keywords,
                  clsTokenStream& out) {
  const auto text = [b](int32_t from, int32_t to) {
    return std::string_view(reinterpret_cast<const char*>(b) + from,
                            static_cast<size_t>(to - from));
  };
  int32_t p = 0;
  int32_t line = 1;  // of the line-end tokens written so far
  while (p < end) {
    if constexpr (R.yieldPerStep) YieldPoint();
    const unsigned char c = b[p];
    const int32_t start = p;
    switch (kStartClass[c]) {
      case kClassBlank:  // run of blanks and tabs
        do ++p;
        while (p < end && (b[p] == ' ' || b[p] == '\t'));
        if constexpr (R.layout) out.AddToken(TokWhiteSpace, text(start, p));
        break;
      case kClassApostrophe:  // comment up to (not including) the line end
        if constexpr (R.comments) {
          ++p;
          while (p < end && b[p] != kCR && b[p] != kLF) ++p;
          if constexpr (R.layout) out.AddToken(TokComment, text(start, p));
        } else {
          out.AddToken(c, {});
          ++p;
        }
        break;
      case kClassWord: {  // keyword or identifier (numbers included)
        // The keyword hash is computed while the word is read; it covers only the first
        // kHashedBytes bytes, so a longer word is hashed again.
        uint32_t hash = clsHashTable::HashStart(c);
        ++p;
        while (p < end && kWordByte[b[p]]) {
          hash = clsHashTable::HashStep(hash, b[p]);
          ++p;
        }
        if (static_cast<size_t>(p - start) > clsHashTable::kHashedBytes)
          hash = static_cast<uint32_t>(clsHashTable::FullHash(text(start, p)));
        const std::string_view word = text(start, p);
        const int32_t code = keywords.CodeOfHashed(word, static_cast<int32_t>(hash));
        if constexpr (R.layout) {
          out.AddToken(code, word);
        } else {
          out.AddToken(code, code != TokIdentifier ? std::string_view() : word);
        }
        break;
      }
      case kClassQuote:  // string literal; a doubled quote continues it
        do p = ScanDelimited(b, p, end, '"');
        while (p < end && b[p] == '"');
        if (HoldsLineEnd(b, start, p)) out.NoteLineEndsHeld();
        out.AddToken(TokString, text(start, p));
        break;
      case kClassBracket:  // bracketed name (form files only)
        if constexpr (R.brackets) {
          p = ScanDelimited(b, p, end, ']');
          if (HoldsLineEnd(b, start, p)) out.NoteLineEndsHeld();
          out.AddToken(TokIdentifier, text(start, p));
        } else {
          out.AddToken(c, {});
          ++p;
        }
        break;
      case kClassCR:  // CR LF, bare CR: one line end
        ++p;
        if (p < end && b[p] == kLF) ++p;
        if constexpr (R.layout) out.AddToken(TokEndOfLine, "\r\n");
        ++line;
        break;
      case kClassLF:  // bare LF: one line end
        ++p;
        if constexpr (R.layout) out.AddToken(TokEndOfLine, "\r\n");
        ++line;
        break;
      case kClassZero:  // no token
        ++p;
        break;
      default:  // single character
        // A "#" that opens its line (after blanks at most) starts a directive (#If, #Const):
        // the stream keeps where, for the readers of conditional compilation.
        if constexpr (R.layout)
          if (c == '#' && OpensLine(out)) out.NoteLineStartHash(out.Count(), line);
        out.AddToken(c, {});
        ++p;
        break;
    }
  }
}

template <TokenizerRules R>
void RunWithTable(const unsigned char* b, int32_t end, KeywordTable table,
                  std::shared_ptr<clsToken>& keywords, std::shared_ptr<clsTokenStream>& stream) {
  stream = std::make_shared<clsTokenStream>();
  if (!keywords) keywords = std::make_shared<clsToken>();
  keywords->InitialiseTable(table);
  // Token texts are slices of the text (plus one CR LF per line end), so one arena of about the
  // text's size holds them all.
  // Typical code has a token every three to four bytes.
  stream->Reserve(end / 3 + 1024, static_cast<size_t>(end) + static_cast<size_t>(end) / 8);
  RunTokenizer<R>(b, end, *keywords, *stream);
  // Every file's stream lives for the whole run: keep no reserved room beyond its tokens.
  stream->ShrinkToFit();
}

}  // namespace

ClsString::ClsString() {
  SetAllocateBufferSize(kSlack);
  m_length = 0;
}

void ClsString::SetAllocateBufferSize(int32_t in_lvalue) {
  if (in_lvalue < 0 || in_lvalue > std::numeric_limits<int32_t>::max() - kSlack - 1) return;
  m_buffer.resize(static_cast<size_t>(in_lvalue) + kSlack + 1, 0);
  m_length = in_lvalue;
  m_capacity = in_lvalue + kSlack;
}

void ClsString::TokenizeEx(std::shared_ptr<clsToken>& in_KWTokens,
                           std::shared_ptr<clsTokenStream>& out_tokenStream) const {
  RunWithTable<kCodeRules>(Data(), m_length, KeywordTable::kCode, in_KWTokens, out_tokenStream);
}

void ClsString::TokenizeVBP(std::shared_ptr<clsToken>& in_KWTokens,
                            std::shared_ptr<clsTokenStream>& out_tokenStream) const {
  RunWithTable<kProjectRules>(Data(), m_length, KeywordTable::kProject, in_KWTokens,
                              out_tokenStream);
}

void ClsString::TokenizeForm(std::shared_ptr<clsToken>& in_KWTokens,
                             std::shared_ptr<clsTokenStream>& out_tokenStream) const {
  RunWithTable<kFormRules>(Data(), m_length, KeywordTable::kForm, in_KWTokens, out_tokenStream);
}

void ClsString::TokenizeClass(std::shared_ptr<clsToken>& in_KWTokens,
                              std::shared_ptr<clsTokenStream>& out_tokenStream) const {
  RunWithTable<kClassRules>(Data(), m_length, KeywordTable::kClass, in_KWTokens, out_tokenStream);
}

void ClsString::Tokenize(std::shared_ptr<clsToken>& in_KWTokens,
                         std::shared_ptr<clsTokenStream>& out_tokenStream) const {
  RunWithTable<kReducedRules>(Data(), m_length, KeywordTable::kCode, in_KWTokens, out_tokenStream);
}

int32_t ClsString::WordCount() const {
  int32_t count = 0;
  bool inWord = false;
  for (int32_t i = 0; i < m_length; ++i) {
    const bool w = kWordByte[m_buffer[static_cast<size_t>(i)]] != 0;
    if (w && !inWord) ++count;
    inWord = w;
  }
  return count;
}

std::string ClsString::Word(int32_t in_lvalue) const {
  if (in_lvalue <= 0) return std::string();
  int32_t count = 0;
  int32_t i = 0;
  while (i < m_length) {
    if (!kWordByte[m_buffer[static_cast<size_t>(i)]]) {
      ++i;
      continue;
    }
    const int32_t start = i;
    while (i < m_length && kWordByte[m_buffer[static_cast<size_t>(i)]]) ++i;
    if (++count == in_lvalue) {
      return std::string(reinterpret_cast<const char*>(Data()) + start,
                         static_cast<size_t>(i - start));
    }
  }
  return std::string();
}

int32_t ClsString::LineCount() const {
  int32_t count = 0;
  for (int32_t i = 0; i + 1 < m_length; ++i) {
    if (m_buffer[static_cast<size_t>(i)] == kCR && m_buffer[static_cast<size_t>(i) + 1] == kLF)
      ++count;
  }
  return count;
}

void ClsString::WordLineCount(int32_t& inout_lwc, int32_t& inout_llc) const {
  int32_t words = 0;
  int32_t lines = 0;
  bool inWord = false;
  for (int32_t i = 0; i < m_length; ++i) {
    const unsigned char c = m_buffer[static_cast<size_t>(i)];
    if (c == kCR && i + 1 < m_length && m_buffer[static_cast<size_t>(i) + 1] == kLF) {
      ++lines;
      inWord = false;
    } else if (kWordByte[c]) {
      if (!inWord) ++words;
      inWord = true;
    } else {
      inWord = false;
    }
  }
  inout_lwc = words;
  inout_llc = lines;
}

std::string ClsString::Text() const {
  return std::string(reinterpret_cast<const char*>(Data()), static_cast<size_t>(m_length));
}

void ClsString::SetText(std::string_view in_sValue) {
  if (in_sValue.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() - kSlack - 1))
    return;
  const auto n = static_cast<int32_t>(in_sValue.size());
  SetAllocateBufferSize(n);
  if (m_length != n) return;  // the buffer could not grow
  if (n > 0) std::memcpy(m_buffer.data(), in_sValue.data(), in_sValue.size());
}

static_assert(ClsString::kMaxFileBytes == std::numeric_limits<int32_t>::max() - kSlack - 1);

bool ClsString::LoadFromFile(const std::string& in_sValue, LoadError& out_eReason) {
  std::uintmax_t size = 0;
  out_eReason = MeasureFile(in_sValue, size);
  if (out_eReason != LoadError::kNone) return false;
  if (size > static_cast<std::uintmax_t>(kMaxFileBytes)) {
    out_eReason = LoadError::kTooLarge;
    return false;
  }
  const auto n = static_cast<int32_t>(size);
  // A fresh buffer: whatever the file does not supply reads as zero bytes, the slack included,
  // even when this object held a longer text before. No memory for it (std::bad_alloc) goes on
  // to the caller, the object keeping its text.
  std::vector<unsigned char> previous;
  previous.swap(m_buffer);
  try {
    SetAllocateBufferSize(n);
  } catch (const std::bad_alloc&) {
    m_buffer.swap(previous);
    throw;  // out of memory fails the run at its boundary
  }
  out_eReason = ReadFileBytes(in_sValue, m_buffer.data(), static_cast<size_t>(n));
  if (out_eReason != LoadError::kNone) {
    std::fill(m_buffer.begin(), m_buffer.end(), 0);
    return false;
  }
  return true;
}

void ClsString::SetLength(int32_t in_lvalue) {
  if (in_lvalue < 0) {
    m_length = 0;
  } else if (in_lvalue <= m_capacity) {
    m_length = in_lvalue;
  } else {
    m_length = m_capacity - 1;
  }
}

std::string ClsString::Char(int32_t in_lvalue) const {
  if (m_buffer.empty()) return std::string(1, '\0');
  const int32_t i = std::clamp(in_lvalue, 0, m_capacity);
  return std::string(1, static_cast<char>(m_buffer[static_cast<size_t>(i)]));
}

}  // namespace qs

// The single-byte text of one input file, and the tokenizers that run over it.
//
// The buffer always holds 260 spare zero bytes behind the text, so a scanner may look a byte or
// two past the end without a bounds test.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/LoadError.h"

namespace qs {

class clsToken;
class clsTokenStream;

class ClsString {
 public:
  ClsString();

  /// Length = in_lvalue, Capacity = in_lvalue + 260; existing bytes are kept, new ones are zero.
  void SetAllocateBufferSize(int32_t in_lvalue);

  /// Tokenizers. in_KWTokens is created when empty and handed back; its table initialiser is
  /// always called. out_tokenStream always receives a new stream with its cursor at the end.
  void TokenizeEx(std::shared_ptr<clsToken>& in_KWTokens,
                  std::shared_ptr<clsTokenStream>& out_tokenStream) const;
  void TokenizeVBP(std::shared_ptr<clsToken>& in_KWTokens,
                   std::shared_ptr<clsTokenStream>& out_tokenStream) const;
  void TokenizeForm(std::shared_ptr<clsToken>& in_KWTokens,
                    std::shared_ptr<clsTokenStream>& out_tokenStream) const;
  void TokenizeClass(std::shared_ptr<clsToken>& in_KWTokens,
                     std::shared_ptr<clsTokenStream>& out_tokenStream) const;
  void Tokenize(std::shared_ptr<clsToken>& in_KWTokens,
                std::shared_ptr<clsTokenStream>& out_tokenStream) const;

  /// Word and line counts (a CR LF pair is a line end here).
  int32_t WordCount() const;
  /// The n-th word (1-based), or "".
  std::string Word(int32_t in_lvalue) const;
  int32_t LineCount() const;
  void WordLineCount(int32_t& inout_lwc, int32_t& inout_llc) const;

  /// The text bytes 0 .. Length - 1.
  std::string Text() const;
  void SetText(std::string_view in_sValue);

  /// The largest file LoadFromFile takes: the largest Length, which leaves room in a 32-bit
  /// index for the 260 spare bytes and one more.
  static constexpr int32_t kMaxFileBytes = std::numeric_limits<int32_t>::max() - 261;

  /// Loads the whole file. A file that does not exist, cannot be measured or is larger than
  /// kMaxFileBytes leaves the object unchanged; one that cannot be read, or came short, leaves
  /// Length at its size and zero bytes in the buffer. Returns true when the file was read
  /// completely; out_eReason says why not (kNone when it was). No memory for the file's bytes
  /// throws std::bad_alloc, the object unchanged.
  bool LoadFromFile(const std::string& in_sValue, LoadError& out_eReason);
  bool LoadFromFile(const std::string& in_sValue) {
    LoadError reason = LoadError::kNone;
    return LoadFromFile(in_sValue, reason);
  }

  int32_t Length() const { return m_length; }
  /// Sets Length; a value above Capacity gives Capacity - 1. The buffer is not resized.
  void SetLength(int32_t in_lvalue);
  int32_t Capacity() const { return m_capacity; }
  /// The byte at the index (clamped to 0 .. Capacity) as a one-character string.
  std::string Char(int32_t in_lvalue) const;

  /// Raw view of the buffer (Capacity + 1 bytes), for scanners.
  const unsigned char* Data() const { return m_buffer.data(); }

 private:
  std::vector<unsigned char> m_buffer;  // indices 0 .. Capacity
  int32_t m_capacity = 0;
  int32_t m_length = 0;
};

}  // namespace qs

// A strict little JSON reader for tests: parses a whole text into a tree, or says where it is not
// JSON. Strings come back as UTF-8 with their escapes decoded.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qs::test {

struct JsonValue {
  enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
  bool b = false;
  int64_t n = 0;
  std::string s;
  std::vector<JsonValue> items;                            ///< array elements
  std::vector<std::pair<std::string, JsonValue>> members;  ///< object members, in order

  bool IsNull() const { return kind == Null; }
  /// The member with this name; a null value when there is none (or this is not an object).
  const JsonValue& operator[](std::string_view key) const {
    static const JsonValue none;
    for (const auto& [k, v] : members)
      if (k == key) return v;
    return none;
  }
  const JsonValue& operator[](size_t i) const {
    static const JsonValue none;
    return i < items.size() ? items[i] : none;
  }
  bool Has(std::string_view key) const {
    for (const auto& m : members)
      if (m.first == key) return true;
    return false;
  }
  std::vector<std::string> Keys() const {
    std::vector<std::string> k;
    for (const auto& m : members) k.push_back(m.first);
    return k;
  }
};

class JsonReader {
 public:
  /// Parses the whole text; false (with Error() set) when it is not exactly one JSON value.
  bool Parse(std::string_view text, JsonValue& out) {
    t_ = text;
    i_ = 0;
    err_.clear();
    if (!Value(out, 0)) return false;
    Ws();
    if (i_ != t_.size()) return Fail("trailing text");
    return true;
  }
  const std::string& Error() const { return err_; }

 private:
  bool Fail(const std::string& what) {
    if (err_.empty()) err_ = what + " at offset " + std::to_string(i_);
    return false;
  }
  void Ws() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\n' || t_[i_] == '\r' || t_[i_] == '\t'))
      ++i_;
  }
  bool Lit(std::string_view word) {
    if (t_.substr(i_, word.size()) != word) return Fail("bad literal");
    i_ += word.size();
    return true;
  }
  static void PutUtf8(std::string& o, unsigned cp) {
    if (cp < 0x80) {
      o += static_cast<char>(cp);
    } else if (cp < 0x800) {
      o += static_cast<char>(0xC0 | (cp >> 6));
      o += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      o += static_cast<char>(0xE0 | (cp >> 12));
      o += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      o += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  bool Str(std::string& o) {
    if (i_ >= t_.size() || t_[i_] != '"') return Fail("string expected");
    ++i_;
    while (i_ < t_.size()) {
      const unsigned char c = static_cast<unsigned char>(t_[i_]);
      if (c == '"') {
        ++i_;
        return true;
      }
      if (c < 0x20) return Fail("raw control character in string");
      if (c != '\\') {
        o += static_cast<char>(c);
        ++i_;
        continue;
      }
      if (++i_ >= t_.size()) break;
      const char e = t_[i_++];
      switch (e) {
        case '"':
          o += '"';
          break;
        case '\\':
          o += '\\';
          break;
        case '/':
          o += '/';
          break;
        case 'b':
          o += '\b';
          break;
        case 'f':
          o += '\f';
          break;
        case 'n':
          o += '\n';
          break;
        case 'r':
          o += '\r';
          break;
        case 't':
          o += '\t';
          break;
        case 'u': {
          if (i_ + 4 > t_.size()) return Fail("short \\u escape");
          const std::string hex(t_.substr(i_, 4));
          char* end = nullptr;
          const unsigned long cp = std::strtoul(hex.c_str(), &end, 16);
          if (end != hex.c_str() + 4) return Fail("bad \\u escape");
          PutUtf8(o, static_cast<unsigned>(cp));
          i_ += 4;
          break;
        }
        default:
          return Fail("bad escape");
      }
    }
    return Fail("unterminated string");
  }
  bool Value(JsonValue& v, int depth) {
    if (depth > 64) return Fail("too deep");
    Ws();
    if (i_ >= t_.size()) return Fail("value expected");
    const char c = t_[i_];
    if (c == 'n') return Lit("null");
    if (c == 't' || c == 'f') {
      v.kind = JsonValue::Bool;
      v.b = c == 't';
      return Lit(v.b ? "true" : "false");
    }
    if (c == '"') {
      v.kind = JsonValue::String;
      return Str(v.s);
    }
    if (c == '-' || (c >= '0' && c <= '9')) {
      v.kind = JsonValue::Number;
      size_t start = i_;
      if (t_[i_] == '-') ++i_;
      while (i_ < t_.size() && t_[i_] >= '0' && t_[i_] <= '9') ++i_;
      if (i_ == start || (t_[start] == '-' && i_ == start + 1)) return Fail("bad number");
      v.n = std::strtoll(std::string(t_.substr(start, i_ - start)).c_str(), nullptr, 10);
      return true;
    }
    if (c == '[') {
      v.kind = JsonValue::Array;
      ++i_;
      Ws();
      if (i_ < t_.size() && t_[i_] == ']') return ++i_, true;
      for (;;) {
        v.items.emplace_back();
        if (!Value(v.items.back(), depth + 1)) return false;
        Ws();
        if (i_ < t_.size() && t_[i_] == ',') {
          ++i_;
          continue;
        }
        if (i_ < t_.size() && t_[i_] == ']') return ++i_, true;
        return Fail("',' or ']' expected");
      }
    }
    if (c == '{') {
      v.kind = JsonValue::Object;
      ++i_;
      Ws();
      if (i_ < t_.size() && t_[i_] == '}') return ++i_, true;
      for (;;) {
        Ws();
        std::string key;
        if (!Str(key)) return false;
        if (v.Has(key)) return Fail("duplicate key " + key);
        Ws();
        if (i_ >= t_.size() || t_[i_] != ':') return Fail("':' expected");
        ++i_;
        v.members.emplace_back(key, JsonValue{});
        if (!Value(v.members.back().second, depth + 1)) return false;
        Ws();
        if (i_ < t_.size() && t_[i_] == ',') {
          ++i_;
          continue;
        }
        if (i_ < t_.size() && t_[i_] == '}') return ++i_, true;
        return Fail("',' or '}' expected");
      }
    }
    return Fail("unexpected character");
  }

  std::string_view t_;
  size_t i_ = 0;
  std::string err_;
};

}  // namespace qs::test

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "io/JsonWriter.h"
#include "support/JsonCheck.h"

namespace qs {
namespace {

// The document a writer's calls make, written by the writer of that form into a text in memory.
template <bool kIndented>
std::string Written(const std::function<void(JsonWriter<JsonTextOutput, kIndented>&)>& in_fCalls,
                    bool* out_pOk = nullptr) {
  std::string text;
  JsonTextOutput out(text);
  JsonWriter<JsonTextOutput, kIndented> j(out);
  in_fCalls(j);
  if (out_pOk) *out_pOk = j.Ok();
  out.Finish();
  return text;
}

template <bool kIndented>
void NestedDocument(JsonWriter<JsonTextOutput, kIndented>& j) {
  j.StartObject();
  j.Key("a");
  j.Int64(-12);
  j.Key("list");
  j.StartArray();
  j.Bool(true);
  j.Null();
  j.StartArray();
  j.EndArray();
  j.StartObject();
  j.EndObject();
  j.Int64(INT64_MIN);
  j.EndArray();
  j.Key("s");
  j.StringUtf8("x");
  j.EndObject();
}

TEST(JsonWriter, NestedStructureIsIndentedOrCompactAndComplete) {
  bool ok = false;
  EXPECT_EQ(Written<true>(NestedDocument<true>, &ok),
            "{\n"
            "  \"a\": -12,\n"
            "  \"list\": [\n"
            "    true,\n"
            "    null,\n"
            "    [],\n"
            "    {},\n"
            "    -9223372036854775808\n"
            "  ],\n"
            "  \"s\": \"x\"\n"
            "}");
  EXPECT_TRUE(ok);
  ok = false;
  EXPECT_EQ(Written<false>(NestedDocument<false>, &ok),
            "{\"a\":-12,\"list\":[true,null,[],{},-9223372036854775808],\"s\":\"x\"}");
  EXPECT_TRUE(ok);
}

TEST(JsonWriter, EscapesQuotesBackslashesAndControlCharacters) {
  const std::string raw("a\"b\\c\b\f\n\r\td\x01\x1F\x7F", 14);
  // The checked form: DEL escaped too, hexadecimal digits in small letters.
  std::string out;
  AppendJsonEscaped(out, raw);
  EXPECT_EQ(out, "a\\\"b\\\\c\\b\\f\\n\\r\\td\\u0001\\u001f\\u007f");
  out.clear();
  AppendJsonEscaped(out, std::string("nul\0end", 7));
  EXPECT_EQ(out, "nul\\u0000end");
  // "/" and non-ASCII letters pass unchanged.
  out.clear();
  AppendJsonEscaped(out, "a/b \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_EQ(out, "a/b \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");

  // String and Key: the bytes as they are but '"', '\' and U+0000-U+001F, in capitals; StringUtf8
  // the checked form, in both forms of the writer.
  const auto calls = [&](auto& j) {
    j.StartObject();
    j.Key(std::string("k\"\x1F", 3));
    j.String(raw);
    j.Key("u");
    j.StringUtf8(raw);
    j.EndObject();
  };
  EXPECT_EQ(Written<false>(calls),
            "{\"k\\\"\\u001F\":\"a\\\"b\\\\c\\b\\f\\n\\r\\td\\u0001\\u001F\x7F\","
            "\"u\":\"a\\\"b\\\\c\\b\\f\\n\\r\\td\\u0001\\u001f\\u007f\"}");
  EXPECT_EQ(Written<true>(calls),
            "{\n  \"k\\\"\\u001F\": \"a\\\"b\\\\c\\b\\f\\n\\r\\td\\u0001\\u001F\x7F\",\n"
            "  \"u\": \"a\\\"b\\\\c\\b\\f\\n\\r\\td\\u0001\\u001f\\u007f\"\n}");
}

TEST(JsonWriter, InvalidUtf8BecomesReplacementCharacters) {
  const char* const invalid =
      "a\x80"
      "b\xC3"
      "c\xC0\xAF"
      "d\xED\xA0\x80";
  const char* const replaced =
      "a\xEF\xBF\xBD"
      "b\xEF\xBF\xBD"
      "c\xEF\xBF\xBD\xEF\xBF\xBD"
      "d\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD";
  std::string out;
  // A lone continuation byte, a lead byte without continuation, an overlong "/", a surrogate.
  AppendJsonEscaped(out, invalid);
  EXPECT_EQ(out, replaced);
  // StringUtf8 checks; String keeps the bytes (its text is UTF-8 already).
  EXPECT_EQ(Written<false>([&](auto& j) {
              j.StartArray();
              j.StringUtf8(invalid);
              j.String(invalid);
              j.EndArray();
            }),
            std::string("[\"") + replaced + "\",\"" + invalid + "\"]");
}

TEST(JsonWriter, Cp1252StringsAreConvertedToUtf8) {
  bool ok = false;
  // e acute, euro sign, left double quote, an undefined byte (a C1 control, escaped), a quote.
  const std::string text = Written<true>(
      [](auto& j) {
        j.StartArray();
        j.String1252("\xE9\x80\x93\x81\"");
        j.EndArray();
      },
      &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(text, "[\n  \"\xC3\xA9\xE2\x82\xAC\xE2\x80\x9C\\u0081\\\"\"\n]");
  test::JsonValue v;
  test::JsonReader r;
  ASSERT_TRUE(r.Parse(text, v)) << r.Error();
  EXPECT_EQ(v[0].s, "\xC3\xA9\xE2\x82\xAC\xE2\x80\x9C\xC2\x81\"");
}

TEST(JsonWriter, CallsOutOfOrderMarkTheDocumentNotOk) {
  using Writer = JsonWriter<JsonTextOutput, true>;
  const struct {
    const char* what;
    std::function<void(Writer&)> calls;
  } cases[] = {
      {"a member without a key",
       [](Writer& j) {
         j.StartObject();
         j.Int64(1);
         j.EndObject();
       }},
      {"a key outside an object",
       [](Writer& j) {
         j.StartArray();
         j.Key("k");
         j.EndArray();
       }},
      {"a key where a value is expected",
       [](Writer& j) {
         j.StartObject();
         j.Key("k");
         j.Key("v");
         j.EndObject();
       }},
      {"mismatched end",
       [](Writer& j) {
         j.StartArray();
         j.EndObject();
       }},
      {"an end with nothing open",
       [](Writer& j) {
         j.Null();
         j.EndArray();
       }},
      {"a key whose value never came",
       [](Writer& j) {
         j.StartObject();
         j.Key("k");
         j.EndObject();
       }},
      {"unfinished", [](Writer& j) { j.StartObject(); }},
      {"two outermost values",
       [](Writer& j) {
         j.Null();
         j.Null();
       }},
      {"nothing written", [](Writer&) {}},
  };
  for (const auto& c : cases) {
    bool ok = true;
    Written<true>(c.calls, &ok);
    EXPECT_FALSE(ok) << c.what;
  }
  // Reset starts a new document: a complete one is Ok again.
  std::string text;
  JsonTextOutput out(text);
  Writer j(out);
  j.StartArray();
  j.Reset(out);
  out.Start();
  j.StartArray();
  j.Int64(7);
  j.EndArray();
  EXPECT_TRUE(j.Ok());
  out.Finish();
  EXPECT_EQ(text, "[\n  7\n]");
}

TEST(JsonWriter, TextOutputReusesItsBufferAndGrowsPastIt) {
  std::string buffer;
  JsonTextOutput out(buffer);
  // Longer than the first room made, in pieces of every length up to the short copies' limit.
  std::string expected;
  for (size_t n = 0; n < 600; ++n) {
    const std::string piece(n % 20, static_cast<char>('a' + n % 26));
    out.Append(piece);
    out.AppendQuoted(piece);
    out.Put(';');
    expected += piece + '"' + piece + "\";";
  }
  ASSERT_EQ(out.Used(), expected.size());
  EXPECT_EQ(std::string_view(buffer).substr(0, out.Used()), expected);
  // Started again, the text begins at the buffer's start and the room is kept.
  const size_t room = buffer.size();
  out.Start();
  out.AppendQuoted("x");
  EXPECT_EQ(out.Used(), 3u);
  EXPECT_EQ(buffer.size(), room);
  out.Finish();
  EXPECT_EQ(buffer, "\"x\"");
}

}  // namespace
}  // namespace qs

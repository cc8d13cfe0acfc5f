#include <gtest/gtest.h>

#include <string>

#include "io/JsonWriter.h"
#include "support/JsonCheck.h"

namespace qs {
namespace {

TEST(JsonWriter, NestedStructureIsIndentedAndComplete) {
  JsonWriter j;
  j.BeginObject();
  j.Key("a");
  j.Number(-12);
  j.Key("list");
  j.BeginArray();
  j.Bool(true);
  j.Null();
  j.BeginArray();
  j.EndArray();
  j.BeginObject();
  j.EndObject();
  j.EndArray();
  j.Key("s");
  j.StringUtf8("x");
  j.EndObject();
  ASSERT_TRUE(j.Ok());
  EXPECT_EQ(j.Text(),
            "{\n"
            "  \"a\": -12,\n"
            "  \"list\": [\n"
            "    true,\n"
            "    null,\n"
            "    [],\n"
            "    {}\n"
            "  ],\n"
            "  \"s\": \"x\"\n"
            "}\n");
}

TEST(JsonWriter, EscapesQuotesBackslashesAndControlCharacters) {
  std::string out;
  JsonWriter::AppendEscaped(out, std::string("a\"b\\c\b\f\n\r\td\x01\x1F\x7F", 14));
  EXPECT_EQ(out, "a\\\"b\\\\c\\b\\f\\n\\r\\td\\u0001\\u001f\\u007f");
  out.clear();
  JsonWriter::AppendEscaped(out, std::string("nul\0end", 7));
  EXPECT_EQ(out, "nul\\u0000end");
  // "/" and non-ASCII letters pass unchanged.
  out.clear();
  JsonWriter::AppendEscaped(out, "a/b \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_EQ(out, "a/b \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
}

TEST(JsonWriter, InvalidUtf8BecomesReplacementCharacters) {
  std::string out;
  // A lone continuation byte, a lead byte without continuation, an overlong "/", a surrogate.
  JsonWriter::AppendEscaped(out,
                            "a\x80"
                            "b\xC3"
                            "c\xC0\xAF"
                            "d\xED\xA0\x80");
  EXPECT_EQ(out,
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD"
            "c\xEF\xBF\xBD\xEF\xBF\xBD"
            "d\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(JsonWriter, Cp1252StringsAreConvertedToUtf8) {
  JsonWriter j;
  j.BeginArray();
  // e acute, euro sign, left double quote, an undefined byte (a C1 control, escaped), a quote.
  j.String1252("\xE9\x80\x93\x81\"");
  j.EndArray();
  ASSERT_TRUE(j.Ok());
  EXPECT_EQ(j.Text(), "[\n  \"\xC3\xA9\xE2\x82\xAC\xE2\x80\x9C\\u0081\\\"\"\n]\n");
  test::JsonValue v;
  test::JsonReader r;
  ASSERT_TRUE(r.Parse(j.Text(), v)) << r.Error();
  EXPECT_EQ(v[0].s, "\xC3\xA9\xE2\x82\xAC\xE2\x80\x9C\xC2\x81\"");
}

TEST(JsonWriter, CallsOutOfOrderMarkTheWriterFailed) {
  {
    JsonWriter j;  // a member without a key
    j.BeginObject();
    j.Number(1);
    j.EndObject();
    EXPECT_FALSE(j.Ok());
  }
  {
    JsonWriter j;  // a key outside an object
    j.BeginArray();
    j.Key("k");
    j.EndArray();
    EXPECT_FALSE(j.Ok());
  }
  {
    JsonWriter j;  // mismatched end
    j.BeginArray();
    j.EndObject();
    EXPECT_FALSE(j.Ok());
  }
  {
    JsonWriter j;  // a key whose value never came
    j.BeginObject();
    j.Key("k");
    j.EndObject();
    EXPECT_FALSE(j.Ok());
  }
  {
    JsonWriter j;  // unfinished
    j.BeginObject();
    EXPECT_FALSE(j.Ok());
  }
  {
    JsonWriter j;  // two outermost values
    j.Null();
    j.Null();
    EXPECT_FALSE(j.Ok());
  }
}

}  // namespace
}  // namespace qs

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "text/ClsStack.h"
#include "text/ClsUniqArray.h"
#include "text/ClsUniqString.h"
#include "text/StringUtil.h"

namespace qs {
namespace {

std::vector<std::string> Keys(const ClsUniqArray& a) {
  std::vector<std::string> keys;
  for (const auto& e : a) keys.push_back(e.key);
  return keys;
}

TEST(ClsUniqArray, HoldsValuesOfAnyKindUnderUniqueKeys) {
  ClsUniqArray a;
  auto shared = std::make_shared<std::string>("object");
  EXPECT_TRUE(a.Add(42, "n"));
  EXPECT_TRUE(a.Add(std::string("text"), "s"));
  EXPECT_TRUE(a.Add(shared, "o"));
  EXPECT_FALSE(a.Add(7, "N"));  // same key in another letter case
  EXPECT_EQ(a.Count(), 3);
  EXPECT_EQ(std::any_cast<int>(a.Item("n")), 42);
  EXPECT_EQ(std::any_cast<std::string>(a.Item(2L)), "text");
  ASSERT_NE(a.ItemAs<std::shared_ptr<std::string>>("O"), nullptr);
  EXPECT_EQ(*a.ItemAs<std::shared_ptr<std::string>>("O"), shared);
  EXPECT_EQ(a.ItemAs<int>("s"), nullptr);  // wrong type
  EXPECT_FALSE(a.Item("missing").has_value());
  EXPECT_FALSE(a.Item(4L).has_value());
  EXPECT_TRUE(a.Exists("S"));
  EXPECT_TRUE(a.Exists(3L));
  EXPECT_FALSE(a.Exists(4L));
}

TEST(ClsUniqArray, InsertRemoveAndReplaceKeepOrder) {
  ClsUniqArray a;
  a.Add(1, "a");
  a.Add(3, "c");
  EXPECT_TRUE(a.AddBefore(2, "b", 2));
  EXPECT_TRUE(a.AddAfter(4, "d", 3));
  EXPECT_FALSE(a.AddAfter(5, "e", 5));
  EXPECT_FALSE(a.AddBefore(5, "a", 1));
  EXPECT_EQ(Keys(a), (std::vector<std::string>{"a", "b", "c", "d"}));

  // Replacing the first item moves the new item to the end.
  EXPECT_TRUE(a.Replace(10, "A"));
  EXPECT_EQ(Keys(a), (std::vector<std::string>{"b", "c", "d", "A"}));
  EXPECT_EQ(std::any_cast<int>(a.Item(4L)), 10);
  // Replacing a key that is not present appends.
  EXPECT_TRUE(a.Replace(20, "z"));
  EXPECT_EQ(a.Count(), 5);
  EXPECT_EQ(std::any_cast<int>(a.Item("z")), 20);

  EXPECT_TRUE(a.Remove(1L));
  EXPECT_TRUE(a.Remove("D"));
  EXPECT_FALSE(a.Remove("d"));
  EXPECT_FALSE(a.Remove(9L));
  EXPECT_EQ(Keys(a), (std::vector<std::string>{"c", "A", "z"}));
}

TEST(ClsUniqArray, ReplaceOfTheFirstOfThreeMovesItToPositionThree) {
  ClsUniqArray a;
  a.Add(1, "0");
  a.Add(2, "1");
  a.Add(3, "2");
  EXPECT_TRUE(a.Replace(9, "0"));
  EXPECT_EQ(std::any_cast<int>(a.Item(3L)), 9);
  EXPECT_EQ(std::any_cast<int>(a.Item(1L)), 2);
}

TEST(ClsUniqString, AddIgnoresAStringAlreadyPresentInAnyCase) {
  ClsUniqString s;
  EXPECT_TRUE(s.Add("Form1"));
  EXPECT_FALSE(s.Add("FORM1"));
  EXPECT_EQ(s.Count(), 1);
  EXPECT_EQ(s.Item("form1"), "Form1");
  EXPECT_TRUE(s.AddEx("value", "key"));
  EXPECT_EQ(s.Item("KEY"), "value");
  EXPECT_EQ(s.Item(2L), "value");
  EXPECT_EQ(s.Item(3L), "");
  EXPECT_TRUE(s.Exists("Key"));
  EXPECT_FALSE(s.Exists("value"));
  EXPECT_TRUE(s.Remove("key"));
  EXPECT_FALSE(s.Remove(2L));
  EXPECT_EQ(s.Count(), 1);
}

TEST(ClsUniqString, GetStringFallsBackToTheFirstPosition) {
  ClsUniqString s;
  EXPECT_EQ(s.GetString(1), "");
  s.Add("Alpha");
  s.Add("Beta");
  EXPECT_EQ(s.GetString(2), "Beta");
  EXPECT_EQ(s.GetString(0), "Alpha");
  EXPECT_EQ(s.GetString(3), "Alpha");
}

TEST(ClsUniqString, SelectStringSearchesPrefixesFromTheStartPosition) {
  ClsUniqString s;
  s.Add("Alpha");
  s.Add("Form1");
  s.Add("Folder");

  struct Case {
    std::string text;
    int32_t start;
    std::string result;
    int32_t startAfter;
  };
  const Case cases[] = {
      {"fo", 0, "Form1", 2},   {"fo", 3, "Folder", 3}, {"fo", 4, "Form1", 2},
      {"FOL", 1, "Folder", 3}, {"al", 2, "", 2},        // no wrap-around
      {"", 1, "", 1},          {"Alphabet", 1, "", 1},  // longer than every string
  };
  for (const Case& c : cases) {
    int32_t start = c.start;
    EXPECT_EQ(s.SelectString(c.text, start), c.result) << c.text << " from " << c.start;
    EXPECT_EQ(start, c.startAfter) << c.text << " from " << c.start;
  }
}

TEST(ClsStack, PushPopAndCountHaveOrdinaryMeaning) {
  ClsStack st;
  EXPECT_TRUE(st.IsEmpty());
  EXPECT_EQ(st.Count(), 0);
  EXPECT_EQ(st.Pop(), "");
  EXPECT_EQ(st.Item(), "");
  st.Add("ignored");  // no top item to replace
  EXPECT_TRUE(st.IsEmpty());

  st.Push("a");
  st.Push("b");
  EXPECT_EQ(st.Count(), 2);
  EXPECT_EQ(st.Item(), "b");
  st.Add("B");
  EXPECT_EQ(st.ItemAt(1), "B");
  EXPECT_EQ(st.ItemAt(0), "a");
  EXPECT_EQ(st.ItemAt(2), "");
  EXPECT_EQ(st.ItemAt(-1), "");
  EXPECT_EQ(st.Pop(), "B");
  EXPECT_EQ(st.Pop(), "a");
  EXPECT_TRUE(st.IsEmpty());
  st.PushNew();
  EXPECT_EQ(st.Count(), 1);
  EXPECT_EQ(st.Item(), "");
}

TEST(ClsStack, GrowsInStepsOfTwentyKeepingEveryItem) {
  ClsStack st;
  EXPECT_EQ(st.Capacity(), 20);
  for (int i = 0; i < 25; ++i) st.Push(std::to_string(i));
  EXPECT_EQ(st.Capacity(), 40);
  EXPECT_EQ(st.Count(), 25);
  for (int i = 0; i < 25; ++i) EXPECT_EQ(st.ItemAt(i), std::to_string(i));
  for (int i = 24; i >= 0; --i) EXPECT_EQ(st.Pop(), std::to_string(i));
  EXPECT_TRUE(st.IsEmpty());
}

TEST(FirstField, ReturnsTheTextBeforeTheFirstDelimiter) {
  EXPECT_EQ(FirstField("Form1.Text1", "."), "Form1");
  EXPECT_EQ(FirstField("a.b.c", "."), "a");
  EXPECT_EQ(FirstField("Form1.Text1", "::"), "Form1.Text1");
  EXPECT_EQ(FirstField("", "."), "");
  EXPECT_EQ(FirstField(".x", "."), "");
  EXPECT_EQ(FirstField("a::b", "::"), "a");
  EXPECT_EQ(FirstField("abc", ""), "abc");
}

}  // namespace
}  // namespace qs

#include "text/KeyedCollection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qs {
namespace {

std::vector<std::string> Keys(const KeyedCollection<int>& c) {
  std::vector<std::string> keys;
  for (const auto& e : c) keys.push_back(e.key);
  return keys;
}

TEST(KeyedCollection, KeysIgnoreLetterCaseAndStayUnique) {
  KeyedCollection<int> c;
  EXPECT_TRUE(c.Add(1, "Form1"));
  EXPECT_FALSE(c.Add(2, "FORM1"));
  EXPECT_TRUE(c.Add(3, "\xC9t\xE9"));
  EXPECT_FALSE(c.Add(4, "\xE9T\xC9"));
  EXPECT_EQ(c.Count(), 2);
  ASSERT_NE(c.Item("form1"), nullptr);
  EXPECT_EQ(*c.Item("form1"), 1);
  EXPECT_EQ(*c.Item(2L), 3);
  EXPECT_EQ(c.Item(3L), nullptr);
  EXPECT_EQ(c.Item(0L), nullptr);
  EXPECT_EQ(c.Item("nope"), nullptr);
  EXPECT_FALSE(c.Exists("nope"));
  EXPECT_TRUE(c.Exists(1L));
  EXPECT_EQ(*c.Last(), 3);
}

TEST(KeyedCollection, InsertAndRemoveKeepOrderAndLookups) {
  KeyedCollection<int> c;
  c.Add(1, "a");
  c.Add(3, "c");
  EXPECT_TRUE(c.AddBefore(2, "b", 2));
  EXPECT_TRUE(c.AddAfter(4, "d", 3));
  EXPECT_FALSE(c.AddAfter(5, "e", 9));
  EXPECT_EQ(Keys(c), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(*c.Item("d"), 4);
  EXPECT_TRUE(c.Remove("B"));
  EXPECT_TRUE(c.Remove(1L));
  EXPECT_FALSE(c.Remove("zz"));
  EXPECT_EQ(Keys(c), (std::vector<std::string>{"c", "d"}));
  EXPECT_EQ(*c.Item("d"), 4);
  EXPECT_EQ(*c.Item(1L), 3);
  EXPECT_EQ(c.KeyAt(2), "d");
  c.Clear();
  EXPECT_EQ(c.Last(), nullptr);
}

}  // namespace
}  // namespace qs

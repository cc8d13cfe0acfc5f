// The symbol table and its lists: keys, automatic IDs, removal, order and missing items.
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/ClsEntry.h"
#include "model/ClsSymEntry.h"
#include "model/clsSymTable.h"

namespace qs {
namespace {

std::shared_ptr<ClsEntryPtr> Named(const std::string& name) {
  auto e = std::make_shared<ClsEntryPtr>();
  e->EntryName = name;
  return e;
}

// One step on a list: add a record of that name, or remove by key or 1-based position.
struct Step {
  enum Kind { kAdd, kRemoveKey, kRemovePos } kind;
  std::string text;  // the name added or the key removed
  long pos = 0;      // the position removed
};

Step AddNamed(const char* name) {
  return {Step::kAdd, name, 0};
}
Step RemoveKey(const char* key) {
  return {Step::kRemoveKey, key, 0};
}
Step RemovePos(long pos) {
  return {Step::kRemovePos, "", pos};
}

struct ListCase {
  const char* what;
  std::vector<Step> steps;
  std::vector<std::string> names;  // the records left, in order
  std::vector<int32_t> ids;        // their IDs
  std::vector<std::string> absentKeys;
};

TEST(ClsEntry, KeysPositionsAndIdsAfterAddsAndRemovals) {
  const std::vector<std::string> notKeys = {"",   "01", "+1", "-1",         " 1",
                                            "1 ", "1a", "x",  "4294967296", "99999999999999999999"};
  const ListCase cases[] = {
      {"empty", {}, {}, {}, {"0", "1"}},
      {"adds", {AddNamed("a"), AddNamed("b"), AddNamed("c")}, {"a", "b", "c"}, {0, 1, 2}, {"3"}},
      {"remove by position keeps the other IDs",
       {AddNamed("a"), AddNamed("b"), AddNamed("c"), RemovePos(2)},
       {"a", "c"},
       {0, 2},
       {"1", "3"}},
      {"a removed key is never reused",
       {AddNamed("a"), AddNamed("b"), RemoveKey("1"), AddNamed("c")},
       {"a", "c"},
       {0, 2},
       {"1"}},
      {"removing the last record does not give its key back",
       {AddNamed("a"), RemovePos(1), AddNamed("b"), RemoveKey("1"), AddNamed("c")},
       {"c"},
       {2},
       {"0", "1"}},
      {"missing keys and positions change nothing",
       {AddNamed("a"), RemoveKey("7"), RemoveKey("00"), RemoveKey("-0"), RemovePos(0), RemovePos(2),
        RemovePos(-1)},
       {"a"},
       {0},
       {"1"}},
      {"keys past ten",
       {AddNamed("0"), AddNamed("1"), AddNamed("2"), AddNamed("3"), AddNamed("4"), AddNamed("5"),
        AddNamed("6"), AddNamed("7"), AddNamed("8"), AddNamed("9"), AddNamed("10"), AddNamed("11"),
        RemoveKey("1"), RemoveKey("10"), RemovePos(1)},
       {"2", "3", "4", "5", "6", "7", "8", "9", "11"},
       {2, 3, 4, 5, 6, 7, 8, 9, 11},
       {"0", "1", "10", "12"}},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.what);
    ClsEntry list;
    for (const Step& s : c.steps) {
      if (s.kind == Step::kAdd) list.Add(Named(s.text));
      if (s.kind == Step::kRemoveKey) list.Remove(std::string_view(s.text));
      if (s.kind == Step::kRemovePos) list.Remove(s.pos);
    }
    ASSERT_EQ(list.Count(), static_cast<long>(c.names.size()));
    std::vector<std::string> names;
    std::vector<int32_t> ids;
    for (const auto& e : list) {
      names.push_back(e->EntryName);
      ids.push_back(e->ID);
    }
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(ids, c.ids);
    for (size_t i = 0; i < c.names.size(); ++i) {
      const long pos = static_cast<long>(i) + 1;
      const std::string key = std::to_string(c.ids[i]);
      ASSERT_NE(list.Item(pos), nullptr) << pos;
      EXPECT_EQ(list.Item(pos)->EntryName, c.names[i]) << pos;
      EXPECT_TRUE(list.Exists(pos)) << pos;
      ASSERT_NE(list.Item(std::string_view(key)), nullptr) << key;
      EXPECT_EQ(list.Item(std::string_view(key)), list.Item(pos)) << key;
      EXPECT_TRUE(list.Exists(std::string_view(key))) << key;
    }
    for (const long pos : {0L, -1L, list.Count() + 1}) {
      EXPECT_EQ(list.Item(pos), nullptr) << pos;
      EXPECT_FALSE(list.Exists(pos)) << pos;
    }
    for (const auto* keys : {&c.absentKeys, &notKeys}) {
      for (const std::string& key : *keys) {
        EXPECT_EQ(list.Item(std::string_view(key)), nullptr) << '"' << key << '"';
        EXPECT_FALSE(list.Exists(std::string_view(key))) << '"' << key << '"';
      }
    }
    if (c.names.empty()) {
      EXPECT_EQ(list.Last(), nullptr);
      EXPECT_EQ(list.begin(), list.end());
    } else {
      ASSERT_NE(list.Last(), nullptr);
      EXPECT_EQ(list.Last()->EntryName, c.names.back());
    }
  }
}

TEST(ClsEntry, AnEmptyPointerUsesUpNoKeyAndRecordsStayShared) {
  ClsEntry list;
  list.Add(nullptr);
  EXPECT_EQ(list.Count(), 0);
  auto x = Named("x");
  list.Add(x);
  EXPECT_EQ(list.Item("0")->ID, 0) << "an empty pointer does not use up a key";
  // The list holds the record itself: a change made after adding it is seen through the list.
  x->EntryName = "changed";
  EXPECT_EQ(list.Item(1L)->EntryName, "changed");
  EXPECT_EQ(list.Item(1L).get(), x.get());
  list.Remove("0");
  EXPECT_EQ(list.Last(), nullptr);
  EXPECT_EQ(x->EntryName, "changed") << "a removed record lives on while held";
}

TEST(ClsEntryPtr, FreshRecordHasNoListsAndZeroFields) {
  ClsEntryPtr e;
  EXPECT_EQ(e.Parameters, nullptr);
  EXPECT_EQ(e.EVar, nullptr);
  EXPECT_EQ(e.EConst, nullptr);
  EXPECT_EQ(e.eEntrytype, 0);
  EXPECT_EQ(e.eArgScope, 0);
  EXPECT_EQ(e.lEntryptr, 0);
  EXPECT_TRUE(e.EntryName.empty() && e.Scope.empty() && e.EntryType.empty());
}

TEST(ClsSymEntry, TheNineListsStartEmptyAndAreIndependent) {
  ClsSymEntry m;
  ClsEntry* lists[] = {&m.EVar,  &m.EConst, &m.ESub,   &m.EFunction, &m.EProperty,
                       &m.EType, &m.EEnum,  &m.EEvent, &m.EDeclare};
  for (ClsEntry* list : lists) EXPECT_EQ(list->Count(), 0);
  // A record added to one list lands in that list alone, each list counting its own keys.
  for (size_t i = 0; i < std::size(lists); ++i) {
    for (size_t k = 0; k <= i; ++k) lists[i]->Add(Named("n" + std::to_string(i)));
  }
  for (size_t i = 0; i < std::size(lists); ++i) {
    EXPECT_EQ(lists[i]->Count(), static_cast<long>(i + 1)) << i;
    EXPECT_EQ(lists[i]->Last()->ID, static_cast<int32_t>(i)) << i;
    for (const auto& e : *lists[i]) EXPECT_EQ(e->EntryName, "n" + std::to_string(i)) << i;
  }
}

TEST(clsSymTable, KeysIgnoreCaseAndTheFirstEntryStays) {
  clsSymTable table;
  auto first = table.CreateSymbolTableEntry("modMain");
  auto second = table.CreateSymbolTableEntry("MODMAIN");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr) << "the new entry is returned even when it is not stored";
  EXPECT_NE(first, second);
  EXPECT_EQ(table.Count(), 1);
  EXPECT_EQ(table.Item("modmain"), first);
  EXPECT_EQ(table.Item("modmain")->EntryName, "modMain");
  EXPECT_EQ(second->EntryName, "MODMAIN");
  EXPECT_TRUE(table.Exists("ModMain"));
  EXPECT_FALSE(table.Exists("other"));
  EXPECT_EQ(table.Item("other"), nullptr);
  EXPECT_FALSE(table.Add(nullptr, "x"));
}

TEST(clsSymTable, OrderPositionsAndRemoval) {
  clsSymTable table;
  for (const char* name : {"frmMain", "modA", "clsB", ""}) table.CreateSymbolTableEntry(name);
  EXPECT_EQ(table.Count(), 4);
  EXPECT_EQ(table.Item(1L)->EntryName, "frmMain");
  EXPECT_EQ(table.Item(4L)->EntryName, "") << "the empty key is a key like any other";
  EXPECT_EQ(table.Item(5L), nullptr);
  table.Remove("MODA");
  table.Remove(9L);
  std::vector<std::string> names;
  for (const auto& e : table) names.push_back(e->EntryName);
  EXPECT_EQ(names, (std::vector<std::string>{"frmMain", "clsB", ""}));
  table.Remove(1L);
  EXPECT_EQ(table.Item(1L)->EntryName, "clsB");
}

}  // namespace
}  // namespace qs

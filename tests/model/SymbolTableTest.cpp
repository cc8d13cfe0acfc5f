// The symbol table and its lists: keys, automatic IDs, removal, order and missing items.
#include <gtest/gtest.h>

#include <string>
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

TEST(ClsEntry, AutomaticKeysAndIdsSurviveRemoval) {
  ClsEntry list;
  list.Add(Named("a"));
  list.Add(Named("b"));
  list.Add(Named("c"));
  list.Remove(2L);
  EXPECT_EQ(list.Count(), 2);
  ASSERT_NE(list.Item(2L), nullptr);
  EXPECT_EQ(list.Item(2L)->ID, 2);
  EXPECT_EQ(list.Item(2L)->EntryName, "c");
  EXPECT_EQ(list.Item("1"), nullptr);
  EXPECT_FALSE(list.Exists("1"));
  list.Add(Named("d"));
  ASSERT_NE(list.Item("3"), nullptr);
  EXPECT_EQ(list.Item("3")->ID, 3);
  EXPECT_EQ(list.Last()->EntryName, "d");
  std::vector<std::string> names;
  for (const auto& e : list) names.push_back(e->EntryName);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "c", "d"}));
}

TEST(ClsEntry, MissingItemsAndEmptyLists) {
  ClsEntry list;
  EXPECT_EQ(list.Last(), nullptr);
  EXPECT_EQ(list.Item(1L), nullptr);
  EXPECT_EQ(list.Item(0L), nullptr);
  EXPECT_EQ(list.Item("0"), nullptr);
  list.Remove(1L);  // nothing happens
  list.Remove("7");
  list.Add(nullptr);
  EXPECT_EQ(list.Count(), 0);
  list.Add(Named("x"));
  EXPECT_EQ(list.Item("0")->ID, 0) << "an empty pointer does not use up a key";
  list.Remove("0");
  EXPECT_EQ(list.Last(), nullptr);
  EXPECT_EQ(list.begin(), list.end());
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

TEST(ClsSymEntry, AllNineListsExistAndAreDistinct) {
  ClsSymEntry m;
  const std::shared_ptr<ClsEntry>* lists[] = {&m.EVar,      &m.EConst,    &m.ESub,
                                              &m.EFunction, &m.EProperty, &m.EType,
                                              &m.EEnum,     &m.EEvent,    &m.EDeclare};
  for (size_t i = 0; i < std::size(lists); ++i) {
    ASSERT_NE(*lists[i], nullptr);
    EXPECT_EQ((*lists[i])->Count(), 0);
    for (size_t j = 0; j < i; ++j) EXPECT_NE(lists[i]->get(), lists[j]->get());
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

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/clsVBFileTypes.h"

namespace qs {
namespace {

std::shared_ptr<clsVBFileType> Item(int32_t eType, std::string id) {
  auto item = std::make_shared<clsVBFileType>();
  item->EType = eType;
  item->ID = std::move(id);
  return item;
}

std::vector<std::string> Ids(const clsVBFileTypes& c) {
  std::vector<std::string> ids;
  for (const auto& item : c) ids.push_back(item->ID);
  return ids;
}

TEST(clsVBFileTypes, NewCollectionIsEmpty) {
  clsVBFileTypes c;
  EXPECT_EQ(c.Count(), 0);
  EXPECT_EQ(c.FormCount + c.ReferenceCount + c.UserControlCount + c.UserDocumentCount +
                c.ObjectCount + c.PropertyPageCount + c.ClassCount + c.ModuleCount +
                c.DesignerCount,
            0);
  EXPECT_EQ(c.StartupForm, "");
  EXPECT_EQ(c.IconForm, "");
  EXPECT_EQ(c.begin(), c.end());
  EXPECT_EQ(c.Item(1), nullptr);
  EXPECT_EQ(c.Item("0"), nullptr);
}

TEST(clsVBFileTypes, ItemsAreKeyedByAddCounterAndFoundByKeyOrPosition) {
  clsVBFileTypes c;
  c.Add(Item(kItemForm, "a.frm"));
  c.Add(Item(kItemForm, "a.frm"));  // the same file twice: two items, nothing merged
  c.Add(Item(kItemModule, "m.bas"));
  ASSERT_EQ(c.Count(), 3);
  EXPECT_EQ(c.FormCount, 2);
  EXPECT_EQ(c.ModuleCount, 1);
  EXPECT_EQ(c.Item("0"), c.Item(1));
  EXPECT_NE(c.Item("0"), c.Item("1"));
  EXPECT_EQ(c.Item("2")->ID, "m.bas");
  EXPECT_EQ(c.Item("5"), nullptr);
  EXPECT_FALSE(c.Exists("5"));
  EXPECT_TRUE(c.Exists("2"));
  EXPECT_EQ(c.Item(4), nullptr);
  EXPECT_EQ(c.Item(0L), nullptr);
  EXPECT_EQ(Ids(c), (std::vector<std::string>{"a.frm", "a.frm", "m.bas"}));
}

TEST(clsVBFileTypes, EveryKindCountsInItsOwnCounterOnly) {
  clsVBFileTypes c;
  for (int32_t kind : {kItemForm, kItemReference, kItemModule, kItemUserControl, kItemObject,
                       kItemPropertyPage, kItemClass, kItemDesigner, kItemUserDocument}) {
    c.Add(Item(kind, std::to_string(kind)));
  }
  EXPECT_EQ(c.FormCount, 1);
  EXPECT_EQ(c.ReferenceCount, 1);
  EXPECT_EQ(c.ModuleCount, 1);
  EXPECT_EQ(c.UserControlCount, 1);
  EXPECT_EQ(c.ObjectCount, 1);
  EXPECT_EQ(c.PropertyPageCount, 1);
  EXPECT_EQ(c.ClassCount, 1);
  EXPECT_EQ(c.DesignerCount, 1);
  EXPECT_EQ(c.UserDocumentCount, 1);
}

TEST(clsVBFileTypes, UncountedKindsAreStillHeldAndEnumerated) {
  clsVBFileTypes c;
  for (int32_t kind :
       {kItemResFile32, kItemRelatedDoc, kItemStartup, kItemIconForm, kItemName, 0, 99}) {
    c.Add(Item(kind, std::to_string(kind)));
  }
  EXPECT_EQ(c.Count(), 7);
  EXPECT_EQ(Ids(c), (std::vector<std::string>{"10", "12", "13", "14", "15", "0", "99"}));
  EXPECT_EQ(c.FormCount + c.ReferenceCount + c.UserControlCount + c.UserDocumentCount +
                c.ObjectCount + c.PropertyPageCount + c.ClassCount + c.ModuleCount +
                c.DesignerCount,
            0);
}

TEST(clsVBFileTypes, AddingNothingChangesNothing) {
  clsVBFileTypes c;
  c.Add(nullptr);
  EXPECT_EQ(c.Count(), 0);
  c.Add(Item(kItemForm, "x"));
  EXPECT_EQ(c.Item("0")->ID, "x") << "a refused add does not use up a key";
}

TEST(clsVBFileTypes, RemoveTakesOneItemAndKeysAreNeverReused) {
  clsVBFileTypes c;
  c.Add(Item(kItemForm, "a"));
  c.Add(Item(kItemForm, "b"));
  c.Remove("7");  // absent: nothing happens
  c.Remove(9);
  EXPECT_EQ(c.Count(), 2);
  c.Remove("0");
  EXPECT_EQ(c.Count(), 1);
  EXPECT_EQ(c.Item(1)->ID, "b");
  c.Add(Item(kItemForm, "c"));
  EXPECT_EQ(c.Item("2")->ID, "c");
  EXPECT_FALSE(c.Exists("0"));
  c.Remove(1);
  EXPECT_EQ(Ids(c), (std::vector<std::string>{"c"}));
}

}  // namespace
}  // namespace qs

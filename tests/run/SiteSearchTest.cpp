// The site's search index on the sample: every name the search finds with the kind word its
// results show, its module, and an anchor that exists on the module's page and holds what the
// name stands for (an enum member its enum, a control the form's list of controls or menus).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run/clsVBInfo.h"
#include "support/TestFolder.h"

namespace qs {
namespace {

namespace fs = std::filesystem;
const std::string kSample = std::string(QS_SOURCE_DIR) + "/examples/Inventory/Inventory.vbp";

// One entry of search-index.js: "name",kind,module,anchor (a number, -1 or a "string").
struct Entry {
  std::string name;
  std::string kind;    ///< the kind's word, from the index's list
  std::string module;  ///< the module's label
  std::string page;    ///< the module's page
  std::string anchor;  ///< the element id on the page ("d3", "menus"); empty for none
};

// The values between the brackets after "key:[" as written (strings keep their quotes).
std::vector<std::string> Items(const std::string& text, const std::string& key) {
  const size_t from = text.find(key + ":[") + key.size() + 2;
  std::vector<std::string> items;
  std::string item;
  int depth = 0;
  bool quoted = false;
  for (size_t i = from; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      item += c;
      if (c == '\\') item += text[++i];
      if (c == '"') quoted = false;
      continue;
    }
    if (c == ']' && depth == 0) break;
    if (c == ',' && depth == 0) {
      items.push_back(item);
      item.clear();
      continue;
    }
    if (c == '"') quoted = true;
    if (c == '[') ++depth;
    if (c == ']') --depth;
    if (c != '\n') item += c;
  }
  items.push_back(item);
  return items;
}

std::string Unquote(const std::string& s) {
  return s.size() >= 2 && s.front() == '"' ? s.substr(1, s.size() - 2) : s;
}

std::vector<Entry> ReadIndex(const std::string& text) {
  const std::vector<std::string> kinds = Items(text, "k");
  const std::vector<std::string> modules = Items(text, "m");
  const std::vector<std::string> values = Items(text, "d");
  std::vector<Entry> entries;
  for (size_t i = 0; i + 3 < values.size(); i += 4) {
    const std::vector<std::string> module =
        Items("m:" + modules.at(std::stoul(values[i + 2])), "m");
    Entry e{Unquote(values[i]), Unquote(kinds.at(std::stoul(values[i + 1]))), Unquote(module.at(0)),
            Unquote(module.at(1)), values[i + 3]};
    e.anchor = e.anchor == "-1" ? "" : e.anchor[0] == '"' ? Unquote(e.anchor) : "d" + e.anchor;
    entries.push_back(e);
  }
  return entries;
}

TEST(SiteSearch, IndexNamesKindsAsWordsWithMembersControlsAndAnchorsThatExist) {
  test::TestFolder dir("site-search");
  clsVBInfo info;
  info.Settings().outDir = dir.Path().string();
  info.Settings().writeSite = true;
  info.Settings().site.dotProgram = "";
  info.GetFileInfo(kSample);
  ASSERT_FALSE(info.SiteIndex().empty()) << info.SiteFailure();
  const fs::path site = fs::path(info.SiteIndex()).parent_path();
  const std::vector<Entry> entries = ReadIndex(test::ReadFile((site / "search-index.js").string()));
  ASSERT_GT(entries.size(), 100u);

  struct Expected {
    const char* name;
    const char* kind;
    const char* module;
    const char* holds;  ///< text right after the anchor on the page ("" for the page's top)
  };
  static const Expected kCases[] = {
      // Modules by their kind.
      {"frmMain", "form", "frmMain", ""},
      {"modMain", "module", "modMain", ""},
      {"clsItem", "class", "clsItem", ""},
      // Declarations: a property's Get and Let are one result, at the Get.
      {"IsDirty", "property", "modMain", "Public Property Get IsDirty"},
      {"mnuFileNew_Click", "sub", "frmMain", "Private Sub mnuFileNew_Click()"},
      {"APP_TITLE", "constant", "modMain", "APP_TITLE"},
      {"Beep", "API declaration", "modApi", "Public Declare Function Beep"},
      {"InvStockState", "enum", "modMain", "Public Enum InvStockState"},
      {"RECT", "user type", "modApi", "Public Type RECT"},
      // Members, at their enum or type.
      {"stkLow", "enum member", "modMain", "Public Enum InvStockState"},
      {"rcOut", "enum member", "modMain", "Public Enum InvRowColor"},
      // Controls at the form's list of them (a control array once), menu items at the menus.
      {"mnuFileNew", "menu", "frmMain", ">Menus<"},
      {"lvwItems", "control", "frmMain", ">Controls<"},
      {"txtBin", "control", "frmItem", ">Controls<"},
  };
  for (const Expected& c : kCases) {
    SCOPED_TRACE(c.name);
    std::vector<const Entry*> found;
    for (const Entry& e : entries)
      if (e.name == c.name && e.module == c.module) found.push_back(&e);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]->kind, c.kind);
    if (*c.holds == '\0') {
      EXPECT_EQ(found[0]->anchor, "");
      EXPECT_TRUE(fs::exists(site / found[0]->page));
      continue;
    }
    const std::string page = test::ReadFile((site / found[0]->page).string());
    const size_t at = page.find("id=\"" + found[0]->anchor + "\"");
    ASSERT_NE(at, std::string::npos) << found[0]->page << '#' << found[0]->anchor;
    EXPECT_NE(page.substr(at, 200).find(c.holds), std::string::npos) << page.substr(at, 200);
  }
  // No kind is left without a word (a number past the list), nor written as the JSON's words.
  for (const Entry& e : entries) {
    EXPECT_FALSE(e.kind.empty()) << e.name;
    EXPECT_EQ(e.kind.find_first_of("-ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
              e.kind == "API declaration" ? 0u : std::string::npos)
        << e.name << ' ' << e.kind;
  }
}

}  // namespace
}  // namespace qs

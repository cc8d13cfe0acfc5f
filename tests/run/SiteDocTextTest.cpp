// Doc comments on the site as they were written: the summary once, then the lines, lists and
// heading lines of the text in their shape, tags as the doc's parts; prose is no parameter.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "run/clsVBInfo.h"
#include "support/TestFolder.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

struct DocCase {
  const char* comment;   ///< the comment lines above "Public Sub NAME(nMode)"
  const char* name;      ///< the procedure
  const char* expected;  ///< its doc block on the module page
};

const DocCase kDocCases[] = {
    {"' Draws the grid. Fast.\r\n' Twice.\r\n", "TwoSentences",
     "<p class=\"summary\">Draws the grid.</p><p>Fast. Twice.</p>"},
    {"' Created: 2001-02-03\r\n' Last updated: 2004\r\n' Keeps the list.\r\n", "HeadingLines",
     "<p class=\"summary\">Created: 2001-02-03</p><p>Last updated: 2004</p><p>Keeps the "
     "list.</p>"},
    {"' Sorts.\r\n' - rows,\r\n'   then columns\r\n' * cells\r\n' 1. first\r\n", "Lists",
     "<p class=\"summary\">Sorts.</p><ul><li>rows, then columns cells</li></ul><p>1. first</p>"},
    {"''\r\n' Finds it. Fast.\r\n' @param nMode the key\r\n' @return the index\r\n", "Tags",
     "<p class=\"summary\">Finds it.</p><p>Fast.</p><dl class=\"params\"><dt><code>nMode</code>"
     "</dt><dd>the key</dd></dl><p><b>Returns:</b> the index</p>"},
    {"' Purpose: Sets the mode.\r\n' Inputs:\r\n'   nMode - one of\r\n'   0 - normal\r\n"
     "'   1 - multi-image\r\n",
     "HeadingBlock",
     "<p class=\"summary\">Sets the mode.</p><p>Inputs:</p><p>nMode - one of</p><p>0 - "
     "normal</p><p>1 - multi-image</p>"},
    {"''' <summary>Sums.</summary>\r\n''' <param name=\"nMode\">the first</param>\r\n", "Xml",
     "<p class=\"summary\">Sums.</p><dl class=\"params\"><dt><code>nMode</code></dt><dd>the "
     "first</dd></dl>"},
};

TEST(SiteDocText, DocCommentsKeepTheirShape) {
  test::TestFolder dir("site-doc-text");
  std::string module = "Attribute VB_Name = \"modDraw\"\r\n' Helpers for drawing. Second.\r\n\r\n";
  for (const DocCase& c : kDocCases)
    module += std::string(c.comment) + "Public Sub " + c.name + "(nMode)\r\nEnd Sub\r\n";
  dir.Write("p/modDraw.bas", module);
  dir.Write("p/clsItem.cls",
            "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n"
            "Attribute VB_Name = \"clsItem\"\r\nAttribute VB_Description = \"Holds one item. "
            "Priced.\"\r\nOption Explicit\r\nPublic Sub Price()\r\nEnd Sub\r\n");
  const std::string project = dir.Write(
      "p/Doc.vbp", "Type=Exe\r\nModule=modDraw; modDraw.bas\r\nClass=clsItem; clsItem.cls\r\n");
  clsVBInfo info;
  info.Settings().writeSite = true;
  info.Settings().site.dotProgram = "";
  info.GetFileInfo(project);
  ASSERT_FALSE(info.SiteIndex().empty()) << info.SiteFailure();
  const fs::path site = fs::path(info.SiteIndex()).parent_path();
  std::string page;
  for (const auto& entry : fs::directory_iterator(site))
    if (entry.path().filename().string().find("-modDraw.html") != std::string::npos &&
        entry.path().filename().string()[0] == 'm')
      page = test::ReadFile(entry.path().string());
  ASSERT_FALSE(page.empty());
  for (const DocCase& c : kDocCases) {
    SCOPED_TRACE(c.name);
    const size_t sig = page.find(std::string("Public Sub ") + c.name + "(");
    ASSERT_NE(sig, std::string::npos);
    const size_t doc = page.find("<div class=\"doc\">", sig);
    ASSERT_NE(doc, std::string::npos);
    const size_t begin = doc + 17;
    EXPECT_EQ(page.substr(begin, page.find("</div>", begin) - begin), c.expected);
  }
  // The index shows each module's first sentence; a class's description attribute is its
  // summary. Lists of values in prose give no documentation warning.
  const std::string index = test::ReadFile((site / "index.html").string());
  EXPECT_NE(index.find("<td class=\"sum\">Helpers for drawing.</td>"), std::string::npos);
  EXPECT_NE(index.find("<td class=\"sum\">Holds one item.</td>"), std::string::npos);
  const std::string inventories = test::ReadFile((site / "inventories.html").string());
  EXPECT_EQ(inventories.find("is not a parameter"), std::string::npos) << inventories;
}

}  // namespace
}  // namespace qs

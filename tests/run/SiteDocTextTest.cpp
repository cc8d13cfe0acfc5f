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
    {"' FUNCTION: Load()\r\n' DESCRIPTION:   Loads a map file\r\n' RETURNS: -1 if it fails\r\n",
     "LabelledSummary",
     "<p class=\"summary\">Loads a map file</p><p>FUNCTION: Load()</p><p>RETURNS: -1 if it "
     "fails</p>"},
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
  // Three modules open with the same licence: it is shown once, on the index.
  std::string vbp = "Type=Exe\r\nModule=modDraw; modDraw.bas\r\nClass=clsItem; clsItem.cls\r\n";
  for (const char* name : {"modA", "modB", "modC"}) {
    dir.Write(std::string("p/") + name + ".bas",
              std::string("Attribute VB_Name = \"") + name +
                  "\"\r\n' Copyright (c) 2001 Ann.\r\n' Licensed as MIT.\r\n\r\nSub F()\r\nEnd "
                  "Sub\r\n");
    vbp += std::string("Module=") + name + "; " + name + ".bas\r\n";
  }
  const std::string project = dir.Write("p/Doc.vbp", vbp);
  clsVBInfo info;
  info.Settings().writeSite = true;
  info.Settings().site.dotProgram = "";
  info.GetFileInfo(project);
  ASSERT_FALSE(info.SiteIndex().empty()) << info.SiteFailure();
  const fs::path site = fs::path(info.SiteIndex()).parent_path();
  std::string page;
  std::string licensed;  // the pages of modA, modB and modC
  for (const auto& entry : fs::directory_iterator(site)) {
    const std::string file = entry.path().filename().string();
    if (file[0] != 'm') continue;
    if (file.find("-modDraw.html") != std::string::npos)
      page = test::ReadFile(entry.path().string());
    if (file.find("-modA.html") != std::string::npos ||
        file.find("-modB.html") != std::string::npos ||
        file.find("-modC.html") != std::string::npos)
      licensed += test::ReadFile(entry.path().string());
  }
  ASSERT_FALSE(page.empty());
  ASSERT_NE(licensed.find("Sub F()"), std::string::npos);
  EXPECT_EQ(licensed.find("Copyright"), std::string::npos);
  for (const DocCase& c : kDocCases) {
    SCOPED_TRACE(c.name);
    // The detail, after the members' table at the top that names the member too.
    const size_t sig = page.rfind(std::string("Public Sub ") + c.name + "(");
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
  const size_t notices = index.find("<h2 id=\"notices\">");
  ASSERT_NE(notices, std::string::npos);
  const std::string notice =
      "<h2 id=\"notices\">Notices</h2>\n<p class=\"meta\">At the top of 3 modules:</p><div "
      "class=\"doc\"><p class=\"summary\">Copyright (c) 2001 Ann.</p><p>Licensed as MIT.</p></div>";
  EXPECT_EQ(index.compare(notices, notice.size(), notice), 0) << index.substr(notices, 200);
  EXPECT_EQ(index.find("Copyright", index.find("Copyright") + 1), std::string::npos);
  const std::string inventories = test::ReadFile((site / "inventories.html").string());
  EXPECT_EQ(inventories.find("is not a parameter"), std::string::npos) << inventories;
}

}  // namespace
}  // namespace qs

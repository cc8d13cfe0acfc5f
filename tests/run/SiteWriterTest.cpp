// The documentation site: its texts, the sample's pages (controls, menus, handlers, source lines,
// search index), every internal link of every page resolving, the code page, the pictures'
// pipeline and the folder put in place only when complete.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "analysis/ProjectContents.h"
#include "io/GraphRenderer.h"
#include "model/ClsEntryPtr.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "output/common/SiteAssets.h"
#include "output/site/SiteWriter.h"
#include "run/clsVBInfo.h"
#include "support/SiteLinks.h"
#include "support/TestFolder.h"
#include "text/Parallel.h"
#include "text/SystemPath.h"

namespace qs {
namespace {

namespace fs = std::filesystem;
using test::BrokenLinks;
const std::string kSample = std::string(QS_SOURCE_DIR) + "/examples/Inventory/Inventory.vbp";

TEST(SiteText, EscapesAndShortcuts) {
  const struct {
    const char* in;
    const char* html;
    const char* js;
  } texts[] = {
      {"a<b>&\"c'", "a&lt;b&gt;&amp;&quot;c&#39;", "\"a\\u003cb>&\\\"c'\""},
      {"x\\y\n\xC3\xA9", "x\\y\n\xC3\xA9", "\"x\\\\y\\u000a\xC3\xA9\""},
      {"", "", "\"\""},
  };
  for (const auto& t : texts) {
    std::string html, js;
    SiteText::AppendHtml(html, t.in);
    SiteText::AppendJsString(js, t.in);
    EXPECT_EQ(html, t.html) << t.in;
    EXPECT_EQ(js, t.js) << t.in;
  }
  const std::pair<const char*, const char*> shortcuts[] = {
      {"^N", "Ctrl+N"},          {"{F2}", "F2"},
      {"{DEL}", "Del"},          {"+{F5}", "Shift+F5"},
      {"^{INSERT}", "Ctrl+Ins"}, {"%{BKSP}", "Alt+Backspace"},
      {"^+A", "Ctrl+Shift+A"},   {"", ""}};
  for (const auto& [written, shown] : shortcuts) EXPECT_EQ(SiteText::ShortcutText(written), shown);
}

// The sample's site with small source pages (so that long files are split) and every extra the
// cross references and doc comments will give, filled from the analysis itself.
class SampleSite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new test::TestFolder("site-sample");
    s_info = new clsVBInfo;
    s_info->Settings().outDir = s_dir->Path().string();
    s_info->Settings().writeSite = true;
    SiteOptions& o = s_info->Settings().site;
    o.dotProgram = "";
    o.sourcePageBytes = 4000;
    static const SiteDoc doc{"Summary <b>", "Description", {{"a", "the a"}}, "r", "", "", ""};
    o.extras.docOf = [](const ClsEntryPtr& e) {
      return e.eEntrytype == kEntrySub ? &doc : nullptr;
    };
    o.extras.usesOf = [](const ClsEntryPtr&, std::vector<SiteUse>& out) {
      for (const auto& item : *s_info->FileTypes()) {
        if (item && item->EType == kItemModule) {
          out.push_back(SiteUse{SitePlace{item.get(), 3, 1}, "read"});
          return;
        }
      }
    };
    // In the source of the same module, the name at line 3 stands for the project's first
    // declaration, the one at line 4 for a declaration without a record.
    o.extras.namesIn = [](const clsVBFileType& m, std::vector<SiteName>& out) {
      if (&m != FirstStandardModule()) return;
      std::vector<DeclaredEntry> declared;
      for (const ProjectModule& pm : ListProjectModules(s_info->Analysis())) {
        if (pm.entry) ListDeclarations(*pm.entry, declared);
        if (declared.empty()) continue;
        out.push_back({4, 1, nullptr});  // out of order: the site sorts them
        out.push_back({3, 1, declared[0].entry});
        return;
      }
    };
    o.extras.callersOf = [](const ClsEntryPtr& e, std::vector<const ClsEntryPtr*>& out) {
      out.push_back(&e);
    };
    s_info->GetFileInfo(kSample);
  }
  static void TearDownTestSuite() {
    delete s_info;
    delete s_dir;
  }
  static const clsVBFileType* FirstStandardModule() {
    for (const auto& item : *s_info->FileTypes())
      if (item && item->EType == kItemModule) return item.get();
    return nullptr;
  }
  static std::string Page(const std::string& name) {
    return test::ReadFile((fs::path(s_info->SiteIndex()).parent_path() / name).string());
  }
  static test::TestFolder* s_dir;
  static clsVBInfo* s_info;
};
test::TestFolder* SampleSite::s_dir = nullptr;
clsVBInfo* SampleSite::s_info = nullptr;

TEST_F(SampleSite, PagesHoldTheProjectAndEveryLinkResolves) {
  ASSERT_TRUE(s_info->ReportWritten()) << s_info->FailureReason();
  ASSERT_FALSE(s_info->SiteIndex().empty()) << s_info->SiteFailure();
  const fs::path site = fs::path(s_info->SiteIndex()).parent_path();
  EXPECT_EQ(site, s_dir->Path() / "Inventory_site");
  EXPECT_EQ(s_info->SitePictureNote(), "Graphviz's dot was not found on the PATH");
  for (const char* file : {"index.html", "inventories.html", "search.html", "site.css", "site.js",
                           "modules.js", "search-index.js"})
    EXPECT_TRUE(fs::exists(site / file)) << file;
  // Nothing but the site beside the report folder: no temporary folder left.
  std::set<std::string> beside;
  for (const auto& e : fs::directory_iterator(s_dir->Path()))
    beside.insert(e.path().filename().string());
  EXPECT_EQ(beside, (std::set<std::string>{"Inventory_document", "Inventory_site"}));

  const std::string index = Page("index.html");
  EXPECT_NE(index.find("<a href=\"m1-frmMain.html\">frmMain</a>"), std::string::npos);
  EXPECT_NE(index.find("modApi"), std::string::npos);
  const std::string main = Page("m1-frmMain.html");
  // The menus: caption and shortcut; the handler links to its declaration.
  EXPECT_NE(main.find("<code>mnuFileNew</code></td><td>&amp;New Item...</td><td>Ctrl+N</td>"),
            std::string::npos);
  const size_t handler = main.find(">mnuFileNew_Click</a>");
  ASSERT_NE(handler, std::string::npos);
  const size_t href = main.rfind("href=\"#", handler) + 7;
  const std::string anchor = main.substr(href, main.find('"', href) - href);
  const size_t decl = main.find("id=\"" + anchor + "\"");
  ASSERT_NE(decl, std::string::npos);
  EXPECT_EQ(main.compare(main.find("<code class=\"sig\">", decl) + 18, 30,
                         "Private Sub mnuFileNew_Click()"),
            0);
  EXPECT_NE(main.find("Form_Load"), std::string::npos);
  // The extras show where a page would show them, escaped.
  EXPECT_NE(main.find("<p class=\"summary\">Summary &lt;b&gt;</p>"), std::string::npos);
  EXPECT_NE(main.find("Called by: <a href=\"m1-frmMain.html#"), std::string::npos);
  EXPECT_NE(main.find("Used at: <a href=\"s4-modMain.html#L3\">modMain:3</a>"), std::string::npos);
  // In the source, the name at the use's place links to a declaration used there.
  const std::string modMain = Page("s4-modMain.html");
  const size_t line3 = modMain.find("<a id=L3></a>");
  ASSERT_NE(line3, std::string::npos);
  EXPECT_EQ(modMain.compare(line3 + 13, 13, "<i><a href=\"m"), 0) << modMain.substr(line3, 80);
  // A name whose declaration has no page (no record) is not linked.
  const size_t line4 = modMain.find("<a id=L4></a>");
  ASSERT_NE(line4, std::string::npos);
  EXPECT_EQ(modMain.compare(line4 + 13, 8, "<i>&#39;"), 0) << modMain.substr(line4, 80);
  EXPECT_NE(main.find("The picture of the control containment is not drawn"), std::string::npos);

  const std::string source = Page("s1-frmMain.html");
  EXPECT_NE(source.find("<details class=\"header\"><summary>Header (lines 1"), std::string::npos);
  EXPECT_NE(source.find("<pre class=\"src\" style=\"counter-reset:ln 0\"><a id=L1>"),
            std::string::npos);
  ASSERT_TRUE(fs::exists(site / "s1-frmMain-2.html")) << "the long form is split";
  std::string parts;
  for (int part = 2; fs::exists(site / ("s1-frmMain-" + std::to_string(part) + ".html")); ++part)
    parts += Page("s1-frmMain-" + std::to_string(part) + ".html");
  // Keywords in a row share one element.
  EXPECT_NE(parts.find("<b>Private Sub </b>mnuFileNew_Click()"), std::string::npos);
  EXPECT_NE(Page("search-index.js").find("\"mnuFileNew_Click\",3,0,"), std::string::npos);
  EXPECT_NE(Page("inventories.html").find("id=\"declares\""), std::string::npos);

  EXPECT_EQ(BrokenLinks(site), std::vector<std::string>{});
}

// The sample's site from the run's own cross references and doc comments: where a declaration is
// used (each use a link into the source), what a procedure calls and what calls it, the module
// dependencies, and the doc comments of modules and declarations.
TEST(Site, ShowsTheRunsCrossReferencesAndDocComments) {
  test::TestFolder dir("site-annotated");
  clsVBInfo info;
  info.Settings().outDir = dir.Path().string();
  info.Settings().writeSite = true;
  info.Settings().crossReferences = true;
  // Small pages: the unused declarations take several.
  info.Settings().site.dotProgram = "";
  info.Settings().site.sourcePageBytes = 4000;
  info.GetFileInfo(kSample);
  ASSERT_FALSE(info.SiteIndex().empty()) << info.SiteFailure();
  const fs::path site = fs::path(info.SiteIndex()).parent_path();
  const std::string modMain = test::ReadFile((site / "m4-modMain.html").string());
  // Declarators sharing a statement show their own parts.
  for (const char* signature :
       {">Private Const MAX_ITEMS As Long = 5000<", ">Private Const MAX_BINS As Integer = 4<",
        ">Public gCurrentUser$<", ">Public gSessionStart As Date<"})
    EXPECT_NE(modMain.find(signature), std::string::npos) << signature;
  // A procedure's call picture, drawn without dot: the procedure between its callers and
  // callees, each box a link to its declaration (Main calls LoadInventory).
  std::string picture;
  for (size_t at = 0; (at = modMain.find("<svg class=\"calls\"", at)) != std::string::npos; ++at) {
    picture = modMain.substr(at, modMain.find("</svg>", at) - at);
    const size_t self = picture.find("<rect class=\"self\"");
    if (self != std::string::npos &&
        picture.find("</text>", self) == picture.find(">LoadInventory</text>", self) + 14)
      break;
  }
  ASSERT_NE(picture.find(">LoadInventory</text>"), std::string::npos) << picture;
  EXPECT_NE(picture.find("\"><rect x=\"2\""), std::string::npos) << "a caller on the left";
  EXPECT_NE(picture.find(">Main</text></a>"), std::string::npos) << picture;
  EXPECT_NE(picture.find(">clsInventory.Add</text></a>"), std::string::npos) << picture;
  // The module's opening comment block, between its banner lines, shown once (its description
  // only repeats its summary).
  const size_t moduleDoc = modMain.find("start-up code, application-wide state");
  ASSERT_NE(moduleDoc, std::string::npos);
  EXPECT_EQ(modMain.find("start-up code, application-wide state", moduleDoc + 1),
            std::string::npos);
  // The enumeration's comment above it.
  EXPECT_NE(modMain.find("Stock state of an item."), std::string::npos);
  for (const char* section :
       {"Used at: <a href=\"s", "Calls: <a href=\"m", "Called by: <a href=\"m"})
    EXPECT_NE(modMain.find(section), std::string::npos) << section;
  const std::string index = test::ReadFile((site / "index.html").string());
  EXPECT_NE(index.find("Module dependencies"), std::string::npos);
  // The module table's coverage (frmItem documents its one public procedure) and unused
  // declarations (frmItem's five unused labels, linked to where the page lists them).
  const size_t frmItem = index.find("<a href=\"m2-frmItem.html\">frmItem</a>");
  ASSERT_NE(frmItem, std::string::npos);
  const std::string row = index.substr(frmItem, index.find("</tr>", frmItem) - frmItem);
  EXPECT_NE(row.find("<td class=\"num\">1/1 <span class=\"meta\">(100%)</span></td>"),
            std::string::npos)
      << row;
  const size_t unusedLink = row.find("<a href=\"unused");
  ASSERT_NE(unusedLink, std::string::npos) << row;
  EXPECT_EQ(row.compare(row.find("\">", unusedLink), 9, "\">5</a></"), 0) << row;
  // The unused declarations over several pages: a control links to its line, a module-level
  // declaration to its entry on the module page.
  std::string unused;
  for (int part = 1; fs::exists(site / (part == 1 ? std::string("unused.html")
                                                  : "unused-" + std::to_string(part) + ".html"));
       ++part) {
    unused += test::ReadFile((site / (part == 1 ? std::string("unused.html")
                                                : "unused-" + std::to_string(part) + ".html"))
                                 .string());
  }
  const size_t label = unused.find(">frmItem.lblPrice</a></td><td>control</td><td>unused</td>");
  ASSERT_NE(label, std::string::npos);
  EXPECT_EQ(unused.compare(unused.rfind("<a href=", label), 20, "<a href=\"s2-frmItem-"), 0);
  EXPECT_NE(unused.find("<a href=\"m1-frmMain.html#COL_SKU\">frmMain.COL_SKU</a></td><td>constant"),
            std::string::npos);
  EXPECT_NE(unused.find("</td><td>exposed</td>"), std::string::npos);
  EXPECT_GT(unused.find("id=\"u3\""), unused.find("id=\"u0\""));
  // External names, the most used first.
  const std::string inventories = test::ReadFile((site / "inventories.html").string());
  const size_t msgBox = inventories.find("<code>MsgBox</code></td><td class=\"num\">6<");
  ASSERT_NE(msgBox, std::string::npos);
  EXPECT_LT(inventories.find("<code>App</code></td><td class=\"num\">9<"), msgBox);
  EXPECT_NE(inventories.find("id=\"doc-warnings\""), std::string::npos);
  EXPECT_EQ(BrokenLinks(site), std::vector<std::string>{});
}

// The lines of a branch conditional compilation leaves out are dimmed on the source page, their
// names unlinked; the live lines around them keep their links.
TEST(Site, SourcePagesDimTheLinesLeftOut) {
  test::TestFolder dir("site-conditional");
  dir.Write("a.bas",
            test::Crlf("Attribute VB_Name = \"modA\"\nPublic Count As Long\n#If False Then\n"
                       "Sub Old()\n  Count = 1\nEnd Sub\n#End If\nSub Main()\n"
                       "  Count = 2\nEnd Sub\n"));
  const std::string vbp = dir.Write("P.vbp", "Type=Exe\r\nModule=modA; a.bas\r\n");
  clsVBInfo info;
  info.Settings().outDir = dir / "out";
  info.Settings().writeSite = true;
  info.Settings().crossReferences = true;
  info.Settings().site.dotProgram = "";
  info.GetFileInfo(vbp);
  ASSERT_FALSE(info.SiteIndex().empty()) << info.SiteFailure();
  const fs::path site = fs::path(info.SiteIndex()).parent_path();
  const std::string source = test::ReadFile((site / "s1-modA.html").string());
  // Lines 4 to 6 dimmed, each on its own; the directive lines and the rest are not.
  for (int line = 1; line <= 10; ++line) {
    const std::string anchor = "<a id=L" + std::to_string(line) + "></a>";
    const size_t at = source.find(anchor);
    ASSERT_NE(at, std::string::npos) << line;
    const std::string text = source.substr(at, source.find('\n', at) - at);
    const bool dim = line >= 4 && line <= 6;
    EXPECT_EQ(text.compare(anchor.size(), 18, "<span class=\"off\">") == 0, dim) << text;
    if (dim) {
      EXPECT_EQ(text.substr(text.size() - 7), "</span>") << text;
      EXPECT_EQ(text.find("<a href"), std::string::npos) << text;
    }
  }
  // The live use of Count links to its declaration.
  const size_t live = source.find("<a id=L9></a>");
  EXPECT_NE(source.find("<a href=\"m1-modA.html#Count\"", live), std::string::npos);
  const std::string css = test::ReadFile((site / "site.css").string());
  EXPECT_NE(css.find("span.off"), std::string::npos);
  EXPECT_EQ(BrokenLinks(site), std::vector<std::string>{});
}

// The index links each module's unused count to the module's section of the unused pages; a
// module between two with unused declarations that has none of its own has no section, and so no
// link.
TEST(Site, EveryUnusedLinkOfTheIndexFindsItsSection) {
  test::TestFolder dir("site-unused-links");
  const auto module = [](const std::string& name, const std::string& code) {
    return test::Crlf("Attribute VB_Name = \"" + name + "\"\nOption Explicit\n" + code);
  };
  dir.Write("a.bas", module("modA", "Private Sub NobodyCallsA()\nEnd Sub\n"));
  dir.Write("b.bas", module("modB", ""));
  dir.Write("c.bas", module("modC", "Private Sub NobodyCallsC()\nEnd Sub\n"));
  const std::string vbp =
      dir.Write("P.vbp", test::Crlf("Type=Exe\nModule=modA; a.bas\nModule=modB; b.bas\n"
                                    "Module=modC; c.bas\nName=\"P\"\n"));
  clsVBInfo info;
  info.Settings().outDir = dir.Path().string();
  info.Settings().writeSite = true;
  info.Settings().crossReferences = true;
  info.Settings().site.dotProgram = "";
  info.GetFileInfo(vbp);
  ASSERT_FALSE(info.SiteIndex().empty()) << info.SiteFailure();
  const fs::path site = fs::path(info.SiteIndex()).parent_path();
  const std::string index = test::ReadFile(info.SiteIndex());
  const std::string unused = test::ReadFile((site / "unused.html").string());
  int links = 0;
  for (size_t at = 0; (at = index.find("href=\"unused.html#", at)) != std::string::npos; ++at) {
    const size_t from = at + std::string("href=\"unused.html#").size();
    const std::string id = index.substr(from, index.find('"', from) - from);
    EXPECT_NE(unused.find("id=\"" + id + "\""), std::string::npos) << id;
    ++links;
  }
  EXPECT_EQ(links, 2) << "modA and modC link to their sections, modB to none";
}

TEST(Site, TextTurnsIntoUtf8AndAnEarlierSiteIsReplacedWhole) {
  test::TestFolder dir("site-codepage");
  // Code page 1252: e acute, euro sign, curly quotes, in a comment and a string.
  const std::string project =
      dir.Write("p/Cp.vbp", "Type=Exe\r\nModule=modText; modText.bas\r\nName=\"Cp\"\r\n");
  dir.Write("p/modText.bas",
            "Attribute VB_Name = \"modText\"\r\n' caf\xE9 \x80 \x93 \x94\r\n"
            "Public Const S = \"<\x93x\x94>\"\r\n"
            "'' Sums.\r\n'' @param y caf\xE9\r\nPublic Sub Sum(x)\r\nEnd Sub\r\n"
            "Dim a(1, 2) As Long, b As String ' note\r\n"
            "Private Const X = 1: Private c%, _\r\n    d As Integer\r\n"
            "Private Declare Function GetTickCount Lib \"kernel32\" () As Long\r\n"
            "Private Declare Sub Sleep Lib \"KERNEL32.DLL\" (ByVal ms As Long)\r\n");
  clsVBInfo info;
  info.Settings().writeSite = true;
  info.Settings().site.dotProgram = "";
  info.GetFileInfo(project);
  ASSERT_FALSE(info.SiteIndex().empty()) << info.SiteFailure();
  const fs::path site = fs::path(info.SiteIndex()).parent_path();
  EXPECT_EQ(site, dir.Path() / "p" / "Cp_site");
  const std::string source = test::ReadFile((site / "s1-modText.html").string());
  EXPECT_NE(source.find("<i>&#39; caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9C \xE2\x80\x9D"
                        "</i>"),
            std::string::npos);
  EXPECT_NE(source.find("<u>&quot;&lt;\xE2\x80\x9Cx\xE2\x80\x9D&gt;&quot;</u>"), std::string::npos);
  // Each declarator of a statement shows its own part: commas inside parentheses, a statement
  // after a colon (the analysis reads the first statement of a line), a continued line.
  const std::string module = test::ReadFile((site / "m1-modText.html").string());
  for (const char* signature : {">Dim a(1, 2) As Long<", ">Dim b As String<",
                                ">Private Const X = 1<", ">Private d As Integer<"})
    EXPECT_NE(module.find(signature), std::string::npos) << signature << module;
  // A documentation warning links to its line.
  const std::string inventories = test::ReadFile((site / "inventories.html").string());
  const size_t warning = inventories.find("<li><a href=\"s1-modText.html#L6\">modText:6</a>: ");
  ASSERT_NE(warning, std::string::npos) << inventories;
  EXPECT_NE(inventories.find("y", warning + 50), std::string::npos);
  // Spellings of one library are one group; a project without objects says so in a line.
  EXPECT_NE(inventories.find("<h3>kernel32 <span class=\"meta\">(2)</span></h3>"),
            std::string::npos)
      << inventories;
  EXPECT_NE(inventories.find("id=\"objects\">Objects</h2>\n<p class=\"note\">None.</p>"),
            std::string::npos);
  // Another run replaces the whole folder: a file only the earlier site had is gone.
  std::ofstream(site / "stale.html") << "x";
  info.GetFileInfo(project);
  ASSERT_FALSE(info.SiteIndex().empty()) << info.SiteFailure();
  EXPECT_FALSE(fs::exists(site / "stale.html"));
  EXPECT_TRUE(fs::exists(site / "index.html"));
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.Path() / "p")) ++entries;
  EXPECT_EQ(entries, 4u) << "project, module, report folder, site: no temporary folder left";
  // A site that cannot be written (its folder's parent is a file) fails with its reason.
  info.Settings().outDir = dir.Write("file", "x");
  info.GetFileInfo(project);
  EXPECT_TRUE(info.SiteIndex().empty());
}

// A call picture keeps to its limits: at most twelve callers drawn and a line for the others, a
// long name cut with an ellipsis; every box is a link and the page's links resolve.
TEST(Site, CallPicturesKeepToTheirLimits) {
  test::TestFolder dir("site-calls");
  std::string code = "Attribute VB_Name = \"modCalls\"\r\nPublic Sub Target()\r\nEnd Sub\r\n";
  const std::string longName(60, 'L');
  for (int i = 1; i <= 14; ++i) {
    code += "Public Sub " + (i == 1 ? longName : "C" + std::to_string(i)) +
            "()\r\n    Target\r\nEnd Sub\r\n";
  }
  dir.Write("p/modCalls.bas", code);
  const std::string project =
      dir.Write("p/C.vbp", "Type=Exe\r\nModule=modCalls; modCalls.bas\r\nName=\"C\"\r\n");
  clsVBInfo info;
  info.Settings().writeSite = true;
  info.Settings().crossReferences = true;
  info.Settings().site.dotProgram = "";
  info.GetFileInfo(project);
  ASSERT_FALSE(info.SiteIndex().empty()) << info.SiteFailure();
  const fs::path site = fs::path(info.SiteIndex()).parent_path();
  const std::string page = test::ReadFile((site / "m1-modCalls.html").string());
  const size_t at = page.find("<svg class=\"calls\"");
  ASSERT_NE(at, std::string::npos);
  const std::string picture = page.substr(at, page.find("</svg>", at) - at);
  size_t links = 0;
  for (size_t a = 0; (a = picture.find("<a href=\"m1-modCalls.html#", a)) != std::string::npos; ++a)
    ++links;
  EXPECT_EQ(links, 13u) << "twelve callers and the procedure";
  EXPECT_NE(picture.find(">Target</text>"), std::string::npos);
  EXPECT_NE(picture.find(">2 more</text>"), std::string::npos) << picture;
  EXPECT_NE(picture.find(">" + longName.substr(0, 40) + "\xE2\x80\xA6</text>"), std::string::npos)
      << picture;
  EXPECT_EQ(BrokenLinks(site), std::vector<std::string>{});
}

// The style sheet and script are the tree's files (src/output/common), byte for byte: in the
// program and in every site written.
TEST_F(SampleSite, StyleSheetAndScriptAreTheFilesOfTheTree) {
  ASSERT_TRUE(s_info->ReportWritten()) << s_info->FailureReason();
  const std::string folder = std::string(QS_SOURCE_DIR) + "/src/output/common/";
  const std::pair<std::string_view, const char*> assets[] = {{SiteStyleSheet(), "site.css"},
                                                             {SiteScript(), "site.js"}};
  for (const auto& [embedded, name] : assets) {
    const std::string file = test::ReadFile(folder + name);
    EXPECT_GT(file.size(), 1000u) << name;
    EXPECT_EQ(embedded, file) << name;
    EXPECT_EQ(Page(name), file) << name;
  }
}

// With a budget of one thread the site is written on the caller's thread alone (its pictures all
// drawn at the end), and is the same, file for file, as the site written on many threads, where
// the pages are shared out and the dependency picture is drawn while they are written.
TEST(Site, OneThreadWritesTheSameSiteAsMany) {
  if (kWindowsFileSystem) GTEST_SKIP() << "the stand-in for dot is a POSIX shell script";
  test::TestFolder dir("site-threads");
  // A stand-in for dot: FILE.svg holds the DOT text of FILE.
  const std::string fake =
      dir.Write("bin/fakedot",
                "#!/bin/sh\nfor f; do case \"$f\" in -*) ;; *) cat \"$f\" > \"$f.svg\" ;; "
                "esac; done\n");
  ::chmod(fake.c_str(), 0755);
  clsVBInfo info;
  info.Settings().outDir = (dir.Path() / "report").string();
  info.GetFileInfo(kSample);
  ASSERT_TRUE(info.ReportWritten()) << info.FailureReason();
  // Each module uses the next one: the index has a dependency picture.
  std::vector<const clsVBFileType*> modules;
  for (const ProjectModule& pm : ListProjectModules(info.Analysis())) modules.push_back(pm.item);
  ASSERT_GE(modules.size(), 3u);
  SiteOptions options;
  options.dotProgram = fake;
  options.sourcePageBytes = 4000;
  options.extras.dependenciesOf = [&](const clsVBFileType& m,
                                      std::vector<const clsVBFileType*>& out) {
    const auto it = std::find(modules.begin(), modules.end(), &m);
    if (it + 1 < modules.end()) out.push_back(*(it + 1));
  };
  const auto write = [&](unsigned threads, const fs::path& folder) -> uint64_t {
    ThreadBudget budget(threads);
    const ThreadBudgetScope scope(&budget);
    const uint64_t before = ThreadsStarted();
    PendingSite site;
    EXPECT_TRUE(site.Write(info.Analysis(), kSample, options, folder.string())) << site.Reason();
    EXPECT_TRUE(site.Commit()) << site.Reason();
    EXPECT_EQ(site.PictureNote(), "");
    return ThreadsStarted() - before;
  };
  const fs::path one = dir.Path() / "one", many = dir.Path() / "many";
  EXPECT_EQ(write(1, one), 0u);
  EXPECT_GT(write(0, many), 0u);
  size_t files = 0, pictures = 0;
  for (const auto& entry : fs::recursive_directory_iterator(one)) {
    if (!entry.is_regular_file()) continue;
    const fs::path rel = fs::relative(entry.path(), one);
    ++files;
    pictures += rel.extension() == ".svg" ? 1 : 0;
    EXPECT_EQ(test::ReadFile(entry.path().string()), test::ReadFile((many / rel).string())) << rel;
  }
  size_t manyFiles = 0;
  for (const auto& entry : fs::recursive_directory_iterator(many))
    manyFiles += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, manyFiles);
  EXPECT_GT(files, 2 * modules.size()) << "module and source pages";
  EXPECT_GE(pictures, 2u) << "the dependencies and a form's controls";
  EXPECT_NE(test::ReadFile((one / "pictures/dependencies.svg").string()).find("digraph"),
            std::string::npos);
}

// Both pieces run to their end whichever of them fails, and the failure comes out of
// RunAlongside.
TEST(Site, RunAlongsideJoinsBothAndRethrows) {
  for (const bool sideFails : {false, true}) {
    for (const bool hereFails : {false, true}) {
      std::atomic<int> done{0};
      const auto piece = [&done](bool fails) -> std::function<void()> {
        return [&done, fails] {
          std::this_thread::sleep_for(std::chrono::milliseconds(fails ? 0 : 20));
          ++done;
          if (fails) throw std::runtime_error("failed");
        };
      };
      bool thrown = false;
      try {
        RunAlongside(piece(sideFails), piece(hereFails));
      } catch (const std::runtime_error&) {
        thrown = true;
      }
      EXPECT_EQ(done.load(), 2) << sideFails << hereFails;
      EXPECT_EQ(thrown, sideFails || hereFails) << sideFails << hereFails;
    }
  }
}

TEST(GraphRenderer, ManyGraphsGoToOneProcess) {
  if (kWindowsFileSystem) GTEST_SKIP() << "the stand-in for dot is a POSIX shell script";
  test::TestFolder dir("site-graphs");
  // A stand-in for dot: writes FILE.svg for every file named and counts its own calls.
  const std::string fake =
      dir.Write("bin/fakedot",
                "#!/bin/sh\necho call >> \"$(dirname \"$0\")/calls\"\nfor f; do case \"$f\" "
                "in -*) ;; *) echo '<svg/>' > \"$f.svg\" ;; esac; done\n");
  ::chmod(fake.c_str(), 0755);
  std::vector<std::string> files;
  for (int i = 0; i < 5; ++i) files.push_back(dir.Write("g" + std::to_string(i), "digraph{}"));
  const GraphRenderer renderer(fake);
  ASSERT_TRUE(renderer.Available());
  EXPECT_EQ(renderer.RenderSvg(files, 3, 1), "");
  for (const std::string& f : files) EXPECT_TRUE(fs::exists(f + ".svg")) << f;
  EXPECT_EQ(test::ReadFile(dir / "bin/calls"), "call\ncall\n");
  // Shared out among processes running at once, in as few calls as that allows.
  EXPECT_EQ(renderer.RenderSvg(files, 100, 2), "");
  EXPECT_EQ(test::ReadFile(dir / "bin/calls"), "call\ncall\ncall\ncall\n");

  const std::string failing = dir.Write("bin/failing", "#!/bin/sh\nexit 3\n");
  ::chmod(failing.c_str(), 0755);
  EXPECT_EQ(GraphRenderer(failing).RenderSvg(files), "dot ended with exit status 3");
  EXPECT_FALSE(GraphRenderer("").Available());
  EXPECT_FALSE(GraphRenderer("no-such-program-here").Available());
  EXPECT_EQ(GraphRenderer("").RenderSvg(files), "Graphviz's dot was not found on the PATH");
}

}  // namespace
}  // namespace qs

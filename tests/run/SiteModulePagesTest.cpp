// The module pages of the documentation site: declarations' ids by name, the members' table at
// the top (private members folded), long lists of uses and callers folded and grouped by module,
// callers named with their modules, control arrays shown once, Implements both ways, and every
// link into a module page finding its id.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "output/common/SiteText.h"
#include "run/clsVBInfo.h"
#include "support/TestFolder.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

TEST(SiteAnchors, NamesAreReadableUniqueAndSafe) {
  const struct {
    const char* name;
    DeclKind kind;
    const char* id;
    bool whole;  ///< the name alone taken for the property as a whole
  } cases[] = {
      {"Left", DeclKind::kPropertyGet, "get-Left", true},
      {"Left", DeclKind::kPropertyLet, "let-Left", false},  // the property's id is taken
      {"Left", DeclKind::kPropertySet, "set-Left", false},
      {"Left", DeclKind::kPropertyGet, "get-Left-1", false},  // a second Get (another #If branch)
      {"Top", DeclKind::kPropertyLet, "let-Top", true},
      {"Caption", DeclKind::kSub, "Caption", false},
      {"Caption", DeclKind::kVariable, "Caption-1", false},
      {"Caption", DeclKind::kFunction, "Caption-2", false},
      {"Caption", DeclKind::kPropertyGet, "get-Caption", false},  // the name is a Sub's
      {"Left", DeclKind::kSub, "Left-1", false},                  // the property has "Left"
      {"controls", DeclKind::kVariable, "controls-1", false},     // the page's own section
      {"summary", DeclKind::kConstant, "summary-1", false},
      {"property", DeclKind::kPropertyGet, "get-property", false},
      {"\xC3\xA9t\xC3\xA9", DeclKind::kSub, "\xC3\xA9t\xC3\xA9", false},  // UTF-8 letters stay
      {"a b\"<&'#%", DeclKind::kVariable, "a_b______", false},            // nothing to escape
      {"", DeclKind::kSub, "_", false},
      {"", DeclKind::kPropertyGet, "get-_", false},  // "_" is taken
  };
  SiteText::AnchorNames names;
  for (const auto& c : cases) {
    std::string id = "#";
    EXPECT_EQ(names.Append(id, c.name, c.kind), c.whole) << c.name;
    EXPECT_EQ(id, std::string("#") + c.id) << c.name;
  }
  // The same declarations in the same order, on a new page: the same ids; on the same page,
  // each again numbered.
  SiteText::AnchorNames again;
  std::string ids, expected, more;
  for (const auto& c : cases) {
    again.Append(ids, c.name, c.kind);
    expected += c.id;
    names.Append(more, c.name, c.kind);
  }
  EXPECT_EQ(ids, expected);
  EXPECT_EQ(more.compare(0, 10, "get-Left-2"), 0) << more;
}

// Every link with a fragment of every page finds a file and an id there.
std::vector<std::string> BrokenFragments(const fs::path& site) {
  std::map<std::string, std::set<std::string>> ids;
  std::map<std::string, std::string> pages;
  for (const auto& entry : fs::directory_iterator(site)) {
    if (entry.path().extension() != ".html") continue;
    const std::string name = entry.path().filename().string();
    const std::string& text = pages[name] = test::ReadFile(entry.path().string());
    for (size_t at = 0; (at = text.find(" id=", at)) != std::string::npos;) {
      at += 4;
      const bool quoted = text[at] == '"';
      at += quoted ? 1 : 0;
      ids[name].insert(text.substr(at, text.find_first_of(quoted ? "\"" : " >", at) - at));
    }
  }
  std::vector<std::string> broken;
  for (const auto& [page, text] : pages) {
    for (size_t at = 0; (at = text.find(" href=\"", at)) != std::string::npos;) {
      at += 7;
      const std::string link = text.substr(at, text.find('"', at) - at);
      const size_t hash = link.find('#');
      if (hash == std::string::npos) continue;
      const std::string file = hash == 0 ? page : link.substr(0, hash);
      if (!ids.count(file) || !ids[file].count(link.substr(hash + 1)))
        broken.push_back(page + " -> " + link);
    }
  }
  return broken;
}

std::string Between(const std::string& text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  if (at == std::string::npos) return {};
  return text.substr(at, text.find(to, at) - at);
}

class ModulePages : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new test::TestFolder("site-module-pages");
    // Target: called from 12 procedures in two modules (folded); Twice calls it twice (listed
    // once, named with its module); Private members after the public ones.
    std::string modA =
        "Attribute VB_Name = \"modA\"\n"
        "''' Runs the target.\n"
        "Public Sub Target()\nEnd Sub\n"
        "Private Const HIDDEN As Long = 1\n"
        "Private Sub Helper()\n  Target\nEnd Sub\n"
        "#If A Then\nPublic Sub Twin()\nEnd Sub\n#Else\nPublic Sub Twin()\nEnd Sub\n#End If\n"
        "Public Type Pt\n  X As Long\nEnd Type\n"
        "Public Function Origin(ByVal s As clsShape, Optional n As VBA.Collection) As Pt\n"
        "End Function\n";
    std::string modB = "Attribute VB_Name = \"modB\"\n";
    for (int i = 1; i <= 10; ++i)
      modB += "Public Sub Caller" + std::to_string(i) + "()\n  Target\nEnd Sub\n";
    modB += "Public Sub Twice()\n  Target\n  modA.Target\nEnd Sub\n";
    // A private Enum of modA's Type's name: modB's signatures link to their own.
    modB +=
        "Private Enum Pt\n  One\nEnd Enum\nPublic Sub UsePt(ByVal p As Pt, s As String)\nEnd Sub\n";
    s_dir->Write("p/modA.bas", test::Crlf(modA));
    s_dir->Write("p/modB.bas", test::Crlf(modB));
    const std::string classHead =
        "VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1  'True\nEND\nAttribute VB_Name = \"";
    s_dir->Write(
        "p/clsShape.cls",
        test::Crlf(classHead + "clsShape\"\nPublic Property Get Left() As Long\nEnd Property\n"
                               "Public Property Let Left(ByVal v As Long)\nEnd Property\n"));
    s_dir->Write("p/clsBox.cls",
                 test::Crlf(classHead +
                            "clsBox\"\nImplements clsShape\n"
                            "Private Property Get clsShape_Left() As Long\nEnd Property\n"
                            "Private Property Let clsShape_Left(ByVal v As Long)\nEnd Property\n"));
    s_dir->Write("p/frmCalc.frm",
                 test::Crlf("VERSION 5.00\nBegin VB.Form frmCalc\n   Caption = \"Calc\"\n"
                            "   Begin VB.CommandButton cmdDigit\n      Caption = \"0\"\n"
                            "      Index = 0\n   End\n"
                            "   Begin VB.CommandButton cmdDigit\n      Caption = \"1\"\n"
                            "      Index = 1\n   End\n"
                            "   Begin VB.CommandButton cmdDigit\n      Index = 2\n   End\n"
                            "   Begin VB.CommandButton cmdDigit\n      Index = 5\n   End\n"
                            "   Begin VB.CommandButton cmdOk\n      Caption = \"OK\"\n   End\n"
                            "End\nAttribute VB_Name = \"frmCalc\"\n"
                            "Private Sub cmdDigit_Click(Index As Integer)\nEnd Sub\n"));
    const std::string vbp = s_dir->Write(
        "p/P.vbp",
        "Type=Exe\r\nModule=modA; modA.bas\r\nModule=modB; modB.bas\r\n"
        "Class=clsShape; clsShape.cls\r\nClass=clsBox; clsBox.cls\r\nForm=frmCalc.frm\r\n"
        "Name=\"P\"\r\n");
    s_info = new clsVBInfo;
    s_info->Settings().outDir = (s_dir->Path() / "out").string();
    s_info->Settings().writeSite = true;
    s_info->Settings().crossReferences = true;
    s_info->Settings().site.dotProgram = "";
    s_info->GetFileInfo(vbp);
  }
  static void TearDownTestSuite() {
    delete s_info;
    delete s_dir;
  }
  static fs::path Site() { return fs::path(s_info->SiteIndex()).parent_path(); }
  static std::string Page(const std::string& name) {
    return test::ReadFile((Site() / name).string());
  }
  static test::TestFolder* s_dir;
  static clsVBInfo* s_info;
};
test::TestFolder* ModulePages::s_dir = nullptr;
clsVBInfo* ModulePages::s_info = nullptr;

TEST_F(ModulePages, LeadWithTheMembersAndFoldLongLists) {
  ASSERT_FALSE(s_info->SiteIndex().empty()) << s_info->SiteFailure();
  const std::string a = Page("m1-modA.html");
  // The members' table comes before the details; public members first, the private ones folded
  // under their count.
  const size_t table = a.find("<table class=\"members\">");
  const size_t folded =
      a.find("<details class=\"private\" id=\"private\"><summary>Private members (2)");
  ASSERT_NE(table, std::string::npos);
  ASSERT_NE(folded, std::string::npos);
  EXPECT_LT(table, folded);
  EXPECT_LT(folded, a.find("<div class=\"decl\""));
  EXPECT_LT(a.find("<a class=\"member\" href=\"#Target\">Target</a>"), folded);
  EXPECT_GT(a.find("<a class=\"member\" href=\"#Helper\">Helper</a>"), folded);
  EXPECT_GT(a.find("<a class=\"member\" href=\"#HIDDEN\">HIDDEN</a>"), folded);
  // The details: the public members', then the private ones folded under their count.
  const size_t privateDetails = a.find(
      "<details class=\"private\" id=\"private-details\"><summary>Details of the private members "
      "(2)</summary>\n<h2 id=\"private-constant\">Constants (private)</h2>");
  ASSERT_NE(privateDetails, std::string::npos);
  EXPECT_LT(a.find("<div class=\"decl\" id=\"Target\">"), privateDetails);
  EXPECT_GT(a.find("<div class=\"decl\" id=\"Helper\">"), privateDetails);
  EXPECT_GT(a.find("<div class=\"decl\" id=\"HIDDEN\">"), privateDetails);
  // Both branches' Twin: the second declaration numbered.
  EXPECT_NE(a.find("id=\"Twin\""), std::string::npos);
  EXPECT_NE(a.find("id=\"Twin-1\""), std::string::npos);

  // Target: 12 callers in two modules, folded and grouped; each caller once.
  const std::string target = Between(a, "<div class=\"decl\" id=\"Target\"", "<svg");
  EXPECT_NE(target.find("<details class=\"more\"><summary>Called by 12 callers in 2 modules"
                        "</summary>"),
            std::string::npos)
      << target;
  EXPECT_NE(target.find("<li><b>modB</b> <span class=\"meta\">(11)</span>: "), std::string::npos);
  EXPECT_NE(target.find("<li><b>modA</b> <span class=\"meta\">(1)</span>: "
                        "<a href=\"m1-modA.html#Helper\">Helper</a></li>"),
            std::string::npos);
  // 13 places (Twice uses it twice, on two lines) in two modules.
  EXPECT_NE(target.find("<summary>Used at 13 places in 2 modules</summary>"), std::string::npos)
      << target;
  size_t twice = 0;
  for (size_t at = 0; (at = target.find("m2-modB.html#Twice\"", at)) != std::string::npos; ++at)
    ++twice;
  EXPECT_EQ(twice, 1u) << "a caller of two calls listed once";

  // Signatures: each type the project declares linked (a module, a Type, a module's own private
  // Enum before another module's public Type); others and the qualified ones not.
  EXPECT_NE(a.find("<code class=\"sig\">Public Function Origin(ByVal s As <a "
                   "href=\"m3-clsShape.html\">clsShape</a>, Optional n As VBA.Collection) As <a "
                   "href=\"m1-modA.html#Pt\">Pt</a></code>"),
            std::string::npos);
  // A short list stays open, each callee once and named with its module.
  const std::string b = Page("m2-modB.html");
  const std::string twiceDecl = Between(b, "<div class=\"decl\" id=\"Twice\"", "<svg");
  EXPECT_NE(twiceDecl.find("<div class=\"more\">Calls: <a href=\"m1-modA.html#Target\">"
                           "modA.Target</a></div>"),
            std::string::npos)
      << twiceDecl;
  EXPECT_NE(b.find("<code class=\"sig\">Public Sub UsePt(ByVal p As <a "
                   "href=\"m2-modB.html#Pt\">Pt</a>, s As String)</code>"),
            std::string::npos);
  EXPECT_EQ(BrokenFragments(Site()), std::vector<std::string>{});
}

TEST_F(ModulePages, PropertiesControlArraysAndInterfaces) {
  ASSERT_FALSE(s_info->SiteIndex().empty()) << s_info->SiteFailure();
  const std::string shape = Page("m3-clsShape.html");
  EXPECT_NE(shape.find("<div class=\"decl\" id=\"get-Left\"><a class=\"whole\" id=\"Left\"></a>"),
            std::string::npos);
  EXPECT_NE(shape.find("<div class=\"decl\" id=\"let-Left\">"), std::string::npos);
  EXPECT_EQ(shape.find("<details class=\"private\""), std::string::npos) << "nothing private";
  EXPECT_NE(shape.find("Implemented by: <a href=\"m4-clsBox.html\">clsBox</a>"), std::string::npos);
  const std::string box = Page("m4-clsBox.html");
  EXPECT_NE(box.find("Implements: <a href=\"m3-clsShape.html\">clsShape</a>"), std::string::npos);
  EXPECT_NE(box.find("Private members (2)"), std::string::npos);

  // The control array once, with its indexes (a run shortened) and its handler; the other control
  // as it was.
  const std::string form = Page("m5-frmCalc.html");
  const std::string controls = Between(form, "<h2 id=\"controls\">", "</ul>\n");
  EXPECT_NE(controls.find("<code>cmdDigit(0 to 2, 5)</code>"), std::string::npos) << controls;
  size_t digits = 0;
  for (size_t at = 0; (at = controls.find("<code>cmdDigit", at)) != std::string::npos; ++at)
    ++digits;
  EXPECT_EQ(digits, 1u) << controls;
  EXPECT_NE(controls.find("<a href=\"#cmdDigit_Click\">cmdDigit_Click</a>"), std::string::npos);
  EXPECT_NE(controls.find("<code>cmdOk</code>"), std::string::npos);

  // The search index and the source pages link by name too.
  const std::string search = Page("search-index.js");
  EXPECT_NE(search.find("\"Target\",3,0,\"Target\""), std::string::npos);
  // A property's Get, Let and Set are one result, at the first of them.
  EXPECT_NE(search.find("\"Left\",5,2,\"get-Left\""), std::string::npos);
  EXPECT_NE(search.find("\"modA\",0,0,\"\""), std::string::npos);
  EXPECT_NE(Page("s2-modB.html").find("<a href=\"m1-modA.html#Target\">"), std::string::npos);
  EXPECT_EQ(BrokenFragments(Site()), std::vector<std::string>{});
}

}  // namespace
}  // namespace qs

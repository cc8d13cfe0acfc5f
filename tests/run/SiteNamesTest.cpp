// The site's index of every name (names.html: sorted with letter case ignored, grouped by letter,
// each name with its kind and module, linked to its entry; split into pages by letter when long)
// and its page of interfaces (the project's and other libraries', with their implementers).
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "run/clsVBInfo.h"
#include "support/SiteLinks.h"
#include "support/TestFolder.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

const std::string kClassHead =
    "VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1  'True\nEND\nAttribute VB_Name = \"";

// Writes the project's files; P.vbp holds them all, Small.vbp the module alone.
void WriteProject(test::TestFolder& dir) {
  dir.Write("p/modA.bas",
            test::Crlf("Attribute VB_Name = \"modA\"\n"
                       "Public Const ZED As Long = 1\n"
                       "Public Enum Colour\n  Red\n  apple\n  [_Hidden]\nEnd Enum\n"
                       "Public Type Pt\n  X As Long\nEnd Type\n"
                       "Public Declare Function GetTickCount Lib \"kernel32\" () As Long\n"
                       "Public Sub alpha()\nEnd Sub\n"
                       "Private Function Beta() As Long\nEnd Function\n"));
  dir.Write("p/clsShape.cls",
            test::Crlf(kClassHead + "clsShape\"\nPublic mName As String\nPublic Event Changed()\n"
                                    "Public Property Get Area() As Long\nEnd Property\n"
                                    "Public Property Let Area(ByVal v As Long)\nEnd Property\n"));
  dir.Write("p/clsBox.cls",
            test::Crlf(kClassHead +
                       "clsBox\"\nImplements clsShape\nImplements OLEGuids.IObjectSafety\n"
                       "Private Property Get clsShape_Area() As Long\nEnd Property\n"
                       "Private Property Let clsShape_Area(ByVal v As Long)\nEnd Property\n"));
  dir.Write("p/clsCircle.cls",
            test::Crlf(kClassHead +
                       "clsCircle\"\nImplements oleguids.IObjectSafety\nImplements clsShape\n"
                       "Private Property Get clsShape_Area() As Long\nEnd Property\n"));
  dir.Write("p/P.vbp",
            "Type=Exe\r\nModule=modA; modA.bas\r\nClass=clsShape; clsShape.cls\r\n"
            "Class=clsBox; clsBox.cls\r\nClass=clsCircle; clsCircle.cls\r\nName=\"P\"\r\n");
  dir.Write("p/Small.vbp", "Type=Exe\r\nModule=modA; modA.bas\r\nName=\"Small\"\r\n");
}

// Writes the site of a project; returns its folder (empty on failure, with the reason added).
fs::path SiteOf(test::TestFolder& dir, const std::string& vbp, const std::string& out,
                size_t pageBytes) {
  clsVBInfo info;
  info.Settings().outDir = (dir.Path() / out).string();
  info.Settings().writeSite = true;
  info.Settings().crossReferences = true;
  info.Settings().site.dotProgram = "";
  info.Settings().site.sourcePageBytes = pageBytes;
  info.GetFileInfo((dir.Path() / "p" / vbp).string());
  EXPECT_FALSE(info.SiteIndex().empty()) << info.SiteFailure();
  return info.SiteIndex().empty() ? fs::path() : fs::path(info.SiteIndex()).parent_path();
}

// The index's rows in page order: "name|kind|href|module".
std::vector<std::string> Rows(const std::string& page) {
  static const std::regex row(
      "<tr><td><a href=\"([^\"]*)\">([^<]*)</a></td><td>([^<]*)</td><td>"
      "(?:<a href=\"[^\"]*\">([^<]*)</a>)?</td></tr>");
  std::vector<std::string> rows;
  for (std::sregex_iterator it(page.begin(), page.end(), row), end; it != end; ++it)
    rows.push_back((*it)[2].str() + "|" + (*it)[3].str() + "|" + (*it)[1].str() + "|" +
                   (*it)[4].str());
  return rows;
}

TEST(SiteNames, EveryNameSortedByLetterWithItsKindAndInterfacesWithImplementers) {
  test::TestFolder dir("site-names");
  WriteProject(dir);
  const fs::path site = SiteOf(dir, "P.vbp", "out", 3u << 20);
  ASSERT_FALSE(site.empty());
  const std::string names = test::ReadFile((site / "names.html").string());
  // Case ignored (alpha, apple, Area); a property's Get and Let once, at the Get; an enum's
  // members at their enum; a Type's members not listed; the modules with their kinds.
  const std::vector<std::string> expected = {
      "alpha|sub|m1-modA.html#alpha|modA",
      "apple|enum member|m1-modA.html#Colour|modA",
      "Area|property|m2-clsShape.html#get-Area|clsShape",
      "Beta|function|m1-modA.html#Beta|modA",
      "Changed|event|m2-clsShape.html#Changed|clsShape",
      "clsBox|class|m3-clsBox.html|",
      "clsCircle|class|m4-clsCircle.html|",
      "clsShape|class|m2-clsShape.html|",
      "clsShape_Area|property|m3-clsBox.html#get-clsShape_Area|clsBox",
      "clsShape_Area|property|m4-clsCircle.html#get-clsShape_Area|clsCircle",
      "Colour|enum|m1-modA.html#Colour|modA",
      "GetTickCount|API declaration|m1-modA.html#GetTickCount|modA",
      "mName|variable|m2-clsShape.html#mName|clsShape",
      "modA|module|m1-modA.html|",
      "Pt|user type|m1-modA.html#Pt|modA",
      "Red|enum member|m1-modA.html#Colour|modA",
      "ZED|constant|m1-modA.html#ZED|modA",
      "_Hidden|enum member|m1-modA.html#Colour|modA",  // not starting with a letter: last
  };
  EXPECT_EQ(Rows(names), expected);
  // The letters: those with names linked to their sections (in order), the others plain.
  for (const char* part :
       {"<a href=\"names.html#A\">A</a><a href=\"names.html#B\">B</a>"
        "<a href=\"names.html#C\">C</a><span>D</span><span>E</span>",
        "<span>Y</span><a href=\"names.html#Z\">Z</a><a href=\"names.html#other\">Other</a></p>",
        "<h2 id=\"G\">G</h2>\n<table><tr><th>Name</th><th>Kind</th><th>Module</th></tr>\n"
        "<tr><td><a href=\"m1-modA.html#GetTickCount\">"})
    EXPECT_NE(names.find(part), std::string::npos) << part;
  EXPECT_FALSE(fs::exists(site / "names-2.html"));
  // Reached from every page's bar and from the index.
  EXPECT_NE(test::ReadFile((site / "m1-modA.html").string()).find("<a href=\"names.html\">Names"),
            std::string::npos);
  EXPECT_NE(test::ReadFile((site / "index.html").string()).find("href=\"interfaces.html\""),
            std::string::npos);

  // The project's interface and the other library's (one whatever its spelling), each with
  // its implementers by name.
  const std::string interfaces = test::ReadFile((site / "interfaces.html").string());
  for (const char* part : {
           "<h2 id=\"project\">The project's classes</h2>\n<table><tr><th>Interface</th>"
           "<th>Implemented by</th></tr>\n<tr><td><a href=\"m2-clsShape.html\">clsShape</a></td>"
           "<td><a href=\"m3-clsBox.html\">clsBox</a>, <a href=\"m4-clsCircle.html\">clsCircle"
           "</a></td></tr>\n</table>\n",
           "<h2 id=\"other\">Other libraries' interfaces</h2>\n<table><tr><th>Interface</th>"
           "<th>Implemented by</th></tr>\n<tr><td>IObjectSafety</td><td><a "
           "href=\"m3-clsBox.html\">clsBox</a>, <a href=\"m4-clsCircle.html\">clsCircle</a>"
           "</td></tr>\n</table>\n",
       })
    EXPECT_NE(interfaces.find(part), std::string::npos) << part << "\n" << interfaces;
  EXPECT_EQ(test::BrokenLinks(site), std::vector<std::string>{});

  // Small pages: each letter on a page of its own, every page with the whole row of letters;
  // no interface: one line says so.
  const fs::path small = SiteOf(dir, "Small.vbp", "small", 1);
  ASSERT_FALSE(small.empty());
  const char* const pages[] = {"names.html",   "names-2.html", "names-3.html",
                               "names-4.html", "names-5.html", "names-6.html",
                               "names-7.html", "names-8.html", "names-9.html"};
  const char* const letters[] = {"A", "B", "C", "G", "M", "P", "R", "Z", "other"};
  std::vector<std::string> rows;
  for (size_t i = 0; i < std::size(pages); ++i) {
    const std::string page = test::ReadFile((small / pages[i]).string());
    EXPECT_NE(page.find(std::string("<h2 id=\"") + letters[i] + "\">"), std::string::npos)
        << pages[i];
    EXPECT_NE(page.find("<a href=\"names-9.html#other\">Other</a>"), std::string::npos) << pages[i];
    for (const std::string& row : Rows(page)) rows.push_back(row);
  }
  EXPECT_FALSE(fs::exists(small / "names-10.html"));
  EXPECT_EQ(rows.size(), 10u);  // modA and its 9 names above
  EXPECT_NE(test::ReadFile((small / "interfaces.html").string())
                .find("<p class=\"note\">No class implements an interface.</p>"),
            std::string::npos);
  EXPECT_EQ(test::BrokenLinks(small), std::vector<std::string>{});
}

}  // namespace
}  // namespace qs

// Group files, folder scans and the estate summary, on a hand-made estate: two groups sharing a
// project, a project in no group, a module three projects list, a "*\A" reference, a group
// listing a missing project, mixed-case extensions and an earlier output folder in the tree.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "analysis/ProjectGroup.h"
#include "analysis/SourceCache.h"
#include "io/GraphRenderer.h"
#include "output/estate/EstateReport.h"
#include "output/json/ProjectExport.h"
#include "run/ProjectList.h"
#include "run/clsVBInfo.h"
#include "support/TestFolder.h"
#include "text/SystemPath.h"

namespace qs {
namespace {

TEST(ProjectGroupText, MembersAndReferencesAsWritten) {
  struct Case {
    std::string text;
    bool isGroup;
    std::vector<std::string> members;
  };
  const Case cases[] = {
      {"VBGROUP 5.0\r\nStartupProject=App\\App.vbp\r\nProject=..\\Lib\\Lib.vbp\r\n",
       true,
       {"App\\App.vbp", "..\\Lib\\Lib.vbp"}},
      // Any version, blanks around keys and values, any letter case of the key, lone CR and LF,
      // other lines and empty values ignored.
      {"vbgroup 6.0\nproject = My Lib\\Lib.vbp \rOther=x.vbp\nProject=\n  Project=b.vbp",
       true,
       {"My Lib\\Lib.vbp", "b.vbp"}},
      {"VBGROUP", true, {}},
      // Not a group: no VBGROUP first line (a later one does not count).
      {"Project=a.vbp\r\nVBGROUP 5.0\r\n", false, {}},
      {"VBGROUPS 5.0\r\nProject=a.vbp", false, {}},
      {"", false, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> members;
    EXPECT_EQ(ParseProjectGroup(c.text, members), c.isGroup) << c.text;
    EXPECT_EQ(members, c.members) << c.text;
  }
  EXPECT_EQ(ParseProjectReferences("Type=Exe\r\nReference=*\\A..\\Lib\\Lib.vbp#1.0#0#Lib\r\n"
                                   "Reference=*\\G{0000}#2.0#0#x.tlb#Lib\r\n"
                                   "reference = *\\a Other.vbp\r\nReference=*\\A#\r\n"),
            (std::vector<std::string>{"..\\Lib\\Lib.vbp", "Other.vbp"}));
}

TEST(ProjectListGlob, StarQuestionAndLetterCase) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"*", "", true},          {"*.vbp", "A.VBP", true},     {"old*", "OldStuff", true},
      {"a?c", "abc", true},     {"a?c", "ac", false},         {"*b*b", "abxbyb", true},
      {"*b*b", "abxby", false}, {"Old/*", "old/x.vbp", true}, {"x", "xy", false},
  };
  for (const auto& [pattern, text, match] : cases)
    EXPECT_EQ(MatchesGlob(pattern, text), match) << pattern << " " << text;
  EXPECT_TRUE(IsOutputFolderName("App_document"));
  EXPECT_TRUE(IsOutputFolderName("estate_site"));
  EXPECT_FALSE(IsOutputFolderName("Documents"));
}

// Projects are documented after those whose source they reference; a cycle is broken in the
// list's order, a reference out of range ignored.
TEST(ProjectListOrder, ReferencedProjectsFirst) {
  const std::pair<std::vector<std::vector<size_t>>, std::vector<size_t>> cases[] = {
      {{{1}, {}, {}}, {1, 0, 2}},
      {{{}, {2}, {0}}, {0, 2, 1}},
      {{{1}, {0}, {7}}, {1, 0, 2}},
      {{{1, 2}, {2}, {}}, {2, 1, 0}},
      {{}, {}},
  };
  for (const auto& [refs, order] : cases) EXPECT_EQ(ProjectList::ReferencedFirst(refs), order);
}

class Estate : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string shared =
        "Attribute VB_Name = \"modShared\"\r\nPublic Sub Hello()\r\nEnd Sub\r\n";
    m_dir.Write("Shared/modShared.bas", shared);
    m_dir.Write("Lib/Lib.vbp",
                "Type=OleDll\r\nModule=modShared; ..\\Shared\\modShared.bas\r\n"
                "Class=clsThing; clsThing.cls\r\nName=\"Lib\"\r\n");
    // Lib exposes its class: App, which references Lib's source, uses it and its members.
    m_dir.Write("Lib/clsThing.cls",
                "VERSION 1.0 CLASS\r\nAttribute VB_Name = \"clsThing\"\r\n"
                "Attribute VB_Exposed = True\r\nPublic Size As Long\r\nPrivate m_Hidden As Long\r\n"
                "Public Function Child() As clsThing\r\nEnd Function\r\n");
    m_dir.Write("App/App.vbp",
                "Type=Exe\r\nReference=*\\A..\\Lib\\Lib.vbp#1.0#0#Lib\r\n"
                "Module=modShared; ..\\SHARED\\modshared.BAS\r\nModule=modApp; modApp.bas\r\n"
                "Name=\"App\"\r\n");
    m_dir.Write("App/modApp.bas",
                "Attribute VB_Name = \"modApp\"\r\nPublic Sub Main()\r\n"
                "    Dim t As Lib.clsThing\r\n    Set t = New clsThing\r\n    t.Size = 3\r\n"
                "    Debug.Print t.Child.Size, t.m_Hidden\r\nEnd Sub\r\n");
    // In no group; its extension in capitals.
    m_dir.Write("Tool/TOOL.VBP",
                "Type=Exe\r\nModule=modShared; ..\\Shared\\modShared.bas\r\n"
                "Name=\"Tool\"\r\n");
    m_dir.Write("Groups/One.vbg",
                "VBGROUP 5.0\r\nStartupProject=..\\App\\App.vbp\r\nProject=..\\lib\\LIB.vbp\r\n");
    m_dir.Write("Groups/Two.VBG",
                "VBGROUP 5.0\r\nProject=..\\Lib\\Lib.vbp\r\nProject=..\\Gone\\Gone.vbp\r\n");
    // Earlier outputs and an excluded folder: never scanned.
    m_dir.Write("Tool/TOOL_document/Stale.vbp", "Name=\"Stale\"\r\n");
    m_dir.Write("estate_site/Stale.vbp", "Name=\"Stale\"\r\n");
    m_dir.Write("Attic/Old.vbp", "Name=\"Old\"\r\n");
  }
  test::TestFolder m_dir{"estate"};
  // The outputs' folder has a name beyond ASCII: on Windows its paths are UTF-8 throughout.
  const std::string m_out = "out-\xC3\xA9";
};

TEST_F(Estate, FolderScanGroupsSharedFilesAndTotals) {
  ProjectList list;
  list.SetExcludes({"att?c"});
  list.Add(m_dir.Path().string());
  // Sorted path order; a group's members come where the group is met, each project once.
  EXPECT_EQ(list.Projects(), (std::vector<std::string>{m_dir / "App/App.vbp", m_dir / "Lib/Lib.vbp",
                                                       m_dir / "Tool/TOOL.VBP"}));
  ASSERT_EQ(list.Groups().size(), 2u);
  EXPECT_EQ(list.Groups()[0].projects, (std::vector<size_t>{0, 1}));
  EXPECT_EQ(list.Groups()[1].projects, (std::vector<size_t>{1}));
  ASSERT_EQ(list.Warnings().size(), 1u);
  EXPECT_EQ(list.Warnings()[0].path, m_dir / "Groups/Two.VBG");
  EXPECT_EQ(list.Warnings()[0].message, "..\\Gone\\Gone.vbp: project file not found");
  EXPECT_TRUE(list.Failures().empty());

  // A group given twice, a project given by another spelling of its path: still once each; a
  // file that is no group and an empty folder fail.
  ProjectList again;
  again.Add(m_dir / "Groups/One.vbg");
  again.Add(m_dir / "Groups/../Groups/One.vbg");
  again.Add(m_dir / "App/../App/App.vbp");
  m_dir.Write("Bad.vbg", "Project=x.vbp\r\n");
  again.Add(m_dir / "Bad.vbg");
  std::filesystem::create_directories(m_dir.Path() / "Empty");
  again.Add(m_dir / "Empty");
  EXPECT_EQ(again.Projects().size(), 2u);
  EXPECT_EQ(again.Groups().size(), 1u);
  ASSERT_EQ(again.Failures().size(), 2u);
  EXPECT_EQ(again.Failures()[0].message, "group file does not start with a VBGROUP line");
  EXPECT_EQ(again.Failures()[1].message, "folder holds no project files");

  EstateReport estate;
  clsVBInfo info;
  info.Settings().stamp = "fixed";
  info.Settings().outDir = m_dir / m_out;
  info.Settings().crossReferences = true;
  // Lib first: App references its source, so Lib's exposed class resolves in App.
  const std::vector<std::vector<size_t>> sourceRefs = list.SourceReferences();
  EXPECT_EQ(sourceRefs, (std::vector<std::vector<size_t>>{{1}, {}, {}}));
  const std::vector<size_t> order = ProjectList::ReferencedFirst(sourceRefs);
  EXPECT_EQ(order, (std::vector<size_t>{1, 0, 2}));
  for (const size_t n : order) {
    info.Settings().exposedClasses = estate.ExposedBy(sourceRefs[n]);
    info.GetFileInfo(list.Projects()[n]);
    ASSERT_TRUE(info.ReportWritten()) << list.Projects()[n] << info.FailureReason();
    estate.AddProject(n, info.Analysis(), list.Projects()[n], info.HtmlListing(), 1252);
  }
  for (const ProjectList::Group& g : list.Groups()) estate.AddGroup({g.file, g.projects});
  // No picture drawn: the page says why.
  estate.SetDotProgram("");
  std::string reason;
  ASSERT_TRUE(estate.Write(m_dir / m_out, true, reason)) << reason;

  const std::vector<EstateProject>& p = estate.Projects();
  // Source files go by their full path, on Windows as the system spells it (drive and case).
  const auto source = [&](const std::string& rel) {
    return kWindowsFileSystem ? SameFileKey(m_dir / rel) : m_dir / rel;
  };
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0].name, "App");
  EXPECT_EQ(p[1].type, "OleDll");
  EXPECT_EQ(p[1].counts[2], 1);  // classes
  EXPECT_EQ(p[1].declarations, 4);
  // Lib's module's sub and its class's Private member: its class's Public ones are exposed.
  EXPECT_EQ(p[1].unused, 2);
  // App's uses of Lib's exposed class: the type names, a write and a call through a typed
  // variable, a member of the call's result; the Private member stays unknown.
  const std::tuple<const char*, int32_t, int32_t, const char*> crossUses[] = {
      {"clsThing", 3, 18, "read"},      {"clsThing", 4, 17, "read"},
      {"clsThing.Size", 5, 7, "write"}, {"clsThing.Child", 6, 19, "call"},
      {"clsThing.Size", 6, 25, "read"},
  };
  ASSERT_EQ(p[0].crossUses.size(), std::size(crossUses));
  for (size_t i = 0; i < std::size(crossUses); ++i) {
    const EstateCrossUse& u = p[0].crossUses[i];
    const auto& [declaration, line, column, kind] = crossUses[i];
    EXPECT_EQ(
        std::make_tuple(u.declaration, u.line, u.column, std::string(u.kind), u.target, u.file),
        std::make_tuple(std::string(declaration), line, column, std::string(kind), size_t{1},
                        source("App/modApp.bas")))
        << i;
  }
  EXPECT_EQ(p[0].references, std::vector<size_t>{1});
  EXPECT_TRUE(p[1].references.empty());
  const auto shared = estate.SharedFiles();
  ASSERT_EQ(shared.size(), 1u);
  EXPECT_EQ(shared.begin()->first, source("Shared/modShared.bas"));
  EXPECT_EQ(shared.begin()->second, (std::vector<size_t>{0, 1, 2}));

  const std::string json = test::ReadFile(m_dir / (m_out + "/estate_site/estate.json"));
  // Totals count each file once: the shared module (3 lines), App's module (7) and the class
  // (7); each project's declarations and unused ones.
  EXPECT_NE(
      json.find("\"totals\": {\n    \"projects\": 3,\n    \"files\": 3,\n    \"lines\": 17,\n"
                "    \"declarations\": 7,\n    \"unused\": 5,\n    \"crossProjectUses\": 5\n  }"),
      std::string::npos)
      << json;
  EXPECT_NE(json.find("\"ungrouped\": [\n    2\n  ]"), std::string::npos) << json;
  const std::string html = test::ReadFile(m_dir / (m_out + "/estate_site/index.html"));
  // Links to each report, relative to the estate folder.
  EXPECT_NE(html.find("<a href=\"../Lib_document/Lib.html\">Lib</a>"), std::string::npos) << html;
  EXPECT_NE(html.find("<tr><th>unused declarations</th><td class=\"num\">5</td>"),
            std::string::npos);
  EXPECT_NE(html.find("<tr><td><a href=\"../Lib_document/Lib.html\">Lib</a>.clsThing.Size</td><td>"
                      "<a href=\"../App_document/App.html\">App</a></td><td class=\"num\">2</td>"),
            std::string::npos);
  EXPECT_NE(html.find("The project picture is not drawn: Graphviz's dot was not found"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(SystemPath(m_dir / (m_out + "/estate_site/projects.svg"))));
  // The picture: App uses Lib's source; Lib and Tool list the shared module, which no project's
  // folder holds, so it belongs to its first lister, App.
  size_t shown = 0, connected = 0;
  const std::string dot = estate.PictureDot(shown, connected);
  EXPECT_EQ(shown, 3u);
  EXPECT_EQ(connected, 3u);
  for (const char* edge : {"n0 -> n1;\n", "n1 -> n0 [style=dashed, label=\"1\"];\n",
                           "n2 -> n0 [style=dashed, label=\"1\"];\n", "n0 [label=\"App\"];"})
    EXPECT_NE(dot.find(edge), std::string::npos) << edge << dot;
  // The search: every project's modules labelled with the project, each declaration with its
  // kind, module and its id on the module's page; without sites a module leads to its project's
  // report.
  const std::string search = test::ReadFile(m_dir / (m_out + "/estate_site/search-index.js"));
  for (const char* entry : {"[\"Lib.clsThing\",\"../Lib_document/Lib.html\"]",
                            "\n\"Size\",1,3,\"Size\",", "\n\"Hello\",3,4,\"Hello\"]};"})
    EXPECT_NE(search.find(entry), std::string::npos) << entry << search;
  EXPECT_TRUE(std::filesystem::exists(SystemPath(m_dir / (m_out + "/estate_site/site.js"))));
  EXPECT_EQ(std::filesystem::exists(
                SystemPath(m_dir / (m_out + "/estate_site.tmp-") + std::to_string(::getpid()))),
            false);

  // Sites asked for: the links go to each project's site instead, and a rewrite replaces the
  // earlier folder whole.
  estate.LinkSites(m_dir / m_out);
  estate.SetDotProgram("dot");
  ASSERT_TRUE(estate.Write(m_dir / m_out, false, reason)) << reason;
  EXPECT_NE(test::ReadFile(m_dir / (m_out + "/estate_site/index.html"))
                .find("<a href=\"../TOOL_site/index.html\">Tool</a>"),
            std::string::npos);
  EXPECT_NE(test::ReadFile(m_dir / (m_out + "/estate_site/search-index.js"))
                .find("[\"Lib.clsThing\",\"../Lib_site/m2-clsThing.html\"]"),
            std::string::npos);
  // With dot on the PATH the picture is drawn (and its DOT file not left behind).
  if (GraphRenderer("dot").Available()) {
    EXPECT_NE(test::ReadFile(m_dir / (m_out + "/estate_site/projects.svg")).find("<svg"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(SystemPath(m_dir / (m_out + "/estate_site/projects"))));
  }
  EXPECT_FALSE(std::filesystem::exists(SystemPath(m_dir / (m_out + "/estate_site/estate.json"))));
}

// A module three projects list is read and tokenized once; every report (and the analysis
// records) stays what the project documented alone gives, whatever the threads.
TEST_F(Estate, SharedFilesAreReadOnceAndReportsStayTheSame) {
  const std::vector<std::string> projects = {m_dir / "App/App.vbp", m_dir / "Lib/Lib.vbp",
                                             m_dir / "Tool/TOOL.VBP"};
  // A form both App and Tool list, whose header names the project's own controls.
  m_dir.Write("Shared/frmShared.frm",
              "VERSION 5.00\r\nBegin VB.Form frmShared\r\n   Begin App.ctlOwn Own1\r\n   End\r\n"
              "   Begin Tool.ctlOwn Own2\r\n   End\r\nEnd\r\nAttribute VB_Name = \"frmShared\"\r\n"
              "Private Sub Form_Load()\r\nEnd Sub\r\n");
  for (const char* p : {"App/App.vbp", "Tool/TOOL.VBP"}) {
    std::string text = test::ReadFile(m_dir / p);
    text += "Form=..\\Shared\\frmShared.frm\r\n";
    m_dir.Write(p, text);
  }
  const auto documentAll = [&](const std::shared_ptr<SourceCache>& cache, unsigned threads) {
    std::vector<std::string> reports;
    clsVBInfo info;
    info.Settings().stamp = "fixed";
    info.Settings().loadThreads = threads;
    info.Settings().keepLineEnds = true;
    info.Settings().sourceCache = cache;
    for (const std::string& project : projects) {
      info.Settings().outDir = m_dir / (cache ? "cached" : "alone");
      info.GetFileInfo(project);
      EXPECT_TRUE(info.ReportWritten()) << info.FailureReason();
      reports.push_back(test::ReadFile(info.HtmlListing()));
      // The export shows the form's controls, whose kinds depend on the project's name.
      std::string reason;
      EXPECT_TRUE(WriteProjectJson(info.Analysis(), project, ExportOptions(),
                                   info.HtmlListing() + ".json", reason))
          << reason;
      reports.push_back(test::ReadFile(info.HtmlListing() + ".json"));
      EXPECT_EQ(info.Warnings(), std::vector<std::string>{}) << project;
    }
    return reports;
  };
  const std::vector<std::string> alone = documentAll(nullptr, 1);
  for (unsigned threads : {1u, 3u}) {
    auto cache = std::make_shared<SourceCache>();
    cache->Plan(projects);
    EXPECT_EQ(documentAll(cache, threads), alone) << threads;
    // modShared is read by Lib and Tool from App's copy, frmShared by Tool; nothing is left.
    EXPECT_EQ(cache->Hits(), 3u);
    EXPECT_EQ(cache->KeptCount(), 0u);
  }
  EXPECT_NE(alone[1].find("Own1"), std::string::npos);
}

}  // namespace
}  // namespace qs

// The doc comments a run reads once (ProjectDocs): what each kind of declaration, member and
// module of one project gives, and that the JSON export, the site and the coverage show the same
// comments and warnings; and which runs have them read.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <string>
#include <string_view>
#include <vector>

#include "analysis/DocCoverage.h"
#include "analysis/ProjectContents.h"
#include "analysis/ProjectDocs.h"
#include "io/CodePage.h"
#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/clsVBFileType.h"
#include "output/site/SiteAnnotations.h"
#include "run/RunExports.h"
#include "run/clsVBInfo.h"
#include "support/TestFolder.h"

namespace qs {
namespace {

using test::Crlf;
using test::TestFolder;

// Every kind of declaration with and without a comment; lines are numbered for the warnings.
constexpr const char* kModA =
    "Attribute VB_Name = \"modA\"\n"                                  // 1
    "' The module's own.\n"                                           // 2
    "\n"                                                              // 3
    "'' A counter.\n"                                                 // 4
    "Public gCount As Long\n"                                         // 5
    "Public Const kMax = 3 ' The maximum.\n"                          // 6
    "'' Sorts.\n"                                                     // 7
    "'' @param a the list\n"                                          // 8
    "Public Sub Sort(a)\n"                                            // 9
    "End Sub\n"                                                       // 10
    "'' Finds.\n"                                                     // 11
    "'' @param x the key\n"                                           // 12
    "Public Function Find(y) As Long\n"                               // 13
    "End Function\n"                                                  // 14
    "' The name.\n"                                                   // 15
    "Property Get Name() As String\n"                                 // 16
    "End Property\n"                                                  // 17
    "Property Let Name(ByVal s As String)\n"                          // 18
    "End Property\n"                                                  // 19
    "'' @param p nothing\n"                                           // 20
    "Private Declare Function GetTick Lib \"kernel32\" () As Long\n"  // 21
    "' Colors.\n"                                                     // 22
    "Public Enum Color\n"                                             // 23
    "  Red ' the red\n"                                               // 24
    "  Green\n"                                                       // 25
    "End Enum\n"                                                      // 26
    "' A point.\n"                                                    // 27
    "Private Type Point\n"                                            // 28
    "  X As Long ' across\n"                                          // 29
    "End Type\n"                                                      // 30
    "'' Another.\n"                                                   // 31
    "'' @param q none\n"                                              // 32
    "Private gOther As Long\n"                                        // 33
    "Public Sub Bare()\n"                                             // 34
    "End Sub\n";                                                      // 35

constexpr const char* kClsB =
    "VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1\nEND\nAttribute VB_Name = \"clsB\"\n"
    "' Raised on change.\nPublic Event Changed(n)\n";

std::string ProjectOf(const TestFolder& dir) {
  dir.Write("p/modA.bas", Crlf(kModA));
  dir.Write("p/clsB.cls", Crlf(kClsB));
  return dir.Write("p/P.vbp", Crlf("Name=\"P\"\nModule=modA; modA.bas\nClass=clsB; clsB.cls\n"));
}

// A record of the project named "Module", "Module.Name", "Module.Name.Member"; a property's Let
// is "Module.Name=".
struct Named {
  size_t module = 0;
  const void* record = nullptr;
  const ClsEntryPtr* entry = nullptr;  ///< a declaration's (null for a module or member)
  int declaration = -1;                ///< index in the module's declarations
  int member = -1;
};

Named Find(const ProjectAnalysis& info, std::string_view path) {
  Named found;
  const std::vector<ProjectModule>& modules = info.Modules();
  const size_t dot = path.find('.');
  const std::string_view module = path.substr(0, dot);
  for (; found.module < modules.size(); ++found.module)
    if (modules[found.module].entry && modules[found.module].item->InternalName == module) break;
  if (found.module == modules.size()) return found;
  const ProjectModule& m = modules[found.module];
  if (dot == std::string_view::npos) {
    found.record = m.item;
    return found;
  }
  std::string_view rest = path.substr(dot + 1);
  const size_t memberDot = rest.find('.');
  const std::string_view member =
      memberDot == std::string_view::npos ? std::string_view() : rest.substr(memberDot + 1);
  rest = rest.substr(0, memberDot);
  const bool let = !rest.empty() && rest.back() == '=';
  if (let) rest.remove_suffix(1);
  std::vector<DeclaredEntry> declared;
  ListDeclarations(*m.entry, declared);
  for (size_t k = 0; k < declared.size(); ++k) {
    const ClsEntryPtr& e = *declared[k].entry;
    if (e.EntryName != rest || (declared[k].kind == DeclKind::kPropertyLet) != let) continue;
    found.declaration = static_cast<int>(k);
    found.entry = &e;
    found.record = &e;
    if (member.empty()) return found;
    found.entry = nullptr;
    found.record = nullptr;
    int index = 0;
    for (const auto& p : *e.Parameters) {
      if (p && p->EntryName == member) {
        found.member = index;
        found.record = p.get();
      }
      ++index;
    }
    return found;
  }
  return found;
}

TEST(ProjectDocs, TheExportTheSiteAndTheCoverageShowTheSameComments) {
  TestFolder dir("docs-once");
  const std::string vbp = ProjectOf(dir);
  clsVBInfo run;
  run.Settings().outDir = dir / "out";
  run.Settings().writeSite = true;
  run.Settings().site.dotProgram = "";
  run.Settings().keepLineEnds = true;
  run.Settings().docComments = true;
  run.GetFileInfo(vbp);
  ASSERT_TRUE(run.ReportWritten()) << run.FailureReason();
  const ProjectAnalysis& info = run.Analysis();
  const ProjectDocs& docs = info.Docs();
  ASSERT_TRUE(docs.read);

  std::string path, reason;
  ASSERT_TRUE(WriteRunProjectJson(run, vbp, {}, path, reason)) << reason;
  rapidjson::Document json;
  const std::string text = test::ReadFile(path);
  json.Parse(text.data(), text.size());
  ASSERT_FALSE(json.HasParseError());
  const SiteAnnotations annotations(info, nullptr, &docs);
  const SiteExtras site = annotations.Extras();
  ASSERT_TRUE(site.docOf && site.moduleDocOf && site.coverageOf && site.docWarnings);

  // Each record and the summary of its comment ("" for none).
  const struct {
    const char* path;
    const char* summary;
  } kCases[] = {
      {"modA", "The module's own."},
      {"modA.gCount", "A counter."},
      {"modA.kMax", "The maximum."},
      {"modA.Sort", "Sorts."},
      {"modA.Find", "Finds."},
      {"modA.Name", "The name."},
      {"modA.Name=", ""},
      {"modA.GetTick", ""},  // tags only: described, with no summary
      {"modA.Color", "Colors."},
      {"modA.Color.Red", "the red"},
      {"modA.Color.Green", ""},
      {"modA.Point", "A point."},
      {"modA.Point.X", "across"},
      {"modA.gOther", "Another."},
      {"modA.Bare", ""},
      {"clsB", ""},
      {"clsB.Changed", "Raised on change."},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.path);
    const Named n = Find(info, c.path);
    ASSERT_NE(n.record, nullptr);
    const ProjectDocs::Comment* comment = docs.Of(n.record);
    const bool described = std::string_view(c.path) == "modA.GetTick" || *c.summary != '\0';
    ASSERT_EQ(comment != nullptr, described);
    const DocComment doc = comment ? docs.Unpack(*comment) : DocComment();
    EXPECT_EQ(doc.summary, c.summary);
    EXPECT_EQ(doc.Empty(), !described);

    // The export: the module's, declaration's or member's "doc" object.
    const rapidjson::Value* object = &json["modules"][static_cast<rapidjson::SizeType>(n.module)];
    if (n.declaration >= 0)
      object = &(*object)["declarations"][static_cast<rapidjson::SizeType>(n.declaration)];
    if (n.member >= 0) object = &(*object)["members"][static_cast<rapidjson::SizeType>(n.member)];
    ASSERT_EQ(object->HasMember("doc"), described);
    if (described) {
      const rapidjson::Value& d = (*object)["doc"];
      EXPECT_EQ(d.HasMember("summary") ? d["summary"].GetString() : "", doc.summary);
      EXPECT_EQ(d["description"].GetString(), doc.description);
    }

    // The site: modules and declarations (it shows no member's), the description's part after
    // the summary, without the tag lines it shows as the doc's parts.
    const SiteDoc* shown = nullptr;
    if (n.declaration < 0)
      shown = site.moduleDocOf(*info.Modules()[n.module].item);
    else if (n.entry)
      shown = site.docOf(*n.entry);
    EXPECT_EQ(shown != nullptr, described && n.member < 0);
    if (shown) {
      EXPECT_EQ(shown->summary, doc.summary);
      EXPECT_NE(doc.description.find(shown->description), std::string::npos);
      if (!doc.summary.empty() && !shown->description.empty()) {
        EXPECT_NE(shown->description.substr(0, doc.summary.size()), doc.summary);
      }
      EXPECT_EQ(shown->description.find('@'), std::string::npos) << shown->description;
      EXPECT_EQ(shown->params.size(), doc.params.size());
    }
  }

  // The warnings: the export's every one, the site's and the coverage's those of procedures,
  // properties, events and Declares.
  const struct {
    int32_t line, column;
    bool checked;
    const char* message;
  } kWarnings[] = {
      {13, 17, true, "documented parameter 'x' is not a parameter of Find"},
      {21, 26, true, "documented parameter 'p' is not a parameter of GetTick"},
      {33, 9, false, "documented parameter 'q' is not a parameter of gOther"},
  };
  ASSERT_EQ(docs.warnings.size(), std::size(kWarnings));
  ASSERT_EQ(json["docWarnings"].Size(), std::size(kWarnings));
  CodePageText cp;
  ASSERT_TRUE(cp.Open(1252));
  const DocCoverage coverage = MeasureDocCoverage(info, cp);
  std::vector<SiteDocWarning> siteWarnings;
  site.docWarnings(siteWarnings);
  size_t checked = 0;
  for (size_t k = 0; k < std::size(kWarnings); ++k) {
    const auto& w = kWarnings[k];
    SCOPED_TRACE(w.message);
    EXPECT_EQ(docs.warnings[k].line, w.line);
    EXPECT_EQ(docs.warnings[k].column, w.column);
    EXPECT_EQ(docs.warnings[k].checked, w.checked);
    EXPECT_EQ(docs.warnings[k].message, w.message);
    const rapidjson::Value& e = json["docWarnings"][static_cast<rapidjson::SizeType>(k)];
    EXPECT_STREQ(e["file"].GetString(), "modA.bas");
    EXPECT_EQ(e["line"].GetInt(), w.line);
    EXPECT_EQ(e["column"].GetInt(), w.column);
    EXPECT_STREQ(e["message"].GetString(), w.message);
    if (!w.checked) continue;
    ASSERT_LT(checked, coverage.warnings.size());
    ASSERT_LT(checked, siteWarnings.size());
    EXPECT_EQ(coverage.warnings[checked].file, "modA.bas");
    EXPECT_EQ(coverage.warnings[checked].line, w.line);
    EXPECT_EQ(coverage.warnings[checked].column, w.column);
    EXPECT_EQ(coverage.warnings[checked].message, w.message);
    EXPECT_EQ(siteWarnings[checked].place.module, info.Modules()[0].item);
    EXPECT_EQ(siteWarnings[checked].place.line, w.line);
    EXPECT_EQ(siteWarnings[checked].place.column, w.column);
    EXPECT_EQ(siteWarnings[checked].message, w.message);
    ++checked;
  }
  EXPECT_EQ(coverage.warnings.size(), checked);
  EXPECT_EQ(siteWarnings.size(), checked);

  // The coverage: public procedures, the property once (its Get documents it), events; the
  // private Declare is not counted. The site's column counts the same.
  const int expected[][2] = {{3, 4}, {1, 1}};
  ASSERT_EQ(coverage.modules.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(coverage.modules[i].documented, expected[i][0]) << i;
    EXPECT_EQ(coverage.modules[i].total, expected[i][1]) << i;
    int documented = -1, total = -1;
    ASSERT_TRUE(site.coverageOf(*info.Modules()[i].item, documented, total));
    EXPECT_EQ(documented, expected[i][0]) << i;
    EXPECT_EQ(total, expected[i][1]) << i;
  }
  EXPECT_EQ(coverage.modules[0].name, "modA");
  EXPECT_EQ(coverage.documented, 4);
  EXPECT_EQ(coverage.total, 5);
}

// The doc comments are read when an output shows them, and only then: the export and the
// coverage ask with docComments, the site with its siteDocs.
TEST(ProjectDocs, ReadWhenAnOutputShowsThem) {
  TestFolder dir("docs-when");
  const std::string vbp = ProjectOf(dir);
  const struct {
    const char* name;
    bool docComments, writeSite, siteDocs, writeReport;
    bool read;
  } kCases[] = {
      {"report only", false, false, true, true, false},
      {"export with doc comments", true, false, true, true, true},
      {"site with its docs", false, true, true, true, true},
      {"site without docs", false, true, false, true, false},
      {"coverage (a question)", true, false, true, false, true},
      {"another question", false, false, true, false, false},
  };
  clsVBInfo run;  // one driver: a run that reads no comments drops the previous run's
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    run.Settings().outDir = dir / "out";
    run.Settings().site.dotProgram = "";
    run.Settings().docComments = c.docComments;
    run.Settings().writeSite = c.writeSite;
    run.Settings().siteDocs = c.siteDocs;
    run.Settings().writeReport = c.writeReport;
    run.GetFileInfo(vbp);
    ASSERT_TRUE(run.RunCompleted()) << run.FailureReason();
    const ProjectDocs& docs = run.Analysis().Docs();
    EXPECT_EQ(docs.read, c.read);
    EXPECT_EQ(docs.modules.size(), c.read ? 2u : 0u);
    EXPECT_EQ(docs.comments.empty(), !c.read);
    // An export of an analysis that read no comments reads them for itself: a caller that did
    // not ask the run for them still gets what it asked the export for.
    if (c.writeReport) {
      const std::string path = dir / "out" + "/own.json";
      std::string reason;
      ASSERT_TRUE(WriteProjectJson(run.Analysis(), vbp, ExportOptions{}, path, reason)) << reason;
      EXPECT_NE(test::ReadFile(path).find("\"doc\":{"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace qs

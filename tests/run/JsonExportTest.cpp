#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/ClsSymEntry.h"
#include "model/clsSymTable.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "output/json/AnalysisDump.h"
#include "run/RunExports.h"
#include "run/clsVBInfo.h"
#include "support/JsonCheck.h"
#include "support/TestFolder.h"

namespace qs {
namespace {

using test::JsonReader;
using test::JsonValue;
using test::ReadFile;
using test::TestFolder;
using Keys = std::vector<std::string>;

JsonValue Parse(const std::string& text) {
  JsonValue v;
  JsonReader r;
  EXPECT_TRUE(r.Parse(text, v)) << r.Error() << "\n" << text;
  return v;
}

TEST(JsonExport, EmptyRunIsTheBareFrame) {
  EXPECT_EQ(BuildJsonExport("/p/My Project.vbp", "", nullptr, nullptr),
            "{\n"
            "  \"project\": {\n"
            "    \"file\": \"/p/My Project.vbp\",\n"
            "    \"name\": \"\",\n"
            "    \"counts\": {\n"
            "      \"FormCount\": 0,\n"
            "      \"ReferenceCount\": 0,\n"
            "      \"UserControlCount\": 0,\n"
            "      \"UserDocumentCount\": 0,\n"
            "      \"ObjectCount\": 0,\n"
            "      \"PropertyPageCount\": 0,\n"
            "      \"ClassCount\": 0,\n"
            "      \"ModuleCount\": 0,\n"
            "      \"DesignerCount\": 0\n"
            "    },\n"
            "    \"StartupForm\": \"\",\n"
            "    \"IconForm\": \"\"\n"
            "  },\n"
            "  \"items\": [],\n"
            "  \"modules\": []\n"
            "}\n");
}

TEST(JsonExport, ProjectItemsKeepCollectionOrderFieldsAndHeaders) {
  clsVBFileTypes types;
  auto name = std::make_shared<clsVBFileType>();
  name->EType = kItemName;
  name->InternalName = "Caf\xE9";  // code page 1252 e acute
  name->ID = "\"Caf\xE9\"";
  name->vPtr = std::make_pair(3, 5);
  types.Add(name);
  auto form = std::make_shared<clsVBFileType>();
  form->EType = kItemForm;
  form->ID = "Forms\\frmMain.frm";
  form->Path = "Forms\\";
  form->Body = "frmMain";
  form->Ext = "frm";
  form->InternalName = "frmMain";
  form->ExtName = "frmMain.frm";
  auto header = std::make_shared<clsVBHeader>();
  header->Attribute_VBName = "\"frmMain\"";
  header->AttributePtr = 120;
  header->CodePtr = 131;
  header->Add(clsControlRecord{"Form", "frmMain", 9, 9, 0, "frmMain"});
  header->Add(clsControlRecord{"+Caption", "Main <window>", 15, 15, 0, "frmMain"});
  form->SetVBHeader(header);
  types.Add(form);
  auto ref = std::make_shared<clsVBFileType>();
  ref->EType = kItemReference;
  ref->ID = "OLE Automation";
  ref->GuidRef = "{00020430-0000-0000-C000-000000000046}";
  ref->MajorVer = "2.0";
  ref->MinorVer = "0";
  types.Add(ref);
  types.StartupForm = "frmMain";

  const JsonValue v = Parse(BuildJsonExport("/x/p.vbp", "Caf\xE9", &types, nullptr));
  EXPECT_EQ(v.Keys(), (Keys{"project", "items", "modules"}));
  EXPECT_EQ(v["project"]["name"].s, "Caf\xC3\xA9");
  EXPECT_EQ(v["project"]["counts"]["FormCount"].n, 1);
  EXPECT_EQ(v["project"]["counts"]["ReferenceCount"].n, 1);
  EXPECT_EQ(v["project"]["StartupForm"].s, "frmMain");

  const JsonValue& items = v["items"];
  ASSERT_EQ(items.items.size(), 3u);
  const Keys itemKeys = {"ID",      "EType",    "Path",          "Body",         "Ext",
                         "GuidRef", "MajorVer", "MinorVer",      "InternalName", "ExtName",
                         "vPtr",    "NewName",  "NewClsModName", "VBHeader"};
  for (const JsonValue& item : items.items) EXPECT_EQ(item.Keys(), itemKeys);
  EXPECT_EQ(items[0]["EType"].n, kItemName);
  EXPECT_EQ(items[0]["ID"].s, "\"Caf\xC3\xA9\"");
  ASSERT_EQ(items[0]["vPtr"].kind, JsonValue::Array);
  EXPECT_EQ(items[0]["vPtr"][0].n, 3);
  EXPECT_EQ(items[0]["vPtr"][1].n, 5);
  EXPECT_TRUE(items[0]["VBHeader"].IsNull());  // an item without a source file

  EXPECT_EQ(items[1]["Path"].s, "Forms\\");
  const JsonValue& h = items[1]["VBHeader"];
  EXPECT_EQ(h.Keys(), (Keys{"Attribute_VBName", "AttributePtr", "CodePtr", "Controls"}));
  EXPECT_EQ(h["Attribute_VBName"].s, "\"frmMain\"");
  EXPECT_EQ(h["AttributePtr"].n, 120);
  EXPECT_EQ(h["CodePtr"].n, 131);
  ASSERT_EQ(h["Controls"].items.size(), 2u);
  const JsonValue& caption = h["Controls"][1];
  ASSERT_EQ(caption.items.size(), 6u);
  EXPECT_EQ(caption[0].s, "+Caption");
  EXPECT_EQ(caption[1].s, "Main <window>");  // JSON needs no HTML escaping
  EXPECT_EQ(caption[2].n, 15);
  EXPECT_EQ(caption[3].n, 15);
  EXPECT_EQ(caption[4].n, 0);
  EXPECT_EQ(caption[5].s, "frmMain");

  EXPECT_TRUE(items[2]["vPtr"].IsNull());  // references have no position
  EXPECT_EQ(items[2]["GuidRef"].s, "{00020430-0000-0000-C000-000000000046}");
  EXPECT_EQ(items[2]["MinorVer"].s, "0");
}

TEST(JsonExport, ModulesListEveryEntryWithItsListsOrNull) {
  clsSymTable table;
  auto mod = table.CreateSymbolTableEntry("modMain");
  auto sub = std::make_shared<ClsEntryPtr>();
  sub->EntryName = "Main";
  sub->Scope = "Public";
  sub->eEntrytype = kEntrySub;
  sub->lEntryptr = 42;
  sub->Parameters = std::make_shared<ClsEntry>();
  auto param = std::make_shared<ClsEntryPtr>();
  param->EntryName = "sPath";
  param->EntryType = "String";
  param->Scope = "local";
  param->eArgScope = kArgByVal;
  sub->Parameters->Add(param);
  sub->EVar = std::make_shared<ClsEntry>();  // exists, empty
  mod->ESub.Add(sub);
  auto c = std::make_shared<ClsEntryPtr>();
  c->EntryName = "TAB_\x93Q\x94";  // curly quotes in code page 1252
  c->EntryType = "String";
  mod->EConst.Add(c);
  table.CreateSymbolTableEntry("Class1");

  const JsonValue v = Parse(BuildJsonExport("p.vbp", "P", nullptr, &table));
  const JsonValue& modules = v["modules"];
  ASSERT_EQ(modules.items.size(), 2u);
  const Keys moduleKeys = {"EntryName", "EVar",  "EConst", "ESub",   "EFunction",
                           "EProperty", "EType", "EEnum",  "EEvent", "EDeclare"};
  EXPECT_EQ(modules[0].Keys(), moduleKeys);
  EXPECT_EQ(modules[0]["EntryName"].s, "modMain");
  EXPECT_EQ(modules[1]["EntryName"].s, "Class1");
  // The nine lists of a module always exist: empty lists are empty arrays.
  for (const std::string& k : moduleKeys) {
    if (k == "EntryName") continue;
    EXPECT_EQ(modules[1][k].kind, JsonValue::Array) << k;
    EXPECT_TRUE(modules[1][k].items.empty()) << k;
  }

  ASSERT_EQ(modules[0]["ESub"].items.size(), 1u);
  const JsonValue& s = modules[0]["ESub"][0];
  EXPECT_EQ(s.Keys(), (Keys{"ID", "eEntrytype", "eArgScope", "EntryName", "LibName", "AliasName",
                            "Scope", "EntryType", "ReturnType", "lEntryptr", "lEntryTypePtr",
                            "lProcStartPtr", "lProcEndPtr", "EVar", "EConst", "Parameters"}));
  EXPECT_EQ(s["eEntrytype"].n, kEntrySub);
  EXPECT_EQ(s["lEntryptr"].n, 42);
  EXPECT_EQ(s["EVar"].kind, JsonValue::Array);  // an empty list is not a missing one
  EXPECT_TRUE(s["EVar"].items.empty());
  EXPECT_TRUE(s["EConst"].IsNull());  // never created
  ASSERT_EQ(s["Parameters"].items.size(), 1u);
  const JsonValue& p = s["Parameters"][0];
  EXPECT_EQ(p["EntryName"].s, "sPath");
  EXPECT_EQ(p["eArgScope"].n, kArgByVal);
  EXPECT_EQ(p["Scope"].s, "local");
  EXPECT_TRUE(p["Parameters"].IsNull());
  EXPECT_TRUE(p["EVar"].IsNull());

  const JsonValue& k = modules[0]["EConst"][0];
  EXPECT_EQ(k["EntryName"].s, "TAB_\xE2\x80\x9CQ\xE2\x80\x9D");
  EXPECT_EQ(k["ID"].n, 0);
}

TEST(JsonExport, NestingIsBoundedEvenForSelfReferringRecords) {
  clsSymTable table;
  auto mod = table.CreateSymbolTableEntry("M");
  auto e = std::make_shared<ClsEntryPtr>();
  e->EntryName = "loop";
  auto list = std::make_shared<ClsEntry>();
  list->Add(e);
  e->Parameters = list;  // refers back to itself
  mod->ESub.Add(e);
  const std::string text = BuildJsonExport("p", "", nullptr, &table);
  const JsonValue v = Parse(text);
  // Walk down the chain: it ends in null after a fixed number of levels.
  const JsonValue* cur = &v["modules"][0]["ESub"][0];
  int levels = 0;
  while (cur->kind == JsonValue::Object && levels < 100) {
    cur = &(*cur)["Parameters"][0];
    ++levels;
  }
  EXPECT_LT(levels, 100);
  EXPECT_GE(levels, 2);
  e->Parameters.reset();  // break the cycle for the leak checker
}

TEST(JsonExport, JsonPathSitsBesideTheReport) {
  EXPECT_EQ(JsonListingPath("/out/P_document/P.html"), "/out/P_document/P.json");
  EXPECT_EQ(JsonListingPath("/out/x.htm"), "/out/x.htm.json");
  EXPECT_EQ(JsonListingPath(""), ".json");
  EXPECT_EQ(AnalysisListingPath("/out/P_document/P.html"), "/out/P_document/P.analysis.json");
  EXPECT_EQ(AnalysisListingPath("/out/x.htm"), "/out/x.htm.analysis.json");
}

TEST(JsonExport, AtomicWriteReplacesWholeOrLeavesNothing) {
  TestFolder dir("json-atomic");
  const std::string path = dir / "a.json";
  std::string reason;
  ASSERT_TRUE(WriteJsonFile(path, "first version, longer\n", reason)) << reason;
  ASSERT_TRUE(WriteJsonFile(path, "{}\n", reason)) << reason;
  EXPECT_EQ(ReadFile(path), "{}\n");
  // Only the target is left in the folder: no temporary files.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1);

  EXPECT_FALSE(WriteJsonFile(dir / "missing/a.json", "{}", reason));
  EXPECT_NE(reason.find("export cannot be written"), std::string::npos) << reason;
}

TEST(JsonExport, RunExportIsWrittenBesideTheReportOnlyWhenTheReportIs) {
  TestFolder dir("json-run");
  const std::string project = dir.Write(
      "proj/Sample.vbp", "Type=Exe\r\nModule=modMain; modMain.bas\r\nName=\"Sample & Co\"\r\n");
  dir.Write("proj/modMain.bas",
            "Attribute VB_Name = \"modMain\"\r\nOption Explicit\r\nPublic Sub Main()\r\nEnd "
            "Sub\r\n");
  clsVBInfo info;
  info.Settings().outDir = dir / "out";
  info.Settings().stamp = "Monday, December 7, 2026 14:05:09";
  info.GetFileInfo(project);
  ASSERT_TRUE(info.ReportWritten()) << info.FailureReason();

  std::string path, reason;
  ASSERT_TRUE(WriteRunJson(info, project, path, reason)) << reason;
  EXPECT_EQ(path, dir / "out/Sample_document/Sample.analysis.json");
  const JsonValue v = Parse(ReadFile(path));
  EXPECT_EQ(v["project"]["file"].s, project);
  EXPECT_EQ(v["project"]["name"].s, "Sample & Co");
  EXPECT_EQ(v["project"]["counts"]["ModuleCount"].n, 1);
  ASSERT_EQ(v["items"].items.size(), 2u);
  const JsonValue& module = v["items"][1];
  EXPECT_EQ(module["EType"].n, kItemModule);
  EXPECT_EQ(module["VBHeader"]["Attribute_VBName"].s, "\"modMain\"");
  EXPECT_EQ(v["modules"].kind, JsonValue::Array);

  // A run that fails writes no export, and the earlier one is left as it was.
  const std::string before = ReadFile(path);
  clsVBInfo failed;
  failed.Settings().outDir = dir / "out";
  failed.GetFileInfo(dir / "proj/Missing.vbp");
  ASSERT_FALSE(failed.ReportWritten());
  std::string failedPath;
  EXPECT_FALSE(WriteRunJson(failed, dir / "proj/Missing.vbp", failedPath, reason));
  EXPECT_FALSE(std::filesystem::exists(failedPath));
  EXPECT_EQ(ReadFile(path), before);
}

}  // namespace
}  // namespace qs

namespace qs {
namespace {

// The export and the report are two views of one run: the sample project's export must agree
// with the counts its report shows for every module, and with its own project counts.
TEST(JsonExport, SampleExportAgreesWithItsReport) {
  TestFolder dir("json-sample");
  const std::string project = std::string(QS_SOURCE_DIR) + "/examples/Inventory/Inventory.vbp";
  clsVBInfo info;
  info.Settings().outDir = dir / "out";
  info.Settings().stamp = "Monday, December 7, 2026 14:05:09";
  info.GetFileInfo(project);
  ASSERT_TRUE(info.ReportWritten()) << info.FailureReason();
  std::string path, reason;
  ASSERT_TRUE(WriteRunJson(info, project, path, reason)) << reason;
  const JsonValue v = Parse(ReadFile(path));
  const std::string report = ReadFile(info.HtmlListing());

  const std::pair<const char*, const char*> rows[] = {
      {"EConst", "<td>Consts </td><td align=\"right\">"},
      {"EDeclare", "<td>Api Declariations </td><td align=\"right\">"},
      {"EEnum", "<td>Enumerations </td><td align=\"right\">"},
      {"EType", "<td>Types </td><td align=\"right\">"},
      {"EVar", "<td>Variables </td><td align=\"right\">"},
      {"ESub", "<td>Subroutines</td><td align=\"right\">"},
      {"EFunction", "<td>Functions </td><td align=\"right\">"},
      {"EProperty", "<td>Properties </td><td align=\"right\">"},
      {"EEvent", "<td>Events &nbsp;</td><td align=\"right\">"},
  };
  const JsonValue& modules = v["modules"];
  ASSERT_GT(modules.items.size(), 3u);
  for (const auto& [list, label] : rows) {
    size_t at = 0;
    for (const JsonValue& m : modules.items) {
      at = report.find(label, at);
      ASSERT_NE(at, std::string::npos) << list;
      at += std::string(label).size();
      const size_t end = report.find("</td>", at);
      EXPECT_EQ(report.substr(at, end - at), std::to_string(m[list].items.size()))
          << m["EntryName"].s << " " << list;
    }
  }

  int forms = 0, modulesCount = 0, classes = 0;
  for (const JsonValue& item : v["items"].items) {
    forms += item["EType"].n == kItemForm;
    modulesCount += item["EType"].n == kItemModule;
    classes += item["EType"].n == kItemClass;
    const bool source = IsSourceItemType(static_cast<int32_t>(item["EType"].n));
    // Every source file of the sample is read, so every source item has its header.
    EXPECT_EQ(item["VBHeader"].kind == JsonValue::Object, source) << item["ID"].s;
  }
  EXPECT_EQ(v["project"]["counts"]["FormCount"].n, forms);
  EXPECT_EQ(v["project"]["counts"]["ModuleCount"].n, modulesCount);
  EXPECT_EQ(v["project"]["counts"]["ClassCount"].n, classes);
}

}  // namespace
}  // namespace qs

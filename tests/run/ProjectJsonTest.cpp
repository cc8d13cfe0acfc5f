// The public JSON export (format 2): what each declaration, parameter, member, local and control
// becomes, the places (line and column) under every line-end convention, the code pages, and the
// streaming into a file that replaces the export only when complete.
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/writer.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "output/json/AnalysisDump.h"
#include "output/json/ProjectExport.h"
#include "run/RunExports.h"
#include "run/clsVBInfo.h"
#include "support/JsonText.h"
#include "support/TestFolder.h"
#include "text/Cp1252.h"
#include "text/Parallel.h"
#include "text/Yield.h"

namespace qs {
namespace {

namespace fs = std::filesystem;
using test::Compact;
using test::ReadFile;
using test::TestFolder;

// A value as compact JSON text, members in the order written.

std::vector<std::string> Keys(const rapidjson::Value& object) {
  std::vector<std::string> keys;
  for (const auto& m : object.GetObject()) keys.emplace_back(m.name.GetString());
  return keys;
}

// Documents the project and exports it; the export's text.
std::string Export(const std::string& project, const std::string& outDir,
                   const ExportOptions& options = {}, bool keepLineEnds = false) {
  clsVBInfo info;
  info.Settings().outDir = outDir;
  info.Settings().keepLineEnds = keepLineEnds;
  // The run reads the doc comments the export shows.
  info.Settings().docComments = options.docComments;
  info.GetFileInfo(project);
  EXPECT_TRUE(info.ReportWritten()) << info.FailureReason();
  std::string path, reason;
  EXPECT_TRUE(WriteRunProjectJson(info, project, options, path, reason)) << reason;
  return ReadFile(path);
}

rapidjson::Document Parse(const std::string& text) {
  rapidjson::Document d;
  d.Parse(text.data(), text.size());
  EXPECT_FALSE(d.HasParseError()) << text;
  return d;
}

// One module file in a project of its own, exported; the module's object.
struct OneModule {
  rapidjson::Document doc;
  const rapidjson::Value& Module() const { return doc["modules"][0]; }
  // The declaration of that name (the first one).
  const rapidjson::Value* Declaration(const std::string& name) const {
    for (const auto& d : Module()["declarations"].GetArray())
      if (name == d["name"].GetString()) return &d;
    return nullptr;
  }
};

OneModule ExportModule(const TestFolder& dir, const std::string& file, const std::string& bytes,
                       const ExportOptions& options = {}, bool keepLineEnds = false) {
  const std::string vbp =
      dir.Write("p/P.vbp", std::string(file.size() > 4 && file.substr(file.size() - 4) == ".frm"
                                           ? "Form="
                                           : "Module=m; ") +
                               file + "\r\n");
  dir.Write("p/" + file, bytes);
  OneModule m;
  m.doc = Parse(Export(vbp, dir / "out", options, keepLineEnds));
  return m;
}

TEST(ProjectJson, DeclarationsBecomeTheirWordsWithValuesAsWritten) {
  TestFolder dir("pj-decl");
  const OneModule m = ExportModule(
      dir, "m.bas",
      "Attribute VB_Name = \"modDecl\"\r\n"
      "Option Explicit\r\n"
      "Private Const kMax As Long = 10 * 2 ' limit\r\n"
      "Const kName = \"A, B\", kOther = (1 + 2)\r\n"
      "Public gCount As Integer\r\n"
      "Dim mCache\r\n"
      "Public Enum eColor\r\n  ecRed = 1\r\n  ecGreen\r\nEnd Enum\r\n"
      "Private Type tPoint\r\n  X As Long\r\n  Y As Single\r\nEnd Type\r\n"
      "Public Declare Function GetTick Lib \"kernel32\" Alias \"GetTickCount\" () As Long\r\n"
      "Event Changed(ByVal What As String)\r\n"
      "Friend Function Area(ByRef w As Long, ByVal h As Long, _\r\n"
      "    Optional   ByVal s As String = \"x\" & kName, Optional d = 3, ParamArray rest()) As "
      "Double\r\n"
      "  Dim a As Long, b\r\n  Const kTwo = 2\r\n  Area = w * h\r\nEnd Function\r\n"
      "Sub Plain()\r\nEnd Sub\r\n"
      "Property Get Size() As Long\r\nEnd Property\r\n"
      "Public Property Let Size(ByVal v As Long)\r\nEnd Property\r\n"
      "Property Set Owner(o As Object)\r\nEnd Property\r\n");
  struct Row {
    const char* name;
    const char* json;
  };
  const Row rows[] = {
      {"kMax",
       R"j({"name":"kMax","kind":"constant","scope":"Private","type":"Long","value":"10 * 2",)j"
       R"j("signature":"Private Const kMax As Long = 10 * 2","line":3,"column":15,)j"
       R"j("parameters":[],"members":[],"locals":[],)j"
       R"j("doc":{"summary":"limit","description":"limit","source":"text"}})j"},
      {"kName",
       R"j({"name":"kName","kind":"constant","scope":"","type":"String","value":"\"A, B\"",)j"
       R"j("signature":"Const kName = \"A, B\", kOther = (1 + 2)","line":4,"column":7,)j"
       R"j("parameters":[],"members":[],"locals":[]})j"},
      {"kOther",
       R"j({"name":"kOther","kind":"constant","scope":"","type":"Long","value":"(1 + 2)",)j"
       R"j("signature":"Const kName = \"A, B\", kOther = (1 + 2)","line":4,"column":23,)j"
       R"j("parameters":[],"members":[],"locals":[]})j"},
      {"gCount", R"j({"name":"gCount","kind":"variable","scope":"Public","type":"Integer",)j"
                 R"j("signature":"Public gCount As Integer","line":5,"column":8,)j"
                 R"j("parameters":[],"members":[],"locals":[]})j"},
      {"mCache",
       R"j({"name":"mCache","kind":"variable","scope":"","signature":"Dim mCache","line":6,)j"
       R"j("column":5,"parameters":[],"members":[],"locals":[]})j"},
      {"eColor",
       R"j({"name":"eColor","kind":"enum","scope":"Public","signature":"Public Enum eColor",)j"
       R"j("line":7,"column":13,"parameters":[],"members":[)j"
       R"j({"name":"ecRed","value":"1","line":8,"column":3},)j"
       R"j({"name":"ecGreen","line":9,"column":3}],"locals":[]})j"},
      {"tPoint",
       R"j({"name":"tPoint","kind":"type","scope":"Private","signature":"Private Type tPoint",)j"
       R"j("line":11,"column":14,"parameters":[],"members":[)j"
       R"j({"name":"X","type":"Long","line":12,"column":3},)j"
       R"j({"name":"Y","type":"Single","line":13,"column":3}],"locals":[]})j"},
      {"GetTick",
       R"j({"name":"GetTick","kind":"declare","scope":"Public","returnType":"Long",)j"
       R"j("lib":"kernel32","alias":"GetTickCount","signature":"Public Declare Function GetTick )j"
       R"j(Lib \"kernel32\" Alias \"GetTickCount\" () As Long","line":15,"column":25,)j"
       R"j("parameters":[],"members":[],"locals":[]})j"},
      {"Changed",
       R"j({"name":"Changed","kind":"event","scope":"","signature":"Event Changed(ByVal What As String)",)j"
       R"j("line":16,"column":7,"parameters":[{"name":"What","type":"String","passing":"byVal",)j"
       R"j("optional":false,"paramArray":false,"line":16,"column":21}],"members":[],"locals":[]})j"},
      {"Area",
       R"j({"name":"Area","kind":"function","scope":"Friend","returnType":"Double",)j"
       R"j("signature":"Friend Function Area(ByRef w As Long, ByVal h As Long, Optional ByVal s As )j"
       R"j(String = \"x\" & kName, Optional d = 3, ParamArray rest()) As Double","line":17,)j"
       R"j("column":17,"parameters":[)j"
       R"j({"name":"w","type":"Long","passing":"byRef","optional":false,"paramArray":false,)j"
       R"j("line":17,"column":28},)j"
       R"j({"name":"h","type":"Long","passing":"byVal","optional":false,"paramArray":false,)j"
       R"j("line":17,"column":45},)j"
       R"j({"name":"s","type":"String","passing":"byVal","optional":true,"paramArray":false,)j"
       R"j("default":"\"x\" & kName","line":18,"column":22},)j"
       R"j({"name":"d","passing":"byRef","optional":true,"paramArray":false,"default":"3",)j"
       R"j("line":18,"column":58},)j"
       R"j({"name":"rest","passing":"byRef","optional":false,"paramArray":true,"line":18,)j"
       R"j("column":76}],"members":[],"locals":[)j"
       R"j({"name":"a","kind":"variable","type":"Long","line":19,"column":7},)j"
       R"j({"name":"b","kind":"variable","line":19,"column":18},)j"
       R"j({"name":"kTwo","kind":"constant","type":"Long","line":20,"column":9}]})j"},
      {"Plain", R"j({"name":"Plain","kind":"sub","scope":"","signature":"Sub Plain()","line":23,)j"
                R"j("column":5,"parameters":[],"members":[],"locals":[]})j"},
      {"Size",
       R"j({"name":"Size","kind":"propertyGet","scope":"","returnType":"Long",)j"
       R"j("signature":"Property Get Size() As Long","line":25,"column":14,"parameters":[],)j"
       R"j("members":[],"locals":[]})j"},
      {"Owner",
       R"j({"name":"Owner","kind":"propertySet","scope":"","signature":"Property Set Owner(o As )j"
       R"j(Object)","line":29,"column":14,"parameters":[{"name":"o","type":"Object",)j"
       R"j("passing":"byRef","optional":false,"paramArray":false,"line":29,"column":20}],)j"
       R"j("members":[],"locals":[]})j"},
  };
  for (const Row& row : rows) {
    const rapidjson::Value* d = m.Declaration(row.name);
    ASSERT_NE(d, nullptr) << row.name;
    EXPECT_EQ(Compact(*d), row.json) << row.name;
  }
  // File order, and the Property Let after its Get.
  std::vector<std::string> order;
  for (const auto& d : m.Module()["declarations"].GetArray())
    order.emplace_back(d["kind"].GetString());
  EXPECT_EQ(order,
            (std::vector<std::string>{"constant", "constant", "constant", "variable", "variable",
                                      "enum", "type", "declare", "event", "function", "sub",
                                      "propertyGet", "propertyLet", "propertySet"}));
  EXPECT_EQ(Keys(m.Module()), (std::vector<std::string>{"name", "kind", "file", "lines", "controls",
                                                        "declarations"}));
  EXPECT_STREQ(m.Module()["name"].GetString(), "modDecl");
  EXPECT_EQ(m.Module()["lines"].GetInt(), 30);
  EXPECT_TRUE(m.Module()["controls"].GetArray().Empty());
}

// Lines end at CR LF, a lone CR or a lone LF alike; columns count bytes from 1.
TEST(ProjectJson, LinesAndColumnsFollowEveryLineEnd) {
  struct Row {
    const char* what;
    std::string text;
    int lines;
    int line;    // of the constant kAt
    int column;  // of kAt
  };
  const std::string head = "Attribute VB_Name = \"m\"";
  const Row rows[] = {
      {"CR LF", head + "\r\n\r\n  Const kAt = 1\r\n", 3, 3, 9},
      {"lone LF", head + "\n\n\tConst kAt = 1\n", 3, 3, 8},
      {"lone CR", head + "\r\r Const kAt = 1\r", 3, 3, 8},
      {"mixed, last line unended", head + "\r\n\r\n\rConst  kAt = 1", 4, 4, 8},
      {"a CR LF counts once, LF CR twice", head + "\n\r\r\nConst kAt = 1\n", 4, 4, 7},
  };
  // The same whether the line ends were kept while the files were loaded or are found later.
  for (const bool kept : {false, true}) {
    for (const Row& row : rows) {
      TestFolder dir("pj-lines");
      const OneModule m = ExportModule(dir, "m.bas", row.text, {}, kept);
      EXPECT_EQ(m.Module()["lines"].GetInt(), row.lines) << row.what << kept;
      const rapidjson::Value* d = m.Declaration("kAt");
      ASSERT_NE(d, nullptr) << row.what;
      EXPECT_EQ((*d)["line"].GetInt(), row.line) << row.what << kept;
      EXPECT_EQ((*d)["column"].GetInt(), row.column) << row.what << kept;
    }
  }
}

// Source bytes become UTF-8 through the code page; a byte the code page does not define
// becomes U+FFFD.
TEST(ProjectJson, CodePagesTurnSourceBytesIntoUtf8) {
  struct Row {
    int codePage;
    std::string value;     // the constant's value as the file holds it
    std::string expected;  // its UTF-8
  };
  const Row rows[] = {
      {1252, "\"Caf\xE9 \x80\"", "\"Caf\xC3\xA9 \xE2\x82\xAC\""},
      {1252, "\"\x81\"",
       "\"\xC2\x81\""},  // undefined in 1252: the C1 control, as the report has it
      {1251, "\"\xCF\xF0\xE8\xE2\xE5\xF2\"",
       "\"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\""},
      {936, "\"\xD6\xD0\xCE\xC4\"", "\"\xE4\xB8\xAD\xE6\x96\x87\""},
      {936, "\"\xD6\"", "\"\xEF\xBF\xBD\""},  // a lead byte without its second byte
      {932, "\"\x93\xFA\x96\x7B\"", "\"\xE6\x97\xA5\xE6\x9C\xAC\""},
      {1251, "\"\x98\"", "\"\xEF\xBF\xBD\""},  // the one byte 1251 leaves undefined
  };
  for (const Row& row : rows) {
    TestFolder dir("pj-cp");
    ExportOptions options;
    options.codePage = row.codePage;
    const OneModule m = ExportModule(
        dir, "m.bas", "Attribute VB_Name = \"m\"\r\nConst kText = " + row.value + "\r\n", options);
    EXPECT_EQ(m.doc["codepage"].GetInt(), row.codePage);
    const rapidjson::Value* d = m.Declaration("kText");
    ASSERT_NE(d, nullptr) << row.codePage;
    EXPECT_EQ(std::string((*d)["value"].GetString()), row.expected) << row.codePage;
  }
}

TEST(ProjectJson, ControlsHaveTheirParentsPlacesAndStringProperties) {
  TestFolder dir("pj-controls");
  const OneModule m = ExportModule(dir, "f.frm",
                                   "VERSION 5.00\r\n"
                                   "Begin VB.Form frmA \r\n"
                                   "   Caption         =   \"Main \"\"A\"\"\"\r\n"
                                   "   Begin VB.Frame fraBox \r\n"
                                   "      Caption         =   \"Box\"\r\n"
                                   "      BeginProperty Font \r\n"
                                   "         Name            =   \"Arial\"\r\n"
                                   "      EndProperty\r\n"
                                   "      Begin VB.CommandButton cmdOk \r\n"
                                   "         Caption         =   \"OK\"\r\n"
                                   "         Tag             =   \"t\"\r\n"
                                   "      End\r\n"
                                   "      ToolTipText     =   \"after the child\"\r\n"
                                   "   End\r\n"
                                   "   Begin VB.Timer tmr \r\n"
                                   "   End\r\n"
                                   "End\r\n"
                                   "Attribute VB_Name = \"frmA\"\r\n");
  std::vector<std::string> controls;
  for (const auto& c : m.Module()["controls"].GetArray()) controls.push_back(Compact(c));
  EXPECT_EQ(
      controls,
      (std::vector<std::string>{
          R"j({"name":"frmA","type":"Form","line":2,"column":15,"caption":"Main \"A\""})j",
          R"j({"name":"fraBox","type":"Frame","parent":"frmA","line":4,"column":19,)j"
          R"j("caption":"Box","toolTipText":"after the child"})j",
          R"j({"name":"cmdOk","type":"CommandButton","parent":"fraBox","line":9,"column":30,)j"
          R"j("caption":"OK","tag":"t"})j",
          R"j({"name":"tmr","type":"Timer","parent":"frmA","line":15,"column":19})j"}));
  EXPECT_STREQ(m.Module()["kind"].GetString(), "form");
}

// The sample project: every place points at its name in the file, every module's line count is
// the file's, the modules come in the project file's order, and nothing is written empty.
class SampleExport : public ::testing::Test {
 protected:
  static std::string Sample(const std::string& rel) {
    return std::string(QS_SOURCE_DIR) + "/examples/Inventory/" + rel;
  }
  // The file's lines by the export's rule, as byte strings.
  static std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] != '\r' && bytes[i] != '\n') continue;
      lines.push_back(bytes.substr(start, i - start));
      if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      start = i + 1;
    }
    if (start < bytes.size()) lines.push_back(bytes.substr(start));
    return lines;
  }
  static void CheckNamedPlace(const rapidjson::Value& v, const std::vector<std::string>& lines,
                              const std::string& where, int& checked) {
    ASSERT_TRUE(v.HasMember("line") && v.HasMember("column")) << where << Compact(v);
    const int line = v["line"].GetInt();
    const int column = v["column"].GetInt();
    ASSERT_TRUE(line >= 1 && line <= static_cast<int>(lines.size())) << where;
    const std::string text = Cp1252ToUtf8(lines[static_cast<size_t>(line - 1)]);
    const std::string name = v["name"].GetString();
    ASSERT_GE(column, 1) << where;
    EXPECT_EQ(text.compare(static_cast<size_t>(column - 1), name.size(), name), 0)
        << where << ": " << name << " at " << line << ":" << column << " in '" << text << "'";
    ++checked;
  }
  // No member is an empty text or null, except a declaration's scope.
  static void CheckNothingEmpty(const rapidjson::Value& v, const std::string& key) {
    if (v.IsString()) {
      EXPECT_TRUE(v.GetStringLength() > 0 || key == "scope") << key;
    } else {
      EXPECT_FALSE(v.IsNull()) << key;
    }
    if (v.IsObject())
      for (const auto& m : v.GetObject()) CheckNothingEmpty(m.value, m.name.GetString());
    if (v.IsArray())
      for (const auto& e : v.GetArray()) CheckNothingEmpty(e, key + "[]");
  }
};

TEST_F(SampleExport, PlacesLinesOrderAndProject) {
  TestFolder dir("pj-sample");
  const std::string text = Export(Sample("Inventory.vbp"), dir / "out");
  const rapidjson::Document doc = Parse(text);
  EXPECT_EQ(Keys(doc), (std::vector<std::string>{"format", "generator", "codepage", "project",
                                                 "modules", "warnings", "docWarnings"}));
  EXPECT_EQ(doc["format"].GetInt(), 2);
  EXPECT_EQ(text.find('\n'), text.size() - 1) << "compact: one line";
  CheckNothingEmpty(doc, "");

  const rapidjson::Value& project = doc["project"];
  EXPECT_EQ(Compact(project["counts"]),
            R"j({"forms":3,"modules":3,"classes":2,"userControls":1,"propertyPages":1,)j"
            R"j("userDocuments":1,"designers":1,"references":4,"objects":2})j");
  EXPECT_STREQ(project["name"].GetString(), "Inventory");
  EXPECT_STREQ(project["file"].GetString(), "Inventory.vbp");
  EXPECT_STREQ(project["type"].GetString(), "OleExe");
  EXPECT_STREQ(project["startup"].GetString(), "Sub Main");
  EXPECT_STREQ(project["iconForm"].GetString(), "frmMain");
  EXPECT_STREQ(project["resourceFile"].GetString(), "Inventory.res");
  EXPECT_EQ(Compact(project["relatedDocuments"]), R"j(["ReadMe.txt"])j");
  EXPECT_EQ(Compact(project["references"][3]),
            R"j({"name":"Acme Barcode & Label 1.1 Type Library",)j"
            R"j("guid":"{7C3B1F52-4E0A-4D6B-9A21-5F8E2C6B0D14}","version":"1.1",)j"
            R"j("file":"../Lib/AcmeLabel.tlb"})j");
  EXPECT_EQ(Compact(project["objects"][1]),
            R"j({"name":"comdlg32.ocx","guid":"{F9043C88-F6F2-101A-A3C9-08002B2F49FB}",)j"
            R"j("version":"1.2","file":"comdlg32.ocx"})j");

  std::vector<std::string> files;
  int checked = 0;
  for (const auto& module : doc["modules"].GetArray()) {
    const std::string file = module["file"].GetString();
    files.push_back(file);
    const std::string bytes = ReadFile(Sample(file));
    ASSERT_FALSE(bytes.empty()) << file;  // found under the name as on disk
    const std::vector<std::string> lines = Lines(bytes);
    EXPECT_EQ(module["lines"].GetInt(), static_cast<int>(lines.size())) << file;
    for (const auto& c : module["controls"].GetArray()) CheckNamedPlace(c, lines, file, checked);
    for (const auto& d : module["declarations"].GetArray()) {
      CheckNamedPlace(d, lines, file, checked);
      for (const char* list : {"parameters", "members", "locals"})
        for (const auto& e : d[list].GetArray()) CheckNamedPlace(e, lines, file, checked);
    }
  }
  EXPECT_GT(checked, 100);
  EXPECT_EQ(files,
            (std::vector<std::string>{
                "frmMain.frm", "Forms/frmItem.frm", "Forms/frmAbout.frm", "Modules/modMain.bas",
                "Modules/modApi.bas", "Modules/modUtil.bas", "Classes/clsItem.cls",
                "Classes/clsInventory.cls", "Controls/ctlQuantity.ctl", "Controls/ppgQuantity.pag",
                "docStock.dob", "deInventory.dsr"}));
}

TEST_F(SampleExport, PrettyIsTheSameDocumentIndented) {
  TestFolder dir("pj-pretty");
  const std::string compact = Export(Sample("Inventory.vbp"), dir / "a");
  EXPECT_EQ(Export(Sample("Inventory.vbp"), dir / "c", {}, true), compact)
      << "line ends kept while loading";
  ExportOptions options;
  options.pretty = true;
  const std::string pretty = Export(Sample("Inventory.vbp"), dir / "b", options);
  EXPECT_EQ(pretty.rfind("{\n  \"format\": 2,\n  \"generator\": {\n", 0), 0u)
      << pretty.substr(0, 80);
  EXPECT_EQ(Compact(Parse(pretty)), Compact(Parse(compact)));
}

// The modules are rendered ahead on helpers that the run's thread budget allows, and the export is
// the same whoever renders them: with one thread (--jobs 1) the caller writes it all, starting no
// thread; with more, no more helpers than the budget has room for.
TEST_F(SampleExport, TheThreadBudgetDecidesWhoRendersTheModules) {
  TestFolder dir("pj-budget");
  clsVBInfo info;
  info.Settings().outDir = dir / "out";
  info.Settings().crossReferences = true;
  info.Settings().keepLineEnds = true;
  info.Settings().docComments = true;
  info.GetFileInfo(Sample("Inventory.vbp"));
  ASSERT_TRUE(info.ReportWritten()) << info.FailureReason();
  ASSERT_TRUE(info.Analysis().CrossRefs().computed);
  ExportOptions options;
  options.docComments = true;
  std::string alone;
  for (const unsigned threads : {1u, 2u, 3u, 0u}) {
    ThreadBudget budget(threads);
    const ThreadBudgetScope scope(threads == 0 ? nullptr : &budget);
    const std::string path = dir / ("b" + std::to_string(threads) + ".json");
    std::string reason;
    const uint64_t before = ThreadsStarted();
    ASSERT_TRUE(WriteProjectJson(info.Analysis(), Sample("Inventory.vbp"), options, path, reason))
        << reason;
    const uint64_t started = ThreadsStarted() - before;
    if (threads == 1) {
      EXPECT_EQ(started, 0u) << "one thread: the caller writes the export alone";
      alone = ReadFile(path);
      ASSERT_NE(alone.find("\"uses\""), std::string::npos);
      continue;
    }
    // How many ran at once is the budget's to bound (tests/text/ParallelTest.cpp): a helper that
    // ends early gives its thread back, and the next may take it, so starts are not counted here.
    // Where the run may use more than one thread, helpers rendered the modules this time.
    if (ThreadsFor(0) > 1) {
      EXPECT_GT(started, 0u) << threads << " threads";
    }
    EXPECT_EQ(ReadFile(path), alone) << threads << " threads";
  }
}

// The dump keeps the analysis records byte for byte as the export function builds them.
TEST_F(SampleExport, DumpIsTheAnalysisExportUnchanged) {
  TestFolder dir("pj-dump");
  clsVBInfo info;
  info.Settings().outDir = dir / "out";
  info.GetFileInfo(Sample("Inventory.vbp"));
  std::string path, reason;
  ASSERT_TRUE(WriteRunJson(info, Sample("Inventory.vbp"), path, reason)) << reason;
  EXPECT_EQ(path, dir / "out/Inventory_document/Inventory.analysis.json");
  EXPECT_EQ(ReadFile(path),
            BuildJsonExport(Sample("Inventory.vbp"), info.State().GetProjectName(),
                            info.FileTypes().get(), info.State().g_oSymTable.get()));
}

// A missing source file is a warning with its file; the module is still listed, with no lines.
TEST(ProjectJson, WarningsNameTheirFile) {
  TestFolder dir("pj-warn");
  const std::string vbp = dir.Write("p/P.vbp", "Module=modGone; Sub\\Gone.bas\r\n");
  const rapidjson::Document doc = Parse(Export(vbp, dir / "out"));
  EXPECT_EQ(Compact(doc["warnings"]),
            R"j([{"file":"Sub/Gone.bas","message":"source file not found"}])j");
  EXPECT_EQ(Compact(doc["modules"]),
            R"j([{"name":"modGone","kind":"module","file":"Sub/Gone.bas","lines":0,)j"
            R"j("controls":[],"declarations":[]}])j");
}

// Written to a temporary file renamed at the end: a stopped or failed export leaves the earlier
// file as it was and nothing beside it.
TEST(ProjectJson, AnExportThatDoesNotFinishLeavesNothing) {
  TestFolder dir("pj-atomic");
  // More modules than are rendered ahead at once, so the helpers' window turns over.
  std::string lines;
  for (int i = 0; i < 40; ++i) {
    const std::string name = "m" + std::to_string(i);
    lines += "Module=" + name + "; " + name + ".bas\r\n";
    dir.Write("p/" + name + ".bas", "Attribute VB_Name = \"" + name + "\"\r\nPublic Sub S" +
                                        std::to_string(i) + "()\r\nEnd Sub\r\n");
  }
  const std::string vbp = dir.Write("p/P.vbp", lines);
  clsVBInfo info;
  info.GetFileInfo(vbp);
  ASSERT_TRUE(info.ReportWritten());
  const std::string target = dir / "p/P_document/P.json";
  const auto names = [&] {
    std::vector<std::string> n;
    for (const auto& e : fs::directory_iterator(dir / "p/P_document"))
      n.push_back(e.path().filename().string());
    std::sort(n.begin(), n.end());
    return n;
  };
  std::string reason;
  dir.Write("p/P_document/P.json", "earlier");
  {
    std::atomic<bool> stop{true};
    StopFlagScope scope(&stop);
    EXPECT_FALSE(WriteProjectJson(info.Analysis(), vbp, {}, target, reason));
    EXPECT_EQ(reason, "stopped");
  }
  EXPECT_EQ(ReadFile(target), "earlier");
  EXPECT_EQ(names(), (std::vector<std::string>{"P.html", "P.json"}));

  EXPECT_FALSE(WriteProjectJson(info.Analysis(), vbp, {}, dir / "p/none/P.json", reason));
  EXPECT_NE(reason.find("export cannot be written"), std::string::npos) << reason;
  ExportOptions unknown;
  unknown.codePage = 77777;
  EXPECT_FALSE(WriteProjectJson(info.Analysis(), vbp, unknown, target, reason));
  EXPECT_EQ(reason, "unknown code page 77777");
  EXPECT_EQ(ReadFile(target), "earlier");

  ASSERT_TRUE(WriteProjectJson(info.Analysis(), vbp, {}, target, reason)) << reason;
  const rapidjson::Document doc = Parse(ReadFile(target));
  ASSERT_EQ(doc["modules"].Size(), 40u);
  for (rapidjson::SizeType i = 0; i < 40; ++i) {
    EXPECT_EQ(doc["modules"][i]["name"], ("m" + std::to_string(i)).c_str());
    EXPECT_EQ(doc["modules"][i]["declarations"][0]["name"], ("S" + std::to_string(i)).c_str());
  }
  EXPECT_EQ(names(), (std::vector<std::string>{"P.html", "P.json"}));
}

// Doc comments of modules, declarations and members, and the documentation warnings of every
// module in project-file order, whether the modules were rendered on helper threads (compact) or
// in order (pretty); --no-doc-comments leaves them out.
TEST(ProjectJson, DocCommentsAndTheirWarnings) {
  TestFolder dir("pj-doc");
  std::string vbp;
  for (int i = 0; i < 12; ++i) {
    const std::string n = std::to_string(i);
    vbp += "Module=m" + n + "; m" + n + ".bas\r\n";
    dir.Write("p/m" + n + ".bas", "Attribute VB_Name = \"m" + n + "\"\r\n' Module " + n +
                                      ".\r\n\r\n" + "Enum E\r\n  A ' the first\r\nEnd Enum\r\n" +
                                      "'' @param y why\r\nSub S" + n + "(x)\r\nEnd Sub\r\n");
  }
  vbp = dir.Write("p/P.vbp", vbp);
  const rapidjson::Document doc = Parse(Export(vbp, dir / "a"));
  ExportOptions options;
  options.pretty = true;
  EXPECT_EQ(Compact(Parse(Export(vbp, dir / "b", options))), Compact(doc));

  const rapidjson::Value& m3 = doc["modules"][3];
  EXPECT_EQ(Compact(m3["doc"]),
            R"j({"summary":"Module 3.","description":"Module 3.","source":"text"})j");
  EXPECT_EQ(Compact(m3["declarations"][0]["members"][0]["doc"]),
            R"j({"summary":"the first","description":"the first","source":"text"})j");
  EXPECT_EQ(Compact(m3["declarations"][1]["doc"]),
            R"j({"description":"@param y why","params":{"y":"why"},"source":"tags"})j");
  ASSERT_EQ(doc["docWarnings"].Size(), 12u);
  for (rapidjson::SizeType i = 0; i < 12; ++i) {
    const std::string n = std::to_string(i);
    EXPECT_EQ(Compact(doc["docWarnings"][i]),
              R"j({"file":"m)j" + n + R"j(.bas","line":8,"column":5,"message":"documented )j" +
                  R"j(parameter 'y' is not a parameter of S)j" + n + "\"}");
  }

  options.pretty = false;
  options.docComments = false;
  const std::string without = Export(vbp, dir / "c", options);
  EXPECT_EQ(without.find("\"doc\""), std::string::npos);
  EXPECT_EQ(Compact(Parse(without)["docWarnings"]), "[]");
}

}  // namespace
}  // namespace qs

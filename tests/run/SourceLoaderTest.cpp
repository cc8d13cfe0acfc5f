// Source files are read on several threads and handed back in project order. Whatever the number
// of threads, the report, the warnings and every file's tokens must be what one thread gives, and
// a stop of the caller's run stops the helper threads too.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "analysis/SourceLoader.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "parser/clsParser.h"
#include "run/clsVBInfo.h"
#include "support/TestFolder.h"
#include "text/ClsString.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsToken.h"
#include "text/clsTokenStream.h"

namespace qs {
namespace {

std::string Module(int i) {
  std::string s = "Attribute VB_Name = \"modPart" + std::to_string(i) + "\"\r\nOption Explicit\r\n";
  for (int k = 0; k < 20; ++k) {
    const std::string n = std::to_string(i) + "_" + std::to_string(k);
    s += "Public Const kValue" + n + " As Long = " + std::to_string(k) + "\r\n";
    s += "Private Declare Function Api" + n + " Lib \"user32\" Alias \"ApiA\" (ByVal h As Long) " +
         "As Long\r\n";
    s += "Public Function Work" + n + "(ByVal a As Long, Optional b As String = \"x\") As Long\r\n";
    s += "    Dim total As Long\r\n    total = a * 2 ' comment\r\n    Work" + n +
         " = total\r\nEnd Function\r\n";
  }
  return s;
}

std::string Form(int i) {
  const std::string name = "frmPart" + std::to_string(i);
  return "VERSION 5.00\r\nBegin VB.Form " + name +
         "\r\n   Caption = \"Part\"\r\n   Begin Parts.ctlGauge gauge1\r\n      Left = 120\r\n"
         "   End\r\n   Begin VB.TextBox txtName\r\n      Text = \"name\"\r\n   End\r\nEnd\r\n"
         "Attribute VB_Name = \"" +
         name + "\"\r\nPrivate Sub Form_Load()\r\n    Dim n As Integer\r\nEnd Sub\r\n";
}

// A project of 30 modules and 10 forms (their controls of the project's own library among them),
// one file that is missing and one whose path is a folder.
std::string WriteProject(const test::TestFolder& dir) {
  std::string vbp = "Type=Exe\r\n";
  for (int i = 0; i < 10; ++i) {
    dir.Write("frmPart" + std::to_string(i) + ".frm", Form(i));
    vbp += "Form=frmPart" + std::to_string(i) + ".frm\r\n";
  }
  for (int i = 0; i < 30; ++i) {
    dir.Write("modPart" + std::to_string(i) + ".bas", Module(i));
    vbp += "Module=modPart" + std::to_string(i) + "; modPart" + std::to_string(i) + ".bas\r\n";
    if (i == 7) vbp += "Module=modGone; modGone.bas\r\n";
    if (i == 19) vbp += "Module=modDir; modDir.bas\r\n";
  }
  std::filesystem::create_directories(dir.Path() / "modDir.bas");
  vbp += "Name=\"Parts\"\r\n";
  return dir.Write("Parts.vbp", vbp);
}

struct RunResult {
  std::string report;
  std::vector<std::string> warnings;
  std::vector<int32_t> classPtrs;  // lClassPtr of every control record, in item order
};

RunResult Document(const std::string& project, const test::TestFolder& out, unsigned threads) {
  clsVBInfo info;
  info.Settings().outDir = out.Path().string();
  info.Settings().stamp = "Monday, December 7, 2026 14:05:09";
  info.Settings().programFolder = "/opt/quillscope";
  info.Settings().loadThreads = threads;
  info.GetFileInfo(project);
  EXPECT_TRUE(info.ReportWritten()) << info.FailureReason();
  RunResult r{test::ReadFile(info.HtmlListing()), info.Warnings(), {}};
  for (const auto& item : *info.FileTypes()) {
    if (!item || !item->VBHeader()) continue;
    for (const clsControlRecord& rec : item->VBHeader()->Controls())
      r.classPtrs.push_back(rec.lClassPtr);
  }
  return r;
}

TEST(SourceLoader, EveryThreadCountGivesTheSameRun) {
  test::TestFolder dir("loader-threads");
  const std::string project = WriteProject(dir);
  const RunResult one = Document(project, dir, 1);
  ASSERT_FALSE(one.report.empty());
  // Warnings in project order, whichever thread read the file.
  ASSERT_EQ(one.warnings.size(), 2u);
  EXPECT_EQ(one.warnings[0], "modGone.bas: source file not found");
  EXPECT_EQ(one.warnings[1], "modDir.bas: source file is a folder");
  // Every form's gauge is a control of the project's own library.
  int own = 0;
  for (int32_t p : one.classPtrs) own += p > 0 ? 1 : 0;
  EXPECT_EQ(own, 10);
  for (unsigned threads : {2u, 3u, 8u, 0u}) {
    const RunResult many = Document(project, dir, threads);
    EXPECT_EQ(many.report, one.report) << threads << " threads";
    EXPECT_EQ(many.warnings, one.warnings) << threads << " threads";
    EXPECT_EQ(many.classPtrs, one.classPtrs) << threads << " threads";
  }
}

// Two files that give their module the same name (in any letter case) make one module: the
// second file's declarations join the first's, after them, whichever thread read either file.
TEST(SourceLoader, FilesOfOneModuleNameMakeOneModule) {
  test::TestFolder dir("loader-same-name");
  std::string vbp = "Type=Exe\r\n";
  for (int i = 0; i < 12; ++i) {
    std::string text = Module(i);
    if (i == 3) text = "Attribute VB_Name = \"modShared\"\r\nPublic Sub FirstHalf()\r\nEnd Sub\r\n";
    if (i == 9)
      text = "Attribute VB_Name = \"MODSHARED\"\r\nPublic Sub SecondHalf()\r\nEnd Sub\r\n";
    dir.Write("m" + std::to_string(i) + ".bas", text);
    vbp += "Module=m" + std::to_string(i) + "; m" + std::to_string(i) + ".bas\r\n";
  }
  const std::string project = dir.Write("Same.vbp", vbp);
  const RunResult one = Document(project, dir, 1);
  const size_t heading = one.report.find("<H3>modShared</H3>");
  ASSERT_NE(heading, std::string::npos);
  EXPECT_EQ(one.report.find("<H3>MODSHARED</H3>"), std::string::npos);
  // Both halves in the module's detail block (the second heading of the module), in file order.
  const size_t details = one.report.find("<H3>modShared</H3>", heading + 1);
  ASSERT_NE(details, std::string::npos);
  const size_t first = one.report.find("FirstHalf", details);
  const size_t second = one.report.find("SecondHalf", details);
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(second, std::string::npos);
  EXPECT_LT(first, second);
  EXPECT_LT(second, one.report.find("<H3>modPart4</H3>", details));
  for (unsigned threads : {2u, 4u}) EXPECT_EQ(Document(project, dir, threads).report, one.report);
}

// The helper threads work under the caller's stop flag: with the flag set, no file gets past
// its first stop check on any thread (each file here passes thousands of yield points before its
// header is made), and Take ends with RunStopped instead of waiting for files nobody will finish.
TEST(SourceLoader, HelpersAnswerToTheCallersStopFlag) {
  test::TestFolder dir("loader-stop");
  const auto files = [&dir] {
    std::vector<SourceFile> list(8);
    for (size_t i = 0; i < list.size(); ++i) {
      list[i].path = dir.Write("m" + std::to_string(i) + ".bas", Module(static_cast<int>(i)));
      list[i].fallbackName = "m" + std::to_string(i);
    }
    return list;
  };
  std::atomic<bool> stop{true};
  std::vector<SourceFile> stopped = files();
  {
    const StopFlagScope scope(&stop);
    SourceLoader loader(stopped, 4);
    ASSERT_EQ(loader.HelperCount(), 3u);
    EXPECT_THROW(loader.Take(stopped.size() - 1), RunStopped);
  }
  for (const SourceFile& f : stopped) EXPECT_EQ(f.header, nullptr) << f.path;

  // Without a set flag the same files load completely.
  stop = false;
  std::vector<SourceFile> loaded = files();
  const StopFlagScope scope(&stop);
  SourceLoader loader(loaded, 4);
  for (size_t i = 0; i < loaded.size(); ++i) EXPECT_NE(loader.Take(i).header, nullptr);
}

// The loader re-codes the code section as the analysis would: same codes as tokenizing,
// parsing the header and re-coding on one thread, step by step.
TEST(SourceLoader, LoadedFileMatchesTheStepByStepRead) {
  test::TestFolder dir("loader-file");
  const std::string path = dir.Write("modPart1.bas", Module(1));
  SourceFile file;
  file.path = path;
  LoadSourceFile(file);
  ASSERT_EQ(file.outcome, SourceFile::Outcome::kNone);
  ASSERT_TRUE(file.stream && file.header);
  EXPECT_TRUE(file.header->CodeRecoded);
  EXPECT_EQ(file.header->Attribute_VBName, "\"modPart1\"");

  ClsString text;
  ASSERT_TRUE(text.LoadFromFile(path));
  std::shared_ptr<clsToken> keywords;
  std::shared_ptr<clsTokenStream> stream;
  text.TokenizeClass(keywords, stream);
  clsParser parser;
  parser.InitParser(stream);
  const auto header = parser.ParseClassType();
  ASSERT_TRUE(header);
  ASSERT_GT(header->CodePtr, 0);
  parser.RemapTokens(header->CodePtr);

  ASSERT_EQ(file.stream->Count(), stream->Count());
  int differing = 0;
  for (int32_t i = 0; i < stream->Count(); ++i) {
    if (file.stream->TokenCodeAt(i) != stream->TokenCodeAt(i) ||
        file.stream->TokenStringAt(i) != stream->TokenStringAt(i))
      ++differing;
  }
  EXPECT_EQ(differing, 0);
  // The code section carries code keywords: "Function" is no identifier any more.
  bool sawFunction = false;
  for (int32_t i = header->CodePtr; i < file.stream->Count(); ++i)
    if (file.stream->TokenStringAt(i) == "Function")
      sawFunction = file.stream->TokenCodeAt(i) != TokIdentifier;
  EXPECT_TRUE(sawFunction);
}

TEST(SourceLoader, FilesThatCannotBeReadGiveAnEmptyStream) {
  test::TestFolder dir("loader-bad");
  SourceFile missing;
  LoadSourceFile(missing);
  EXPECT_EQ(missing.outcome, SourceFile::Outcome::kNotFound);
  ASSERT_TRUE(missing.stream);
  EXPECT_EQ(missing.stream->Count(), 0);

  SourceFile folder;
  folder.path = dir.Path().string();
  LoadSourceFile(folder);
  EXPECT_EQ(folder.outcome, SourceFile::Outcome::kFolder);
  ASSERT_TRUE(folder.stream);
  EXPECT_EQ(folder.stream->Count(), 0);
}

// A caller that stops early (an exception, say) destroys the loader with files still unread:
// the helpers finish the file in hand and stop.
TEST(SourceLoader, StoppingEarlyLeavesNoThreadBehind) {
  test::TestFolder dir("loader-stop");
  std::vector<SourceFile> files(200);
  const std::string path = dir.Write("modPart2.bas", Module(2));
  for (auto& f : files) f.path = path;
  {
    SourceLoader loader(files, 4);
    EXPECT_EQ(loader.Take(0).outcome, SourceFile::Outcome::kNone);
  }
  // Whatever was read was read whole.
  for (const auto& f : files) {
    if (f.outcome == SourceFile::Outcome::kNone) {
      ASSERT_TRUE(f.header);
      EXPECT_TRUE(f.header->CodeRecoded);
    }
  }
}

}  // namespace
}  // namespace qs

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "output/report/ReportWriter.h"
#include "support/TestFolder.h"
#include "text/SystemPath.h"

namespace qs {
namespace {

using test::ReadFile;
using test::TestFolder;

TEST(ReportWriter, LineWritersEndEveryLineWithCrLf) {
  TestFolder dir("writer-lines");
  ReportWriter w;
  ASSERT_TRUE(w.Open(dir / "r.html"));
  w.WriteLine("plain");
  w.WriteLineBreak("text");
  w.WriteLineBreak("");
  w.WriteH1("a");
  w.WriteH2("b");
  w.WriteH3("c");
  w.WriteH4("d");
  w.WriteParagraph("e");
  w.WriteLine("");
  w.WritePageEnd();
  ASSERT_TRUE(w.Commit()) << w.FailureReason();
  EXPECT_EQ(ReadFile(dir / "r.html"),
            "plain\r\ntext<BR>\r\n<BR>\r\n<H1>a</H1>\r\n<H2>b</H2>\r\n<H3>c</H3>\r\n<H4>d</H4>\r\n"
            "<P>e</P>\r\n\r\n</HTML>\r\n");
  EXPECT_EQ(w.BytesWritten(), ReadFile(dir / "r.html").size());
}

TEST(ReportWriter, LinesGatheredInMemoryAreWrittenAsTheyStand) {
  TestFolder dir("writer-memory");
  ReportWriter ahead;
  ahead.OpenInMemory();
  ahead.WriteH3("m");
  ahead.WriteLineBreak("</table>");
  const std::string block = ahead.TakeText();
  EXPECT_EQ(block, "<H3>m</H3>\r\n</table><BR>\r\n");
  EXPECT_TRUE(ahead.TakeText().empty());
  // Nothing on disk: an in-memory text cannot be committed.
  EXPECT_FALSE(ahead.Commit());
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

  ReportWriter w;
  ASSERT_TRUE(w.Open(dir / "r.html"));
  w.WriteLine("first");
  w.WriteLines(block);
  // Blocks larger than the writer's buffer go out whole.
  const std::string big(200000, 'x');
  w.WriteLines(big + "\r\n");
  w.WriteLine("last");
  ASSERT_TRUE(w.Commit()) << w.FailureReason();
  EXPECT_EQ(ReadFile(dir / "r.html"), "first\r\n" + block + big + "\r\nlast\r\n");
  EXPECT_EQ(w.BytesWritten(), ReadFile(dir / "r.html").size());
}

TEST(ReportWriter, PageHeadIsTheFixedFrame) {
  TestFolder dir("writer-head");
  ReportWriter w;
  ASSERT_TRUE(w.Open(dir / "r.html"));
  w.WritePageHead("", "Quillscope - 1.4.27", "Quillscope", "Monday, December 7, 2026 14:05:09",
                  "/opt/quill scope/bin");  // lower case: the same link on every platform
  ASSERT_TRUE(w.Commit());
  EXPECT_EQ(ReadFile(dir / "r.html"),
            "<!-- Generated Monday, December 7, 2026 14:05:09 -->\r\n"
            "<HTML>\r\n"
            "<HEAD>\r\n"
            "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">\r\n"
            "<META HTTP-EQUIV=\"Content-Language\" CONTENT=\"en-us\">\r\n"
            "<META NAME=\"GENERATOR\" Content=Quillscope - 1.4.27>\r\n"
            "<META NAME=\"Description\" CONTENT=\" Quillscope Visual Basic source code "
            "scanner.\">\r\n"
            "<META NAME=\"Author\" CONTENT=Quillscope>\r\n"
            // An empty title leaves two blanks between the product word and the bracket.
            "<TITLE> Quillscope  [Monday, December 7, 2026 14:05:09]</TITLE>\r\n"
            "<LINK HREF=\"file:///opt\\quill scope\\bin\\QuillscopeStyle.css\" TYPE=\"text/css\" "
            "REL=\"stylesheet\">\r\n"
            "</HEAD>\r\n");
}

TEST(ReportWriter, StyleSheetHrefKeepsCaseAndConvertsTheFolder) {
  // Linux keeps the letter case; Windows gives the folder lower-cased.
  struct Row {
    const char* folder;
    const char* onLinux;
    const char* onWindows;
  };
  const Row rows[] = {
      {"/home/Ann/Build", "file:///home\\Ann\\Build\\QuillscopeStyle.css",
       "file:///home\\ann\\build\\QuillscopeStyle.css"},
      {"/", "file:///\\QuillscopeStyle.css", "file:///\\QuillscopeStyle.css"},
      // UTF-8 from the file system becomes code page 1252; markup characters are escaped.
      {"/x/Caf\xC3\x89 & <b>/", "file:///x\\Caf\xC9 &amp; &lt;b&gt;\\QuillscopeStyle.css",
       "file:///x\\caf\xE9 &amp; &lt;b&gt;\\QuillscopeStyle.css"},
      {"C:\\Program Files\\Quillscope",
       "file:///C:\\Program Files\\Quillscope\\QuillscopeStyle.css",
       "file:///c:\\program files\\quillscope\\QuillscopeStyle.css"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(StyleSheetHref(row.folder), kWindowsFileSystem ? row.onWindows : row.onLinux)
        << row.folder;
}

TEST(ReportWriter, ItemTypeLabels) {
  EXPECT_EQ(ItemTypeLabel(2), "(Form)");
  EXPECT_EQ(ItemTypeLabel(4), "(Module)");
  EXPECT_EQ(ItemTypeLabel(5), "(UserControl)");
  EXPECT_EQ(ItemTypeLabel(7), "(PropertyPage)");
  EXPECT_EQ(ItemTypeLabel(8), "(Class)");
  EXPECT_EQ(ItemTypeLabel(9), "(Designer)");
  EXPECT_EQ(ItemTypeLabel(11), "(UserDocument)");
  for (int other : {-1, 0, 1, 3, 6, 10, 12, 13, 14, 15, 16, 1000})
    EXPECT_EQ(ItemTypeLabel(other), "()");
}

TEST(ReportWriter, HtmlEscapeOnlyTouchesMarkupCharacters) {
  EXPECT_EQ(HtmlEscape("a&b<c>d\"e'f"), "a&amp;b&lt;c&gt;d\"e'f");
  EXPECT_EQ(HtmlEscape("&amp;"), "&amp;amp;");
  EXPECT_EQ(HtmlEscape("\xE9\x80"), "\xE9\x80");  // code page 1252 bytes pass unchanged
  EXPECT_EQ(HtmlEscape(""), "");
}

TEST(ReportWriter, ReplacesAnEarlierReportOnlyWhenComplete) {
  TestFolder dir("writer-replace");
  const std::string path = dir.Write("r.html", "good old report");
  {
    ReportWriter w;
    ASSERT_TRUE(w.Open(path));
    w.WriteLine("half");
    // Not committed: the destructor removes the temporary file.
  }
  EXPECT_EQ(ReadFile(path), "good old report");
  {
    ReportWriter w;
    ASSERT_TRUE(w.Open(path));
    w.WriteLine("new");
    w.Abandon();
    EXPECT_FALSE(w.Commit());
  }
  EXPECT_EQ(ReadFile(path), "good old report");
  // No temporary file is left behind.
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.Path())) files += e.is_regular_file();
  EXPECT_EQ(files, 1);

  ReportWriter w;
  ASSERT_TRUE(w.Open(path));
  w.WriteLine("new");
  ASSERT_TRUE(w.Commit());
  EXPECT_EQ(ReadFile(path), "new\r\n");
}

TEST(ReportWriter, FailuresAreReportedNotSwallowed) {
  TestFolder dir("writer-fail");
  ReportWriter w;
  EXPECT_FALSE(w.Open(dir / "missing-folder/r.html"));
  EXPECT_NE(w.FailureReason().find("report cannot be written"), std::string::npos);
  EXPECT_FALSE(w.Commit());

  // The report name is taken by a folder: the rename fails and nothing is left behind.
  std::filesystem::create_directories(dir.Path() / "r.html" / "inner");
  ReportWriter w2;
  ASSERT_TRUE(w2.Open(dir / "r.html"));
  w2.WriteLine("x");
  EXPECT_FALSE(w2.Commit());
  EXPECT_NE(w2.FailureReason().find("report cannot be written"), std::string::npos);
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.Path())) files += e.is_regular_file();
  EXPECT_EQ(files, 0);
}

TEST(ReportWriter, LargeReportsAreWrittenWhole) {
  TestFolder dir("writer-large");
  ReportWriter w;
  ASSERT_TRUE(w.Open(dir / "r.html"));
  const std::string line(997, 'x');  // with CR LF: 999 bytes, never a multiple of the block
  for (int i = 0; i < 500; ++i) w.WriteLine(line);
  ASSERT_TRUE(w.Commit());
  EXPECT_EQ(std::filesystem::file_size(dir / "r.html"), 500u * 999u);
}

}  // namespace
}  // namespace qs

#include "output/report/ReportWriter.h"

#include <cstring>
#include <string>

#include "io/AtomicFile.h"
#include "model/clsVBFileType.h"
#include "text/Cp1252.h"
#include "text/SystemPath.h"
#include "text/Yield.h"

namespace qs {

namespace {
// Lines are gathered in memory and handed to the system in blocks of this size.
constexpr size_t kFlushSize = 64 * 1024;
// Every this many bytes the system is asked to start writing them to the disk, so the wait for
// the disk at the end (fsync before the rename) covers only the last part of a large report.
constexpr uint64_t kWritebackSize = 1024 * 1024;
constexpr std::string_view kCrLf = "\r\n";
}  // namespace

std::string_view ItemTypeLabel(int32_t in_lEType) {
  switch (in_lEType) {
    case kItemForm:
      return "(Form)";
    case kItemModule:
      return "(Module)";
    case kItemUserControl:
      return "(UserControl)";
    case kItemPropertyPage:
      return "(PropertyPage)";
    case kItemClass:
      return "(Class)";
    case kItemDesigner:
      return "(Designer)";
    case kItemUserDocument:
      return "(UserDocument)";
    default:
      return "()";
  }
}

std::string StyleSheetHref(std::string_view in_sProgramFolder) {
  std::string folder = Utf8To1252(in_sProgramFolder);
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  size_t start = 0;
  while (start < folder.size() && folder[start] == '/') ++start;
  folder.erase(0, start);
  for (char& c : folder)
    if (c == '/') c = '\\';
  // Windows names the program's folder in lower case ("c:\\program files\\quillscope").
  if (kWindowsFileSystem) folder = Lower1252(folder);
  return "file:///" + HtmlEscape(folder) + "\\QuillscopeStyle.css";
}

ReportWriter::~ReportWriter() {
  Abandon();
}

void ReportWriter::Restart() {
  Abandon();
  m_buffer.clear();
  m_bytes = 0;
  m_flushed = 0;
  m_writebackStart = 0;
  m_failureReason.clear();
  m_ok = false;
}

bool ReportWriter::Open(const std::string& in_sPath) {
  Restart();
  const int err = m_file.Open(in_sPath);
  if (err != 0) {
    Fail("report cannot be written", err);
    return false;
  }
  m_ok = true;
  m_buffer.reserve(kFlushSize + 1024);
  return true;
}

void ReportWriter::OpenInMemory() {
  Restart();
  m_ok = true;
}

std::string ReportWriter::TakeText() {
  std::string text = std::move(m_buffer);
  m_buffer.clear();
  return text;
}

void ReportWriter::Fail(std::string_view what, int err) {
  m_ok = false;
  if (!m_failureReason.empty()) return;  // the first cause is the one worth telling
  if (err == AtomicFile::kStopped) {
    m_failureReason = "stopped";
    return;
  }
  m_failureReason.assign(what);
  if (err != 0) {
    m_failureReason += ": ";
    m_failureReason += std::strerror(err);
  }
}

void ReportWriter::Append(std::string_view a, std::string_view b, std::string_view c) {
  // A large project's report runs to hundreds of thousands of lines: one yield point per line.
  YieldPoint();
  if (!m_ok) return;
  m_buffer.append(a);
  m_buffer.append(b);
  m_buffer.append(c);
  m_buffer.append(kCrLf);
  m_bytes += a.size() + b.size() + c.size() + kCrLf.size();
  if (m_buffer.size() >= kFlushSize) Flush();
}

void ReportWriter::WriteLines(std::string_view in_sLines) {
  YieldPoint();
  if (!m_ok) return;
  m_buffer.append(in_sLines);
  m_bytes += in_sLines.size();
  if (m_buffer.size() >= kFlushSize) Flush();
}

void ReportWriter::Flush() {
  if (!m_ok || !m_file.IsOpen()) return;
  const int err = m_file.Write(m_buffer);
  if (err != 0) {
    Fail("report cannot be written", err);
    return;
  }
  m_flushed += m_buffer.size();
  m_buffer.clear();
  if (m_flushed - m_writebackStart >= kWritebackSize) {
    m_file.StartWriteback(m_writebackStart, m_flushed - m_writebackStart);
    m_writebackStart = m_flushed;
  }
}

void ReportWriter::WriteLine(std::string_view in_sText) {
  Append(in_sText);
}
void ReportWriter::WriteLineBreak(std::string_view in_sText) {
  Append(in_sText, "<BR>");
}
void ReportWriter::WriteH1(std::string_view in_sText) {
  Append("<H1>", in_sText, "</H1>");
}
void ReportWriter::WriteH2(std::string_view in_sText) {
  Append("<H2>", in_sText, "</H2>");
}
void ReportWriter::WriteH3(std::string_view in_sText) {
  Append("<H3>", in_sText, "</H3>");
}
void ReportWriter::WriteH4(std::string_view in_sText) {
  Append("<H4>", in_sText, "</H4>");
}
void ReportWriter::WriteParagraph(std::string_view in_sText) {
  Append("<P>", in_sText, "</P>");
}

void ReportWriter::WritePageHead(std::string_view in_sTitle, std::string_view in_sGenerator,
                                 std::string_view in_sAuthor, std::string_view in_sStamp,
                                 std::string_view in_sProgramFolder) {
  Append("<!-- Generated ", in_sStamp, " -->");
  Append("<HTML>");
  Append("<HEAD>");
  Append("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">");
  Append("<META HTTP-EQUIV=\"Content-Language\" CONTENT=\"en-us\">");
  Append("<META NAME=\"GENERATOR\" Content=", in_sGenerator, ">");
  Append("<META NAME=\"Description\" CONTENT=\" Quillscope Visual Basic source code scanner.\">");
  Append("<META NAME=\"Author\" CONTENT=", in_sAuthor, ">");
  std::string title = "<TITLE> Quillscope ";
  title.append(in_sTitle).append(" [").append(in_sStamp).append("]</TITLE>");
  Append(title);
  Append("<LINK HREF=\"", StyleSheetHref(in_sProgramFolder),
         "\" TYPE=\"text/css\" REL=\"stylesheet\">");
  Append("</HEAD>");
}

void ReportWriter::WritePageEnd() {
  Append("</HTML>");
}

bool ReportWriter::Finish() {
  if (!m_file.IsOpen()) {
    if (m_failureReason.empty()) m_failureReason = "report cannot be written";
    return false;
  }
  Flush();
  if (!m_ok) {
    m_file.Abandon();
    return false;
  }
  const int err = m_file.Finish();
  if (err != 0) {
    Fail("report cannot be written", err);
    return false;
  }
  m_buffer.clear();
  m_buffer.shrink_to_fit();
  m_finished = true;
  return true;
}

bool ReportWriter::Commit() {
  if (!m_finished && !Finish()) return false;
  m_finished = false;
  const int err = m_file.Commit();
  if (err != 0) {
    Fail("report cannot be written", err);
    return false;
  }
  return true;
}

void ReportWriter::Abandon() {
  m_file.Abandon();
  m_ok = false;
  m_finished = false;
}

}  // namespace qs

// The report file: one buffered stream of CR LF lines in code page 1252, written to a temporary
// file beside the report and renamed over it only when complete, so a failed run never leaves a
// truncated report in place of a good one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "io/AtomicFile.h"
#include "output/common/SiteText.h"

namespace qs {

/// The label of an item kind in the report's file list: "(Form)", "(Module)", "(UserControl)",
/// "(PropertyPage)", "(Class)", "(Designer)", "(UserDocument)"; "()" for every other kind.
std::string_view ItemTypeLabel(int32_t in_lEType);

/// The style-sheet address for a program folder given as a platform path ("/opt/qs" gives
/// "file:///opt\qs\QuillscopeStyle.css"): the leading "/" dropped, "\" between components,
/// letter case kept (on Windows lower-cased: "C:\Tools" gives "file:///c:\tools\..."), the
/// folder converted to code page 1252 and escaped.
std::string StyleSheetHref(std::string_view in_sProgramFolder);

class ReportWriter {
 public:
  ReportWriter() = default;
  /// An open report that was not committed is abandoned: its temporary file is removed.
  ~ReportWriter();
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  /// Starts the report that will replace in_sPath (a platform path): creates a new temporary file
  /// in the same folder. False, with FailureReason set, when it cannot be created.
  bool Open(const std::string& in_sPath);
  /// Starts a text gathered in memory instead (a part of a report made ahead of it, on any
  /// thread); nothing is written to disk and Commit fails. TakeText hands the lines over.
  void OpenInMemory();
  std::string TakeText();

  /// Line writers: each writes one line, the text followed by CR LF.
  void WriteLine(std::string_view in_sText);
  /// The text followed by "<BR>" (an empty text gives the line "<BR>").
  void WriteLineBreak(std::string_view in_sText);
  void WriteH1(std::string_view in_sText);         ///< "<H1>" text "</H1>"
  void WriteH2(std::string_view in_sText);         ///< "<H2>" text "</H2>"
  void WriteH3(std::string_view in_sText);         ///< "<H3>" text "</H3>"
  void WriteH4(std::string_view in_sText);         ///< "<H4>" text "</H4>"
  void WriteParagraph(std::string_view in_sText);  ///< "<P>" text "</P>"
  /// Writes complete lines (CR LF included) as they are, such as those an in-memory writer made.
  void WriteLines(std::string_view in_sLines);

  /// The page head: the comment with the stamp, HTML and HEAD, the META lines, the title and the
  /// style-sheet link, "</HEAD>". in_sTitle is written as given (the caller escapes it).
  void WritePageHead(std::string_view in_sTitle, std::string_view in_sGenerator,
                     std::string_view in_sAuthor, std::string_view in_sStamp,
                     std::string_view in_sProgramFolder);
  /// "</HTML>".
  void WritePageEnd();

  /// Writes what is buffered and finishes the temporary file (on the disk, closed) without
  /// putting it in place: a report written ahead of its commit, which Commit puts in place later.
  /// False, with FailureReason set, when that fails; the temporary file is then removed.
  bool Finish();
  /// Writes what is buffered, closes the temporary file and renames it over the report. True
  /// when the complete report is in place; otherwise the temporary file is removed, an earlier
  /// report stays untouched and FailureReason says why ("stopped" when the run on this thread
  /// was asked to stop).
  bool Commit();
  /// Closes and removes the temporary file; the report path is not touched.
  void Abandon();

  /// False once a write has failed (later writes are then dropped).
  bool Ok() const { return m_ok; }
  const std::string& FailureReason() const { return m_failureReason; }
  /// Bytes handed to the writer so far (written or buffered).
  uint64_t BytesWritten() const { return m_bytes; }

 private:
  /// Abandons what is open and empties every count: the start of Open and OpenInMemory.
  void Restart();
  void Append(std::string_view a, std::string_view b = {}, std::string_view c = {});
  void Flush();
  void Fail(std::string_view what, int err);

  AtomicFile m_file;
  std::string m_buffer;
  uint64_t m_bytes = 0;
  uint64_t m_flushed = 0;         // bytes handed to the system
  uint64_t m_writebackStart = 0;  // first byte whose writeback has not been started
  bool m_ok = false;
  bool m_finished = false;  // Finish succeeded; Commit only renames
  std::string m_failureReason;
};

}  // namespace qs

// Every way a file can fail to load reaches the words the command line and the window show: the
// loaders' reason, a source file's warning and a project file's failure reason.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "run/clsVBInfo.h"
#include "support/TestFolder.h"
#include "text/ClsString.h"
#include "text/LoadError.h"
#include "text/clsTokenStream.h"

namespace qs {

// Failures name the reason instead of a byte value.
void PrintTo(LoadError in_eError, std::ostream* out) {
  *out << '"' << LoadErrorText(in_eError) << '"';
}

namespace {

namespace fs = std::filesystem;
using test::TestFolder;

// A kernel attribute file measures a whole page but reads only its short value: a read that
// comes short of the measured size, as when a file shrinks while it is read. "" when this
// machine has none.
std::string ShortReadingFile() {
  // Windows has neither the kernel's attribute files nor (under Wine) symbolic links to them.
  if (kWindowsFileSystem) return "";
  for (const char* candidate : {"/sys/kernel/mm/transparent_hugepage/enabled",
                                "/sys/devices/system/cpu/online", "/sys/power/state"}) {
    std::error_code ec;
    const auto measured = fs::file_size(candidate, ec);
    if (ec || measured == 0) continue;
    const std::string bytes = test::ReadFile(candidate);
    if (!bytes.empty() && bytes.size() < measured) return candidate;
  }
  return "";
}

struct Failure {
  const char* what;
  LoadError reason;
  const char* words;  // what follows "source file " and "project file "
  bool streamToo;     // the token stream loader meets the same failure (it has no size limit)
  bool keepsText;     // a text loader keeps its text (else it holds the file's size in zeros)
  // Makes the failing file at the path; returns why it cannot be made here, or "".
  std::function<std::string(const std::string&)> make;
};

TEST(LoadFailure, EveryReasonReachesTheLoaderTheWarningAndTheFailureReason) {
  const std::vector<Failure> failures = {
      {"missing", LoadError::kNotFound, "not found", true, true,
       [](const std::string&) { return ""; }},
      {"folder", LoadError::kFolder, "is a folder", true, true,
       [](const std::string& path) {
         fs::create_directories(path);
         return "";
       }},
      {"no permission", LoadError::kNotReadable, "is not readable", true, false,
       [](const std::string& path) -> std::string {
         if (std::string why = test::PermissionTestBlocker(); !why.empty()) return why;
         std::ofstream(path) << "Attribute VB_Name = \"m\"\r\n";
         fs::permissions(path, fs::perms::none);
         return "";
       }},
      {"above the size limit", LoadError::kTooLarge, "is too large", false, true,
       [](const std::string& path) -> std::string {
         // A sparse file: measured at one byte over the limit, it takes no room on the disk.
         std::ofstream(path) << "";
         std::error_code ec;
         fs::resize_file(path, static_cast<std::uintmax_t>(ClsString::kMaxFileBytes) + 1, ec);
         return ec ? "no sparse file of that size here: " + ec.message() : "";
       }},
      {"shorter than measured", LoadError::kShortRead, "changed while it was read", true, false,
       [](const std::string& path) -> std::string {
         const std::string target = ShortReadingFile();
         if (target.empty()) return "no Linux kernel attribute file to read here";
         fs::create_symlink(target, path);
         return "";
       }},
  };

  for (const Failure& f : failures) {
    SCOPED_TRACE(f.what);
    TestFolder dir("load-failure");
    dir.Write("P.vbp", "Module=modBad; Bad.bas\r\nModule=modGood; Good.bas\r\n");
    dir.Write("Good.bas", "Attribute VB_Name = \"modGood\"\r\nPublic Const X = 1\r\n");
    const std::string skip = f.make(dir / "Bad.bas");
    if (!skip.empty()) {
      // Not the whole test: the other failures are still checked.
      std::cout << "not checked here: " << f.what << " (" << skip << ")\n";
      continue;
    }

    // The loaders say why.
    ClsString text;
    text.SetText("kept");
    LoadError reason = LoadError::kNone;
    EXPECT_FALSE(text.LoadFromFile(dir / "Bad.bas", reason));
    EXPECT_EQ(reason, f.reason);
    EXPECT_EQ(text.Text(), f.keepsText ? std::string("kept")
                                       : std::string(static_cast<size_t>(text.Length()), '\0'));
    if (f.streamToo) {
      clsTokenStream stream;
      reason = LoadError::kNone;
      EXPECT_FALSE(stream.LoadFromFile(dir / "Bad.bas", reason));
      EXPECT_EQ(reason, f.reason);
    }

    // A listed source file: a warning, and the run documents the rest.
    clsVBInfo info;
    info.Settings().loadThreads = 1;
    info.GetFileInfo(dir / "P.vbp");
    EXPECT_TRUE(info.ReportWritten()) << info.FailureReason();
    EXPECT_EQ(info.Warnings(),
              std::vector<std::string>{std::string("Bad.bas: source file ") + f.words});
    EXPECT_NE(test::ReadFile(info.HtmlListing()).find("modGood"), std::string::npos);

    // The same file as the project: no report, the reason instead.
    info.GetFileInfo(dir / "Bad.bas");
    EXPECT_FALSE(info.ReportWritten());
    EXPECT_EQ(info.FailureReason(), std::string("project file ") + f.words);
    EXPECT_FALSE(fs::exists(dir / "Bad_document"));
    std::error_code ec;
    fs::permissions(dir / "Bad.bas", fs::perms::owner_all, ec);  // lets the folder be removed
  }
}

}  // namespace
}  // namespace qs

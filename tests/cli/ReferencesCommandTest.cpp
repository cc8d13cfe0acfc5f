// The questions --refs and --unused on the command line: their exit statuses, paths as the command
// line names the project, usage errors, and that they write no report.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "support/JsonCheck.h"
#include "support/TestFolder.h"

namespace qs::cli {
namespace {

namespace fs = std::filesystem;

TEST(ReferencesCommand, QuestionsAnswerWithTheirExitStatusesAndWriteNoReport) {
  const fs::path dir = fs::path(QS_BINARY_DIR) / "test-tmp" /
                       (std::string("cli-refs-") + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "p");
  std::ofstream(dir / "p" / "P.vbp", std::ios::binary)
      << "Type=Exe\r\nModule=modA; a.bas\r\nModule=modB; b.bas\r\n";
  std::ofstream(dir / "p" / "a.bas", std::ios::binary)
      << "Attribute VB_Name = \"modA\"\r\nPublic Sub Go()\r\nEnd Sub\r\n";
  std::ofstream(dir / "p" / "b.bas", std::ios::binary)
      << "Attribute VB_Name = \"modB\"\r\nPublic Sub Go()\r\n  modA.Go\r\nEnd Sub\r\n";
  const std::string vbp = (dir / "p" / "P.vbp").string();
  const std::string folder = (dir / "p").string() + "/";

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string errStart;
    std::string project = "";  // the path after the options ("": the project file)
  };
  std::ofstream(dir / "p" / "G.vbg", std::ios::binary) << "VBGROUP 5.0\r\nProject=P.vbp\r\n";
  const Case cases[] = {
      {{"--refs=modA.Go"},
       0,
       folder + "a.bas:2:12: declaration: Public Sub Go()\n" + folder +
           "b.bas:3:8: call: modA.Go\n",
       ""},
      {{"--refs", "modB.Go"}, 0, folder + "b.bas:2:12: declaration: Public Sub Go()\n", ""},
      {{"--refs=Go"}, 2, "", "quillscope-cli: ambiguous: 'Go' names 2 declarations"},
      {{"--refs=modA.Missing"}, 1, "", "quillscope-cli: no declaration is named 'modA.Missing'"},
      {{"--unused"}, 0, folder + "b.bas:2:12: unused sub modB.Go\n", ""},
      {{"--unused", "--fail"}, 1, folder + "b.bas:2:12: unused sub modB.Go\n", ""},
      {{"--refs=Go", "--unused"}, 2, "", "quillscope-cli: --refs and --unused are separate"},
      {{"--fail"}, 2, "", "quillscope-cli: --exposed, --controls and --fail go with --unused"},
      {{"--controls"}, 2, "", "quillscope-cli: --exposed, --controls and --fail go with --unused"},
      {{"--unused", "--controls", "--fail"}, 1, folder + "b.bas:2:12: unused sub modB.Go\n", ""},
      {{"--refs=Go", "--codepage", "1251"},
       2,
       "",
       "quillscope-cli: ambiguous: 'Go' names 2 declarations; ask for one of:\n  modA.Go  (sub, " +
           folder + "a.bas:2:12)\n  modB.Go  (sub, " + folder + "b.bas:2:12)\n"},
      // The project taken for the name, and paths that name no one project.
      {{"--refs"}, 2, "", "quillscope-cli: --refs needs =NAME before the project: --refs=NAME "},
      {{"--unused"},
       2,
       "",
       "quillscope-cli: --refs and --unused take one project file (.vbp), and " + folder +
           " is a folder",
       folder},
      {{"--refs=modA.Go"},
       2,
       "",
       "quillscope-cli: --refs and --unused take one project file (.vbp), and " + folder +
           "G.vbg is a group file",
       folder + "G.vbg"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"quillscope-cli"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back(c.project.empty() ? vbp : c.project);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    std::ostringstream out, err;
    const int status = cli::Run(static_cast<int>(argv.size()), argv.data(), out, err);
    const std::string what = c.args.front();
    EXPECT_EQ(status, c.status) << what;
    EXPECT_EQ(out.str(), c.out) << what;
    EXPECT_EQ(err.str().rfind(c.errStart, 0), 0u) << what << ": " << err.str();
  }
  // A question writes no report and creates no report folder.
  EXPECT_FALSE(fs::exists(dir / "p" / "P_document"));
  std::error_code ec;
  fs::remove_all(dir, ec);
}

// --define NAME=VALUE over the project file's CondComp line picks the live branch of #If
// blocks for the questions; a malformed one is a usage error that says what is wrong.
TEST(ReferencesCommand, DefineChoosesTheLiveBranchOrIsAUsageError) {
  const fs::path dir = fs::path(QS_BINARY_DIR) / "test-tmp" /
                       (std::string("cli-define-") + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "P.vbp", std::ios::binary)
      << "Type=Exe\r\nModule=modA; a.bas\r\nCondComp=\"WIDE = 0\"\r\n";
  std::ofstream(dir / "a.bas", std::ios::binary)
      << "Attribute VB_Name = \"modA\"\r\n#If VBA7 And WIDE Then\r\nPublic Sub Wide()\r\n"
         "End Sub\r\n#Else\r\nPublic Sub Narrow()\r\nEnd Sub\r\n#End If\r\n";
  const std::string vbp = (dir / "P.vbp").string();
  const std::string folder = dir.string() + "/";
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string errStart;
  };
  const std::string usage = "quillscope-cli: --define needs NAME=VALUE";
  const Case cases[] = {
      {{"--unused"}, 0, folder + "a.bas:6:12: unused sub modA.Narrow\n", ""},
      {{"--define", "VBA7=1", "--unused"}, 0, folder + "a.bas:6:12: unused sub modA.Narrow\n", ""},
      {{"--define", "VBA7=1", "--define=wide=VBA7 + 2", "--unused"},
       0,
       folder + "a.bas:3:12: unused sub modA.Wide\n",
       ""},
      {{"--define=VBA7=True", "--define=WIDE=-1", "--refs=Narrow"},
       1,
       "",
       "quillscope-cli: no declaration is named 'Narrow'"},
      {{"--define", "=1", "--unused"}, 2, "", usage},
      {{"--define", "X", "--unused"}, 2, "", usage},
      {{"--define=X=", "--unused"}, 2, "", usage},
      {{"--define=X=Len(1)", "--unused"}, 2, "", usage},
      {{"--define=1X=1", "--unused"}, 2, "", usage},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"quillscope-cli"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back(vbp);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    std::ostringstream out, err;
    const int status = cli::Run(static_cast<int>(argv.size()), argv.data(), out, err);
    std::string what;
    for (const std::string& a : c.args) what += a + " ";
    EXPECT_EQ(status, c.status) << what;
    EXPECT_EQ(out.str(), c.out) << what;
    EXPECT_EQ(err.str().rfind(c.errStart, 0), 0u) << what << ": " << err.str();
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
}

// A module damaged in transfer: binary bytes (a zero byte, 0x1A, a lone CR) and quotes that open
// strings running on across lines. --refs, the JSON export and the site place each name on its
// physical line.
TEST(ReferencesCommand, PlacesInADamagedFileCountPhysicalLines) {
  const fs::path dir = fs::path(QS_BINARY_DIR) / "test-tmp" /
                       (std::string("cli-damaged-") + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "D.vbp", std::ios::binary) << "Type=Exe\r\nModule=modD; d.bas\r\n";
  const std::string damaged(
      "Attribute VB_Name = \"modD\"\r\n"  // 1
      "\x00\x01\x1a\"abc\x00\xff\r\n"     // 2: a string opens
      "x\ry more \x00\r\n"                // 3 and 4: a lone CR
      "\x1a'not a comment \"\r\n"         // 5: the string closes
      "zz \"q\x1a\"\r\n"                  // 6
      "Option Explicit\r\n"               // 7
      "Public Sub Target()\r\n"           // 8
      "End Sub\r"                         // 9, a lone CR
      "Sub Caller()\n"                    // 10, a lone LF
      "  Dim s: s = \"a\r\n"              // 11
      "b\": Target\r\n"                   // 12
      "End Sub\r\n",
      176);
  ASSERT_EQ(damaged.size(), 176u);
  std::ofstream(dir / "d.bas", std::ios::binary) << damaged;
  const std::string vbp = (dir / "D.vbp").string();
  const auto run = [&](std::vector<std::string> args, std::string& out) {
    args.insert(args.begin(), "quillscope-cli");
    args.push_back(vbp);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    std::ostringstream o, e;
    const int status = cli::Run(static_cast<int>(argv.size()), argv.data(), o, e);
    out = o.str();
    return status;
  };
  std::string out;
  EXPECT_EQ(run({"--refs=Target"}, out), 0);
  const std::string folder = dir.string() + "/";
  EXPECT_EQ(out, folder + "d.bas:8:12: declaration: Public Sub Target()\n" + folder +
                     "d.bas:12:5: call: b\": Target\n");
  EXPECT_EQ(run({"--unused"}, out), 0);
  EXPECT_EQ(out, folder + "d.bas:10:5: unused sub modD.Caller\n");

  ASSERT_EQ(run({"--quiet", "--json", "--site", "--out-dir", (dir / "out").string()}, out), 0);
  test::JsonValue json;
  test::JsonReader reader;
  ASSERT_TRUE(reader.Parse(test::ReadFile((dir / "out" / "D_document" / "D.json").string()), json))
      << reader.Error();
  const test::JsonValue& module = json["modules"][0];
  EXPECT_EQ(module["lines"].n, 13);
  std::vector<std::string> places;
  for (const test::JsonValue& d : module["declarations"].items) {
    places.push_back(d["name"].s + " " + std::to_string(d["line"].n) + ":" +
                     std::to_string(d["column"].n));
    for (const test::JsonValue& u : d["uses"].items)
      places.push_back("  use " + std::to_string(u[0].n) + ":" + std::to_string(u[1].n));
    for (const test::JsonValue& l : d["locals"].items)
      places.push_back("  local " + l["name"].s + " " + std::to_string(l["line"].n) + ":" +
                       std::to_string(l["column"].n));
  }
  EXPECT_EQ(places, (std::vector<std::string>{"Target 8:12", "  use 12:5", "Caller 10:5",
                                              "  local s 11:7"}));
  // The site's source page numbers every physical line and links the call on line 12.
  const std::string page = test::ReadFile((dir / "out" / "D_site" / "s1-modD.html").string());
  EXPECT_NE(page.find("<a id=L13></a>"), std::string::npos);
  EXPECT_EQ(page.find("<a id=L14></a>"), std::string::npos);
  const size_t line12 = page.find("<a id=L12></a>");
  ASSERT_NE(line12, std::string::npos);
  EXPECT_NE(page.substr(line12, page.find('\n', line12) - line12).find(">Target</a>"),
            std::string::npos);
  std::error_code ec;
  fs::remove_all(dir, ec);
}

}  // namespace
}  // namespace qs::cli

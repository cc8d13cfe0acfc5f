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
      {{"--refs=Go"}, 2, "", folder + "a.bas:2:12: declaration: Public Sub Go()\n"},
      {{"--refs=modA.Missing"}, 1, "", "quillscope-cli: no declaration is named 'modA.Missing'"},
      {{"--unused"}, 0, folder + "b.bas:2:12: unused sub modB.Go\n", ""},
      {{"--unused", "--fail"}, 1, folder + "b.bas:2:12: unused sub modB.Go\n", ""},
      {{"--refs=Go", "--unused"}, 2, "", "quillscope-cli: --refs and --unused are separate"},
      {{"--fail"}, 2, "", "quillscope-cli: --exposed and --fail go with --unused"},
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

}  // namespace
}  // namespace qs::cli

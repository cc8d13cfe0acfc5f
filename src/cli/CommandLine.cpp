#include "cli/CommandLine.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/CompileConstants.h"
#include "analysis/ProjectAnalyser.h"
#include "analysis/ProjectGroup.h"
#include "cli/DocCoverageCommand.h"
#include "cli/DocumentCommand.h"
#include "cli/ReferencesCommand.h"
#include "cli/TokensCommand.h"
#include "io/CodePage.h"
#include "io/ProgramInfo.h"
#include "io/modFiles.h"
#include "text/Failure.h"

namespace qs::cli {

namespace {

constexpr const char* kProgram = "quillscope-cli";

void PrintUsage(std::ostream& out) {
  out << "Usage: quillscope-cli [--out-dir DIR] [--json [--pretty]] [--site] "
         "[--codepage N] [--dump-analysis] [--jobs N] [--exclude GLOB] [--define NAME=VALUE] "
         "[--quiet] "
         "PATH...\n"
         "       quillscope-cli --doc-coverage [--fail-under=P] [--codepage N] PROJECT.vbp ...\n"
         "       quillscope-cli --refs=NAME | --unused [--exposed] [--controls] [--fail] "
         "[--codepage N] [--define NAME=VALUE] PROJECT.vbp\n"
         "       quillscope-cli --tokens=code|vbp|form|class FILE\n"
         "       quillscope-cli --help | --version\n"
         "\n"
         "Documents Visual Basic 6 projects. For each project file, reads every form, module,\n"
         "class, user control, property page, user document and designer it lists and writes\n"
         "one HTML report, PROJECT_document/PROJECT.html beside the project file, then prints\n"
         "the report's full path. Each PATH is a project file (.vbp), a group file (.vbg),\n"
         "standing for the projects it lists, or a folder, standing for every .vbp and .vbg\n"
         "below it (in sorted path order, skipping the report and site folders this program\n"
         "writes); each project is documented once.\n"
         "With --json or --site and more than one project, estate_site/ (index.html, and\n"
         "estate.json with --json) sums them up: groups, projects, files more than one\n"
         "project lists, totals.\n"
         "\n"
         "Options:\n"
         "  --out-dir DIR   put the report folders under DIR instead (created when missing)\n"
         "  --json          also export the project as JSON, PROJECT.json beside each report:\n"
         "                  modules, controls and declarations with their places and uses\n"
         "                  (format 2, described in docs/JSON.md)\n"
         "  --pretty        indent the JSON export (compact without it)\n"
         "  --site          also write the documentation site, PROJECT_site/ beside the\n"
         "                  report folder: a page per module, the source with numbered\n"
         "                  lines, inventories and a search box; its index.html is printed\n"
         "                  after the report. Graphviz's dot, when on the PATH, draws the\n"
         "                  pictures\n"
         "  --codepage N    the code page of the project's files, for the text of the JSON\n"
         "                  export, of the site and of the answers to --refs and --unused,\n"
         "                  which take NAME and print in UTF-8 (default 1252; 1250, 1251,\n"
         "                  932, 936, ...); the report's bytes are the same whatever N\n"
         "  --dump-analysis also write the analysis records as JSON for debugging,\n"
         "                  PROJECT.analysis.json beside each report (may change)\n"
         "  --jobs N        use at most N threads in all (default: each part of the run\n"
         "                  one per processor); the outputs are the same whatever N\n"
         "  --no-doc-comments  leave doc comments out of the JSON export\n"
         "  --doc-coverage  write no report; print per module and for the project how many\n"
         "                  public procedures, properties, events and Declares have a doc\n"
         "                  comment, then the documentation warnings as\n"
         "                  PATH:LINE:COLUMN: warning: ...\n"
         "  --fail-under=P  with --doc-coverage: exit 1 when the project's share is below P%\n"
         "  --refs=NAME     print where the declaration NAME (Module.Name,\n"
         "                  Module.Procedure.Name, Module.Type.Member or a bare name) is\n"
         "                  declared and used, one PATH:LINE:COLUMN: KIND: line each; no report\n"
         "  --unused        print the declarations nothing uses, one PATH:LINE:COLUMN:\n"
         "                  unused KIND NAME line each, controls left out; no report\n"
         "  --exposed       with --unused, also those outside callers may use (ActiveX)\n"
         "  --controls      with --unused, also the controls code never names (a label\n"
         "                  or frame is what its form shows, so they are left out without it)\n"
         "  --fail          with --unused, exit 1 when a line was printed (for CI)\n"
         "  --exclude GLOB  skip files and folders below a folder given whose name or path\n"
         "                  below it matches GLOB (* and ?, any letter case); repeatable\n"
         "  --define NAME=VALUE  read #If blocks with the conditional compilation constant\n"
         "                  NAME set to VALUE (a number, True, False, a string or an\n"
         "                  expression of them), over the project file's CondComp line,\n"
         "                  in every project: for the cross references (--refs, --unused,\n"
         "                  --json, --site); the report does not change; repeatable\n"
         "  --quiet         print only errors (no report paths, warnings or progress);\n"
         "                  without it, progress (project n of m) goes to stderr when that\n"
         "                  is a terminal\n"
         "  -h, --help      show this help and exit\n"
         "  -V, --version   show the version and exit\n"
         "\n"
         "Exit status: 0 when every report was written, 1 when a project failed, 2 when the\n"
         "command line is wrong. --refs exits 1 for an unknown name and 2 for a bare name\n"
         "that names several declarations (their qualified names listed on stderr).\n";
}

// A thread count: digits only, 1 to 64.
bool ParseJobs(std::string_view text, unsigned& out_jobs) {
  if (text.empty() || text.size() > 2) return false;
  unsigned n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<unsigned>(c - '0');
  }
  if (n < 1 || n > 64) return false;
  out_jobs = n;
  return true;
}

// A --define value: NAME=VALUE, NAME a constant's name, VALUE an expression that can be
// evaluated (with the constants defined before it on the command line).
bool ParseDefine(std::string_view text, CompileConstants& io_constants,
                 std::vector<std::pair<std::string, std::string>>& out_defines) {
  const size_t eq = text.find('=');
  if (eq == std::string_view::npos) return false;
  const std::string_view name = text.substr(0, eq);
  const std::string_view value = text.substr(eq + 1);
  if (!CompileConstants::IsName(name) || !io_constants.Define(name, value)) return false;
  out_defines.emplace_back(name, value);
  return true;
}

// A share in percent: digits only, 0 to 100.
bool ParsePercent(std::string_view text, int& out_percent) {
  if (text.empty() || text.size() > 3) return false;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  if (n > 100) return false;
  out_percent = n;
  return true;
}

// A code page number the system can convert from: digits only.
bool ParseCodePage(std::string_view text, int& out_codePage) {
  if (text.empty() || text.size() > 5) return false;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  if (!CodePageText::IsKnown(n)) return false;
  out_codePage = n;
  return true;
}

// True when the argument is the option, given as "--name VALUE" (the value is the next argument,
// which is then used up; empty when there is none) or "--name=VALUE".
bool OptionValue(std::string_view arg, std::string_view name, int& io_i, int argc, char** argv,
                 std::string_view& out_value) {
  out_value = {};
  if (arg == name) {
    if (io_i + 1 < argc && argv[io_i + 1] != nullptr) out_value = argv[++io_i];
    return true;
  }
  if (arg.size() <= name.size() || arg.substr(0, name.size()) != name || arg[name.size()] != '=')
    return false;
  out_value = arg.substr(name.size() + 1);
  return true;
}

int UsageError(std::ostream& err, const std::string& message) {
  err << kProgram << ": " << message << "\n"
      << "Try '" << kProgram << " --help' for more information.\n";
  return 2;
}

}  // namespace

namespace {

int RunWith(int argc, char** argv, std::ostream& out, std::ostream& err, bool forExit) {
  DocumentOptions options;
  options.leaveLastRunToExit = forExit;
  ReferencesOptions questions;
  std::vector<std::string> projects;
  CompileConstants defined;  // what --define set so far, for the next one to use
  bool optionsEnded = false;

  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i] ? argv[i] : "";
    if (optionsEnded || a.empty() || a.front() != '-' || a == "-") {
      projects.emplace_back(a);
    } else if (a == "--") {
      optionsEnded = true;
    } else if (a == "--help" || a == "-h") {
      PrintUsage(out);
      return 0;
    } else if (a == "--version" || a == "-V") {
      out << kProgram << " " << ProgramVersion() << "\n";
      return 0;
    } else if (a == "--out-dir") {
      if (i + 1 >= argc || argv[i + 1] == nullptr || argv[i + 1][0] == '\0')
        return UsageError(err, "--out-dir needs a folder");
      options.outDir = argv[++i];
    } else if (a.rfind("--out-dir=", 0) == 0) {
      options.outDir = std::string(a.substr(10));
      if (options.outDir.empty()) return UsageError(err, "--out-dir needs a folder");
    } else if (a.rfind("--tokens=", 0) == 0) {
      // Token inspection: prints the file's token stream, one token per line.
      if (i + 1 >= argc || argv[i + 1] == nullptr || argv[i + 1][0] == '\0')
        return UsageError(err, "--tokens needs a file");
      return RunTokens(a.substr(9), argv[i + 1], out, err);
    } else if (a == "--json") {
      options.json = true;
    } else if (a == "--site") {
      options.site = true;
    } else if (a == "--pretty") {
      options.pretty = true;
    } else if (a == "--quiet") {
      options.quiet = true;
    } else if (std::string_view glob; OptionValue(a, "--exclude", i, argc, argv, glob)) {
      if (glob.empty()) return UsageError(err, "--exclude needs a pattern");
      options.excludes.emplace_back(glob);
    } else if (a == "--dump-analysis") {
      options.dumpAnalysis = true;
    } else if (a == "--no-doc-comments") {
      options.docComments = false;
    } else if (a == "--doc-coverage") {
      options.docCoverage = true;
    } else if (a == "--unused") {
      questions.unused = true;
    } else if (a == "--exposed") {
      questions.exposed = true;
    } else if (a == "--fail") {
      questions.fail = true;
    } else if (a == "--controls") {
      questions.controls = true;
    } else if (std::string_view name; OptionValue(a, "--refs", i, argc, argv, name)) {
      if (name.empty()) return UsageError(err, "--refs needs a name");
      // "--refs P.vbp": the project was taken for the name.
      if (a == "--refs" && (HasProjectExtension(std::string(name)) ||
                            HasGroupExtension(std::string(name)) || IsFolder(std::string(name))))
        return UsageError(
            err, "--refs needs =NAME before the project: --refs=NAME " + std::string(name));
      questions.refs = std::string(name);
    } else if (std::string_view value; OptionValue(a, "--codepage", i, argc, argv, value)) {
      if (!ParseCodePage(value, options.codePage))
        return UsageError(err,
                          "--codepage needs the number of a code page this system converts "
                          "(such as 1252, 1251, 936), not '" +
                              std::string(value) + "'");
    } else if (OptionValue(a, "--fail-under", i, argc, argv, value)) {
      if (!ParsePercent(value, options.failUnder))
        return UsageError(err, "--fail-under needs a whole number from 0 to 100");
    } else if (OptionValue(a, "--define", i, argc, argv, value)) {
      if (!ParseDefine(value, defined, options.defines))
        return UsageError(err,
                          "--define needs NAME=VALUE, a constant's name and a number, True, "
                          "False, a string or an expression of them, not '" +
                              std::string(value) + "'");
    } else if (OptionValue(a, "--jobs", i, argc, argv, value)) {
      if (!ParseJobs(value, options.jobs))
        return UsageError(err, "--jobs needs a whole number from 1 to 64");
    } else {
      return UsageError(err, "unknown option '" + std::string(a) + "'");
    }
  }

  if (projects.empty()) return UsageError(err, "no project file given");
    // Progress is for a person watching: only when err is the terminal's standard error.
#ifdef _WIN32
  options.progress = forExit && ::_isatty(::_fileno(stderr)) != 0;
#else
  options.progress = forExit && ::isatty(STDERR_FILENO) == 1;
#endif
  if (options.failUnder >= 0 && !options.docCoverage)
    return UsageError(err, "--fail-under goes with --doc-coverage");
  if ((questions.exposed || questions.fail || questions.controls) && !questions.unused)
    return UsageError(err, "--exposed, --controls and --fail go with --unused");
  if (!questions.refs.empty() && questions.unused)
    return UsageError(err, "--refs and --unused are separate questions");
  if (options.docCoverage && (!questions.refs.empty() || questions.unused))
    return UsageError(err, "--doc-coverage, --refs and --unused are separate questions");
  if (options.docCoverage) return RunDocCoverage(projects, options, out, err);
  if (!questions.refs.empty() || questions.unused) {
    // A question is about one project: a folder or a group file names none in particular.
    for (const std::string& project : projects) {
      if (IsFolder(project) || HasGroupExtension(project))
        return UsageError(err, "--refs and --unused take one project file (.vbp), and " + project +
                                   " is a " + (IsFolder(project) ? "folder" : "group file"));
    }
    questions.jobs = options.jobs;
    questions.defines = options.defines;
    questions.codePage = options.codePage;
    questions.leaveLastRunToExit = forExit;
    return RunReferences(projects, questions, out, err);
  }
  return RunDocument(projects, options, out, err);
}

}  // namespace

// The program's one boundary for failures outside a documentation run (expanding the paths,
// the estate, the questions' printing): the user gets one line and exit status 1.
int RunGuarded(int argc, char** argv, std::ostream& out, std::ostream& err, bool forExit) {
  try {
    return RunWith(argc, argv, out, err, forExit);
  } catch (const std::exception& e) {
    // The caller gets exit status 1 and this line; what was written before stays.
    err << kProgram << ": " << FailureText(e) << "\n";
  } catch (...) {
    // The caller gets exit status 1 and this line; what was written before stays.
    err << kProgram << ": internal error\n";
  }
  return 1;
}

int Run(int argc, char** argv, std::ostream& out, std::ostream& err) {
  return RunGuarded(argc, argv, out, err, false);
}

int Run(int argc, char** argv) {
  return RunGuarded(argc, argv, std::cout, std::cerr, true);
}

}  // namespace qs::cli

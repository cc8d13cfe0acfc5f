// The command line's documents against its help: docs/CLI.md, the manual page and the bash
// completion must each give every option `quillscope-cli --help` prints, and name no other.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/CommandLine.h"

namespace qs::cli {
namespace {

using Options = std::set<std::string>;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string SourcePath(std::string_view rel) {
  return std::string(QS_SOURCE_DIR) + "/" + std::string(rel);
}

std::string HelpText() {
  std::string program = "quillscope-cli", help = "--help";
  char* argv[] = {program.data(), help.data(), nullptr};
  std::ostringstream out, err;
  EXPECT_EQ(Run(2, argv, out, err), 0) << err.str();
  return out.str();
}

bool IsWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The options a text names: one or two dashes, a letter, then letters, digits and dashes, not
// inside a longer word ("UTF-8", "quillscope-cli" and "---x" name none). "--name=VALUE" names
// "--name".
Options OptionsIn(std::string_view text) {
  Options found;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '-' || (i > 0 && (IsWordChar(text[i - 1]) || text[i - 1] == '-'))) continue;
    size_t end = i + 1;
    if (end < text.size() && text[end] == '-') ++end;
    if (end >= text.size() || !IsLetter(text[end])) continue;
    while (end < text.size() && (IsWordChar(text[end]) || text[end] == '-')) ++end;
    while (text[end - 1] == '-') --end;
    found.emplace(text.substr(i, end - i));
    i = end - 1;
  }
  return found;
}

void Add(Options& to, const Options& from) {
  to.insert(from.begin(), from.end());
}

// What a document gives an entry of its own, and every option it names anywhere.
struct Reading {
  Options entries;
  Options named;
};

// Markdown: an entry is a "### " heading; options are named in headings and `code spans`.
Reading ReadMarkdown(const std::string& text) {
  Reading r;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("### ", 0) == 0) Add(r.entries, OptionsIn(line));
  Add(r.named, r.entries);
  for (size_t open = text.find('`'); open != std::string::npos;) {
    const size_t close = text.find('`', open + 1);
    if (close == std::string::npos) break;
    Add(r.named, OptionsIn(std::string_view(text).substr(open + 1, close - open - 1)));
    open = text.find('`', close + 1);
  }
  return r;
}

// troff: "\-" is a dash, "\fB" and its kind change the font. An entry is the tag line after
// ".TP"; the whole page counts as naming.
Reading ReadManPage(const std::string& troff) {
  std::string text;
  for (size_t i = 0; i < troff.size(); ++i) {
    if (troff[i] == '\\' && i + 1 < troff.size()) {
      const char next = troff[i + 1];
      if (next == '-') {
        text += '-';
        ++i;
        continue;
      }
      if (next == 'f' && i + 2 < troff.size()) {
        i += 2;
        continue;
      }
    }
    text += troff[i];
  }
  Reading r;
  std::istringstream lines(text);
  bool tag = false;
  for (std::string line; std::getline(lines, line);) {
    if (tag) Add(r.entries, OptionsIn(line));
    tag = line.rfind(".TP", 0) == 0;
  }
  r.named = OptionsIn(text);
  Add(r.named, r.entries);
  return r;
}

// bash: what the completion offers for "quillscope-cli -" is both.
Reading ReadCompletion(const std::string& path) {
  std::string quoted = "'";
  for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  quoted += "'";
  const std::string command =
      "bash -c 'source \"$1\" && complete -p quillscope-cli >/dev/null && "
      "COMP_WORDS=(quillscope-cli -) && COMP_CWORD=1 && _quillscope_cli; "
      "printf \"%s\\n\" \"${COMPREPLY[@]}\"' bash " +
      quoted;
  std::string offered;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) offered.append(buffer, n);
    EXPECT_EQ(::pclose(pipe), 0) << command;
  } else {
    ADD_FAILURE() << "cannot start bash: " << command;
  }
  Reading r;
  r.entries = OptionsIn(offered);
  r.named = r.entries;
  return r;
}

TEST(CliDocs, OptionsAreFoundAsTheDocumentsWriteThem) {
  const std::vector<std::pair<std::string, Options>> cases = {
      {"[--out-dir DIR] [--json [--pretty]]", {"--out-dir", "--json", "--pretty"}},
      {"  -h, --help      show", {"-h", "--help"}},
      {"--fail-under=P and --refs=NAME, --tokens=code|vbp", {"--fail-under", "--refs", "--tokens"}},
      {"`--exclude GLOB`\n(`--dump-analysis`)", {"--exclude", "--dump-analysis"}},
      {"-V", {"-V"}},
      {"quillscope-cli UTF-8 x--y a-b -- - 1-64 ---z --9 -", {}},
      {"ends with --quiet--", {"--quiet"}},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(OptionsIn(text), expected) << text;

  const Reading md = ReadMarkdown("### `-h`, `--help`\nsee `--json` and --site\n    --jobs\n");
  EXPECT_EQ(md.entries, (Options{"-h", "--help"}));
  EXPECT_EQ(md.named, (Options{"-h", "--help", "--json"}));
  const Reading man = ReadManPage(".TP\n.BR \\-h \", \" \\-\\-help\nShow \\fB\\-\\-json\\fR.\n");
  EXPECT_EQ(man.entries, (Options{"-h", "--help"}));
  EXPECT_EQ(man.named, (Options{"-h", "--help", "--json"}));
}

TEST(CliDocs, EveryOptionOfTheHelpIsDocumentedAndNoOther) {
  const std::string help = HelpText();
  const Options printed = OptionsIn(help);
  ASSERT_TRUE(printed.count("--help") && printed.count("--out-dir")) << help;

  const std::vector<std::pair<std::string, Reading>> documents = {
      {"docs/CLI.md", ReadMarkdown(ReadFile(SourcePath("docs/CLI.md")))},
      {"docs/quillscope-cli.1", ReadManPage(ReadFile(SourcePath("docs/quillscope-cli.1")))},
      {"tools/completion/quillscope-cli",
       ReadCompletion(SourcePath("tools/completion/quillscope-cli"))},
  };
  for (const auto& [path, reading] : documents) {
    for (const std::string& option : printed)
      EXPECT_TRUE(reading.entries.count(option))
          << path << " gives no entry to " << option << ", which --help prints";
    for (const std::string& option : reading.named)
      EXPECT_TRUE(printed.count(option))
          << path << " names " << option << ", which --help does not print";
  }
}

TEST(CliDocs, TheSynopsisIsTheHelps) {
  const std::string help = HelpText();
  const std::string doc = ReadFile(SourcePath("docs/CLI.md"));
  std::istringstream lines(help);
  int synopsisLines = 0;
  for (std::string line; std::getline(lines, line) && !line.empty(); ++synopsisLines) {
    const size_t start = line.find("quillscope-cli ");
    ASSERT_NE(start, std::string::npos) << line;
    EXPECT_NE(doc.find("\n    " + line.substr(start) + "\n"), std::string::npos)
        << "docs/CLI.md lacks the synopsis line: " << line.substr(start);
  }
  EXPECT_GE(synopsisLines, 2) << help;
}

}  // namespace
}  // namespace qs::cli

// The cases of name resolution as tables: each case a small hand-written project, a question
// asked the way the command line asks it (--refs, --unused, --unused --exposed) and the answer
// expected. Each group of rules has a table of its own in a test file of its own; CheckCases runs
// one.
#pragma once

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "output/answers/ReferenceAnswers.h"
#include "run/RunExports.h"
#include "run/clsVBInfo.h"
#include "support/TestFolder.h"

namespace qs::test {

struct Case {
  const char* name;
  const char* vbp;
  std::vector<std::pair<const char*, const char*>> files;
  const char* question;  // "refs=NAME", "unused", "exposed" or "external"
  const char* expected;  // stdout, then "stderr:" and stderr when it is not empty
  int status = 0;
  // Conditional compilation constants given as --define gives them (name, expression).
  std::vector<std::pair<std::string, std::string>> defines = {};
  // The run's warnings follow the answer, after "warnings:", one a line.
  bool warnings = false;
  // --unused --controls: controls are listed too.
  bool controls = false;
  // --codepage: the project's code page (names asked and printed in UTF-8 through it).
  int codePage = 1252;
};

// Runs the project as the command line's questions do (no report) and answers the question.
inline std::string Answer(const Case& c, int& status, clsVBInfo& info,
                          const std::string& folderName) {
  TestFolder dir(folderName);
  for (const auto& [path, text] : c.files) dir.Write(path, Crlf(text));
  dir.Write("P.vbp", Crlf(c.vbp));
  info.Settings().crossReferences = true;
  info.Settings().writeReport = false;
  info.Settings().loadThreads = 1;
  info.Settings().defines = c.defines;
  info.GetFileInfo(dir / "P.vbp");
  EXPECT_TRUE(info.RunCompleted()) << c.name << ": " << info.FailureReason();
  std::ostringstream out, err;
  const std::string question = c.question;
  status = 0;
  AnswerOptions options;
  options.controls = c.controls;
  options.codePage = c.codePage;
  if (question.rfind("refs=", 0) == 0) {
    status = AnswerRefs(info.Analysis(), question.substr(5), "", out, err, options);
  } else if (question == "external") {
    // The names nothing declares, sorted, each with its count of uses.
    auto names = info.Analysis().CrossRefs().external;
    std::sort(names.begin(), names.end());
    for (const auto& [name, count] : names) out << name << ' ' << count << '\n';
  } else {
    AnswerUnused(info.Analysis(), question == "exposed", "", out, options);
  }
  std::string text = out.str();
  if (!err.str().empty()) text += "stderr:\n" + err.str();
  if (c.warnings) {
    text += "warnings:\n";
    for (const std::string& w : info.Warnings()) text += w + "\n";
  }
  return text;
}

// Runs every case of the table and compares its answer and exit status; folders are named
// prefix-N.
template <size_t N>
void CheckCases(const Case (&cases)[N], const std::string& prefix) {
  int index = 0;
  for (const Case& c : cases) {
    clsVBInfo info;
    int status = -1;
    const std::string text = Answer(c, status, info, prefix + "-" + std::to_string(index++));
    EXPECT_EQ(text, c.expected) << c.name;
    EXPECT_EQ(status, c.status) << c.name;
  }
}

// Documents the project file vbp (report, cross references) into dir/out and reads its JSON
// export into doc; false, with the test failed, when the run, the export or the parse fails.
inline bool ExportOf(const TestFolder& dir, const std::string& vbp, rapidjson::Document& doc) {
  clsVBInfo info;
  info.Settings().outDir = dir / "out";
  info.Settings().crossReferences = true;
  info.GetFileInfo(vbp);
  if (!info.ReportWritten()) {
    ADD_FAILURE() << vbp << ": " << info.FailureReason();
    return false;
  }
  std::string path, reason;
  if (!WriteRunProjectJson(info, vbp, ExportOptions{}, path, reason)) {
    ADD_FAILURE() << vbp << ": " << reason;
    return false;
  }
  doc.Parse(ReadFile(path).c_str());
  if (doc.HasParseError()) ADD_FAILURE() << path << " is no JSON";
  return !doc.HasParseError();
}

}  // namespace qs::test

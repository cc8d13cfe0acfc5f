// The command line's questions about a project's cross references: --refs=NAME and --unused.
#pragma once

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

namespace qs::cli {

struct ReferencesOptions {
  /// --refs=NAME: the declaration whose uses are printed ("" when not asked).
  std::string refs;
  /// --unused: print the declarations nothing uses; --exposed adds those outside callers may use.
  bool unused = false;
  bool exposed = false;
  /// --controls: --unused lists controls too.
  bool controls = false;
  /// --fail: exit 1 when --unused printed a line.
  bool fail = false;
  /// --codepage: the project's code page; names are asked and printed in UTF-8 through it.
  int codePage = 1252;
  unsigned jobs = 0;
  /// Conditional compilation constants (name, expression) that override or add to each
  /// project's CondComp ones in the cross references (--define); the report does not change.
  std::vector<std::pair<std::string, std::string>> defines;
  /// The program ends right after the call: the last run is left to the system (LeaveRunToExit).
  bool leaveLastRunToExit = false;
};

/// Answers the question for each project in turn, writing no report. Returns the exit status:
/// 0; 1 for a project that could not be read, an unknown name, or (with --fail) an unused
/// declaration; 2 for a name that names several declarations.
int RunReferences(const std::vector<std::string>& in_projects, const ReferencesOptions& in_options,
                  std::ostream& out, std::ostream& err);

}  // namespace qs::cli

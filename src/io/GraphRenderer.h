// Pictures laid out by Graphviz: DOT files rendered to SVG by the program dot, run as a separate
// process found on the PATH (no library is linked, so the core builds where Graphviz is absent).
// Many files go to one process: dot -Tsvg -O FILE... writes FILE.svg beside each FILE.
#pragma once

#include <string>
#include <vector>

namespace qs {

class GraphRenderer {
 public:
  /// Looks the program up: a name holding "/" is taken as a path, any other name is looked for
  /// in the folders of the PATH. An empty name finds nothing.
  explicit GraphRenderer(const std::string& in_sProgram);

  /// True when the program was found (an executable file).
  bool Available() const { return !m_path.empty(); }
  const std::string& ProgramPath() const { return m_path; }

  /// Renders every DOT file to SVG beside it (the file's path + ".svg"): the files are shared out
  /// among in_nProcesses processes running at once (0: ThreadsFor(0), one per processor within
  /// the run's thread budget), at most in_nPerCall files to one process. "" when every process
  /// ended with status 0; otherwise what went wrong (the program missing, not started, or its
  /// exit status). Never throws.
  std::string RenderSvg(const std::vector<std::string>& in_files, size_t in_nPerCall = 512,
                        unsigned in_nProcesses = 0) const;

 private:
  std::string m_path;
};

}  // namespace qs

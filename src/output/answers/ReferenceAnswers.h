// Answers to questions about a run's cross references, one line per place, as compilers and grep
// print them: where a declaration is used (--refs) and which declarations nothing uses (--unused).
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace qs {

class ProjectAnalysis;

/// Exit statuses of AnswerRefs.
inline constexpr int kRefsFound = 0;
inline constexpr int kRefsUnknown = 1;
inline constexpr int kRefsAmbiguous = 2;

/// How the answers are given.
struct AnswerOptions {
  /// The code page of the project's files: a name asked for is converted from UTF-8 to it, and
  /// the names and source lines printed are converted from it to UTF-8.
  int codePage = 1252;
  /// AnswerUnused lists controls too (a control code never names is still what its form shows).
  bool controls = false;
};

/// The folder part of a project file's path as the command line names it, with its "/" ("" when
/// the path names no folder): the files' paths in the answers start with it.
std::string AnswerFolder(std::string_view in_sProjectArgument);

/// Prints the declaration named in_sName ("Module.Name", "Module.Procedure.Name",
/// "Module.Type.Member", or a bare name that names one declaration) and then its uses in file
/// order: "PATH:LINE:COLUMN: KIND: source line", the physical line in UTF-8. A property's name
/// covers its Get, Let and Set. The name is taken in UTF-8 (and, when it is no valid UTF-8 or
/// names nothing so, as the project's own bytes). An unknown name gets one line on err
/// (kRefsUnknown); a bare name naming several declarations gets, on err, each one's qualified
/// name to ask for instead, with its kind and place (kRefsAmbiguous).
int AnswerRefs(const ProjectAnalysis& in_oInfo, std::string_view in_sName,
               const std::string& in_sFolder, std::ostream& out, std::ostream& err,
               const AnswerOptions& in_oOptions = {});

/// Prints one line per unused declaration in file order, "PATH:LINE:COLUMN: unused KIND NAME"
/// (the name in UTF-8), and with in_bExposed also the exposed ones; controls only with
/// in_oOptions.controls. Returns the number of lines printed.
size_t AnswerUnused(const ProjectAnalysis& in_oInfo, bool in_bExposed,
                    const std::string& in_sFolder, std::ostream& out,
                    const AnswerOptions& in_oOptions = {});

}  // namespace qs

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

/// The folder part of a project file's path as the command line names it, with its "/" ("" when
/// the path names no folder): the files' paths in the answers start with it.
std::string AnswerFolder(std::string_view in_sProjectArgument);

/// Prints the declaration named in_sName ("Module.Name", "Module.Procedure.Name",
/// "Module.Type.Member", or a bare name that names one declaration) and then its uses in file
/// order: "PATH:LINE:COLUMN: KIND: source line". A property's name covers its Get, Let and Set.
/// An unknown name gets one line on err (kRefsUnknown); a bare name naming several declarations
/// gets their declaration lines on err (kRefsAmbiguous).
int AnswerRefs(const ProjectAnalysis& in_oInfo, std::string_view in_sName,
               const std::string& in_sFolder, std::ostream& out, std::ostream& err);

/// Prints one line per unused declaration in file order, "PATH:LINE:COLUMN: unused KIND NAME",
/// and with in_bExposed also the exposed ones. Returns the number of lines printed.
size_t AnswerUnused(const ProjectAnalysis& in_oInfo, bool in_bExposed,
                    const std::string& in_sFolder, std::ostream& out);

}  // namespace qs

// What the program says about itself in every report and on the command line: its version, its
// maker, its home page, the folder it runs from, and the run's time stamp.
#pragma once

#include <ctime>
#include <string>

namespace qs {

/// "1.0.0": major, minor and patch as decimal numbers without leading zeros.
std::string ProgramVersion();
/// "Quillscope - 1.0.0", the generator named in the report.
std::string ProgramGenerator();
/// The maker's name (one word: it stands unquoted in the report's Author line).
std::string ProgramCompany();
/// The maker's home page address (http).
std::string ProgramHomePage();

/// Folder of the running executable, links resolved, without a trailing "/"; on Windows the
/// folder of the module file name as the system gives it, without a trailing "\". "" when the
/// platform cannot tell.
std::string ProgramFolder();

/// The fixed English long format of a date and time: "Monday, December 7, 2026 14:05:09".
std::string FormatStamp(const std::tm& in_tm);
/// The current local date and time in that format.
std::string CurrentStamp();

}  // namespace qs

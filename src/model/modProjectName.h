// The run-wide project name: set from the project file's Name line during the first pass, read
// by the report writer and by the form header parser.
#pragma once

#include <string>
#include <string_view>

namespace qs {

/// Stores the project name for the current run. The driver clears it at the start of every run.
void SetProjectName(std::string_view in_sName);
/// The project name of the current run ("" when the project file has no Name line).
const std::string& GetProjectName();

}  // namespace qs

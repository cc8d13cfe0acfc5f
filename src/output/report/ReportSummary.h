// The report's project summary: the generator line, the project name and file, the counts table,
// and the tables of references, objects and source files.
#pragma once

#include <string>

namespace qs {

class ReportWriter;
class clsVBFileTypes;

/// The values the summary shows besides the item collection. All are code page 1252 text;
/// projectName and projectFile are raw values, escaped by the summary writer.
struct SummaryValues {
  std::string generator;    ///< "Quillscope - 1.0.0"
  std::string stamp;        ///< date and time of the run
  std::string projectName;  ///< the project's Name, as written in the project file
  std::string projectFile;  ///< the project file path (lower-cased by the summary writer)
};

/// Writes the project summary lines for the collection.
void WriteProjectSummary(ReportWriter& io_oWriter, const clsVBFileTypes& in_oFileTypes,
                         const SummaryValues& in_values);

}  // namespace qs

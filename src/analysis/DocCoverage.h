// How much of a run's project is documented: per module and for the project, the public
// procedures, properties, events and Declares that have a doc comment, and the documentation
// warnings (ModuleDocs::Check) of every procedure, property, event and Declare, as the doc
// comments the analysis read give them (ProjectAnalysis::Docs).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qs {

class CodePageText;
class ProjectAnalysis;

struct DocCoverage {
  struct Module {
    std::string name;  ///< the module's name
    int documented = 0;
    int total = 0;
  };
  struct Warning {
    /// The module's file relative to the project's folder, "/" separators, letter case as on
    /// disk (as the project file writes it when the file was not found there).
    std::string file;
    int32_t line = 0;
    int32_t column = 0;
    std::string message;
  };
  std::vector<Module> modules;  ///< in the order of the project file
  int documented = 0;
  int total = 0;
  std::vector<Warning> warnings;
};

/// The coverage of a finished analysis whose doc comments were read (ReadAnalysisDocs; nothing is
/// measured without them), its texts converted to UTF-8 through in_oCodePage (a public procedure
/// is one written Public or without a scope word; a property's Get, Let and Set count once,
/// documented when any of them is).
DocCoverage MeasureDocCoverage(const ProjectAnalysis& in_oInfo, CodePageText& in_oCodePage);

}  // namespace qs

// One call that analyses a project: it reads the project file, reads and tokenizes every source
// file the project lists (several at a time, SourceLoader), runs the second pass over them and,
// when an output asks, resolves the cross references and reads the doc comments. What it makes is a
// ProjectAnalysis that the outputs only read.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/ProjectAnalysis.h"

namespace qs {

class ClsSymEntry;
class SourceCache;
struct ExposedClass;

/// True when the file name's last suffix is "vbp" in any letter case (Server.VBP, a.b.vbp).
bool HasProjectExtension(const std::string& in_sPath);

/// What a run is doing, for a progress display. While files are read: how many of the listed
/// source files are done and the one just read (as the project file names it, UTF-8).
struct RunProgress {
  enum class Phase { kReading, kAnalysing, kWritingReport, kWritingExport, kWritingSite };
  Phase phase = Phase::kReading;
  size_t done = 0;
  size_t total = 0;
  std::string file;
};

struct AnalysisOptions {
  /// Threads that read source files at the same time, the caller's included; 0 means one per
  /// processor (within the thread budget, text/Parallel.h).
  unsigned loadThreads = 0;
  /// Each source file's line ends are kept (clsVBHeader::LineEnds): outputs with places need them.
  bool keepLineEnds = false;
  /// Source files other analyses of the same call read too, tokenized once (null: none).
  SourceCache* sourceCache = nullptr;
  /// Classes other projects of the same call expose, for the cross references (null: none).
  std::shared_ptr<const std::vector<ExposedClass>> exposedClasses;
  /// The project file as outputs name it ("": the path given).
  std::string reportedProjectFile;
  /// Called once the project file has been read, before anything else is done (an output may
  /// prepare its folder); a false answer ends the analysis, which then fails with the reason
  /// the callback gave.
  std::function<bool(std::string& out_sReason)> onProjectRead;
  /// Called with the number of source files the project lists, before any is read.
  std::function<void(size_t)> onSourcesPlanned;
  /// Called on the loading threads with the index of a source file (in the project's order) and
  /// its module's entry once the file is analysed, while its tokens are fresh; must not throw
  /// but RunStopped.
  std::function<void(size_t, const std::shared_ptr<const ClsSymEntry>&)> onModuleAnalysed;
  /// Told of each source file read and of the second pass; a sink that throws is ignored.
  std::function<void(const RunProgress&)> progress;
};

/// Analyses the project file at in_sProjectFile (a platform path) into io_oAnalysis, which it
/// resets first: the project file's items, every source file's header and stream, and the
/// symbol table of the second pass. Source files that cannot be read are warnings, documented as
/// empty files. Returns false, with out_sFailure set ("project file not found", "project file is
/// a folder", ...), when the project file cannot be read or onProjectRead refused; the analysis
/// then holds what was read. Runs under the calling thread's stop flag and thread budget;
/// throws RunStopped when the run is asked to stop.
bool AnalyseProject(const std::string& in_sProjectFile, const AnalysisOptions& in_oOptions,
                    ProjectAnalysis& io_oAnalysis, std::string& out_sFailure);

/// Resolves every use of every declaration of a finished analysis (ProjectAnalysis::CrossRefs).
/// in_bIndexes also builds the indexes the export and the site read (a question reads the uses
/// and the exposure only). in_pDefines (name, expression) override or add to the project's
/// conditional compilation constants. What conditional compilation could not read is added to
/// the run's warnings (which the report does not show). Throws RunStopped when the run is asked
/// to stop.
void ResolveAnalysisReferences(
    ProjectAnalysis& io_oAnalysis, bool in_bIndexes,
    const std::vector<std::pair<std::string, std::string>>* in_pDefines = nullptr);

/// Reads the doc comments of a finished analysis once for every output that shows them (the
/// export, the site, the coverage): ProjectAnalysis::Docs. Throws RunStopped when the run is
/// asked to stop.
void ReadAnalysisDocs(ProjectAnalysis& io_oAnalysis);

}  // namespace qs

// Reads, tokenizes and header-parses the source files of a run, several at a time.
//
// Every file is independent until its declarations enter the run's symbol table: its bytes, its
// token stream, its header, the re-coding of its code section and the analysis of its
// declarations into an entry of its own depend on nothing but the file. So the loader hands the
// files to helper threads (one per further processor) and to the calling thread, and the caller
// takes the results back strictly in project order, which keeps every later step, and so the
// report, the same as a one-file-at-a-time run.
//
// The helper threads work under the caller's stop flag (text/Yield.h): a stop of the run ends
// their work as it ends the caller's.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "text/LoadError.h"
#include "text/Parallel.h"

namespace qs {

class ClsSymEntry;
class SourceCache;
class clsTokenStream;
class clsVBHeader;

/// One source file to load, and what loading it gave.
struct SourceFile {
  /// Why the file could not be read (LoadError::kNone when it was).
  using Outcome = LoadError;

  std::string path;       ///< the platform path; empty when the file was not found
  bool formLike = false;  ///< form-like header (form, user control, ...) or class/module header
  /// The project's name as the run knows it when it reaches this file: a form's controls of the
  /// project's own library are recognised by it.
  std::string projectName;
  /// The module name used when the file has no VB_Name (the item's internal name).
  std::string fallbackName;
  /// Whether the header keeps the positions of the stream's line ends.
  bool keepLineEnds = false;
  /// The call's cache of files several projects list (null: the file is read here).
  SourceCache* cache = nullptr;

  Outcome outcome = Outcome::kNotFound;
  /// The file's token stream (an empty file's when it could not be read) and its header, which
  /// holds the stream too; the header is null when the parse failed.
  std::shared_ptr<clsTokenStream> stream;
  std::shared_ptr<clsVBHeader> header;
  /// What a failure (an internal error, not malformed input) cut short while the file was read
  /// and analysed ahead: the run's warnings for this file, in the order they happened.
  std::vector<std::string> warnings;
  /// Called on the loading thread with the module's entry once the file is analysed (an output
  /// may prepare its part of the module there, while the file's tokens are fresh); must not
  /// throw but RunStopped.
  std::function<void(const std::shared_ptr<const ClsSymEntry>&)> onAnalysed;
};

/// Reads one file as a run does: loads it (a file that cannot be read is tokenized as an empty
/// text), tokenizes it with the form or the class tokenizer, parses its header, re-codes its
/// code section, analyses it into an entry of its own (AnalyseAhead) and hands that entry to
/// onAnalysed. Fills the file's outcome, stream and header. A failure ends the load keeping what
/// was made, with the warnings of what it cut short in the file's warnings. Throws only
/// RunStopped, when the run on this thread has been asked to stop, and std::bad_alloc (out of
/// memory).
void LoadSourceFile(SourceFile& io_oFile);

class SourceLoader {
 public:
  /// Starts loading the files. in_nThreads is the number of threads that load, the caller's
  /// included; 0 means one per processor. The files must stay in place while the loader lives.
  SourceLoader(std::vector<SourceFile>& io_oFiles, unsigned in_nThreads);
  /// Stops the helper threads (a file being read is finished first) and waits for them.
  ~SourceLoader();
  SourceLoader(const SourceLoader&) = delete;
  SourceLoader& operator=(const SourceLoader&) = delete;

  /// The loaded file at index in_nIndex. Until it is ready the caller loads files nobody has
  /// taken yet, or waits for the helper reading it. Throws RunStopped when the run is asked to
  /// stop meanwhile, and a helper's failure (std::bad_alloc) when the helper that was reading the
  /// file ended with it.
  SourceFile& Take(size_t in_nIndex);

  /// Number of helper threads running beside the caller.
  size_t HelperCount() const { return m_helpers.Threads(); }

 private:
  /// Loads the next file nobody has taken; false when none is left.
  bool LoadNext();
  /// Wakes a caller waiting in Take.
  void Notify();
  void HelperLoop();

  std::vector<SourceFile>& m_files;
  std::unique_ptr<std::atomic<bool>[]> m_ready;
  std::atomic<size_t> m_next{0};
  std::atomic<bool> m_stop{false};
  /// Set when a helper ended before its file was ready (the run was asked to stop, or it failed).
  std::atomic<bool> m_helperQuit{false};
  /// The first helper's failure (under m_lock).
  std::exception_ptr m_helperError;
  std::mutex m_lock;
  std::condition_variable m_readyChanged;
  WorkerGroup m_helpers;
};

}  // namespace qs

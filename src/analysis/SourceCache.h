// Source files that several projects of one call list, read and tokenized once.
//
// Before the runs, Plan reads each project file and counts how often each source file (by the
// platform path the run resolves it to, and by the tokenizer it is read with) will be read. The
// first run to read a file counted more than once keeps a copy of its fresh token stream here;
// each later run starts from a copy of that, and does the rest (the header parse, which depends
// on the project's name, the re-coding and the analysis) on its own copy, so its report is what
// documenting that project alone writes. A stream is let go once its last reader has taken it.
// Any thread may use the cache; none of its operations throws (a failure only means a file is
// read by a run itself).
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "text/LoadError.h"

namespace qs {

class clsTokenStream;

class SourceCache {
 public:
  /// Counts the source files of each project file (platform paths) the call will document.
  void Plan(const std::vector<std::string>& in_projectFiles);

  /// A copy of the file's stream when a run kept it; null otherwise (the caller reads the file
  /// and Offers its stream). Counts the read when it gives a copy.
  std::shared_ptr<clsTokenStream> Take(const std::string& in_sPath, bool in_bFormLike,
                                       LoadError& out_eOutcome);
  /// The file was read (with that outcome) and tokenized into in_oStream: counts the read, and
  /// keeps a copy of the stream while more reads are expected.
  void Offer(const std::string& in_sPath, bool in_bFormLike, const clsTokenStream& in_oStream,
             LoadError in_eOutcome);

  /// Files kept now, and files read from the cache so far.
  size_t KeptCount() const;
  size_t Hits() const;

 private:
  struct Entry {
    size_t readsLeft = 0;
    LoadError outcome = LoadError::kNone;
    std::shared_ptr<const clsTokenStream> stream;
  };
  static std::string Key(const std::string& in_sPath, bool in_bFormLike);
  void PlanFiles(const std::vector<std::string>& in_projectFiles);
  /// Counts one more read of the file.
  void Expect(const std::string& in_sPath, bool in_bFormLike);
  std::shared_ptr<clsTokenStream> TakeCopy(const std::string& in_sPath, bool in_bFormLike,
                                           LoadError& out_eOutcome);
  void Keep(const std::string& in_sPath, bool in_bFormLike, const clsTokenStream& in_oStream,
            LoadError in_eOutcome);

  mutable std::mutex m_lock;
  std::unordered_map<std::string, Entry> m_entries;
  size_t m_hits = 0;
};

}  // namespace qs

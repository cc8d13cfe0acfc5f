#include "analysis/SourceCache.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <new>

#include "analysis/ItemPathResolver.h"
#include "model/RunState.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "parser/clsParser.h"
#include "text/ClsString.h"
#include "text/StringUtil.h"
#include "text/SystemPath.h"
#include "text/clsToken.h"
#include "text/clsTokenStream.h"

namespace qs {

std::string SourceCache::Key(const std::string& in_sPath, bool in_bFormLike) {
  // Projects in different folders reach one file by different paths ("App/../Shared/m.bas",
  // "Lib/../Shared/m.bas"): the key is the path with "." and ".." resolved.
  return (in_bFormLike ? "F" : "C") + std::filesystem::path(in_sPath).lexically_normal().string();
}

void SourceCache::Plan(const std::vector<std::string>& in_projectFiles) {
  try {
    PlanFiles(in_projectFiles);
  } catch (...) {
    // Files not counted are read by each run that lists them (Take finds nothing for them).
    return;
  }
}

void SourceCache::PlanFiles(const std::vector<std::string>& in_projectFiles) {
  ItemPathResolver resolver;
  for (const std::string& projectFile : in_projectFiles) {
    // The project file is read as a run reads it, and each item's file found as the run finds
    // it (clsVBInfo::FirstPass), so the paths are the ones the runs will ask for.
    ClsString text;
    if (!text.LoadFromFile(projectFile)) continue;
    std::shared_ptr<clsToken> keywords = std::make_shared<clsToken>();
    std::shared_ptr<clsTokenStream> stream;
    text.TokenizeVBP(keywords, stream);
    RunState run;
    clsParser parser(run);
    parser.InitParser(stream);
    const std::shared_ptr<clsVBFileTypes> items = parser.ParseVBP();
    if (!items) continue;
    std::string folder, file, body, ext;
    // Split as the run splits it: at the platform's separator (on Windows "/" counts too).
    std::string splitForm = projectFile;
    std::replace(splitForm.begin(), splitForm.end(), '/', kPathSeparator);
    SplitPath(splitForm, folder, file, body, ext, kPathSeparator);
    for (const auto& item : *items) {
      if (!item || !IsSourceItemType(item->EType)) continue;
      std::string value = item->sFileValue;
      if (value.empty()) value = item->Path + item->Body + "." + item->Ext;
      const std::string path = resolver.Resolve(value, folder);
      if (!path.empty()) Expect(path, IsFormLikeItemType(item->EType));
    }
  }
}

void SourceCache::Expect(const std::string& in_sPath, bool in_bFormLike) {
  const std::lock_guard<std::mutex> guard(m_lock);
  ++m_entries[Key(in_sPath, in_bFormLike)].readsLeft;
}

std::shared_ptr<clsTokenStream> SourceCache::Take(const std::string& in_sPath, bool in_bFormLike,
                                                  LoadError& out_eOutcome) {
  try {
    return TakeCopy(in_sPath, in_bFormLike, out_eOutcome);
  } catch (const std::bad_alloc&) {
    throw;  // out of memory fails the run at its boundary
  } catch (const std::exception&) {
    // The caller reads the file itself, as when it was not kept.
    return nullptr;
  }
}

std::shared_ptr<clsTokenStream> SourceCache::TakeCopy(const std::string& in_sPath,
                                                      bool in_bFormLike, LoadError& out_eOutcome) {
  std::shared_ptr<const clsTokenStream> kept;
  {
    const std::lock_guard<std::mutex> guard(m_lock);
    const auto it = m_entries.find(Key(in_sPath, in_bFormLike));
    if (it == m_entries.end() || !it->second.stream) return nullptr;
    kept = it->second.stream;
    out_eOutcome = it->second.outcome;
    ++m_hits;
    if (--it->second.readsLeft == 0) m_entries.erase(it);
  }
  // Copied outside the lock: other threads take other files meanwhile.
  return kept->Clone();
}

void SourceCache::Offer(const std::string& in_sPath, bool in_bFormLike,
                        const clsTokenStream& in_oStream, LoadError in_eOutcome) {
  try {
    Keep(in_sPath, in_bFormLike, in_oStream, in_eOutcome);
  } catch (const std::bad_alloc&) {
    throw;  // out of memory fails the run at its boundary
  } catch (const std::exception&) {
    // Nothing is kept: the later runs read the file themselves.
    return;
  }
}

void SourceCache::Keep(const std::string& in_sPath, bool in_bFormLike,
                       const clsTokenStream& in_oStream, LoadError in_eOutcome) {
  std::shared_ptr<clsTokenStream> copy;
  {
    const std::lock_guard<std::mutex> guard(m_lock);
    const auto it = m_entries.find(Key(in_sPath, in_bFormLike));
    if (it == m_entries.end()) return;
    if (it->second.readsLeft <= 1) {
      m_entries.erase(it);
      return;
    }
    --it->second.readsLeft;
    if (it->second.stream) return;
  }
  copy = in_oStream.Clone();
  if (!copy) return;  // no memory for a copy: later runs read the file themselves
  const std::lock_guard<std::mutex> guard(m_lock);
  const auto it = m_entries.find(Key(in_sPath, in_bFormLike));
  if (it == m_entries.end() || it->second.stream) return;
  it->second.stream = std::move(copy);
  it->second.outcome = in_eOutcome;
}

size_t SourceCache::KeptCount() const {
  const std::lock_guard<std::mutex> guard(m_lock);
  size_t n = 0;
  for (const auto& [key, entry] : m_entries) n += entry.stream != nullptr;
  return n;
}

size_t SourceCache::Hits() const {
  const std::lock_guard<std::mutex> guard(m_lock);
  return m_hits;
}

}  // namespace qs

#include "analysis/SourceLoader.h"

#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>
#include <vector>

#include "analysis/SourceCache.h"
#include "analysis/SourcePlaces.h"
#include "io/modFiles.h"
#include "model/RunState.h"
#include "model/clsVBHeader.h"
#include "parser/HeaderAnalysis.h"
#include "parser/clsParser.h"
#include "text/ClsString.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsToken.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

// More threads than this only contend for the memory bus and the allocator.
constexpr unsigned kMostThreads = 8;

// The steps of LoadSourceFile. The header parse, the re-coding and the analysis ahead record what
// a failure cut short in io_oRun, a run state of the file's own: nothing here touches the run's.
void LoadSteps(SourceFile& io_oFile, RunState& io_oRun) {
  // Until the file is read nothing is known against it: a failure before that is told as itself,
  // not as a file not found.
  io_oFile.outcome = LoadError::kNone;
  // A file another project of the call has read comes as a copy of its fresh stream.
  if (io_oFile.cache && !io_oFile.path.empty())
    io_oFile.stream = io_oFile.cache->Take(io_oFile.path, io_oFile.formLike, io_oFile.outcome);
  if (!io_oFile.stream) {
    // An empty path is a file the resolver could not find.
    ClsString text;
    if (!text.LoadFromFile(io_oFile.path, io_oFile.outcome)) text.SetLength(0);
    std::shared_ptr<clsToken> keywords = std::make_shared<clsToken>();
    if (io_oFile.formLike) {
      text.TokenizeForm(keywords, io_oFile.stream);
    } else {
      text.TokenizeClass(keywords, io_oFile.stream);
    }
    // A stop may have cut the tokenizing short: such a stream is not kept.
    ThrowIfStopped();
    if (io_oFile.cache && !io_oFile.path.empty() && io_oFile.stream)
      io_oFile.cache->Offer(io_oFile.path, io_oFile.formLike, *io_oFile.stream, io_oFile.outcome);
  }
  // A failure cuts each step below short, keeping what it made, with a warning; a stop ends the
  // file's load.
  ThrowIfStopped();
  std::vector<int32_t> lineEnds;
  std::vector<int32_t> heldLineEnds;
  if (io_oFile.stream) {
    if (io_oFile.keepLineEnds) io_oFile.stream->AppendPositionsOf(TokEndOfLine, lineEnds);
    // A token holds line ends only in a damaged file (a string left open), which the tokenizer
    // tells: no other file's texts are read for them.
    if (io_oFile.stream->HoldsLineEnds()) AppendHeldLineEnds(*io_oFile.stream, heldLineEnds);
  }
  clsParser parser(io_oRun);
  parser.InitParser(io_oFile.stream);
  io_oFile.header = io_oFile.formLike ? parser.ParseFormType() : parser.ParseClassType();
  ThrowIfStopped();
  if (!io_oFile.header) return;
  io_oFile.header->LineEnds = std::move(lineEnds);
  io_oFile.header->HeldLineEnds = std::move(heldLineEnds);
  io_oFile.header->LineEndsKept = io_oFile.keepLineEnds && io_oFile.stream;
  // The code section is re-coded here rather than in the analysis: it depends on nothing but
  // this file, so it runs on the loading thread.
  parser.RemapTokens(io_oFile.header->CodePtr);
  io_oFile.header->CodeRecoded = true;
  // The analysis reads the stream through the header.
  io_oFile.header->TokenStream = io_oFile.stream;
  AnalyseAhead(*io_oFile.header, io_oFile.fallbackName);
  ThrowIfStopped();
  if (io_oFile.onAnalysed && io_oFile.header->PreparedEntry) {
    io_oFile.onAnalysed(io_oFile.header->PreparedEntry);
    ThrowIfStopped();
  }
}

}  // namespace

void LoadSourceFile(SourceFile& io_oFile) {
  // The header parse sees the project name the run has reached at this file.
  RunState fileRun;
  fileRun.SetProjectName(io_oFile.projectName);
  try {
    LoadSteps(io_oFile, fileRun);
  } catch (const std::bad_alloc&) {
    throw;  // out of memory fails the run at its boundary
  } catch (const std::exception& e) {
    // What was made so far stays (a header whose re-coding did not finish is re-coded later);
    // the run hears of the failure as this file's warning. A stop (RunStopped) is no
    // std::exception: it ends the run, and what this file made is dropped with it.
    fileRun.Warn(std::string("the reading of this file ended early: ") + e.what());
  }
  for (RunWarning& failure : fileRun.warnings)
    io_oFile.warnings.push_back(std::move(failure.message));
}

SourceLoader::SourceLoader(std::vector<SourceFile>& io_oFiles, unsigned in_nThreads)
    : m_files(io_oFiles), m_ready(new std::atomic<bool>[io_oFiles.size()]) {
  for (size_t i = 0; i < m_files.size(); ++i) m_ready[i].store(false, std::memory_order_relaxed);
  const unsigned threads = std::min(ThreadsFor(in_nThreads), kMostThreads);
  // No helper for the files the caller reads itself.
  const size_t helpers = std::min<size_t>(threads - 1, m_files.size() > 0 ? m_files.size() - 1 : 0);
  for (size_t i = 0; i < helpers; ++i) {
    // No more threads to be had: the caller and the helpers so far read the rest.
    if (!m_helpers.TryStart([this] { HelperLoop(); })) break;
  }
}

SourceLoader::~SourceLoader() {
  m_stop.store(true);
  try {
    m_helpers.Join();
  } catch (...) {
    // A helper's failure was already told to the caller (m_helperQuit); the loader just ends.
    (void)0;
  }
}

bool SourceLoader::LoadNext() {
  const size_t i = m_next.fetch_add(1);
  if (i >= m_files.size()) return false;
  LoadSourceFile(m_files[i]);
  m_ready[i].store(true, std::memory_order_release);
  Notify();
  return true;
}

void SourceLoader::Notify() {
  // Taking the lock once after the change means a caller that saw the file unready under the
  // lock is already waiting when the notice comes, so it cannot miss it.
  try {
    const std::lock_guard<std::mutex> guard(m_lock);
  } catch (...) {
    // Locking an ordinary mutex this thread does not hold does not fail; should it, the notice
    // still goes out, only without that guarantee.
    m_readyChanged.notify_all();
    return;
  }
  m_readyChanged.notify_all();
}

void SourceLoader::HelperLoop() {
  // The helper works under the caller's stop flag (WorkerGroup): a stop of that run ends its work
  // too.
  try {
    while (!m_stop.load(std::memory_order_relaxed) && LoadNext()) {
    }
  } catch (...) {
    // A stop, or a failure such as running out of memory: this helper ends, and the file it was
    // reading will never be ready; the caller hears of it, stops waiting and meets the failure.
    const std::exception_ptr failure = std::current_exception();
    {
      const std::lock_guard<std::mutex> guard(m_lock);
      if (!m_helperError) m_helperError = failure;
      m_helperQuit.store(true);
    }
    m_readyChanged.notify_all();
  }
}

SourceFile& SourceLoader::Take(size_t in_nIndex) {
  while (!m_ready[in_nIndex].load(std::memory_order_acquire)) {
    if (LoadNext()) continue;
    // Every file is taken; the one asked for is still being read by a helper.
    std::unique_lock<std::mutex> guard(m_lock);
    m_readyChanged.wait(guard, [&] {
      return m_ready[in_nIndex].load(std::memory_order_acquire) || m_helperQuit.load();
    });
    const std::exception_ptr failure = m_helperError;
    guard.unlock();
    if (m_ready[in_nIndex].load(std::memory_order_acquire)) break;
    // A helper quit with a file unread: because the run was asked to stop (this throws), or
    // after a failure (out of memory), which the run meets here as if on its own thread.
    ThrowIfStopped();
    if (failure) std::rethrow_exception(failure);
    throw std::runtime_error("a source file could not be read");
  }
  return m_files[in_nIndex];
}

}  // namespace qs

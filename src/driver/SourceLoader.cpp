#include "driver/SourceLoader.h"

#include <algorithm>
#include <chrono>
#include <exception>

#include "model/SymGlobals.h"
#include "model/clsVBHeader.h"
#include "parser/clsParser.h"
#include "text/ClsString.h"
#include "text/Yield.h"
#include "text/clsToken.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

// How long the caller waits for a file before it gives the window system a turn.
constexpr std::chrono::milliseconds kWaitSlice(5);

// More threads than this only contend for the memory bus and the allocator.
constexpr unsigned kMostThreads = 8;

}  // namespace

void LoadSourceFile(SourceFile& io_oFile) {
  try {
    // An empty path is a file the resolver could not find.
    ClsString text;
    if (!text.LoadFromFile(io_oFile.path, io_oFile.outcome)) text.SetLength(0);

    std::shared_ptr<clsToken> keywords = std::make_shared<clsToken>();
    if (io_oFile.formLike) {
      text.TokenizeForm(keywords, io_oFile.stream);
    } else {
      text.TokenizeClass(keywords, io_oFile.stream);
    }
    clsParser parser;
    parser.InitParser(io_oFile.stream);
    parser.SetOwnLibraryName(io_oFile.projectName);
    io_oFile.header = io_oFile.formLike ? parser.ParseFormType() : parser.ParseClassType();
    if (!io_oFile.header) return;
    // The code section is re-coded here rather than in the analysis: it depends on nothing but
    // this file, so it runs on the loading thread.
    parser.RemapTokens(io_oFile.header->CodePtr);
    io_oFile.header->CodeRecoded = true;
    // The analysis reads the stream through the header.
    io_oFile.header->TokenStream = io_oFile.stream;
    AnalyseAhead(*io_oFile.header, io_oFile.fallbackName);
    io_oFile.details = RenderModuleDetails(io_oFile.header->PreparedEntry);
  } catch (...) {
    // What was made so far stays; a header whose re-coding did not finish is re-coded later.
  }
}

SourceLoader::SourceLoader(std::vector<SourceFile>& io_oFiles, unsigned in_nThreads)
    : m_files(io_oFiles), m_ready(new std::atomic<bool>[io_oFiles.size()]) {
  for (size_t i = 0; i < m_files.size(); ++i) m_ready[i].store(false, std::memory_order_relaxed);
  unsigned threads = in_nThreads != 0 ? in_nThreads : std::thread::hardware_concurrency();
  threads = std::clamp(threads, 1u, kMostThreads);
  // No helper for the files the caller reads itself.
  const size_t helpers = std::min<size_t>(threads - 1, m_files.size() > 0 ? m_files.size() - 1 : 0);
  for (size_t i = 0; i < helpers; ++i) {
    try {
      m_helpers.emplace_back([this] { HelperLoop(); });
    } catch (...) {
      break;  // no more threads to be had: the caller and the helpers so far read the rest
    }
  }
}

SourceLoader::~SourceLoader() {
  m_stop.store(true);
  for (std::thread& t : m_helpers) {
    if (t.joinable()) t.join();
  }
}

bool SourceLoader::LoadNext() {
  const size_t i = m_next.fetch_add(1);
  if (i >= m_files.size()) return false;
  LoadSourceFile(m_files[i]);
  m_ready[i].store(true, std::memory_order_release);
  // Taking the lock once after the change means a caller that saw the file unready under the
  // lock is already waiting when the notice comes, so it cannot miss it. Should the lock fail,
  // the caller still sees the change when its wait times out.
  try {
    const std::lock_guard<std::mutex> guard(m_lock);
  } catch (...) {
    // No notice this time: a caller waiting for the file sees it when its wait times out.
  }
  m_readyChanged.notify_all();
  return true;
}

void SourceLoader::HelperLoop() {
  const YieldHookOff noHook;
  try {
    while (!m_stop.load(std::memory_order_relaxed) && LoadNext()) {
    }
  } catch (...) {
    // Nothing in the loop throws; should it, the caller reads what is left.
  }
}

SourceFile& SourceLoader::Take(size_t in_nIndex) {
  while (!m_ready[in_nIndex].load(std::memory_order_acquire)) {
    if (LoadNext()) continue;
    // Every file is taken; the one asked for is still being read by a helper.
    std::unique_lock<std::mutex> guard(m_lock);
    m_readyChanged.wait_for(guard, kWaitSlice,
                            [&] { return m_ready[in_nIndex].load(std::memory_order_acquire); });
    guard.unlock();
    YieldToWindowSystemNow();
  }
  return m_files[in_nIndex];
}

}  // namespace qs

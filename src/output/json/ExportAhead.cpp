// Modules rendered ahead of the export's writing thread, on helpers that the run's budget allows.
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "output/json/ExportWriter.h"
#include "text/Yield.h"

namespace qs::exportjson {

ModulesAhead::ModulesAhead(const std::vector<ProjectModule>& in_modules, int in_nCodePage,
                           unsigned in_nHelpers, const ProjectDocs* in_pDocs,
                           const ExportRefs* in_pRefs)
    : m_modules(in_modules), m_codePage(in_nCodePage), m_docs(in_pDocs), m_refs(in_pRefs) {
  try {
    // A helper the budget or the system refuses is not started: those that are render every
    // module, and with none the writer renders them itself.
    for (unsigned k = 0; k < in_nHelpers; ++k)
      if (!m_helpers.TryStart([this] { Helper(); })) break;
  } catch (...) {
    // The helpers started are ended before the failure goes on to the writer, whose export fails
    // with its reason.
    Abort();
    throw;
  }
}

ModulesAhead::~ModulesAhead() {
  Abort();
  // m_helpers, destroyed first, joins the helpers.
}

void ModulesAhead::Abort() {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_abort = true;
  }
  m_changed.notify_all();
}

std::string_view ModulesAhead::Take(size_t i) {
  std::unique_lock<std::mutex> guard(m_lock);
  Slot& slot = m_slots[i % kWindow];
  m_changed.wait(guard, [&] { return slot.module == i || m_error; });
  if (slot.module != i) std::rethrow_exception(m_error);
  return std::string_view(slot.text.data(), slot.length);
}

void ModulesAhead::Release(size_t i) {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_slots[i % kWindow].module = SIZE_MAX;
    m_released = i + 1;
  }
  m_changed.notify_all();
}

void ModulesAhead::Helper() {
  try {
    // The run's stop request reaches the helper's yield points: WorkerGroup starts it under the
    // run's stop flag.
    CodePageText cp;
    if (!cp.Open(m_codePage)) throw std::runtime_error("unknown code page");
    std::string text;
    JsonTextOutput out(text);
    ModuleTextWriter w(out);
    ExportWriter<ModuleTextWriter> renderer(w, out, cp);
    renderer.SetDocs(m_docs);
    renderer.SetCrossReferences(m_refs);
    for (;;) {
      size_t i = 0;
      {
        std::unique_lock<std::mutex> guard(m_lock);
        m_changed.wait(guard, [&] {
          return m_abort || m_next >= m_modules.size() || m_next < m_released + kWindow;
        });
        if (m_abort || m_next >= m_modules.size()) return;
        i = m_next++;
      }
      out.Start();
      w.Reset(out);
      renderer.WriteModule(m_modules[i]);
      {
        std::lock_guard<std::mutex> guard(m_lock);
        m_slots[i % kWindow].text.swap(text);
        m_slots[i % kWindow].length = out.Used();
        m_slots[i % kWindow].module = i;
      }
      m_changed.notify_all();
    }
  } catch (...) {
    // The writer's Take rethrows this, and the export fails with its reason.
    {
      std::lock_guard<std::mutex> guard(m_lock);
      if (!m_error) m_error = std::current_exception();
      m_abort = true;
    }
    m_changed.notify_all();
  }
}

}  // namespace qs::exportjson

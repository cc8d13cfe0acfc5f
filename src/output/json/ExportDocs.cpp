// The export's doc comments: a declaration's, member's or module's "doc" object, and the
// documentation warnings at the end of the export.
#include "output/json/ExportWriter.h"
#include "text/Yield.h"

namespace qs::exportjson {

template <class Writer>
void ExportWriter<Writer>::WriteDocWarnings(const std::vector<ProjectModule>& modules) {
  Key("docWarnings");
  m_w.StartArray();
  // Every declaration's warnings, modules in order (ProjectDocs::warnings).
  std::string file;  // UTF-8, of the module the warnings are of
  int32_t fileOf = -1;
  const size_t count = m_docs ? m_docs->warnings.size() : 0;
  for (size_t k = 0; k < count; ++k) {
    YieldPoint();
    const ProjectDocs::Warning& w = m_docs->warnings[k];
    if (w.module != fileOf && static_cast<size_t>(w.module) < modules.size()) {
      fileOf = w.module;
      const clsVBFileType& item = *modules[static_cast<size_t>(w.module)].item;
      file = item.sDiskPath;
      if (file.empty()) {
        m_raw.assign(item.sFileValue);
        std::replace(m_raw.begin(), m_raw.end(), '\\', '/');
        m_cp.Append(file, m_raw);
      }
    }
    m_w.StartObject();
    Member("file", file);
    Number("line", w.line);
    Number("column", w.column);
    m_text.clear();
    m_cp.Append(m_text, w.message);
    Member("message", m_text);
    m_w.EndObject();
  }
  m_w.EndArray();
}

template <class Writer>
void ExportWriter<Writer>::WriteDoc(const ProjectDocs::Comment& doc) {
  const ProjectDocs& docs = *m_docs;
  Key("doc");
  m_w.StartObject();
  SourceMember("summary", docs.View(doc.summary));
  SourceMember("description", docs.View(doc.description));
  if (doc.paramCount > 0) {
    Key("params");
    m_w.StartObject();
    m_paramNames.clear();
    for (uint32_t k = 0; k < doc.paramCount; ++k) {
      const std::string_view name = docs.View(docs.params[doc.firstParam + k].first);
      // A name documented twice keeps its first text: an object has each key once.
      if (name.empty() || !m_paramNames.insert(name).second) continue;
      m_text.clear();
      m_cp.Append(m_text, name);
      TextKey(m_text);
      Source(docs.View(docs.params[doc.firstParam + k].second));
    }
    m_w.EndObject();
  }
  SourceMember("returns", docs.View(doc.returns));
  SourceMember("remarks", docs.View(doc.remarks));
  SourceMember("author", docs.View(doc.author));
  SourceMember("date", docs.View(doc.date));
  Member("source", DocSourceName(doc.source));
  m_w.EndObject();
}

template void ExportWriter<CompactFileWriter>::WriteDoc(const ProjectDocs::Comment&);
template void ExportWriter<IndentedFileWriter>::WriteDoc(const ProjectDocs::Comment&);
template void ExportWriter<ModuleTextWriter>::WriteDoc(const ProjectDocs::Comment&);
template void ExportWriter<CompactFileWriter>::WriteDocWarnings(const std::vector<ProjectModule>&);
template void ExportWriter<IndentedFileWriter>::WriteDocWarnings(const std::vector<ProjectModule>&);

}  // namespace qs::exportjson

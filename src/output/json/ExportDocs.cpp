// The export's doc comments: a declaration's, member's or module's "doc" object, and the
// documentation warnings at the end of the export.
#include "output/json/ExportWriter.h"
#include "text/Yield.h"

namespace qs::exportjson {

template <class Writer>
void ExportWriter<Writer>::WriteDocWarnings() {
  Key("docWarnings");
  m_w.StartArray();
  for (const ExportDocWarning& w : m_docWarnings) {
    YieldPoint();
    m_w.StartObject();
    Member("file", w.file);
    Number("line", w.place.line);
    Number("column", w.place.column);
    Member("message", w.message);
    m_w.EndObject();
  }
  m_w.EndArray();
}

template <class Writer>
void ExportWriter<Writer>::WriteDoc() {
  Key("doc");
  m_w.StartObject();
  SourceMember("summary", m_doc.summary);
  SourceMember("description", m_doc.description);
  if (!m_doc.params.empty()) {
    Key("params");
    m_w.StartObject();
    m_paramNames.clear();
    for (const DocParam& p : m_doc.params) {
      // A name documented twice keeps its first text: an object has each key once.
      if (p.name.empty() || !m_paramNames.insert(p.name).second) continue;
      m_text.clear();
      m_cp.Append(m_text, p.name);
      TextKey(m_text);
      Source(p.text);
    }
    m_w.EndObject();
  }
  SourceMember("returns", m_doc.returns);
  SourceMember("remarks", m_doc.remarks);
  SourceMember("author", m_doc.author);
  SourceMember("date", m_doc.date);
  Member("source", DocSourceName(m_doc.source));
  m_w.EndObject();
}

template void ExportWriter<CompactFileWriter>::WriteDoc();
template void ExportWriter<IndentedFileWriter>::WriteDoc();
template void ExportWriter<ModuleTextWriter>::WriteDoc();
template void ExportWriter<CompactFileWriter>::WriteDocWarnings();
template void ExportWriter<IndentedFileWriter>::WriteDocWarnings();

}  // namespace qs::exportjson

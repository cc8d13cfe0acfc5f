// The export's modules: each module's object with its controls (their properties, uses and event
// handlers); its declarations are ExportDeclarations.cpp's.
#include <algorithm>
#include <string>
#include <vector>

#include "output/json/ExportWriter.h"
#include "text/Cp1252.h"
#include "text/Yield.h"

namespace qs::exportjson {

namespace {

// The properties the control records name that a control object may not take as its own.
bool IsReservedControlKey(std::string_view key) {
  return key == "name" || key == "type" || key == "parent" || key == "line" || key == "column" ||
         key == "uses" || key == "handlers" || key == "exposure";
}

}  // namespace

template <class Writer>
void ExportWriter<Writer>::WriteModule(const ProjectModule& m) {
  YieldPoint();
  const clsVBFileType& item = *m.item;
  const clsVBHeader* header = item.VBHeader().get();
  m_stream = header ? header->TokenStream.get() : nullptr;
  m_lines.Reset(m_stream, header && header->LineEndsKept ? &header->LineEnds : nullptr,
                header ? &header->HeldLineEnds : nullptr);

  m_w.StartObject();
  SourceMember("name", header && !header->sVBTableName.empty()
                           ? std::string_view(header->sVBTableName)
                           : std::string_view(item.InternalName));
  Member("kind", ModuleKindName(ModuleKindOf(item.EType)));
  if (!item.sDiskPath.empty()) {
    Member("file", item.sDiskPath);
  } else {
    PathMember("file", item.sFileValue);
  }
  Number("lines", m_lines.Lines());
  WriteControls(IsFormLikeItemType(item.EType) ? header : nullptr);
  if (m_refs) WriteImplementations(item);

  Key("declarations");
  m_w.StartArray();
  if (m.entry) {
    ListDeclarations(*m.entry, m_declared);
    for (const DeclaredEntry& d : m_declared) WriteDeclaration(d);
  }
  if (m_shared) WriteGlobalVariables(item);
  m_w.EndArray();
  if (const ProjectDocs::Comment* doc = m_docs ? m_docs->Of(item) : nullptr) WriteDoc(*doc);
  m_w.EndObject();
}

template <class Writer>
void ExportWriter<Writer>::WriteControls(const clsVBHeader* header) {
  Key("controls");
  m_w.StartArray();
  if (header && m_stream) {
    ListControls(*header, *m_stream, m_controls);
    const std::vector<ControlNode>& controls = m_controls;
    std::vector<std::string> keys;
    for (const ControlNode& c : controls) {
      YieldPoint();
      m_w.StartObject();
      SourceMember("name", c.record->sName);
      SourceMember("type", c.record->sType);
      if (c.parent >= 0)
        SourceMember("parent", controls[static_cast<size_t>(c.parent)].record->sName);
      Place(c.record->lPtr);
      if (m_refs) {
        const int32_t decl = DeclOf(c.record);
        if (decl >= 0) {
          WriteUses(decl);
          WriteHandlers(decl);
        }
      }
      keys.clear();
      for (const clsControlRecord* r : c.properties) {
        std::string key = r->sType.substr(1);
        if (key.empty()) continue;
        key[0] = static_cast<char>(ToLower1252(static_cast<unsigned char>(key[0])));
        if (IsReservedControlKey(key) || std::find(keys.begin(), keys.end(), key) != keys.end())
          continue;
        m_text.clear();
        m_cp.Append(m_text, key);
        TextKey(m_text);
        // The value as the literal writes it (the record's copy has lost its inner quotes).
        m_raw.clear();
        if (!SourceText::AppendStringValue(*m_stream, r->lPtr, m_raw)) m_raw = r->sName;
        Source(m_raw);
        keys.push_back(std::move(key));
      }
      m_w.EndObject();
    }
  }
  m_w.EndArray();
}

template void ExportWriter<CompactFileWriter>::WriteModule(const ProjectModule&);
template void ExportWriter<IndentedFileWriter>::WriteModule(const ProjectModule&);
template void ExportWriter<ModuleTextWriter>::WriteModule(const ProjectModule&);

}  // namespace qs::exportjson

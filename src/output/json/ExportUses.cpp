// The export's cross references: what every module's writer shares about them (ExportRefs), and
// a declaration's uses, a procedure's calls and labels, a control's event handlers and the names
// the project does not declare.
#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "output/json/ExportWriter.h"
#include "text/Yield.h"

namespace qs::exportjson {

// Appends the qualified name of a declaration ("Module.Procedure", "Module") to out as the
// contents of a JSON string (CrossReferences::QualifiedName through the code page, escaped);
// raw and text are reused buffers.
void AppendQualifiedName(const CrossReferences& refs, int32_t decl, CodePageText& cp,
                         std::string& raw, std::string& text, std::string& out) {
  const CrossDeclaration& d = refs.decls[static_cast<size_t>(decl)];
  raw.clear();
  if (d.kind != DeclKind::kModule) {
    raw.append(
        refs.decls[static_cast<size_t>(refs.modules[static_cast<size_t>(d.module)].decl)].name);
    raw += '.';
  }
  if (d.parent >= 0) {
    raw.append(refs.decls[static_cast<size_t>(d.parent)].name);
    raw += '.';
  }
  raw.append(d.name);
  text.clear();
  cp.Append(text, raw);
  AppendJsonEscaped(out, text);
}

void ExportRefs::Build(const CrossReferences& in_refs, CodePageText& cp) {
  refs = &in_refs;
  for (size_t k = 0; k < kindNames.size(); ++k) kindNames[k] = UseKindName(static_cast<UseKind>(k));
  for (size_t k = 0; k < exposureNames.size(); ++k)
    exposureNames[k] = ExposureName(static_cast<Exposure>(k));
  std::string raw, text;
  for (const CrossModule& m : in_refs.modules) {
    text.clear();
    if (!m.item->sDiskPath.empty()) {
      text = m.item->sDiskPath;
    } else {
      raw.assign(m.item->sFileValue);
      std::replace(raw.begin(), raw.end(), '\\', '/');
      cp.Append(text, raw);
    }
    AppendJsonEscaped(files.emplace_back(), text);
    moduleOf.emplace(m.item, static_cast<int32_t>(files.size()) - 1);
  }
  nameStart.reserve(in_refs.decls.size() + 1);
  for (size_t d = 0; d < in_refs.decls.size(); ++d) {
    const DeclKind kind = in_refs.decls[d].kind;
    if (kind == DeclKind::kLabel && in_refs.decls[d].parent >= 0)
      labels.emplace_back(in_refs.decls[d].parent, static_cast<int32_t>(d));
    nameStart.push_back(static_cast<uint32_t>(names.size()));
    if (kind == DeclKind::kModule || IsProcedureKind(kind))
      AppendQualifiedName(in_refs, static_cast<int32_t>(d), cp, raw, text, names);
  }
  nameStart.push_back(static_cast<uint32_t>(names.size()));
  eventHandlers = in_refs.eventHandlers;
  std::stable_sort(eventHandlers.begin(), eventHandlers.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::sort(labels.begin(), labels.end(), [&](const auto& a, const auto& b) {
    const int32_t pa = in_refs.decls[static_cast<size_t>(a.second)].pos;
    const int32_t pb = in_refs.decls[static_cast<size_t>(b.second)].pos;
    return a.first != b.first ? a.first < b.first : pa < pb;
  });
}

// The qualified name of a declaration as the contents of a JSON string: the one worked out ahead
// for modules and procedures, others kept in a small cache by declaration.
template <class Writer>
std::string_view ExportWriter<Writer>::QualifiedName(int32_t decl) {
  if (decl < 0 || static_cast<size_t>(decl) >= m_refs->decls.size()) return {};
  const auto d = static_cast<size_t>(decl);
  const uint32_t start = m_shared->nameStart[d];
  if (start != m_shared->nameStart[d + 1])
    return std::string_view(m_shared->names).substr(start, m_shared->nameStart[d + 1] - start);
  NameSlot& slot = m_names[d % kNameSlots];
  if (slot.decl != decl) {
    slot.decl = decl;
    slot.text.clear();
    AppendQualifiedName(*m_refs, decl, m_cp, m_raw, m_text, slot.text);
  }
  return slot.text;
}

// CrossReferences::DeclOf, searched from where the last record was found: the records of a
// module lie near each other in memory and are asked for mostly in address order, so the search
// steps forward 1, 2, 4, ... entries and then halves that range.
template <class Writer>
int32_t ExportWriter<Writer>::DeclOf(const void* record) {
  const auto& list = m_refs->declOf;
  const auto before = [](const std::pair<const void*, int32_t>& entry, const void* p) {
    return std::less<const void*>()(entry.first, p);
  };
  size_t first = 0;
  size_t last = list.size();
  if (m_declOfHint < list.size() && before(list[m_declOfHint], record)) {
    // The record lies after the last one found: past first, up to first + step.
    first = m_declOfHint;
    size_t step = 1;
    while (first + step < list.size() && before(list[first + step], record)) {
      first += step;
      step *= 2;
    }
    last = std::min(list.size(), first + step + 1);
  }
  const auto it =
      std::lower_bound(list.begin() + static_cast<std::ptrdiff_t>(first),
                       list.begin() + static_cast<std::ptrdiff_t>(last), record, before);
  if (it == list.end() || it->first != record) return -1;
  m_declOfHint = static_cast<size_t>(it - list.begin());
  return it->second;
}

namespace {

constexpr int32_t kUsesAhead = 8;

}  // namespace

// A declaration's uses (in file order) and its exposure. A use is an array [line, column, kind,
// from, file] whose trailing elements are left out while they say what the declaration implies:
// kind "read", from the procedure of a local, parameter or label, file the declaring module's.
// The array is composed as text and handed to the writer whole: no writer call per use.
template <class Writer>
void ExportWriter<Writer>::WriteUses(int32_t decl) {
  if (decl < 0) return;
  const CrossReferences& refs = *m_refs;
  const CrossDeclaration& d = refs.decls[static_cast<size_t>(decl)];
  const auto c = static_cast<size_t>(d.canonical);
  // The longest use without its strings: [line,column] and the commas and quotes around three.
  constexpr size_t kUseRoom = 48;
  m_json.Clear();
  char* p = m_json.Room(1);
  *p++ = '[';
  m_json.Keep(p);
  const int32_t begin = refs.useStart[c];
  const int32_t end = refs.useStart[c + 1];
  for (int32_t k = begin; k < end; ++k) {
    YieldPoint();
    // A declaration's uses lie apart in the list of every use: the one a few steps ahead is
    // asked for now, so that the wait for memory overlaps the writing.
    if (k + kUsesAhead < end)
      __builtin_prefetch(refs.uses.Record(
          static_cast<size_t>(refs.useIndex[static_cast<size_t>(k + kUsesAhead)])));
    const CrossUse u = refs.uses[static_cast<size_t>(refs.useIndex[static_cast<size_t>(k)])];
    const bool file = u.module != d.module;
    const bool from = file || u.from != d.parent || d.parent < 0;
    const bool kind = from || u.kind != UseKind::kRead;
    const std::string_view kindName =
        kind ? m_shared->kindNames[static_cast<size_t>(u.kind) & 3] : std::string_view();
    const std::string_view fromName = from ? QualifiedName(u.from) : "";
    const std::string_view fileName =
        file ? std::string_view(m_shared->files[static_cast<size_t>(u.module)]) : "";
    p = m_json.Room(kUseRoom + kindName.size() + fromName.size() + fileName.size());
    if (k > begin) *p++ = ',';
    *p++ = '[';
    p = PutNumber(p, u.line);
    *p++ = ',';
    p = PutNumber(p, u.column);
    if (kind) {
      *p++ = ',';
      p = PutQuoted(p, kindName);
    }
    if (from) {
      *p++ = ',';
      p = PutQuoted(p, fromName);
    }
    if (file) {
      *p++ = ',';
      p = PutQuoted(p, fileName);
    }
    *p++ = ']';
    m_json.Keep(p);
  }
  p = m_json.Room(1);
  *p++ = ']';
  m_json.Keep(p);
  RawArray("uses");
  Member("exposure", m_shared->exposureNames[static_cast<size_t>(d.exposure) % kExposureCount]);
  // Only a declaration conditional compilation leaves out says so: most are active.
  if (!d.active) {
    Key("active");
    m_w.Bool(false);
  }
}

template <class Writer>
template <class DeclAt>
void ExportWriter<Writer>::QualifiedNameArray(std::string_view key, size_t first, size_t end,
                                              DeclAt&& declAt) {
  m_json.Clear();
  char* p = m_json.Room(1);
  *p++ = '[';
  m_json.Keep(p);
  for (size_t k = first; k < end; ++k) {
    const std::string_view name = QualifiedName(declAt(k));
    p = m_json.Room(name.size() + 3);
    if (k > first) *p++ = ',';
    p = PutQuoted(p, name);
    m_json.Keep(p);
  }
  p = m_json.Room(1);
  *p++ = ']';
  m_json.Keep(p);
  RawArray(key);
}

// What a procedure calls: qualified names, once each, in first-call order.
template <class Writer>
void ExportWriter<Writer>::WriteCalls(int32_t decl) {
  if (decl < 0 || !IsProcedureKind(m_refs->decls[static_cast<size_t>(decl)].kind)) return;
  const auto d = static_cast<size_t>(decl);
  QualifiedNameArray("calls", static_cast<size_t>(m_refs->callStart[d]),
                     static_cast<size_t>(m_refs->callStart[d + 1]),
                     [this](size_t k) { return m_refs->callList[k]; });
}

// A procedure's line labels and line numbers, in file order, with their uses.
template <class Writer>
void ExportWriter<Writer>::WriteLabels(int32_t decl) {
  if (decl < 0 || !IsProcedureKind(m_refs->decls[static_cast<size_t>(decl)].kind)) return;
  const auto& labels = m_shared->labels;
  auto it = std::lower_bound(labels.begin(), labels.end(), std::pair<int32_t, int32_t>(decl, -1));
  Key("labels");
  m_w.StartArray();
  for (; it != labels.end() && it->first == decl; ++it) {
    const CrossDeclaration& l = m_refs->decls[static_cast<size_t>(it->second)];
    m_w.StartObject();
    SourceMember("name", l.name);
    Number("line", l.line);
    Number("column", l.column);
    WriteUses(it->second);
    m_w.EndObject();
  }
  m_w.EndArray();
}

// A control's event handlers: the procedures whose name links them to it.
template <class Writer>
void ExportWriter<Writer>::WriteHandlers(int32_t decl) {
  const CrossReferences& refs = *m_refs;
  const auto c = static_cast<size_t>(refs.decls[static_cast<size_t>(decl)].canonical);
  Key("handlers");
  m_w.StartArray();
  for (int32_t k = refs.useStart[c]; k < refs.useStart[c + 1]; ++k) {
    const CrossUse& u = refs.uses[static_cast<size_t>(refs.useIndex[static_cast<size_t>(k)])];
    const CrossDeclaration& from = refs.decls[static_cast<size_t>(u.from)];
    if (from.pos == u.pos && from.module == u.module && from.handler) Source(from.name);
  }
  m_w.EndArray();
}

// An event's handlers (the procedures of WithEvents variables and controls handling it).
template <class Writer>
void ExportWriter<Writer>::WriteEventHandlers(int32_t decl) {
  if (decl < 0 || m_refs->decls[static_cast<size_t>(decl)].kind != DeclKind::kEvent) return;
  const int32_t event = m_refs->decls[static_cast<size_t>(decl)].canonical;
  const auto& pairs = m_shared->eventHandlers;
  const auto range =
      std::equal_range(pairs.begin(), pairs.end(), std::pair<int32_t, int32_t>(event, -1),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
  QualifiedNameArray("handlers", static_cast<size_t>(range.first - pairs.begin()),
                     static_cast<size_t>(range.second - pairs.begin()),
                     [&pairs](size_t k) { return pairs[k].second; });
}

// "implements": the interfaces of the module's Implements statements (a project's class by its
// name, another's as the statement ends with it); "implementedBy": the classes implementing it.
// Each is left out when empty.
template <class Writer>
void ExportWriter<Writer>::WriteImplementations(const clsVBFileType& item) {
  const auto found = m_shared->moduleOf.find(&item);
  if (found == m_shared->moduleOf.end()) return;
  const int32_t module = found->second;
  const int32_t self = m_refs->modules[static_cast<size_t>(module)].decl;
  bool any = false;
  for (const Implementation& i : m_refs->implementations) {
    if (i.module != module) continue;
    if (!any) {
      Key("implements");
      m_w.StartArray();
      any = true;
    }
    Source(i.iface >= 0 ? m_refs->decls[static_cast<size_t>(i.iface)].name : i.name);
  }
  if (any) m_w.EndArray();
  any = false;
  for (const Implementation& i : m_refs->implementations) {
    if (i.iface != self) continue;
    if (!any) {
      Key("implementedBy");
      m_w.StartArray();
      any = true;
    }
    Source(m_refs->decls[static_cast<size_t>(m_refs->modules[static_cast<size_t>(i.module)].decl)]
               .name);
  }
  if (any) m_w.EndArray();
}

// The names the project does not declare, with their use counts.
template <class Writer>
void ExportWriter<Writer>::WriteExternal() {
  if (!m_refs) return;
  Key("external");
  m_w.StartArray();
  for (const auto& [name, count] : m_refs->external) {
    YieldPoint();
    m_w.StartObject();
    SourceMember("name", name);
    Number("count", count);
    m_w.EndObject();
  }
  m_w.EndArray();
}

template int32_t ExportWriter<CompactFileWriter>::DeclOf(const void*);
template int32_t ExportWriter<IndentedFileWriter>::DeclOf(const void*);
template int32_t ExportWriter<ModuleTextWriter>::DeclOf(const void*);
template void ExportWriter<CompactFileWriter>::WriteUses(int32_t);
template void ExportWriter<IndentedFileWriter>::WriteUses(int32_t);
template void ExportWriter<ModuleTextWriter>::WriteUses(int32_t);
template void ExportWriter<CompactFileWriter>::WriteCalls(int32_t);
template void ExportWriter<IndentedFileWriter>::WriteCalls(int32_t);
template void ExportWriter<ModuleTextWriter>::WriteCalls(int32_t);
template void ExportWriter<CompactFileWriter>::WriteLabels(int32_t);
template void ExportWriter<IndentedFileWriter>::WriteLabels(int32_t);
template void ExportWriter<ModuleTextWriter>::WriteLabels(int32_t);
template void ExportWriter<CompactFileWriter>::WriteHandlers(int32_t);
template void ExportWriter<IndentedFileWriter>::WriteHandlers(int32_t);
template void ExportWriter<ModuleTextWriter>::WriteHandlers(int32_t);
template void ExportWriter<CompactFileWriter>::WriteEventHandlers(int32_t);
template void ExportWriter<IndentedFileWriter>::WriteEventHandlers(int32_t);
template void ExportWriter<ModuleTextWriter>::WriteEventHandlers(int32_t);
template void ExportWriter<CompactFileWriter>::WriteImplementations(const clsVBFileType&);
template void ExportWriter<IndentedFileWriter>::WriteImplementations(const clsVBFileType&);
template void ExportWriter<ModuleTextWriter>::WriteImplementations(const clsVBFileType&);
template void ExportWriter<CompactFileWriter>::WriteExternal();
template void ExportWriter<IndentedFileWriter>::WriteExternal();

}  // namespace qs::exportjson

// The export's declarations: each declaration of a module with its parameters, members and
// locals, and the module's Global variables that only the cross references know.
#include <algorithm>
#include <string>
#include <string_view>

#include "model/ClsEntry.h"
#include "output/json/ExportWriter.h"
#include "text/Cp1252.h"
#include "text/StringUtil.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"

namespace qs::exportjson {

namespace {

// The type of a declarator as written ("Global a(1 To 3) As New clsThing" gives "clsThing"):
// what follows its "As" outside parentheses, "" without one.
std::string_view DeclaredType(std::string_view declarator) {
  int depth = 0;
  for (size_t i = 0; i + 4 <= declarator.size(); ++i) {
    const char c = declarator[i];
    if (c == '(') ++depth;
    if (c == ')' && depth > 0) --depth;
    if (depth == 0 && c == ' ' && EqualsNoCase1252(declarator.substr(i, 4), " As ")) {
      std::string_view type = declarator.substr(i + 4);
      if (type.size() > 4 && EqualsNoCase1252(type.substr(0, 4), "New ")) type.remove_prefix(4);
      return type;
    }
  }
  return {};
}

}  // namespace

template <class Writer>
void ExportWriter<Writer>::WriteDeclaration(const DeclaredEntry& d) {
  YieldPoint();
  const ClsEntryPtr& e = *d.entry;
  m_w.StartObject();
  SourceMember("name", e.EntryName);
  Member("kind", DeclKindName(d.kind));
  Member("scope", m_stream ? SourceText::WrittenScope(*m_stream, e.lEntryptr) : "");
  SourceMember("type", e.EntryType);
  SourceMember("returnType", e.ReturnType);
  if (e.eEntrytype == kEntryConst) ValueMember("value", e.lEntryptr);
  SourceMember("lib", WithoutQuotes(e.LibName));
  SourceMember("alias", WithoutQuotes(e.AliasName));
  if (m_stream) {
    m_raw.clear();
    SourceText::AppendLine(*m_stream, e.lEntryptr, m_raw);
    SourceMember("signature", m_raw);
  }
  Place(e.lEntryptr);
  if (m_refs) {
    const int32_t decl = DeclOf(&e);
    WriteUses(decl);
    WriteCalls(decl);
    WriteLabels(decl);
    WriteEventHandlers(decl);
  }
  const bool hasMembers = e.eEntrytype == kEntryEnum || e.eEntrytype == kEntryType;
  if (hasMembers) {
    Key("parameters");
    m_w.StartArray();
    m_w.EndArray();
    WriteMembers(e);
  } else {
    WriteParameters(e);
    Key("members");
    m_w.StartArray();
    m_w.EndArray();
  }
  WriteLocals(e);
  // Its warnings are written at the end of the export (WriteDocWarnings).
  if (const ProjectDocs::Comment* doc = m_docs ? m_docs->Of(e) : nullptr) WriteDoc(*doc);
  m_w.EndObject();
}

// The module's Global variables, which only the cross references know (the analysis keeps no
// record of them): after the records' declarations, with the members a variable's record gives.
template <class Writer>
void ExportWriter<Writer>::WriteGlobalVariables(const clsVBFileType& item) {
  const auto found = m_shared->moduleOf.find(&item);
  if (found == m_shared->moduleOf.end() || !m_stream) return;
  const CrossModule& mod = m_refs->modules[static_cast<size_t>(found->second)];
  for (int32_t id = mod.firstGlobal; id < mod.endGlobal; ++id) {
    const CrossDeclaration& d = m_refs->decls[static_cast<size_t>(id)];
    if (d.canonical != id || d.pos < 0) continue;
    YieldPoint();
    m_w.StartObject();
    SourceMember("name", d.name);
    Member("kind", DeclKindName(DeclKind::kVariable));
    Member("scope", "");
    m_raw.clear();
    SourceText::AppendDeclarator(*m_stream, d.pos, m_raw);
    const std::string type(DeclaredType(m_raw));  // a few per project
    SourceMember("type", type);
    m_raw.clear();
    SourceText::AppendLine(*m_stream, d.pos, m_raw);
    SourceMember("signature", m_raw);
    Place(d.pos);
    WriteUses(id);
    for (const char* list : {"parameters", "members", "locals"}) {
      Key(list);
      m_w.StartArray();
      m_w.EndArray();
    }
    m_w.EndObject();
  }
}

template <class Writer>
void ExportWriter<Writer>::WriteParameters(const ClsEntryPtr& e) {
  Key("parameters");
  m_w.StartArray();
  if (e.Parameters) {
    for (const auto& p : *e.Parameters) {
      // The list also holds the names a default value refers to; those are no parameters.
      if (!p || std::string_view(p->Scope) == "default") continue;
      YieldPoint();
      m_w.StartObject();
      SourceMember("name", p->EntryName);
      SourceMember("type", p->EntryType);
      const int32_t mode = p->eArgScope;
      Member("passing", mode == kArgByVal || mode == kArgOptionalByVal ? "byVal" : "byRef");
      Key("optional");
      m_w.Bool(mode == kArgOptional || mode == kArgOptionalByVal);
      Key("paramArray");
      m_w.Bool(mode == kArgParamArray);
      ValueMember("default", p->lEntryptr);
      Place(p->lEntryptr);
      if (m_refs) WriteUses(DeclOf(p.get()));
      m_w.EndObject();
    }
  }
  m_w.EndArray();
}

template <class Writer>
void ExportWriter<Writer>::WriteMembers(const ClsEntryPtr& e) {
  Key("members");
  m_w.StartArray();
  if (e.Parameters) {
    for (const auto& m : *e.Parameters) {
      if (!m) continue;
      YieldPoint();
      m_w.StartObject();
      SourceMember("name", m->EntryName);
      if (e.eEntrytype == kEntryEnum) {
        ValueMember("value", m->lEntryptr);
      } else {
        SourceMember("type", m->EntryType);
      }
      Place(m->lEntryptr);
      if (const ProjectDocs::Comment* doc = m_docs ? m_docs->Of(*m) : nullptr) WriteDoc(*doc);
      if (m_refs) WriteUses(DeclOf(m.get()));
      m_w.EndObject();
    }
  }
  m_w.EndArray();
}

template <class Writer>
void ExportWriter<Writer>::WriteLocals(const ClsEntryPtr& e) {
  Key("locals");
  m_w.StartArray();
  m_locals.clear();
  for (const auto* list : {&e.EVar, &e.EConst}) {
    if (!*list) continue;
    for (const auto& l : **list)
      if (l) m_locals.push_back(l.get());
  }
  // In file order. Each local has a name position of its own; std::sort takes no buffer.
  std::sort(m_locals.begin(), m_locals.end(),
            [](const ClsEntryPtr* a, const ClsEntryPtr* b) { return a->lEntryptr < b->lEntryptr; });
  for (const ClsEntryPtr* l : m_locals) {
    YieldPoint();
    m_w.StartObject();
    SourceMember("name", l->EntryName);
    Member("kind",
           DeclKindName(l->eEntrytype == kEntryConst ? DeclKind::kConstant : DeclKind::kVariable));
    SourceMember("type", l->EntryType);
    Place(l->lEntryptr);
    if (m_refs) WriteUses(DeclOf(l));
    m_w.EndObject();
  }
  // Then the locals the code declares where no record does (ReDim, a declaration after ":").
  if (m_refs) {
    if (const auto walked = m_refs->walkLocals.find(DeclOf(&e));
        walked != m_refs->walkLocals.end()) {
      for (const int32_t d : walked->second) {
        const CrossDeclaration& l = m_refs->decls[static_cast<size_t>(d)];
        m_w.StartObject();
        SourceMember("name", l.name);
        Member("kind", DeclKindName(l.kind));
        Number("line", l.line);
        Number("column", l.column);
        WriteUses(d);
        m_w.EndObject();
      }
    }
  }
  // Then the implicit locals (no Option Explicit), each placed at its first use.
  const auto it =
      m_refs ? m_refs->implicitLocals.find(DeclOf(&e)) : decltype(m_refs->implicitLocals.end()){};
  if (m_refs && it != m_refs->implicitLocals.end()) {
    for (int32_t d = it->second.first; d < it->second.second; ++d) {
      const CrossDeclaration& l = m_refs->decls[static_cast<size_t>(d)];
      m_w.StartObject();
      SourceMember("name", l.name);
      Member("kind", DeclKindName(DeclKind::kImplicit));
      Number("line", l.line);
      Number("column", l.column);
      WriteUses(d);
      m_w.EndObject();
    }
  }
  m_w.EndArray();
}

template void ExportWriter<CompactFileWriter>::WriteDeclaration(const DeclaredEntry&);
template void ExportWriter<IndentedFileWriter>::WriteDeclaration(const DeclaredEntry&);
template void ExportWriter<ModuleTextWriter>::WriteDeclaration(const DeclaredEntry&);
template void ExportWriter<CompactFileWriter>::WriteGlobalVariables(const clsVBFileType&);
template void ExportWriter<IndentedFileWriter>::WriteGlobalVariables(const clsVBFileType&);
template void ExportWriter<ModuleTextWriter>::WriteGlobalVariables(const clsVBFileType&);

}  // namespace qs::exportjson

#include "model/CrossReferences.h"

#include <iterator>

namespace qs {

const char* DeclKindName(DeclKind in_eKind) {
  switch (in_eKind) {
    case DeclKind::kModule:
      return "module";
    case DeclKind::kVariable:
      return "variable";
    case DeclKind::kConstant:
      return "constant";
    case DeclKind::kSub:
      return "sub";
    case DeclKind::kFunction:
      return "function";
    case DeclKind::kPropertyGet:
      return "propertyGet";
    case DeclKind::kPropertyLet:
      return "propertyLet";
    case DeclKind::kPropertySet:
      return "propertySet";
    case DeclKind::kEvent:
      return "event";
    case DeclKind::kDeclare:
      return "declare";
    case DeclKind::kEnum:
      return "enum";
    case DeclKind::kEnumMember:
      return "enum-member";
    case DeclKind::kType:
      return "type";
    case DeclKind::kTypeMember:
      return "type-member";
    case DeclKind::kParameter:
      return "parameter";
    case DeclKind::kLabel:
      return "label";
    case DeclKind::kControl:
      return "control";
    case DeclKind::kImplicit:
      return "implicit";
  }
  return "variable";
}

const char* UseKindName(UseKind in_eKind) {
  switch (in_eKind) {
    case UseKind::kCall:
      return "call";
    case UseKind::kWrite:
      return "write";
    case UseKind::kRead:
      break;
  }
  return "read";
}

const char* ExposureName(Exposure in_eExposure) {
  switch (in_eExposure) {
    case Exposure::kUnused:
      return "unused";
    case Exposure::kExposed:
      return "exposed";
    case Exposure::kUsed:
    case Exposure::kKept:
      break;
  }
  return "used";
}

bool IsProcedureKind(DeclKind in_eKind) {
  return in_eKind == DeclKind::kSub || in_eKind == DeclKind::kFunction ||
         in_eKind == DeclKind::kPropertyGet || in_eKind == DeclKind::kPropertyLet ||
         in_eKind == DeclKind::kPropertySet;
}

CrossUse UseList::operator[](size_t in_lIndex) const {
  CrossUse u;
  if (in_lIndex >= m_size) return u;
  const size_t b = BlockOf(in_lIndex);
  const UseRecord& r = m_blocks[b][in_lIndex - m_blockStart[b]];
  const auto run =
      std::upper_bound(m_runs.begin(), m_runs.end(), in_lIndex,
                       [](size_t index, const FileRun& fileRun) { return index < fileRun.first; });
  u.module = run == m_runs.begin() ? 0 : std::prev(run)->module;
  u.pos = r.pos;
  u.line = r.line;
  u.column = r.Column();
  u.decl = r.decl;
  u.from = r.from;
  u.kind = r.Kind();
  return u;
}

void UseList::Append(Block&& in_oBlock, const std::vector<FileRun>& in_vRuns) {
  if (in_oBlock.empty()) return;
  for (const FileRun& run : in_vRuns) {
    if (run.first >= in_oBlock.size()) continue;
    // A file without uses of its own gives way to the next one starting at the same use.
    if (!m_runs.empty() && m_runs.back().first == m_size + run.first) m_runs.pop_back();
    m_runs.push_back({m_size + run.first, run.module});
  }
  m_blockStart.push_back(m_size);
  m_size += in_oBlock.size();
  m_blocks.push_back(std::move(in_oBlock));
}

std::string CrossReferences::QualifiedName(int32_t in_lDecl) const {
  std::string out;
  AppendQualifiedName(in_lDecl, out);
  return out;
}

void CrossReferences::AppendQualifiedName(int32_t in_lDecl, std::string& out) const {
  if (in_lDecl < 0 || static_cast<size_t>(in_lDecl) >= decls.size()) return;
  const CrossDeclaration& d = decls[static_cast<size_t>(in_lDecl)];
  if (d.kind != DeclKind::kModule && static_cast<size_t>(d.module) < modules.size()) {
    const int32_t m = modules[static_cast<size_t>(d.module)].decl;
    out.append(decls[static_cast<size_t>(m)].name);
    out += '.';
  }
  if (d.parent >= 0 && static_cast<size_t>(d.parent) < decls.size()) {
    out.append(decls[static_cast<size_t>(d.parent)].name);
    out += '.';
  }
  out.append(d.name);
}

}  // namespace qs

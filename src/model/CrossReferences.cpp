#include "model/CrossReferences.h"

namespace qs {

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
    case Exposure::kImplements:
      return "implements";
    case Exposure::kLateBound:
      return "late-bound";
    case Exposure::kUsed:
    case Exposure::kKept:
      break;
  }
  return "used";
}

CrossUse UseList::operator[](size_t in_lIndex) const {
  CrossUse u;
  if (in_lIndex >= m_size) return u;
  const size_t b = BlockOf(in_lIndex);
  const UseRecord& r = m_blocks[b][in_lIndex - m_blockStart[b]];
  size_t run = m_chunkRun[in_lIndex >> kChunkShift];
  while (run + 1 < m_runs.size() && m_runs[run + 1].first <= in_lIndex) ++run;
  u.module = m_runs[run].module;
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
  // The runs of later blocks start at or after m_size: the chunks up to here are settled.
  for (size_t chunk = m_chunkRun.size(); (chunk << kChunkShift) < m_size; ++chunk) {
    size_t run = m_chunkRun.empty() ? 0 : m_chunkRun.back();
    while (run + 1 < m_runs.size() && m_runs[run + 1].first <= (chunk << kChunkShift)) ++run;
    m_chunkRun.push_back(static_cast<uint32_t>(run));
  }
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

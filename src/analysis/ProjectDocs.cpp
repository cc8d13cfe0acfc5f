#include "analysis/ProjectDocs.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "analysis/ModuleDocs.h"
#include "analysis/ProjectAnalysis.h"
#include "analysis/ProjectContents.h"
#include "analysis/SourcePlaces.h"
#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/clsVBFileType.h"
#include "model/clsVBHeader.h"
#include "text/Cp1252.h"
#include "text/Parallel.h"
#include "text/Yield.h"

namespace qs {

namespace {

bool IsPublic(const clsTokenStream* ts, int32_t pos) {
  if (!ts) return true;
  const std::string_view scope = SourceText::WrittenScope(*ts, pos);
  return scope.empty() || scope == "Public";
}

// What one module gives, before the modules are put together: its comments as ProjectDocs holds
// them, their texts and parameters counted from the module's own.
struct ModuleRead {
  std::vector<ProjectDocs::Comment> comments;
  std::vector<std::pair<ProjectDocs::Text, ProjectDocs::Text>> params;
  std::string text;
  std::vector<std::pair<const void*, uint32_t>> commentOf;  ///< index into comments
  std::vector<ProjectDocs::Warning> warnings;
  ProjectDocs::Module module;

  ProjectDocs::Text Add(const std::string& in_sText) {
    const ProjectDocs::Text t{static_cast<uint32_t>(text.size()),
                              static_cast<uint32_t>(in_sText.size())};
    text += in_sText;
    return t;
  }
  void Keep(const void* in_pRecord, const DocComment& in_oDoc) {
    commentOf.emplace_back(in_pRecord, static_cast<uint32_t>(comments.size()));
    ProjectDocs::Comment& c = comments.emplace_back();
    c.summary = Add(in_oDoc.summary);
    c.description = Add(in_oDoc.description);
    c.returns = Add(in_oDoc.returns);
    c.remarks = Add(in_oDoc.remarks);
    c.author = Add(in_oDoc.author);
    c.date = Add(in_oDoc.date);
    c.firstParam = static_cast<uint32_t>(params.size());
    c.paramCount = static_cast<uint32_t>(in_oDoc.params.size());
    c.source = in_oDoc.source;
    for (const DocParam& p : in_oDoc.params) params.emplace_back(Add(p.name), Add(p.text));
  }
};

// Reads one module: its own comment, each declaration's (checked) and each member's, and counts
// its coverage.
void ReadModule(const ProjectModule& in_oModule, int32_t in_lIndex, ModuleRead& out) {
  YieldPoint();
  if (in_oModule.item == nullptr) return;
  const clsVBHeader* header = in_oModule.item->VBHeader().get();
  ModuleDocs docs;
  docs.Reset(header);
  DocComment doc;
  if (docs.DescribeModule(doc)) out.Keep(in_oModule.item, doc);
  if (in_oModule.entry == nullptr || header == nullptr) return;
  const clsTokenStream* ts = header->TokenStream.get();
  LineIndex lines;
  lines.Reset(ts, header->LineEndsKept ? &header->LineEnds : nullptr, &header->HeldLineEnds);
  std::vector<DeclaredEntry> declared;
  ListDeclarations(*in_oModule.entry, declared);
  std::vector<DocWarning> checked;
  std::unordered_map<std::string, bool> properties;  // lower-case name: documented
  for (const DeclaredEntry& d : declared) {
    YieldPoint();
    const ClsEntryPtr& e = *d.entry;
    const bool described = docs.Describe(e, d.kind, doc);
    if (described) {
      out.Keep(&e, doc);
      checked.clear();
      ModuleDocs::Check(e, doc, checked);
      for (DocWarning& w : checked) {
        const LineIndex::Place place = lines.PlaceOf(w.pos);
        out.warnings.push_back({in_lIndex, place.line, place.column,
                                ModuleDocs::IsCheckedKind(d.kind), std::move(w.message)});
      }
    }
    if ((e.eEntrytype == kEntryEnum || e.eEntrytype == kEntryType) && e.Parameters) {
      for (const auto& member : *e.Parameters)
        if (member && docs.DescribeMember(*member, doc)) out.Keep(member.get(), doc);
    }
    if (!ModuleDocs::IsCheckedKind(d.kind) || !IsPublic(ts, e.lEntryptr)) continue;
    if (IsPropertyKind(d.kind)) {
      bool& documented = properties[Lower1252(e.EntryName)];
      documented = documented || described;
      continue;
    }
    ++out.module.total;
    if (described) ++out.module.documented;
  }
  for (const auto& [name, documented] : properties) {
    ++out.module.total;
    if (documented) ++out.module.documented;
  }
}

}  // namespace

const ProjectDocs::Comment* ProjectDocs::Of(const void* in_pRecord) const {
  const auto it = std::lower_bound(
      commentOf.begin(), commentOf.end(), in_pRecord,
      [](const std::pair<const void*, uint32_t>& a, const void* b) { return a.first < b; });
  if (it == commentOf.end() || it->first != in_pRecord) return nullptr;
  return &comments[it->second];
}

DocComment ProjectDocs::Unpack(const Comment& in_oComment) const {
  DocComment doc;
  doc.summary = View(in_oComment.summary);
  doc.description = View(in_oComment.description);
  doc.returns = View(in_oComment.returns);
  doc.remarks = View(in_oComment.remarks);
  doc.author = View(in_oComment.author);
  doc.date = View(in_oComment.date);
  for (uint32_t k = 0; k < in_oComment.paramCount; ++k) {
    const auto& [name, about] = params[in_oComment.firstParam + k];
    doc.params.push_back({std::string(View(name)), std::string(View(about))});
  }
  doc.source = in_oComment.source;
  return doc;
}

ProjectDocs ReadProjectDocs(const ProjectAnalysis& in_oInfo) {
  const std::vector<ProjectModule>& modules = in_oInfo.Modules();
  std::vector<ModuleRead> read(modules.size());
  ParallelFor(modules.size(),
              [&](size_t i) { ReadModule(modules[i], static_cast<int32_t>(i), read[i]); });
  ProjectDocs docs;
  size_t comments = 0, params = 0, text = 0, warnings = 0;
  for (const ModuleRead& r : read) {
    comments += r.comments.size();
    params += r.params.size();
    text += r.text.size();
    warnings += r.warnings.size();
  }
  docs.comments.reserve(comments);
  docs.commentOf.reserve(comments);
  docs.params.reserve(params);
  docs.text.reserve(std::min<size_t>(text, UINT32_MAX));
  docs.warnings.reserve(warnings);
  docs.modules.reserve(read.size());
  const auto moved = [](ProjectDocs::Text t, uint32_t base) {
    return ProjectDocs::Text{t.start + base, t.size};
  };
  for (ModuleRead& r : read) {
    const auto commentBase = static_cast<uint32_t>(docs.comments.size());
    const auto paramBase = static_cast<uint32_t>(docs.params.size());
    const auto textBase = static_cast<uint32_t>(docs.text.size());
    // The places are 32-bit: comments past 4 GB of texts (sources far larger than any project)
    // are left out.
    if (r.text.size() > UINT32_MAX - docs.text.size()) {
      r.comments.clear();
      r.params.clear();
      r.commentOf.clear();
      r.text.clear();
    }
    docs.text += r.text;
    for (ProjectDocs::Comment c : r.comments) {
      for (ProjectDocs::Text* t :
           {&c.summary, &c.description, &c.returns, &c.remarks, &c.author, &c.date})
        *t = moved(*t, textBase);
      c.firstParam += paramBase;
      docs.comments.push_back(c);
    }
    for (const auto& [name, about] : r.params)
      docs.params.emplace_back(moved(name, textBase), moved(about, textBase));
    for (const auto& [record, index] : r.commentOf)
      docs.commentOf.emplace_back(record, commentBase + index);
    for (ProjectDocs::Warning& w : r.warnings) docs.warnings.push_back(std::move(w));
    docs.modules.push_back(r.module);
    r = ModuleRead();
  }
  std::sort(docs.commentOf.begin(), docs.commentOf.end());
  docs.measured = in_oInfo.FileTypes() && in_oInfo.State().g_oSymTable;
  docs.read = true;
  return docs;
}

}  // namespace qs

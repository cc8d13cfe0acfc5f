#include "analysis/ModuleDocs.h"

#include <unordered_set>

#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/clsVBHeader.h"
#include "text/Cp1252.h"

namespace qs {

namespace {

// The parameters of a procedure (the list also holds the names a default value refers to).
template <class Visit>
void ForEachParameter(const ClsEntryPtr& e, Visit&& visit) {
  if (!e.Parameters) return;
  for (const auto& p : *e.Parameters)
    if (p && std::string_view(p->Scope) != "default") visit(*p);
}

}  // namespace

void ModuleDocs::Reset(const clsVBHeader* in_oHeader) {
  if (!in_oHeader) {
    m_reader.Reset(nullptr, 0);
    return;
  }
  m_reader.Reset(in_oHeader->TokenStream.get(), in_oHeader->CodePtr,
                 in_oHeader->LineEndsKept ? &in_oHeader->LineEnds : nullptr);
}

bool ModuleDocs::Describe(const ClsEntryPtr& in_oEntry, DeclKind in_eKind, DocComment& out) {
  using Target = DocCommentReader::Target;
  Target target = Target::kProcedure;
  if (in_eKind == DeclKind::kEvent) {
    target = Target::kEvent;
  } else if (in_eKind == DeclKind::kDeclare || in_eKind == DeclKind::kEnum ||
             in_eKind == DeclKind::kType) {
    target = Target::kDeclaration;
  } else if (in_eKind == DeclKind::kVariable || in_eKind == DeclKind::kConstant) {
    target = Target::kVariable;
  }
  return m_reader.Describe(in_oEntry.lEntryptr, in_oEntry.EntryName, target, out);
}

bool ModuleDocs::DescribeMember(const ClsEntryPtr& in_oMember, DocComment& out) {
  return m_reader.Describe(in_oMember.lEntryptr, in_oMember.EntryName,
                           DocCommentReader::Target::kMember, out);
}

bool ModuleDocs::DescribeModule(DocComment& out) {
  return m_reader.DescribeModule(out);
}

bool ModuleDocs::IsCheckedKind(DeclKind in_eKind) {
  return IsProcedureKind(in_eKind) || in_eKind == DeclKind::kEvent ||
         in_eKind == DeclKind::kDeclare;
}

void ModuleDocs::Check(const ClsEntryPtr& in_oEntry, const DocComment& in_oDoc,
                       std::vector<DocWarning>& out) {
  if (in_oDoc.params.empty()) return;
  // Both lists by name, letter case ignored, so that a long list costs no more than its length.
  struct NoCaseHash {
    size_t operator()(std::string_view s) const { return HashNoCase1252(s); }
  };
  struct NoCaseEqual {
    bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase1252(a, b); }
  };
  using NameSet = std::unordered_set<std::string_view, NoCaseHash, NoCaseEqual>;
  NameSet signature, documented;
  // An enumeration member written in brackets ("[(n)]") is documented by either spelling.
  ForEachParameter(in_oEntry, [&](const ClsEntryPtr& p) {
    const std::string_view name = p.EntryName;
    signature.insert(name);
    if (name.size() > 2 && name.front() == '[' && name.back() == ']')
      signature.insert(name.substr(1, name.size() - 2));
  });
  for (const DocParam& d : in_oDoc.params) {
    documented.insert(d.name);
    if (!signature.count(d.name)) {
      out.push_back({in_oEntry.lEntryptr, "documented parameter '" + d.name +
                                              "' is not a parameter of " + in_oEntry.EntryName});
    }
  }
  std::string missing;
  bool anyDocumented = false;
  ForEachParameter(in_oEntry, [&](const ClsEntryPtr& p) {
    const std::string_view name = p.EntryName;
    const bool bracketed = name.size() > 2 && name.front() == '[' && name.back() == ']';
    if (documented.count(name) ||
        (bracketed && documented.count(name.substr(1, name.size() - 2)))) {
      anyDocumented = true;
    } else {
      missing += missing.empty() ? "" : ", ";
      missing += p.EntryName;
    }
  });
  if (anyDocumented && !missing.empty()) {
    out.push_back({in_oEntry.lEntryptr, "parameters of " + in_oEntry.EntryName +
                                            " documented in part; undocumented: " + missing});
  }
}

}  // namespace qs

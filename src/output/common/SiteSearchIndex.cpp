#include "output/common/SiteSearchIndex.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "output/common/SiteText.h"

namespace qs {

namespace {

// The kinds the index numbers and the words the results show for them: the words of the site's
// pages, a property's Get, Let and Set all "property". The first twelve keep their numbers from
// the index's first form; declarations of another kind are numbered as variables.
struct KindWord {
  DeclKind kind;
  const char* word;
};
constexpr KindWord kDeclKinds[] = {{DeclKind::kModule, "module"},
                                   {DeclKind::kVariable, "variable"},
                                   {DeclKind::kConstant, "constant"},
                                   {DeclKind::kSub, "sub"},
                                   {DeclKind::kFunction, "function"},
                                   {DeclKind::kPropertyGet, "property"},
                                   {DeclKind::kPropertyLet, "property"},
                                   {DeclKind::kPropertySet, "property"},
                                   {DeclKind::kType, "user type"},
                                   {DeclKind::kEnum, "enum"},
                                   {DeclKind::kEvent, "event"},
                                   {DeclKind::kDeclare, "API declaration"},
                                   {DeclKind::kEnumMember, "enum member"},
                                   {DeclKind::kTypeMember, "type member"},
                                   {DeclKind::kControl, "control"}};
// After them: a menu item, then the module kinds but the plain module (numbered 0), in the order
// of ModuleKind.
constexpr const char* kMenuWord = "menu";
constexpr const char* kModuleKindWords[] = {
    "form", "module", "class", "user control", "property page", "user document", "designer"};
constexpr size_t kMenuKind = std::size(kDeclKinds);
constexpr size_t kFirstModuleKind = kMenuKind + 1;

size_t DeclKindNumber(DeclKind in_eKind) {
  for (size_t k = 0; k < std::size(kDeclKinds); ++k)
    if (kDeclKinds[k].kind == in_eKind) return k;
  return 1;
}

void AppendNumber(std::string& out, int64_t in_nValue) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, in_nValue);
  out.append(digits, result.ptr);
}

}  // namespace

const char* SiteSearchIndex::WordOf(DeclKind in_eKind) {
  return kDeclKinds[DeclKindNumber(in_eKind)].word;
}

const char* SiteSearchIndex::WordOf(ModuleKind in_eKind) {
  const auto k = static_cast<size_t>(in_eKind);
  return k < std::size(kModuleKindWords) ? kModuleKindWords[k] : "module";
}

void SiteSearchIndex::AddModule(std::string_view in_sLabelUtf8, std::string_view in_sNameUtf8,
                                std::string_view in_sPage, ModuleKind in_eKind) {
  if (m_moduleCount > 0) m_modules += ",\n";
  m_modules += '[';
  SiteText::AppendJsString(m_modules, in_sLabelUtf8);
  m_modules += ',';
  SiteText::AppendJsString(m_modules, in_sPage);
  m_modules += ']';
  ++m_moduleCount;
  AddEntry(in_sNameUtf8,
           in_eKind == ModuleKind::kModule ? 0 : kFirstModuleKind + static_cast<size_t>(in_eKind),
           {});
}

void SiteSearchIndex::AddDeclaration(std::string_view in_sNameUtf8, DeclKind in_eKind,
                                     std::string_view in_sAnchor) {
  AddEntry(in_sNameUtf8, DeclKindNumber(in_eKind), in_sAnchor);
}

void SiteSearchIndex::AddControl(std::string_view in_sNameUtf8, bool in_bMenu,
                                 std::string_view in_sAnchor) {
  AddEntry(in_sNameUtf8, in_bMenu ? kMenuKind : DeclKindNumber(DeclKind::kControl), in_sAnchor);
}

// The name, kind and module of an entry, and its id on the module's page.
void SiteSearchIndex::AddEntry(std::string_view in_sNameUtf8, size_t in_nKind,
                               std::string_view in_sAnchor) {
  if (!m_entries.empty()) m_entries += ",\n";
  SiteText::AppendJsString(m_entries, in_sNameUtf8);
  m_entries += ',';
  AppendNumber(m_entries, static_cast<int64_t>(in_nKind));
  m_entries += ',';
  AppendNumber(m_entries, m_moduleCount - 1);
  m_entries += ',';
  SiteText::AppendJsString(m_entries, in_sAnchor);
}

std::array<std::string_view, 5> SiteSearchIndex::Pieces() const {
  // The kinds' list, the same for every index.
  static const std::string kHead = [] {
    std::string head = "window.QS_SEARCH={k:[";
    for (const KindWord& kind : kDeclKinds) {
      SiteText::AppendJsString(head, kind.word);
      head += ',';
    }
    SiteText::AppendJsString(head, kMenuWord);
    for (const char* word : kModuleKindWords) {
      head += ',';
      SiteText::AppendJsString(head, word);
    }
    return head + "],\nm:[";
  }();
  return {kHead, m_modules, "],\nd:[", m_entries, "]};\n"};
}

std::string SiteSearchIndex::Text() const {
  std::string text;
  for (const std::string_view piece : Pieces()) text.append(piece);
  return text;
}

}  // namespace qs

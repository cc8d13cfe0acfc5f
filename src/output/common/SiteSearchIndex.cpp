#include "output/common/SiteSearchIndex.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "output/common/SiteText.h"

namespace qs {

namespace {

// The kinds the index numbers, in the order of its list of kind words (DeclKindName); any other
// kind is numbered after them.
constexpr DeclKind kKinds[] = {
    DeclKind::kModule,   DeclKind::kVariable,    DeclKind::kConstant,    DeclKind::kSub,
    DeclKind::kFunction, DeclKind::kPropertyGet, DeclKind::kPropertyLet, DeclKind::kPropertySet,
    DeclKind::kType,     DeclKind::kEnum,        DeclKind::kEvent,       DeclKind::kDeclare};

void AppendNumber(std::string& out, int64_t in_nValue) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, in_nValue);
  out.append(digits, result.ptr);
}

}  // namespace

void SiteSearchIndex::AddModule(std::string_view in_sLabelUtf8, std::string_view in_sNameUtf8,
                                std::string_view in_sPage) {
  if (m_moduleCount > 0) m_modules += ",\n";
  m_modules += '[';
  SiteText::AppendJsString(m_modules, in_sLabelUtf8);
  m_modules += ',';
  SiteText::AppendJsString(m_modules, in_sPage);
  m_modules += ']';
  ++m_moduleCount;
  AddEntry(in_sNameUtf8, 0, {});
}

void SiteSearchIndex::AddDeclaration(std::string_view in_sNameUtf8, DeclKind in_eKind,
                                     std::string_view in_sAnchor) {
  const auto kind = static_cast<size_t>(std::find(std::begin(kKinds), std::end(kKinds), in_eKind) -
                                        std::begin(kKinds));
  AddEntry(in_sNameUtf8, kind, in_sAnchor);
}

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
    for (size_t k = 0; k < std::size(kKinds); ++k) {
      if (k > 0) head += ',';
      SiteText::AppendJsString(head, DeclKindName(kKinds[k]));
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

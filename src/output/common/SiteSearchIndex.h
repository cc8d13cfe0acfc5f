// The search index of a documentation site (search-index.js, which the site's script loads when
// its search box is first used): shared by the project site and the estate page.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/Kinds.h"

namespace qs {

/// Builds the script "window.QS_SEARCH={k:[kinds],\nm:[[label,page],...],\nd:[...]};": the
/// kinds as the site's pages name them ("property", "enum member", "class"), the modules (the
/// label the results show, the page they link to) and four values per name (name, kind number,
/// module number, the id on the module's page (SiteText::AnchorNames), or "" for the module
/// itself).
class SiteSearchIndex {
 public:
  /// Adds a module (UTF-8 label and name, page link, kind) and its own entry; its declarations
  /// follow.
  void AddModule(std::string_view in_sLabelUtf8, std::string_view in_sNameUtf8,
                 std::string_view in_sPage, ModuleKind in_eKind = ModuleKind::kModule);
  /// Adds a declaration of the last module added: its UTF-8 name, its kind (DeclaredEntry::kind)
  /// and its id on the module's page (SiteText::AnchorNames). An enum's or a type's member is
  /// added with the id of its enum or type.
  void AddDeclaration(std::string_view in_sNameUtf8, DeclKind in_eKind,
                      std::string_view in_sAnchor);
  /// Adds a control (in_bMenu: a menu item) of the last module added, found at the id of that
  /// name on its page ("controls", "menus").
  void AddControl(std::string_view in_sNameUtf8, bool in_bMenu, std::string_view in_sAnchor);
  /// The word the pages use for a declaration's kind ("property" for a Get, Let or Set) and for
  /// a module's kind ("class").
  static const char* WordOf(DeclKind in_eKind);
  static const char* WordOf(ModuleKind in_eKind);
  /// The whole script.
  std::string Text() const;
  /// The script in five pieces to be written one after another (what Text() joins), so that it
  /// is not held twice.
  std::array<std::string_view, 5> Pieces() const;

 private:
  void AddEntry(std::string_view in_sNameUtf8, size_t in_nKind, std::string_view in_sAnchor);
  std::string m_modules;
  std::string m_entries;
  int64_t m_moduleCount = 0;
};

}  // namespace qs

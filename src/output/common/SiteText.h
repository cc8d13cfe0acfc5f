// Texts the HTML outputs share: escaping for the report's code page 1252 pages and for the UTF-8
// pages of the site and the estate, script strings, and the names of the site's pages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>

#include "model/Kinds.h"

namespace qs {

/// The value with "&", "<" and ">" written as "&amp;", "&lt;" and "&gt;". Every value that comes
/// from an input file or the file system goes through this before it enters the report.
std::string HtmlEscape(std::string_view in_sValue);

/// Texts of the site's files.
namespace SiteText {
/// Appends UTF-8 text to HTML with &, <, >, " and ' escaped.
void AppendHtml(std::string& out, std::string_view in_sUtf8);
/// Appends UTF-8 text as a quoted script string ("\"", "\\", control characters and "<"
/// escaped); DOT takes the same form.
void AppendJsString(std::string& out, std::string_view in_sUtf8);
/// A page's file name part made of a module name: letters, digits and "_" of ASCII kept (at
/// most 60 bytes), every other byte written as "_".
std::string FileNamePart(std::string_view in_sName);
/// The page of the module listed at in_nIndex (from 0) in the project's order, named
/// in_sName (project-file bytes): "m3-frmMain.html".
std::string ModulePage(size_t in_nIndex, std::string_view in_sName);
/// A menu shortcut as the form header writes it ("^N", "+{F5}", "{DEL}") as a reader says it
/// ("Ctrl+N", "Shift+F5", "Del").
std::string ShortcutText(std::string_view in_sWritten);

/// The ids of the declarations of one module page, by name so that links from elsewhere survive
/// a new run: "Left"; "get-Left", "let-Left" and "set-Left" for a property's procedures; a
/// second declaration of an id taken "Left-1" (then "-2", ...); "Left" also for the first
/// procedure of a property. Letters, digits and "_" are
/// kept (UTF-8 letters too); any other byte becomes "_", so that an id needs no escaping in
/// HTML or in a link. The page's own section ids are taken from the start. Given the same
/// declarations in the same order, the ids are the same.
class AnchorNames {
 public:
  AnchorNames();
  /// Appends the id of the next declaration (UTF-8 name, kind) to out. For a property's
  /// procedure whose own id is not numbered, its name alone ("Left") is taken too, for the
  /// property as a whole, when it is free: then true (the id without its "get-" is that name).
  bool Append(std::string& out, std::string_view in_sNameUtf8, DeclKind in_eKind);

 private:
  std::unordered_set<std::string> m_taken;
  std::string m_id;
};
}  // namespace SiteText

}  // namespace qs

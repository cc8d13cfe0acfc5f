// Texts the HTML outputs share: escaping for the report's code page 1252 pages and for the UTF-8
// pages of the site and the estate, script strings, and the names of the site's pages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

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
}  // namespace SiteText

}  // namespace qs

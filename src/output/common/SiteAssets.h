// The site's style sheet and script, written into every site (and estate site) as site.css and
// site.js. They are the files site.css and site.js of this folder, built into the program
// (cmake/EmbedFile.cmake generates the definitions of these functions from them): edit those.
#pragma once

#include <string_view>

namespace qs {

/// Light and dark colours (following the system setting), the navigation bar, the module side
/// panel, tables, declarations and source lines; from 1280 px wide down to a narrow window.
std::string_view SiteStyleSheet();

/// Fills the side panel from modules.js (scrolled to the page's module, the page left at its
/// top), and answers the search box from search-index.js (loaded when the box is first used):
/// names found by prefix, then by substring, letter case ignored, "Module.Name" in that module;
/// arrow keys, Enter and Escape; a link to the search page listing all the results. Keeps the
/// anchors' margin at the top bar's height. Opens the disclosure holding a line that the address
/// points at.
std::string_view SiteScript();

}  // namespace qs

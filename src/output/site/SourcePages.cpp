// The source pages: every module's file with numbered lines, its comments, strings and keywords
// marked for the style sheet, the names that stand for a declaration linked to it; a long file
// on several pages.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "analysis/SourcePlaces.h"
#include "model/clsVBHeader.h"
#include "output/site/SiteBuilder.h"
#include "text/TokenCodes.h"
#include "text/clsTokenStream.h"

namespace qs::site {

namespace {

// The lines of a module that conditional compilation leaves out, met in order as its source is
// written: each is dimmed (a span of its own, for the style sheet), its names unlinked.
class DimmedLines {
 public:
  DimmedLines(const SiteExtras& extras, const clsVBFileType& item) {
    if (extras.inactiveLinesOf) extras.inactiveLinesOf(item, m_lines);
  }
  /// At the start of a line: opens its span when it is left out.
  void Open(std::string& body, int32_t line) {
    while (m_next < m_lines.size() && m_lines[m_next].second < line) ++m_next;
    m_dim = m_next < m_lines.size() && m_lines[m_next].first <= line;
    if (m_dim) body += "<span class=\"off\">";
  }
  /// At the end of a line.
  void Close(std::string& body) {
    if (m_dim) body += "</span>";
    m_dim = false;
  }
  bool Dim() const { return m_dim; }

 private:
  std::vector<std::pair<int32_t, int32_t>> m_lines;
  size_t m_next = 0;
  bool m_dim = false;
};

// A block of source lines numbered from line.
void OpenPre(std::string& body, int32_t line) {
  body += "<pre class=\"src\" style=\"counter-reset:ln ";
  AppendNumber(body, line - 1);
  body += "\">";
}

// A block from line on: the header's lines (up to headerLines) collapsed under a summary.
void OpenBlock(std::string& body, int32_t line, int32_t headerLines) {
  if (line <= headerLines) {
    body += "<details class=\"header\"><summary>Header (lines ";
    AppendNumber(body, line);
    body += "\xE2\x80\x93";
    AppendNumber(body, headerLines);
    body += ")</summary>";
  }
  OpenPre(body, line);
}

// The end of a block; of the header's lines' collapsed block too.
const char* CloseBlock(bool header) {
  return header ? "</pre></details>\n" : "</pre>\n";
}

// Gives piece each part of the text before a line end and calls lineEnd(at the text's end) at
// each line end, until it returns false; gives piece the rest and returns it.
template <class Piece, class LineEnd>
std::string_view SplitAtLineEnds(std::string_view text, Piece&& piece, LineEnd&& lineEnd) {
  for (size_t end = text.find_first_of("\r\n"); end != std::string_view::npos;
       end = text.find_first_of("\r\n")) {
    piece(text.substr(0, end));
    text.remove_prefix(
        end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1));
    if (!lineEnd(text.empty())) break;
  }
  piece(text);
  return text;
}

}  // namespace

int32_t SiteBuilder::CollapsedHeaderLines(Worker& w, const SiteModule& m) const {
  // The header's lines (before the line of the code's first token) are collapsed.
  const clsTokenStream* ts = m.stream;
  w.lines.Reset(ts, m.header && m.header->LineEndsKept ? &m.header->LineEnds : nullptr,
                m.header ? &m.header->HeldLineEnds : nullptr);
  if (!m.header || m.header->CodePtr <= 0 || !ts) return 0;
  const int32_t headerLines =
      w.lines.PlaceOf(std::min(m.header->CodePtr, ts->Count() - 1)).line - 1;
  return headerLines < 2 ? 0 : headerLines;
}

void SiteBuilder::SortedNamesIn(Worker& w, const SiteModule& m) const {
  std::vector<SiteName>& names = w.names;
  names.clear();
  if (m_options.extras.namesIn) m_options.extras.namesIn(*m.source.item, names);
  const auto before = [](const SiteName& a, const SiteName& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  };
  if (!std::is_sorted(names.begin(), names.end(), before))
    std::sort(names.begin(), names.end(), before);
}

void SiteBuilder::WriteSourcePart(Worker& w, const SiteModule& m, std::string_view fileHtml,
                                  int part, int32_t first, int32_t last, bool more) {
  std::string& page = w.page;
  page.clear();
  std::string title = "Source of " + m.nameHtml;
  PageStart(page, title, static_cast<int>(&m - m_modules.data()));
  page += "<h1>";
  page += fileHtml;
  page += "</h1>\n<p class=\"meta\">Source of <a href=\"";
  page += m.page;
  page += "\">";
  page += m.nameHtml;
  page += "</a> \xC2\xB7 ";
  AppendNumber(page, w.lines.Lines());
  page += " lines</p>\n";
  std::string nav;
  if (part > 0 || more) {
    nav += "<p class=\"parts\">Lines ";
    AppendNumber(nav, first);
    nav += "\xE2\x80\x93";
    AppendNumber(nav, last);
    if (part > 0) {
      nav += " <a href=\"" + m.sourceBase;
      if (part > 1) nav += "-" + std::to_string(part);
      nav += ".html\">previous part</a>";
    }
    if (more)
      nav +=
          " <a href=\"" + m.sourceBase + "-" + std::to_string(part + 2) + ".html\">next part</a>";
    nav += "</p>\n";
  }
  std::string end;
  PageEnd(end);
  std::string path = m_folder + "/" + m.sourceBase;
  if (part > 0) path += "-" + std::to_string(part + 1);
  path += ".html";
  WriteFile(path, {page, nav, w.body, nav, end});
  w.body.clear();
}

// A name of the source: a link to the declaration or the module page it stands for, when it has
// one; else its text alone.
void SiteBuilder::WriteNameText(Worker& w, const SiteName* name, std::string_view text) {
  std::string& body = w.body;
  const AnchorTable::Anchor* target = nullptr;
  const SiteModule* page = nullptr;  // a module named: its page
  if (name) {
    target = m_anchors.Find(name->entry);
    if (!target && name->module) page = ModuleOf(name->module);
  }
  if (target || page) {
    Put(body, "<a href=\"");
    body += target ? m_modules[target->module].page : page->page;
    if (target) {
      body += '#';
      body += m_modules[target->module].Anchor(target->index);
    }
    Put(body, "\">");
  }
  Source(w, body, text);
  if (target || page) Put(body, "</a>");
}

void SiteBuilder::WriteSourcePages(Worker& w, SiteModule& m) {
  const clsTokenStream* ts = m.stream;
  const int32_t count = ts ? ts->Count() : 0;
  const int32_t headerLines = CollapsedHeaderLines(w, m);
  std::string fileHtml;
  Source(w, fileHtml, FileOf(*m.source.item));

  int part = 0;
  int32_t line = 1;
  int32_t partFirst = 1;
  std::string& body = w.body;
  // Each line opens with its anchor; the style sheet numbers the anchors (a counter that each
  // block starts at its first line) and the script makes a click on one go to its line, which
  // keeps the pages small.
  DimmedLines dimmed(m_options.extras, *m.source.item);
  const auto openLine = [&] {
    Put(body, "<a id=L");
    AppendNumber(body, line);
    Put(body, "></a>");
    dimmed.Open(body, line);
  };
  const auto openPre = [&] { OpenPre(body, line); };
  const auto openBlock = [&] { OpenBlock(body, line, headerLines); };
  const auto closeBlock = [&](int32_t last) { body += CloseBlock(last <= headerLines); };
  const auto flushPart = [&](int32_t last, bool more) {
    WriteSourcePart(w, m, fileHtml, part, partFirst, last, more);
  };
  // The names that stand for a declaration (those with a module page become links).
  SortedNamesIn(w, m);
  const std::vector<SiteName>& names = w.names;

  body.clear();
  openBlock();
  if (count > 0) openLine();
  int32_t column = 1;   // of the token at p, in bytes
  size_t nextName = 0;  // the first name not yet reached
  // Short elements the style sheet colours: a comment <i>, a string <u>, a keyword <b>; their
  // opening and closing tags at 7 * (tag - 1) and 3 bytes on in kTags. A tag stays open over
  // blanks to the next token of its kind ("<b>End If</b>") and closes at the line's end.
  static constexpr char kTags[] = "<i></i><u></u><b></b>";
  int open = 0;  // the tag open, 0 for none
  const auto closeTag = [&] {
    if (open) body.append(kTags + 7 * (open - 1) + 3, 4);
    open = 0;
  };
  // Ends the line; false at the file's last line end, which opens no line.
  const auto endLine = [&](bool last) {
    closeTag();
    dimmed.Close(body);
    column = 1;
    body += '\n';
    if (last) return false;
    const int32_t ended = line++;
    if (body.size() >= m_options.sourcePageBytes) {
      closeBlock(ended);
      flushPart(ended, true);
      m.partStarts.push_back(line);
      partFirst = line;
      ++part;
      openBlock();
    } else if (ended == headerLines) {
      Put(body, "</pre></details>\n");
      openPre();
    }
    openLine();
    return true;
  };
  for (int32_t p = 0; p < count; ++p) {
    YieldPoint();
    const int32_t code = ts->TokenCodeAt(p);
    const std::string_view text = ts->TokenStringAt(p);
    const int32_t at = column;
    column += static_cast<int32_t>(text.size());
    if (code == TokWhiteSpace) {
      Source(w, body, text);
      continue;
    }
    if (code == TokEndOfLine) {
      if (!endLine(p + 1 >= count)) break;
      continue;
    }
    const int tag = code == TokComment ? 1 : code == TokString ? 2 : code > TokIdentifier ? 3 : 0;
    if (tag != open) {
      closeTag();
      if (tag) body.append(kTags + 7 * (tag - 1), 3);
      open = tag;
    }
    if (MayHoldLineEnds(code, text) && LineEndsIn(text).count > 0) {
      // A string left open runs on across lines (a damaged file): each line numbered as any.
      const std::string_view rest = SplitAtLineEnds(
          text, [&](std::string_view piece) { Source(w, body, piece); },
          [&](bool atEnd) {
            if (!endLine(atEnd && p + 1 >= count)) return false;
            if (tag) body.append(kTags + 7 * (tag - 1), 3);
            open = tag;
            return true;
          });
      column = 1 + static_cast<int32_t>(rest.size());
      continue;
    }
    // A name that stands for a declaration with a page links to it.
    while (nextName < names.size() &&
           (names[nextName].line < line ||
            (names[nextName].line == line && names[nextName].column < at)))
      ++nextName;
    const bool named = nextName < names.size() && names[nextName].line == line &&
                       names[nextName].column == at && !dimmed.Dim();
    WriteNameText(w, named ? &names[nextName] : nullptr, text);
  }
  closeTag();
  dimmed.Close(body);
  closeBlock(line);
  flushPart(line, false);
}

}  // namespace qs::site

// The module pages: a module's declarations by kind with their signatures, doc comments, uses,
// callers and callees (and a call picture of them, drawn here as SVG); the controls, menus and
// event handlers of a form-like module.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>

#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/ClsSymEntry.h"
#include "model/clsVBHeader.h"
#include "output/site/SiteBuilder.h"
#include "text/Cp1252.h"

namespace qs::site {

namespace {

// Appends name="number" attributes, each after a blank.
void AppendAttributes(std::string& out,
                      std::initializer_list<std::pair<const char*, int64_t>> in_attributes) {
  for (const auto& [name, value] : in_attributes) {
    out += ' ';
    out += name;
    out += "=\"";
    AppendNumber(out, value);
    out += '"';
  }
}

// True when the line only gives the summary under a label ("Purpose: text", "DESCRIPTION: text").
bool GivesSummary(std::string_view line, std::string_view summary) {
  if (summary.empty() || line.size() <= summary.size() ||
      line.substr(line.size() - summary.size()) != summary)
    return false;
  const std::string_view label = line.substr(0, line.size() - summary.size());
  const size_t colon = label.find(':');
  return colon != std::string_view::npos && colon > 0 &&
         label.find_first_not_of(" \t", colon + 1) == std::string_view::npos;
}

}  // namespace

void SiteBuilder::WriteDocLines(Worker& w, std::string_view text, std::string_view summary,
                                std::string& out) const {
  // Each line of the description as written: a paragraph, a heading line ("Created: ...") or a
  // list item ("- ", "* "), the items one after the other in one list.
  bool inList = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (GivesSummary(line, summary)) continue;
    const bool item = line.size() >= 2 && (line[0] == '-' || line[0] == '*') && line[1] == ' ';
    if (item != inList) out += item ? "<ul>" : "</ul>";
    inList = item;
    if (item) line.remove_prefix(2);
    out += item ? "<li>" : "<p>";
    Source(w, out, line);
    out += item ? "</li>" : "</p>";
  }
  if (inList) out += "</ul>";
}

void SiteBuilder::WriteDoc(Worker& w, const SiteDoc& doc, std::string& out) const {
  out += "<div class=\"doc\">";
  if (!doc.summary.empty()) {
    out += "<p class=\"summary\">";
    Source(w, out, doc.summary);
    out += "</p>";
  }
  WriteDocLines(w, doc.description, doc.summary, out);
  if (!doc.params.empty()) {
    out += "<dl class=\"params\">";
    for (const auto& [name, about] : doc.params) {
      out += "<dt><code>";
      Source(w, out, name);
      out += "</code></dt><dd>";
      Source(w, out, about);
      out += "</dd>";
    }
    out += "</dl>";
  }
  const std::pair<const char*, const std::string_view*> parts[] = {{"Returns", &doc.returns},
                                                                   {"Remarks", &doc.remarks},
                                                                   {"Author", &doc.author},
                                                                   {"Date", &doc.date}};
  for (const auto& [label, text] : parts) {
    if (text->empty()) continue;
    out += "<p><b>";
    out += label;
    out += ":</b> ";
    Source(w, out, *text);
    out += "</p>";
  }
  out += "</div>";
}

void SiteBuilder::WriteDeclaration(Worker& w, const SiteModule& m, size_t k, std::string& out) {
  const DeclaredEntry& d = m.declared[k];
  const ClsEntryPtr& e = *d.entry;
  out += "<div class=\"decl\" id=\"";
  out += m.Anchor(k);
  out += "\">";
  // The first procedure of a property holds the property's own id too.
  if (std::binary_search(m.wholeProperties.begin(), m.wholeProperties.end(),
                         static_cast<uint32_t>(k))) {
    out += "<a class=\"whole\" id=\"";
    out += m.Anchor(k).substr(4);
    out += "\"></a>";
  }
  out += "<code class=\"sig\">";
  WriteSignature(w, static_cast<uint32_t>(&m - m_modules.data()), w.Signature(k), out);
  out += "</code>";
  const int32_t line = w.lines.PlaceOf(e.lEntryptr).line;
  if (line > 0) {
    out += "<a class=\"where\" href=\"";
    AppendSourceHref(out, m, line);
    out += "\">line ";
    AppendNumber(out, line);
    out += "</a>";
  }
  if ((e.eEntrytype == kEntryEnum || e.eEntrytype == kEntryType) && e.Parameters &&
      e.Parameters->Count() > 0) {
    out += "<div class=\"more\">Members: ";
    bool first = true;
    for (const auto& member : *e.Parameters) {
      if (!member) continue;
      if (!first) out += ", ";
      first = false;
      out += "<code>";
      Source(w, out, member->EntryName);
      out += "</code>";
    }
    out += "</div>";
  }
  if (w.docs[k]) WriteDoc(w, *w.docs[k], out);
  // Cross references plug in here (SiteExtras::usesOf, callersOf, calleesOf).
  if (m_options.extras.usesOf) {
    w.uses.clear();
    m_options.extras.usesOf(e, w.uses);
    WriteUses(w, out);
  }
  const std::function<void(const ClsEntryPtr&, std::vector<const ClsEntryPtr*>&)>* const lists[] = {
      &m_options.extras.calleesOf, &m_options.extras.callersOf};
  for (size_t side = 0; side < 2; ++side) {
    std::vector<const ClsEntryPtr*>& entries = w.calls[side];
    entries.clear();
    if (!*lists[side] || !IsProcedureKind(d.kind)) continue;
    (*lists[side])(e, entries);
    SortCalls(entries);
    WriteCalls(w, side == 0 ? "Calls" : "Called by", side == 0 ? "procedure" : "caller", entries,
               out);
  }
  if (!w.calls[0].empty() || !w.calls[1].empty()) WriteCallPicture(w, m, k, out);
  out += "</div>\n";
}
// A procedure's call picture, drawn here as SVG in the page: its callers, itself and its
// callees in three columns of boxes, each box a link to its declaration; at most kCallNodes on
// either side (the first ones, and a line saying how many more there are). Drawn without dot:
// dot for every procedure took more than the site's time.
void SiteBuilder::WriteCallPicture(Worker& w, const SiteModule& m, size_t k, std::string& out) {
  constexpr size_t kCallNodes = 12;
  constexpr int kRow = 24, kBox = 18, kGap = 56, kCharWidth = 7, kPad = 12, kMaxChars = 40;
  // The labels: a declaration of another module is named with its module.
  struct Label {
    size_t from, to;  ///< in w.dot (UTF-8, not yet escaped)
    int chars;
    bool cut;  ///< shortened to kMaxChars characters
    const ClsEntryPtr* entry;
  };
  std::string& text = w.dot;
  text.clear();
  Label labels[2 * kCallNodes + 1];
  size_t count = 0;
  const auto label = [&](const ClsEntryPtr* entry) {
    const size_t from = text.size();
    const AnchorTable::Anchor* anchor = m_anchors.Find(entry);
    if (anchor != nullptr && anchor->module != static_cast<uint32_t>(&m - m_modules.data())) {
      text += m_modules[anchor->module].nameUtf8;
      text += '.';
    }
    w.cp.Append(text, entry->EntryName);
    int chars = 0;
    size_t end = from;
    for (; end < text.size() && chars < kMaxChars; ++end)
      chars += (static_cast<unsigned char>(text[end]) & 0xC0) != 0x80;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    labels[count++] = {from, end, chars, end < text.size(), entry};
  };
  const size_t shown[2] = {std::min(w.calls[1].size(), kCallNodes),
                           std::min(w.calls[0].size(), kCallNodes)};  // callers, callees
  for (size_t n = 0; n < shown[0]; ++n) label(w.calls[1][n]);
  label(m.declared[k].entry);
  for (size_t n = 0; n < shown[1]; ++n) label(w.calls[0][n]);
  // Column widths from the longest label of each, rows from the longer side.
  int width[3] = {0, 0, 0};
  for (size_t i = 0; i < count; ++i) {
    const int column = i < shown[0] ? 0 : i == shown[0] ? 1 : 2;
    width[column] = std::max(width[column], labels[i].chars * kCharWidth + 2 * kPad);
  }
  const bool more[2] = {w.calls[1].size() > shown[0], w.calls[0].size() > shown[1]};
  const size_t rows = std::max<size_t>(
      {shown[0] + (more[0] ? 1 : 0), shown[1] + (more[1] ? 1 : 0), static_cast<size_t>(1)});
  const int height = static_cast<int>(rows) * kRow + 4;
  int x[3] = {2, 0, 0};
  x[1] = x[0] + width[0] + (width[0] > 0 ? kGap : 0);
  x[2] = x[1] + width[1] + kGap;
  const int total = x[2] + width[2] + 2;
  const auto top = [&](size_t row, size_t of) {
    return static_cast<int>((rows - of) * kRow / 2 + row * kRow) + (kRow - kBox) / 2 + 2;
  };
  out += "<svg class=\"calls\"";
  AppendAttributes(out, {{"width", total}, {"height", height}});
  out += " viewBox=\"0 0 ";
  AppendNumber(out, total);
  out += ' ';
  AppendNumber(out, height);
  out += "\" role=\"img\" aria-label=\"Callers and callees\">";
  const int middle = top(0, 1) + kBox / 2;
  // Arrows first, under the boxes: from each caller to the procedure, from it to each callee.
  const auto arrow = [&](int x1, int y1, int x2, int y2) {
    // A path step: the command letter and the point.
    const auto step = [&out](char command, int64_t px, int64_t py) {
      out += command;
      AppendNumber(out, px);
      out += ' ';
      AppendNumber(out, py);
    };
    out += "<path d=\"";
    step('M', x1, y1);
    step('L', x2, y2);
    // The head: two short strokes back from the tip, along the arrow's direction.
    const double dx = x2 - x1, dy = y2 - y1, len = std::max(1.0, std::hypot(dx, dy));
    const double ux = dx / len, uy = dy / len;
    for (const int sign : {1, -1}) {
      step('M', std::lround(x2 - 7 * ux + sign * 3.5 * uy),
           std::lround(y2 - 7 * uy - sign * 3.5 * ux));
      step('L', x2, y2);
    }
    out += "\"/>";
  };
  for (size_t n = 0; n < shown[0]; ++n)
    arrow(x[0] + width[0], top(n, shown[0] + more[0]) + kBox / 2, x[1], middle);
  for (size_t n = 0; n < shown[1]; ++n)
    arrow(x[1] + width[1], middle, x[2], top(n, shown[1] + more[1]) + kBox / 2);
  const auto box = [&](const Label& l, int left, int width1, int y, bool self) {
    w.raw.clear();
    const bool linked = AnchorOf(l.entry, w.raw);
    if (linked) {
      out += "<a href=\"";
      out += w.raw;
      out += "\">";
    }
    out += self ? "<rect class=\"self\"" : "<rect";
    AppendAttributes(out, {{"x", left}, {"y", y}, {"width", width1}, {"height", kBox}, {"rx", 4}});
    out += "/><text";
    AppendAttributes(out, {{"x", left + kPad}, {"y", y + kBox - 5}});
    out += '>';
    AppendHtml(out, std::string_view(text).substr(l.from, l.to - l.from));
    if (l.cut) out += "\xE2\x80\xA6";
    out += "</text>";
    if (linked) out += "</a>";
  };
  for (size_t n = 0; n < shown[0]; ++n)
    box(labels[n], x[0], width[0], top(n, shown[0] + more[0]), false);
  box(labels[shown[0]], x[1], width[1], top(0, 1), true);
  for (size_t n = 0; n < shown[1]; ++n)
    box(labels[shown[0] + 1 + n], x[2], width[2], top(n, shown[1] + more[1]), false);
  for (size_t side = 0; side < 2; ++side) {
    if (!more[side]) continue;
    out += "<text class=\"more\"";
    AppendAttributes(
        out, {{"x", x[side * 2] + kPad}, {"y", top(shown[side], shown[side] + 1) + kBox - 5}});
    out += '>';
    AppendNumber(out, static_cast<int64_t>(w.calls[1 - side].size() - shown[side]));
    out += " more</text>";
  }
  out += "</svg>";
}

// Event handlers: procedures named Control_Event (the outermost control by its kind's word,
// Form_Load), found by the longest control name that starts the procedure's name.
void SiteBuilder::FindHandlers(const SiteModule& m, const std::vector<ControlNode>& controls,
                               std::vector<std::vector<size_t>>& handlers) {
  std::unordered_map<std::string, size_t> byName;
  std::string key;
  for (size_t i = 0; i < controls.size(); ++i) {
    std::string_view name = controls[i].record->sName;
    if (i == 0 && controls[i].parent < 0) {
      name = controls[i].record->sType;
      if (const size_t dot = name.rfind('.'); dot != std::string_view::npos)
        name.remove_prefix(dot + 1);
    }
    key.clear();
    for (const char c : name) key += static_cast<char>(ToLower1252(static_cast<unsigned char>(c)));
    byName.emplace(key, i);
  }
  handlers.assign(controls.size(), {});
  for (size_t k = 0; k < m.declared.size(); ++k) {
    const DeclKind kind = m.declared[k].kind;
    if (kind != DeclKind::kSub && kind != DeclKind::kFunction) continue;
    const std::string& name = m.declared[k].entry->EntryName;
    key.clear();
    size_t found = SIZE_MAX;
    for (size_t c = 0; c < name.size(); ++c) {
      if (name[c] == '_' && c > 0 && c + 1 < name.size()) {
        if (const auto it = byName.find(key); it != byName.end()) found = it->second;
      }
      key += static_cast<char>(ToLower1252(static_cast<unsigned char>(name[c])));
    }
    if (found != SIZE_MAX) handlers[found].push_back(k);
  }
}

// Control arrays: the elements of one name (blocks with an Index) are shown as one control, at
// the first, named with their indexes in order, runs shortened ("(0 to 26)", "(1, 3 to 5)" in
// indexes); a later element is shown on its own only when it holds controls. Event handlers go
// to the first (FindHandlers gives a name's handlers to its first control).
void SiteBuilder::FindControlArrays(Worker& w, const SiteModule& m,
                                    std::vector<std::string>& indexes, std::vector<char>& shown) {
  const std::vector<ControlNode>& controls = w.controls;
  indexes.assign(controls.size(), {});
  shown.assign(controls.size(), 1);
  std::unordered_map<std::string, size_t> first;
  std::vector<std::vector<int64_t>> numbers(controls.size());
  std::string key;
  for (size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].indexPos < 0) continue;
    key.clear();
    for (const char c : controls[i].record->sName)
      key += static_cast<char>(ToLower1252(static_cast<unsigned char>(c)));
    const auto [at, added] = first.emplace(key, i);
    w.raw.clear();
    int64_t number = 0;
    if (!SourceText::AppendValue(*m.stream, controls[i].indexPos, w.raw)) continue;
    const auto parsed = std::from_chars(w.raw.data(), w.raw.data() + w.raw.size(), number);
    if (parsed.ec != std::errc()) continue;
    numbers[at->second].push_back(number);
    if (!added) shown[i] = 0;
  }
  for (size_t i = 0; i < controls.size(); ++i) {
    std::vector<int64_t>& list = numbers[i];
    if (list.empty()) continue;
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    std::string& text = indexes[i];
    text = "(";
    for (size_t n = 0; n < list.size();) {
      size_t end = n + 1;
      while (end < list.size() && list[end] == list[end - 1] + 1) ++end;
      if (n > 0) text += ", ";
      AppendNumber(text, list[n]);
      if (end - n > 2) {
        text += " to ";
        AppendNumber(text, list[end - 1]);
      } else if (end - n == 2) {
        text += ", ";
        AppendNumber(text, list[n + 1]);
      }
      n = end;
    }
    text += ')';
  }
  for (const ControlNode& c : controls)
    if (c.parent >= 0) shown[static_cast<size_t>(c.parent)] = 1;
}

bool SiteBuilder::CaptionOf(Worker& w, const SiteModule& m, const ControlNode& c) const {
  for (const clsControlRecord* r : c.properties) {
    if (EqualsNoCase1252(r->sType, "+Caption")) {
      w.raw.clear();
      if (!SourceText::AppendStringValue(*m.stream, r->lPtr, w.raw)) w.raw = r->sName;
      return true;
    }
  }
  return false;
}

void SiteBuilder::WriteHandlers(Worker& w, const SiteModule& m, const std::vector<size_t>& handlers,
                                std::string& out) const {
  if (handlers.empty()) return;
  out += "<span class=\"handlers\">";
  for (size_t h = 0; h < handlers.size(); ++h) {
    const ClsEntryPtr& e = *m.declared[handlers[h]].entry;
    if (h > 0) out += ", ";
    out += "<a href=\"#";
    out += m.Anchor(handlers[h]);
    out += "\">";
    Source(w, out, e.EntryName);
    out += "</a>";
  }
  out += "</span>";
}

// The menus (controls of type "Menu", the header's "VB.Menu" as the record keeps it), indented by
// their depth, with caption, shortcut and handlers.
void SiteBuilder::WriteMenus(Worker& w, const SiteModule& m, const std::vector<int>& depth,
                             const std::vector<std::vector<size_t>>& handlers,
                             const std::vector<std::string>& indexes,
                             const std::vector<char>& shown, std::string& out) const {
  const std::vector<ControlNode>& controls = w.controls;
  const auto isMenu = [](const ControlNode& c) {
    std::string_view type = c.record->sType;
    if (const size_t dot = type.rfind('.'); dot != std::string_view::npos)
      type.remove_prefix(dot + 1);
    return EqualsNoCase1252(type, "Menu");
  };
  bool menus = false;
  for (size_t i = 0; i < controls.size(); ++i) {
    if (!shown[i] || !isMenu(controls[i])) continue;
    if (!menus) {
      out +=
          "<h2 id=\"menus\">Menus</h2>\n<table><tr><th>Menu</th><th>Caption</th>"
          "<th>Shortcut</th><th>Handlers</th></tr>\n";
      menus = true;
    }
    out += "<tr><td style=\"padding-left:";
    AppendNumber(out, std::max(0, depth[i] - 1) * 16);
    out += "px\"><code>";
    Source(w, out, controls[i].record->sName);
    Source(w, out, indexes[i]);
    out += "</code></td><td>";
    if (CaptionOf(w, m, controls[i])) Source(w, out, w.raw);
    out += "</td><td>";
    if (controls[i].shortcutPos >= 0) {
      w.raw.clear();
      SourceText::AppendValue(*m.stream, controls[i].shortcutPos, w.raw);
      Source(w, out, SiteText::ShortcutText(w.raw));
    }
    out += "</td><td>";
    WriteHandlers(w, m, handlers[i], out);
    out += "</td></tr>\n";
  }
  if (menus) out += "</table>\n";
}

// The controls of a form-like module as a tree (with captions and event handlers), the picture
// of their containment, and the menus.
void SiteBuilder::WriteControls(Worker& w, SiteModule& m, size_t index, std::string& out) {
  if (!m.header || !m.stream || !IsFormLikeItemType(m.source.item->EType)) return;
  ListControls(*m.header, *m.stream, w.controls);
  const std::vector<ControlNode>& controls = w.controls;
  if (controls.empty()) return;
  std::vector<int> depth(controls.size(), 0);
  for (size_t i = 0; i < controls.size(); ++i) {
    const int parent = controls[i].parent;
    if (parent >= 0 && static_cast<size_t>(parent) < i) depth[i] = depth[parent] + 1;
  }
  std::vector<std::vector<size_t>> handlers;
  FindHandlers(m, controls, handlers);
  std::vector<std::string> indexes;
  std::vector<char> shown;
  FindControlArrays(w, m, indexes, shown);

  out += "<h2 id=\"controls\">Controls</h2>\n<ul class=\"tree\">";
  int open = 0;            // nested lists open below the tree's own
  size_t prev = SIZE_MAX;  // the control shown last
  for (size_t i = 0; i < controls.size(); ++i) {
    YieldPoint();
    if (!shown[i]) continue;
    const int d = depth[i];
    if (prev != SIZE_MAX) {
      if (d > depth[prev]) {
        out += "<ul>";
        ++open;
      } else {
        out += "</li>";
        for (int up = depth[prev]; up > d && open > 0; --up, --open) out += "</ul></li>";
      }
    }
    prev = i;
    out += "<li><code>";
    Source(w, out, controls[i].record->sName);
    Source(w, out, indexes[i]);
    out += "</code><span class=\"t\">";
    Source(w, out, controls[i].record->sType);
    if (CaptionOf(w, m, controls[i])) {
      out += " \xE2\x80\x9C";
      Source(w, out, w.raw);
      out += "\xE2\x80\x9D";
    }
    out += "</span>";
    WriteHandlers(w, m, handlers[i], out);
  }
  out += "</li>";
  for (; open > 0; --open) out += "</ul></li>";
  out += "</ul>\n";
  WriteControlPicture(w, m, index, out);
  WriteMenus(w, m, depth, handlers, indexes, shown, out);
}

// Cross references plug in here (SiteExtras::interfacesOf): what a class implements and which
// classes implement it, each a link to its page (another library's interface named only).
void SiteBuilder::WriteInterfaces(Worker& w, const clsVBFileType& item, std::string& out) const {
  if (!m_options.extras.interfacesOf) return;
  std::vector<SiteInterface> lists[2];
  m_options.extras.interfacesOf(item, lists[0], lists[1]);
  const char* const labels[] = {"Implements", "Implemented by"};
  for (size_t side = 0; side < 2; ++side) {
    if (lists[side].empty()) continue;
    out += "<p class=\"meta\">";
    out += labels[side];
    out += ": ";
    for (size_t k = 0; k < lists[side].size(); ++k) {
      if (k > 0) out += ", ";
      const SiteModule* page = lists[side][k].module ? ModuleOf(lists[side][k].module) : nullptr;
      if (page) {
        ModuleLink(*page, out);
      } else {
        Source(w, out, lists[side][k].name);
      }
    }
    out += "</p>\n";
  }
}

void SiteBuilder::WriteModulePage(Worker& w, SiteModule& m, size_t index) {
  const clsVBFileType& item = *m.source.item;
  w.lines.Reset(m.stream, m.header && m.header->LineEndsKept ? &m.header->LineEnds : nullptr,
                m.header ? &m.header->HeldLineEnds : nullptr);
  std::string& out = w.body;
  out.clear();
  PageStart(out, m.nameHtml, static_cast<int>(index));
  out += "<h1>";
  out += m.nameHtml;
  out += "</h1>\n<p class=\"meta\">";
  out += KindTitle(ModuleKindOf(item.EType));
  out += " \xC2\xB7 ";
  SourceLink(w, m, out);
  out += " \xC2\xB7 ";
  AppendNumber(out, w.lines.Lines());
  out += " lines</p>\n";
  // Doc comments plug in here (SiteExtras::moduleDocOf).
  if (m_options.extras.moduleDocOf) {
    if (const SiteDoc* doc = m_options.extras.moduleDocOf(item)) WriteDoc(w, *doc, out);
  }
  WriteInterfaces(w, item, out);
  PrepareMembers(w, m);
  WriteMemberSummary(w, m, out);
  WriteControls(w, m, index, out);

  // The details: the public members' sections, then the private members' folded under their
  // count (a link to one opens them: site.js). The sections in their order, each with its kind's
  // word as its anchor ("private-" before it for the private ones); the properties' section
  // holds their Get, Let and Set.
  size_t privateCount = 0;
  for (const DeclaredEntry& d : m.declared) privateCount += IsPrivate(d) ? 1 : 0;
  for (const bool priv : {false, true}) {
    if (priv && privateCount == 0) break;
    if (priv) {
      out +=
          "<details class=\"private\" id=\"private-details\"><summary>Details of the private "
          "members (";
      AppendNumber(out, static_cast<int64_t>(privateCount));
      out += ")</summary>\n";
    }
    for (const auto& [group, title] : kDeclGroups) {
      bool any = false;
      for (size_t k = 0; k < m.declared.size(); ++k) {
        if (!InGroup(group, m.declared[k].kind) || IsPrivate(m.declared[k]) != priv) continue;
        if (!any) {
          out += priv ? "<h2 id=\"private-" : "<h2 id=\"";
          out += IsPropertyKind(group) ? "property" : DeclKindName(group);
          out += "\">";
          out += title;
          out += priv ? " (private)</h2>\n" : "</h2>\n";
          any = true;
        }
        WriteDeclaration(w, m, k, out);
      }
    }
    if (priv) out += "</details>\n";
  }
  if (m.declared.empty()) out += "<p class=\"note\">No declarations.</p>\n";
  PageEnd(out);
  WriteFile(m_folder + "/" + m.page, {out});
}

}  // namespace qs::site

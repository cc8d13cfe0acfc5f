// The parts of a module page that keep it short to read: the table of its members at its top
// (public and friend ones first, private ones folded under their count), and a declaration's
// uses, callers and callees, each place or procedure once, folded and grouped by module when
// there are more than a few.
#include <algorithm>
#include <functional>

#include "model/ClsEntryPtr.h"
#include "output/site/SiteBuilder.h"
#include "text/Cp1252.h"

namespace qs::site {

namespace {

// Lists this long or shorter are shown as they are; longer ones fold, grouped by module.
constexpr size_t kShownOpen = 10;

// Appends "N word" or "N words".
void AppendCount(std::string& out, size_t count, const char* word) {
  AppendNumber(out, static_cast<int64_t>(count));
  out += ' ';
  out += word;
  if (count != 1) out += 's';
}

}  // namespace

bool SiteBuilder::IsPrivate(const DeclaredEntry& d) {
  const std::string& scope = d.entry->Scope;
  if (EqualsNoCase1252(scope, "Private")) return true;
  // Without a word (Dim, Const, Sub ...): a module's variables and constants are private, the
  // rest public.
  return scope.empty() && (d.kind == DeclKind::kVariable || d.kind == DeclKind::kConstant);
}

void SiteBuilder::SignatureOf(Worker& w, const SiteModule& m, const DeclaredEntry& d) {
  w.raw.clear();
  // Variables and constants may share a statement: each shows its own declarator.
  if (m.stream && (d.kind == DeclKind::kVariable || d.kind == DeclKind::kConstant))
    SourceText::AppendDeclarator(*m.stream, d.entry->lEntryptr, w.raw);
  else if (m.stream)
    SourceText::AppendLine(*m.stream, d.entry->lEntryptr, w.raw);
  if (w.raw.empty()) w.raw = d.entry->EntryName;
}

void SiteBuilder::TypeKey(Worker& w, std::string_view name, const uint32_t* module) {
  w.key.clear();
  for (const char c : name) w.key += static_cast<char>(ToLower1252(static_cast<unsigned char>(c)));
  if (module != nullptr) {
    w.key += '\x01';
    AppendNumber(w.key, *module);
  }
}

void SiteBuilder::WriteSignature(Worker& w, uint32_t module, std::string_view signature,
                                 std::string& out) const {
  const auto isNameByte = [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x80 || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') ||
           (b >= 'a' && b <= 'z') || b == '_';
  };
  size_t copied = 0;     // signature[0, copied) is written
  bool afterAs = false;  // the next word is a type
  for (size_t i = 0; i < signature.size();) {
    const char c = signature[i];
    if (c == '"') {  // a string (a constant's value): passed over whole
      const size_t close = signature.find('"', i + 1);
      i = close == std::string_view::npos ? signature.size() : close + 1;
      afterAs = false;
      continue;
    }
    if (c == '\'') break;  // a comment: the rest is text
    if (!isNameByte(c)) {
      if (c != ' ' && c != '\t') afterAs = false;
      ++i;
      continue;
    }
    size_t end = i;
    while (end < signature.size() && isNameByte(signature[end])) ++end;
    const std::string_view word = signature.substr(i, end - i);
    if (afterAs && EqualsNoCase1252(word, "New")) {
      i = end;
      continue;
    }
    if (afterAs && (end == signature.size() || signature[end] != '.')) {
      TypeKey(w, word, &module);
      auto it = m_typeLinks.find(w.key);
      if (it == m_typeLinks.end()) {
        TypeKey(w, word, nullptr);
        it = m_typeLinks.find(w.key);
      }
      if (it != m_typeLinks.end()) {
        Source(w, out, signature.substr(copied, i - copied));
        const SiteModule& target = m_modules[it->second.module];
        out += "<a href=\"";
        out += target.page;
        if (it->second.decl >= 0) {
          out += '#';
          out += target.Anchor(static_cast<size_t>(it->second.decl));
        }
        out += "\">";
        Source(w, out, word);
        out += "</a>";
        copied = end;
      }
    }
    afterAs = !afterAs && EqualsNoCase1252(word, "As");
    i = end;
  }
  Source(w, out, signature.substr(copied));
}

void SiteBuilder::PrepareMembers(Worker& w, const SiteModule& m) const {
  w.signatures.clear();
  w.signatureEnds.clear();
  w.docs.clear();
  for (const DeclaredEntry& d : m.declared) {
    SignatureOf(w, m, d);
    w.signatures += w.raw;
    w.signatureEnds.push_back(static_cast<uint32_t>(w.signatures.size()));
    // Doc comments plug in here (SiteExtras::docOf).
    w.docs.push_back(m_options.extras.docOf ? m_options.extras.docOf(*d.entry) : nullptr);
  }
}

void SiteBuilder::WriteMemberSummary(Worker& w, const SiteModule& m, std::string& out) {
  if (m.declared.empty()) return;
  size_t counts[2] = {0, 0};  // public, private
  for (const DeclaredEntry& d : m.declared) ++counts[IsPrivate(d) ? 1 : 0];
  out += "<h2 id=\"summary\">Members</h2>\n";
  for (size_t priv = 0; priv < 2; ++priv) {
    if (counts[priv] == 0) continue;
    if (priv == 1) {
      out += "<details class=\"private\" id=\"private\"><summary>Private members (";
      AppendNumber(out, static_cast<int64_t>(counts[1]));
      out += ")</summary>\n";
    }
    out += "<table class=\"members\">";
    for (const auto& [group, title] : kDeclGroups) {
      bool any = false;
      for (size_t k = 0; k < m.declared.size(); ++k) {
        const DeclaredEntry& d = m.declared[k];
        if (!InGroup(group, d.kind) || IsPrivate(d) != (priv == 1)) continue;
        if (!any) {
          out += "<tr><th colspan=\"3\">";
          out += title;
          out += "</th></tr>\n";
          any = true;
        }
        out += "<tr><td><a class=\"member\" href=\"#";
        out += m.Anchor(k);
        out += "\">";
        Source(w, out, d.entry->EntryName);
        out += "</a></td><td><code>";
        Source(w, out, w.Signature(k));
        out += "</code></td><td>";
        if (w.docs[k]) Source(w, out, w.docs[k]->summary);
        out += "</td></tr>\n";
      }
    }
    out += "</table>\n";
    if (priv == 1) out += "</details>\n";
  }
}

void SiteBuilder::WriteUses(Worker& w, std::string& out) const {
  // Each place once, by module (in the project's order) and line.
  std::vector<std::pair<uint64_t, const char*>>& places = w.places;
  places.clear();
  for (const SiteUse& use : w.uses) {
    const SiteModule* where = ModuleOf(use.place.module);
    if (!where || use.place.line <= 0) continue;
    places.emplace_back(static_cast<uint64_t>(where - m_modules.data()) << 32 |
                            static_cast<uint32_t>(use.place.line),
                        use.kind);
  }
  if (places.empty()) return;
  std::stable_sort(places.begin(), places.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  places.erase(std::unique(places.begin(), places.end(),
                           [](const auto& a, const auto& b) { return a.first == b.first; }),
               places.end());
  const auto moduleOf = [&](size_t i) -> const SiteModule& {
    return m_modules[static_cast<size_t>(places[i].first >> 32)];
  };
  const auto lineOf = [&](size_t i) { return static_cast<int32_t>(places[i].first & 0xFFFFFFFFu); };
  if (places.size() <= kShownOpen) {
    out += "<div class=\"more\">Used at: ";
    for (size_t i = 0; i < places.size(); ++i) {
      if (i > 0) out += ", ";
      out += "<a href=\"";
      AppendSourceHref(out, moduleOf(i), lineOf(i));
      out += "\">";
      out += moduleOf(i).nameHtml;
      out += ':';
      AppendNumber(out, lineOf(i));
      out += "</a> <span class=\"meta\">";
      AppendHtml(out, places[i].second);
      out += "</span>";
    }
    out += "</div>";
    return;
  }
  size_t modules = 0;
  for (size_t i = 0; i < places.size(); ++i)
    modules += i == 0 || places[i].first >> 32 != places[i - 1].first >> 32;
  out += "<details class=\"more\"><summary>Used at ";
  AppendCount(out, places.size(), "place");
  out += " in ";
  AppendCount(out, modules, "module");
  out += "</summary><ul class=\"by-module\">";
  for (size_t i = 0; i < places.size();) {
    size_t end = i + 1;
    while (end < places.size() && places[end].first >> 32 == places[i].first >> 32) ++end;
    out += "<li><b>";
    out += moduleOf(i).nameHtml;
    out += "</b> <span class=\"meta\">(";
    AppendNumber(out, static_cast<int64_t>(end - i));
    out += ")</span>: ";
    for (size_t j = i; j < end; ++j) {
      if (j > i) out += ", ";
      out += "<a href=\"";
      AppendSourceHref(out, moduleOf(j), lineOf(j));
      out += "\" title=\"";
      AppendHtml(out, places[j].second);
      out += "\">";
      AppendNumber(out, lineOf(j));
      out += "</a>";
    }
    out += "</li>";
    i = end;
  }
  out += "</ul></details>";
}

void SiteBuilder::SortCalls(std::vector<const ClsEntryPtr*>& entries) const {
  // By module (in the project's order) and declaration, each once; those without a page last.
  const auto key = [this](const ClsEntryPtr* e) {
    const AnchorTable::Anchor* a = m_anchors.Find(e);
    return a ? static_cast<uint64_t>(a->module) << 32 | a->index : UINT64_MAX;
  };
  std::sort(entries.begin(), entries.end(), [&](const ClsEntryPtr* a, const ClsEntryPtr* b) {
    const uint64_t ka = key(a), kb = key(b);
    return ka != kb ? ka < kb : std::less<const ClsEntryPtr*>()(a, b);
  });
  entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
}

void SiteBuilder::WriteCalls(Worker& w, const char* label, const char* noun,
                             const std::vector<const ClsEntryPtr*>& entries,
                             std::string& out) const {
  if (entries.empty()) return;
  // A procedure: linked to its declaration when it has a page (else named only), with its
  // module's name before it when asked.
  const auto name = [&](const ClsEntryPtr* e, bool qualified) {
    const AnchorTable::Anchor* a = m_anchors.Find(e);
    if (a) {
      out += "<a href=\"";
      out += m_modules[a->module].page;
      out += '#';
      out += m_modules[a->module].Anchor(a->index);
      out += "\">";
      if (qualified) {
        out += m_modules[a->module].nameHtml;
        out += '.';
      }
    }
    Source(w, out, e->EntryName);
    if (a) out += "</a>";
  };
  if (entries.size() <= kShownOpen) {
    out += "<div class=\"more\">";
    out += label;
    out += ": ";
    for (size_t c = 0; c < entries.size(); ++c) {
      if (c > 0) out += ", ";
      name(entries[c], true);
    }
    out += "</div>";
    return;
  }
  // Grouped by module (SortCalls put them so): the module, then its procedures.
  const auto moduleOf = [this](const ClsEntryPtr* e) -> int64_t {
    const AnchorTable::Anchor* a = m_anchors.Find(e);
    return a ? static_cast<int64_t>(a->module) : -1;
  };
  size_t modules = 0;
  for (size_t c = 0; c < entries.size(); ++c)
    modules += c == 0 || moduleOf(entries[c]) != moduleOf(entries[c - 1]);
  out += "<details class=\"more\"><summary>";
  out += label;
  out += ' ';
  AppendCount(out, entries.size(), noun);
  out += " in ";
  AppendCount(out, modules, "module");
  out += "</summary><ul class=\"by-module\">";
  for (size_t c = 0; c < entries.size();) {
    const int64_t module = moduleOf(entries[c]);
    size_t end = c + 1;
    while (end < entries.size() && moduleOf(entries[end]) == module) ++end;
    out += "<li><b>";
    if (module >= 0)
      out += m_modules[static_cast<size_t>(module)].nameHtml;
    else
      out += "elsewhere";
    out += "</b> <span class=\"meta\">(";
    AppendNumber(out, static_cast<int64_t>(end - c));
    out += ")</span>: ";
    for (size_t j = c; j < end; ++j) {
      if (j > c) out += ", ";
      name(entries[j], false);
    }
    out += "</li>";
    c = end;
  }
  out += "</ul></details>";
}

}  // namespace qs::site

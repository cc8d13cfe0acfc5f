#include "output/answers/ReferenceAnswers.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <ostream>
#include <vector>

#include "analysis/ProjectAnalysis.h"
#include "analysis/SourcePlaces.h"
#include "io/CodePage.h"
#include "model/CrossReferences.h"
#include "model/clsVBFileType.h"
#include "model/clsVBHeader.h"
#include "text/Cp1252.h"
#include "text/SystemPath.h"
#include "text/TokenCodes.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

// The file's path as it opens from the current folder: the project's folder as the command line
// names it, joined with the file's path relative to it.
std::string FilePath(const CrossReferences& refs, int32_t module, const std::string& folder) {
  const CrossModule& m = refs.modules[static_cast<size_t>(module)];
  std::string path = folder;
  if (!m.item->sDiskPath.empty()) {
    path += m.item->sDiskPath;
  } else {
    std::string value = m.item->sFileValue;
    std::replace(value.begin(), value.end(), '\\', '/');
    path += value;
  }
  return path;
}

// The physical line holding the token at pos, leading blanks removed, without its line end, as
// the file's bytes. A string left open runs on across line ends: only the part of such a token
// on the line is taken.
void AppendSourceLine(const CrossReferences& refs, int32_t module, int32_t pos, std::string& out) {
  const clsVBHeader* header = refs.modules[static_cast<size_t>(module)].header;
  if (!header || !header->TokenStream || pos < 0) return;
  const clsTokenStream& ts = *header->TokenStream;
  int32_t from = pos;
  std::string_view head;  // the end of a token holding the line end before the line
  while (from > 0 && ts.TokenCodeAt(from - 1) != TokEndOfLine) {
    const int32_t code = ts.TokenCodeAt(from - 1);
    const std::string_view text = ts.TokenStringAt(from - 1);
    if (MayHoldLineEnds(code, text)) {
      if (const HeldLineEnds held = LineEndsIn(text); held.count > 0) {
        head = text.substr(static_cast<size_t>(held.after));
        break;
      }
    }
    --from;
  }
  while (!head.empty() && (head.front() == ' ' || head.front() == '\t')) head.remove_prefix(1);
  out.append(head);
  if (head.empty())
    while (from < ts.Count() && ts.TokenCodeAt(from) == TokWhiteSpace) ++from;
  for (int32_t p = from; p < ts.Count() && ts.TokenCodeAt(p) != TokEndOfLine; ++p) {
    const std::string_view text = ts.TokenStringAt(p);
    const size_t end = MayHoldLineEnds(ts.TokenCodeAt(p), text) ? text.find_first_of("\r\n")
                                                                : std::string_view::npos;
    out.append(text.substr(0, end));
    if (end != std::string_view::npos) break;
  }
}

// The answers' text, written out in pieces of about kFlushBytes: no line is a write of its own.
constexpr size_t kFlushBytes = 1 << 16;

// Each file's path, made once per answer.
class PlacePrinter {
 public:
  PlacePrinter(const CrossReferences& refs, const std::string& folder)
      : m_refs(refs), m_folder(folder), m_paths(refs.modules.size()) {}

  void Print(int32_t module, int32_t line, int32_t column, std::string& out) {
    std::string& path = m_paths[static_cast<size_t>(module)];
    if (path.empty()) path = FilePath(m_refs, module, m_folder);
    out += path;
    out += ':';
    AppendNumber(line, out);
    out += ':';
    AppendNumber(column, out);
    out += ": ";
  }

 private:
  static void AppendNumber(int32_t n, std::string& out) {
    char digits[16];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, n);
    out.append(digits, ec == std::errc() ? end : digits);
  }

  const CrossReferences& m_refs;
  const std::string& m_folder;
  std::vector<std::string> m_paths;
};

void FlushWhenFull(std::string& text, std::ostream& os) {
  if (text.size() < kFlushBytes) return;
  os.write(text.data(), static_cast<std::streamsize>(text.size()));
  text.clear();
}

void Flush(std::string& text, std::ostream& os) {
  os.write(text.data(), static_cast<std::streamsize>(text.size()));
  text.clear();
}

// The project's bytes printed in UTF-8, through one scratch buffer.
class Utf8Text {
 public:
  explicit Utf8Text(int codePage) {
    if (!m_cp.Open(codePage)) m_cp.Open(CodePageText::kDefault);
  }
  CodePageText& Converter() { return m_cp; }
  void AppendSourceLine(const CrossReferences& refs, int32_t module, int32_t pos,
                        std::string& out) {
    m_bytes.clear();
    qs::AppendSourceLine(refs, module, pos, m_bytes);
    m_cp.Append(out, m_bytes);
  }
  void AppendQualifiedName(const CrossReferences& refs, int32_t d, std::string& out) {
    m_bytes.clear();
    refs.AppendQualifiedName(d, m_bytes);
    m_cp.Append(out, m_bytes);
  }

 private:
  CodePageText m_cp;
  std::string m_bytes;
};

// "PATH:LINE:COLUMN: WHAT: SOURCE LINE".
void PrintPlaceLine(const CrossReferences& refs, int32_t module, int32_t line, int32_t column,
                    int32_t pos, const char* what, PlacePrinter& places, Utf8Text& utf8,
                    std::string& text) {
  places.Print(module, line, column, text);
  text += what;
  text += ": ";
  utf8.AppendSourceLine(refs, module, pos, text);
  text += '\n';
}

// After an event's uses its handlers; after a Public member's of a class, form or user control
// the places that read its name through objects of unknown type (evidence, not proof).
void PrintHandlersAndLateBound(const CrossReferences& refs, const std::vector<int32_t>& matches,
                               PlacePrinter& places, Utf8Text& utf8, std::string& text,
                               std::ostream& out) {
  const CrossDeclaration& first = refs.decls[static_cast<size_t>(matches.front())];
  if (first.kind == DeclKind::kEvent) {
    for (const auto& [event, handler] : refs.eventHandlers) {
      if (std::find(matches.begin(), matches.end(), event) == matches.end()) continue;
      const CrossDeclaration& h = refs.decls[static_cast<size_t>(handler)];
      PrintPlaceLine(refs, h.module, h.line, h.column, h.pos, "handler", places, utf8, text);
      FlushWhenFull(text, out);
    }
    return;
  }
  const int32_t type = refs.modules[static_cast<size_t>(first.module)].itemType;
  if (first.parent >= 0 || !first.isPublic || first.kind == DeclKind::kModule ||
      first.kind == DeclKind::kDeclare ||
      (type != kItemClass && type != kItemForm && type != kItemUserControl))
    return;
  for (const LateBoundUse& u : refs.lateBound) {
    if (!EqualsNoCase1252(u.name, first.name)) continue;
    PrintPlaceLine(refs, u.module, u.line, u.column, u.pos, "late-bound", places, utf8, text);
    FlushWhenFull(text, out);
  }
}

void PrintDeclarationLine(const CrossReferences& refs, int32_t d, PlacePrinter& places,
                          Utf8Text& utf8, std::string& text) {
  const CrossDeclaration& decl = refs.decls[static_cast<size_t>(d)];
  places.Print(decl.module, decl.line, decl.column, text);
  text += "declaration: ";
  utf8.AppendSourceLine(refs, decl.module, decl.pos, text);
  text += '\n';
}

// A property's Get, Let and Set answer to one name.
bool IsProperty(DeclKind k) {
  return k == DeclKind::kPropertyGet || k == DeclKind::kPropertyLet || k == DeclKind::kPropertySet;
}

bool SameTarget(const CrossDeclaration& a, const CrossDeclaration& b) {
  return IsProperty(a.kind) && IsProperty(b.kind) && a.module == b.module && a.parent == b.parent;
}

// Splits "a.b.c" at its dots; false for more than three parts or an empty part.
bool SplitName(std::string_view name, std::vector<std::string_view>& parts) {
  parts.clear();
  while (true) {
    const size_t dot = name.find('.');
    parts.push_back(name.substr(0, dot));
    if (parts.back().empty() || parts.size() > 3) return false;
    if (dot == std::string_view::npos) return true;
    name.remove_prefix(dot + 1);
  }
}

// File order of declarations: module, then position, then id. The order is sorted as one key
// per declaration (module above, position below with its sign bit flipped), held beside the id.
std::vector<int32_t> InFileOrder(const CrossReferences& refs, std::vector<int32_t> decls) {
  std::vector<std::pair<uint64_t, int32_t>> keyed;
  keyed.reserve(decls.size());
  for (const int32_t d : decls) {
    const CrossDeclaration& x = refs.decls[static_cast<size_t>(d)];
    keyed.emplace_back(static_cast<uint64_t>(static_cast<uint32_t>(x.module) ^ 0x80000000u) << 32 |
                           (static_cast<uint32_t>(x.pos) ^ 0x80000000u),
                       d);
  }
  std::sort(keyed.begin(), keyed.end());
  for (size_t i = 0; i < keyed.size(); ++i) decls[i] = keyed[i].second;
  return decls;
}

// The canonical declarations the name ("a", "a.b" or "a.b.c", in the project's bytes) names.
std::vector<int32_t> Matches(const CrossReferences& refs, std::string_view name) {
  std::vector<std::string_view> parts;
  std::vector<int32_t> matches;
  if (!SplitName(name, parts)) return matches;
  for (size_t i = 0; i < refs.decls.size(); ++i) {
    const CrossDeclaration& d = refs.decls[i];
    // A declaration conditional compilation leaves out is not asked about: a name only such
    // declarations bear is not found.
    if (static_cast<size_t>(d.canonical) != i || !d.active ||
        !EqualsNoCase1252(d.name, parts.back()))
      continue;
    const std::string_view module =
        refs.decls[static_cast<size_t>(refs.modules[static_cast<size_t>(d.module)].decl)].name;
    const std::string_view parent =
        d.parent >= 0 ? refs.decls[static_cast<size_t>(d.parent)].name : std::string_view();
    bool match = parts.size() == 1;
    if (parts.size() == 2)
      match = d.kind != DeclKind::kModule && d.parent < 0 && EqualsNoCase1252(module, parts[0]);
    if (parts.size() == 3)
      match =
          d.parent >= 0 && EqualsNoCase1252(module, parts[0]) && EqualsNoCase1252(parent, parts[1]);
    if (match) matches.push_back(static_cast<int32_t>(i));
  }
  return matches;
}

// A name that names several declarations: each one's qualified name, to ask for it instead, with
// its kind and place. A property's Get, Let and Set are one candidate.
void PrintCandidates(const CrossReferences& refs, std::string_view name,
                     const std::vector<int32_t>& matches, PlacePrinter& printer, Utf8Text& utf8,
                     std::string& text) {
  std::vector<int32_t> candidates;
  for (const int32_t d : matches) {
    const CrossDeclaration& decl = refs.decls[static_cast<size_t>(d)];
    if (std::none_of(candidates.begin(), candidates.end(), [&](int32_t c) {
          return SameTarget(refs.decls[static_cast<size_t>(c)], decl);
        }))
      candidates.push_back(d);
  }
  text += "quillscope-cli: ambiguous: '";
  text += name;
  text += "' names ";
  text += std::to_string(candidates.size());
  text += " declarations; ask for one of:\n";
  for (const int32_t d : candidates) {
    const CrossDeclaration& decl = refs.decls[static_cast<size_t>(d)];
    text += "  ";
    utf8.AppendQualifiedName(refs, d, text);
    text += "  (";
    text += IsProperty(decl.kind) ? "property" : DeclKindName(decl.kind);
    text += ", ";
    printer.Print(decl.module, decl.line, decl.column, text);
    text.resize(text.size() - 2);  // the place without its ": "
    text += ")\n";
  }
}

}  // namespace

std::string AnswerFolder(std::string_view in_sProjectArgument) {
  const size_t slash = in_sProjectArgument.find_last_of(kPathSeparators);
  if (slash == std::string_view::npos) return std::string();
  return std::string(in_sProjectArgument.substr(0, slash + 1));
}

int AnswerRefs(const ProjectAnalysis& in_oInfo, std::string_view in_sName,
               const std::string& in_sFolder, std::ostream& out, std::ostream& err,
               const AnswerOptions& in_oOptions) {
  const CrossReferences& refs = in_oInfo.CrossRefs();
  Utf8Text utf8(in_oOptions.codePage);
  // The name as typed, in UTF-8, converted to the project's code page; then as the project's own
  // bytes (a name that is no UTF-8, from a script written before names were converted).
  std::vector<int32_t> matches;
  std::string converted;
  if (utf8.Converter().FromUtf8(converted, in_sName)) matches = Matches(refs, converted);
  if (matches.empty() && converted != in_sName) matches = Matches(refs, in_sName);
  if (matches.empty()) {
    err << "quillscope-cli: no declaration is named '" << in_sName << "'\n";
    return kRefsUnknown;
  }
  matches = InFileOrder(refs, std::move(matches));
  const CrossDeclaration& first = refs.decls[static_cast<size_t>(matches.front())];
  const bool one = std::all_of(matches.begin(), matches.end(), [&](int32_t d) {
    return d == matches.front() || SameTarget(first, refs.decls[static_cast<size_t>(d)]);
  });
  PlacePrinter printer(refs, in_sFolder);
  std::string text;
  if (!one) {
    PrintCandidates(refs, in_sName, matches, printer, utf8, text);
    Flush(text, err);
    return kRefsAmbiguous;
  }
  // The declarations (twins of #If blocks included), then every use in file order.
  std::vector<int32_t> places;
  for (size_t i = 0; i < refs.decls.size(); ++i) {
    if (std::find(matches.begin(), matches.end(), refs.decls[i].canonical) != matches.end())
      places.push_back(static_cast<int32_t>(i));
  }
  for (const int32_t d : InFileOrder(refs, std::move(places)))
    PrintDeclarationLine(refs, d, printer, utf8, text);
  std::vector<int32_t> uses;
  if (refs.useIndex.size() == refs.uses.size()) {
    for (const int32_t d : matches) {
      for (int32_t k = refs.useStart[static_cast<size_t>(d)];
           k < refs.useStart[static_cast<size_t>(d) + 1]; ++k)
        uses.push_back(refs.useIndex[static_cast<size_t>(k)]);
    }
    std::sort(uses.begin(), uses.end());
  } else {
    // A question's run lists no declaration's uses: one pass over the records finds them, in
    // order.
    std::vector<uint8_t> wanted(refs.decls.size(), 0);
    for (const int32_t d : matches) wanted[static_cast<size_t>(d)] = 1;
    refs.uses.ForEachRecord([&](size_t index, const UseRecord& record) {
      if (wanted[static_cast<size_t>(record.decl)]) uses.push_back(static_cast<int32_t>(index));
    });
  }
  for (const int32_t i : uses) {
    const CrossUse& u = refs.uses[static_cast<size_t>(i)];
    PrintPlaceLine(refs, u.module, u.line, u.column, u.pos, UseKindName(u.kind), printer, utf8,
                   text);
    FlushWhenFull(text, out);
  }
  PrintHandlersAndLateBound(refs, matches, printer, utf8, text, out);
  Flush(text, out);
  return kRefsFound;
}

size_t AnswerUnused(const ProjectAnalysis& in_oInfo, bool in_bExposed,
                    const std::string& in_sFolder, std::ostream& out,
                    const AnswerOptions& in_oOptions) {
  const CrossReferences& refs = in_oInfo.CrossRefs();
  Utf8Text utf8(in_oOptions.codePage);
  std::vector<int32_t> listed;
  for (size_t i = 0; i < refs.decls.size(); ++i) {
    const CrossDeclaration& d = refs.decls[i];
    if (static_cast<size_t>(d.canonical) != i) continue;
    if (d.kind == DeclKind::kControl && !in_oOptions.controls) continue;
    if (d.exposure == Exposure::kUnused ||
        (in_bExposed && (d.exposure == Exposure::kExposed || d.exposure == Exposure::kImplements ||
                         d.exposure == Exposure::kLateBound)))
      listed.push_back(static_cast<int32_t>(i));
  }
  PlacePrinter printer(refs, in_sFolder);
  std::string text;
  size_t printed = 0;
  const std::vector<int32_t> ordered = InFileOrder(refs, std::move(listed));
  for (size_t k = 0; k < ordered.size(); ++k) {
    // The names lie in the analysis records, all over memory: the ones a few lines on are asked
    // for now, so that their bytes are in the cache when their line is written.
    constexpr size_t kAhead = 8;
    if (k + kAhead < ordered.size()) {
      const CrossDeclaration& ahead = refs.decls[static_cast<size_t>(ordered[k + kAhead])];
      __builtin_prefetch(ahead.name.data());
      if (ahead.parent >= 0) __builtin_prefetch(&refs.decls[static_cast<size_t>(ahead.parent)]);
    }
    const int32_t i = ordered[k];
    const CrossDeclaration& d = refs.decls[static_cast<size_t>(i)];
    printer.Print(d.module, d.line, d.column, text);
    text += ExposureName(d.exposure);
    text += ' ';
    text += DeclKindName(d.kind);
    text += ' ';
    utf8.AppendQualifiedName(refs, i, text);
    text += '\n';
    FlushWhenFull(text, out);
    ++printed;
  }
  Flush(text, out);
  return printed;
}

}  // namespace qs

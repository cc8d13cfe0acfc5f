#include "output/report/ReportModules.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/ClsSymEntry.h"
#include "model/clsSymTable.h"
#include "output/report/ReportWriter.h"

namespace qs {

namespace {

// The markup below is the report's established layout, irregular tags included ("<b></td>" after
// a scope or return type opens a bold tag where one would expect it closed); readers of existing
// reports depend on it, so it is reproduced as it is.
constexpr std::string_view kNarrowTable = "<table border=\"0\" width =\"50%\" >";
constexpr std::string_view kWideTable = "<table border=\"0\" width =\"100%\" >";
constexpr std::string_view kEmptyCells = "<td></td><td></td><td></td><td></td><td></td>";
constexpr std::string_view kBlankCells =
    "<td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td>";

constexpr std::string_view kFiveColumnHeader =
    "<td>Name</td><td>Scope</td><td></td><td></td><td></td>";

// Joins the pieces into one line. Values from the input are escaped by the caller.
std::string Cat(std::initializer_list<std::string_view> pieces) {
  size_t n = 0;
  for (std::string_view p : pieces) n += p.size();
  std::string line;
  line.reserve(n);
  for (std::string_view p : pieces) line.append(p);
  return line;
}

// Every value taken from the source files goes through this before it enters the report.
std::string Esc(const std::string& value) {
  return HtmlEscape(value);
}

long CountOf(const ClsEntry& list) {
  return list.Count();
}

// Every record of the module's nine lists.
long DeclarationCount(const ClsSymEntry& m) {
  long n = 0;
  for (const ClsEntry* list : {&m.EVar, &m.EConst, &m.ESub, &m.EFunction, &m.EProperty, &m.EType,
                               &m.EEnum, &m.EEvent, &m.EDeclare})
    n += CountOf(*list);
  return n;
}

bool HasItems(const ClsEntry& list) {
  return list.Count() > 0;
}

// A table row: "<tr>", the cells, "</tr>".
void Row(ReportWriter& w, std::string_view cells) {
  w.WriteLine("<tr>");
  w.WriteLine(cells);
  w.WriteLine("</tr>");
}

void EmptyRow(ReportWriter& w) {
  Row(w, kEmptyCells);
}
void BlankRow(ReportWriter& w) {
  Row(w, kBlankCells);
}

// ---- module summaries -------------------------------------------------------------------------

void CountRow(ReportWriter& w, std::string_view label, long count, bool withBreak = false) {
  w.WriteLine("<tr>");
  const std::string line = Cat({label, std::to_string(count), "</td>"});
  if (withBreak) {
    w.WriteLineBreak(line);
  } else {
    w.WriteLine(line);
  }
  w.WriteLine("</tr>");
}

void WriteSummary(ReportWriter& w, const ClsSymEntry& m) {
  w.WriteH3(Esc(m.EntryName));
  w.WriteLine(kNarrowTable);
  CountRow(w, "<td>Consts </td><td align=\"right\">", CountOf(m.EConst));
  CountRow(w, "<td>Api Declariations </td><td align=\"right\">", CountOf(m.EDeclare));
  CountRow(w, "<td>Enumerations </td><td align=\"right\">", CountOf(m.EEnum));
  CountRow(w, "<td>Types </td><td align=\"right\">", CountOf(m.EType));
  // The variables row is the one whose middle line carries a trailing "<BR>".
  CountRow(w, "<td>Variables </td><td align=\"right\">", CountOf(m.EVar), true);
  CountRow(w, "<td>Subroutines</td><td align=\"right\">", CountOf(m.ESub));
  CountRow(w, "<td>Functions </td><td align=\"right\">", CountOf(m.EFunction));
  CountRow(w, "<td>Properties </td><td align=\"right\">", CountOf(m.EProperty));
  CountRow(w, "<td>Events &nbsp;</td><td align=\"right\">", CountOf(m.EEvent));
  w.WriteLineBreak("</table>");
}

// ---- rows shared by the detail sections -------------------------------------------------------

// Bold name and scope, then three empty cells: enumerations, types, subs, functions, events.
void NameRow(ReportWriter& w, const ClsEntryPtr& e) {
  Row(w, Cat({"<td><b>", Esc(e.EntryName), "</b></td><td><b>", Esc(e.Scope),
              "<b></td><td></td><td></td><td></td>"}));
}

void ReturnTypeRow(ReportWriter& w, const ClsEntryPtr& e) {
  Row(w, Cat({"<td></td><td></td><td></td><td></td><td><b>", Esc(e.ReturnType), "<b></td>"}));
}

void ParameterRows(ReportWriter& w, const ClsEntryPtr& e) {
  if (!e.Parameters) return;
  for (const auto& p : *e.Parameters) {
    if (!p) continue;
    Row(w, Cat({"<td></td><td>", Esc(p->EntryName), "</td><td>", Esc(p->EntryType), "</td><td>",
                PassingModeText(p->eArgScope), "</td><td></td>"}));
  }
}

// Local variables or local constants: a heading row with the count, then one row per local.
void LocalsBlock(ReportWriter& w, const std::shared_ptr<ClsEntry>& list, std::string_view heading) {
  if (!list) return;
  if (list->Count() > 0) {
    Row(w, Cat({heading, std::to_string(list->Count()), "</b></td><td></td><td></td><td></td>"}));
  }
  for (const auto& l : *list) {
    if (!l) continue;
    Row(w, Cat({"<td></td><td>", Esc(l->EntryName), "</td><td>", Esc(l->EntryType),
                "</td><td></td><td>", Esc(l->Scope), "</td>"}));
  }
}

// What follows the parameters of a procedure with a body. Both empty rows stand even when the
// procedure has neither locals nor constants.
void BodyTail(ReportWriter& w, const ClsEntryPtr& e) {
  EmptyRow(w);
  LocalsBlock(w, e.EVar, "<td><b>Local Variables</b></td><td><b>");
  EmptyRow(w);
  LocalsBlock(w, e.EConst, "<td><b>Local Consts</b></td><td><b>");
}

// ---- the detail sections ----------------------------------------------------------------------

// Title, table start, header row, the items, the closing break line.
template <class WriteItem>
void Section(ReportWriter& w, const ClsEntry& list, std::string_view title,
             std::string_view tableStart, std::string_view header, WriteItem writeItem) {
  if (!HasItems(list)) return;
  w.WriteH4(title);
  w.WriteLine(tableStart);
  Row(w, header);
  for (const auto& e : list) {
    if (e) writeItem(*e);
  }
  w.WriteLineBreak("</table>");
}

void WriteDetails(ReportWriter& w, const ClsSymEntry& m) {
  w.WriteH3(Esc(m.EntryName));

  Section(w, m.EConst, "Consts", kNarrowTable, "<td>Name</td><td>Scope</td><td></td>",
          [&](const ClsEntryPtr& e) {
            Row(w, Cat({"<td>", Esc(e.EntryName), "</td><td>", Esc(e.Scope), "</td><td>",
                        Esc(e.EntryType), "</td>"}));
          });

  Section(w, m.EDeclare, "Api Declarations", kWideTable,
          "<td>Name</td><td>Scope</td><td>Declaration Type</td><td>Library</td><td>Alias</td>",
          [&](const ClsEntryPtr& e) {
            BlankRow(w);
            BlankRow(w);
            Row(w, Cat({"<td><b>", Esc(e.EntryName), "</b></td><td><b>", Esc(e.Scope),
                        "<b></td><td><b>", DeclareKindText(e.eEntrytype), "</b></td><td><b>",
                        Esc(e.LibName), "</b></td><td><b>", Esc(e.AliasName), "<b></td>"}));
            EmptyRow(w);
            ReturnTypeRow(w, e);
            ParameterRows(w, e);
          });

  Section(w, m.EEnum, "Enumerations", kWideTable, kFiveColumnHeader, [&](const ClsEntryPtr& e) {
    EmptyRow(w);
    NameRow(w, e);
    EmptyRow(w);
    if (!e.Parameters) return;
    for (const auto& member : *e.Parameters) {
      if (!member) continue;
      Row(w, Cat({"<td></td><td>", Esc(member->EntryName), "</td><td></td><td></td><td></td>"}));
    }
  });

  Section(w, m.EType, "Types", kWideTable, kFiveColumnHeader, [&](const ClsEntryPtr& e) {
    EmptyRow(w);
    NameRow(w, e);
    EmptyRow(w);
    if (!e.Parameters) return;
    for (const auto& member : *e.Parameters) {
      if (!member) continue;
      Row(w, Cat({"<td></td><td>", Esc(member->EntryName), "</td><td>", Esc(member->EntryType),
                  "</td><td></td><td></td>"}));
    }
  });

  Section(w, m.ESub, "Subroutines", kWideTable, kFiveColumnHeader, [&](const ClsEntryPtr& e) {
    BlankRow(w);
    NameRow(w, e);
    EmptyRow(w);
    ReturnTypeRow(w, e);
    ParameterRows(w, e);
    BodyTail(w, e);
  });

  Section(w, m.EFunction, "Functions", kWideTable, kFiveColumnHeader, [&](const ClsEntryPtr& e) {
    BlankRow(w);
    NameRow(w, e);
    ReturnTypeRow(w, e);
    ParameterRows(w, e);
    BodyTail(w, e);
  });

  Section(w, m.EEvent, "Events", kWideTable, kFiveColumnHeader, [&](const ClsEntryPtr& e) {
    BlankRow(w);
    NameRow(w, e);
    ReturnTypeRow(w, e);
    ParameterRows(w, e);
  });

  Section(
      w, m.EProperty, "Properties", kWideTable,
      "<td>Name</td><td>Scope</td><td>Property Type</td><td></td><td></td>",
      [&](const ClsEntryPtr& e) {
        BlankRow(w);
        Row(w, Cat({"<td><b>", Esc(e.EntryName), "</b></td><td><b>", Esc(e.Scope),
                    "<b></td><td><b>", AccessorText(e.eEntrytype), "</b></td><td></td><td></td>"}));
        ReturnTypeRow(w, e);
        ParameterRows(w, e);
        BodyTail(w, e);
      });

  Section(w, m.EVar, "Variables", kWideTable,
          "<td>Name</td><td>Scope</td><td>Type</td><td></td><td></td>", [&](const ClsEntryPtr& e) {
            Row(w, Cat({"<td><b>", Esc(e.EntryName), "</b></td><td><b>", Esc(e.Scope),
                        "<b></td><td><b>", Esc(e.EntryType), "</b></td><td></td><td></td>"}));
          });
}

}  // namespace

std::string_view PassingModeText(int32_t in_lArgScope) {
  switch (in_lArgScope) {
    case kArgByRef:
      return "ByRef";
    case kArgByVal:
      return "Byval";
    case kArgOptionalByVal:
      return "Optional Byval";
    case kArgOptional:
      return "Optional ByRef";
    case kArgParamArray:
      return "ParamArray";
    default:
      return "";
  }
}

std::string_view DeclareKindText(int32_t in_lEntryType) {
  switch (in_lEntryType) {
    case kEntrySub:
      return "Subroutine";
    case kEntryFunction:
      return "Function";
    default:
      return "";
  }
}

std::string_view AccessorText(int32_t in_lEntryType) {
  switch (in_lEntryType) {
    case kEntryPropertyGet:
      return "Get";
    case kEntryPropertySet:
      return "Set";
    case kEntryPropertyLet:
      return "Let";
    default:
      return "";
  }
}

void WriteModuleSummaries(ReportWriter& io_oWriter, const clsSymTable& in_oSymTable) {
  for (const auto& m : in_oSymTable) {
    if (m) WriteSummary(io_oWriter, *m);
  }
}

ModuleDetailsAhead RenderModuleDetails(const std::shared_ptr<const ClsSymEntry>& in_oEntry) {
  ModuleDetailsAhead ahead;
  if (!in_oEntry) return ahead;
  try {
    ReportWriter w;
    w.OpenInMemory();
    WriteDetails(w, *in_oEntry);
    if (!w.Ok()) return ahead;
    ahead.lines = w.TakeText();
    ahead.declarations = DeclarationCount(*in_oEntry);
    ahead.entry = in_oEntry;
  } catch (const std::bad_alloc&) {
    throw;  // out of memory ends the run, at its boundary
  } catch (...) {
    // The caller gets no block ahead; the report renders this module's details itself.
    ahead = ModuleDetailsAhead();
  }
  return ahead;
}

void WriteModuleDetails(ReportWriter& io_oWriter, const clsSymTable& in_oSymTable,
                        std::vector<ModuleDetailsAhead>* io_pAhead) {
  std::unordered_map<const ClsSymEntry*, ModuleDetailsAhead*> ahead;
  if (io_pAhead) {
    ahead.reserve(io_pAhead->size());
    for (ModuleDetailsAhead& a : *io_pAhead)
      if (a.entry) ahead.emplace(a.entry.get(), &a);
  }
  for (const auto& m : in_oSymTable) {
    if (!m) continue;
    const auto found = ahead.find(m.get());
    if (found == ahead.end()) {
      WriteDetails(io_oWriter, *m);
      continue;
    }
    ModuleDetailsAhead& a = *found->second;
    if (a.declarations == DeclarationCount(*m)) {
      io_oWriter.WriteLines(a.lines);
    } else {
      WriteDetails(io_oWriter, *m);
    }
    // An entry appears once in the table: its block is done with.
    a = ModuleDetailsAhead();
  }
}

}  // namespace qs

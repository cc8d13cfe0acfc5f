#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/ClsSymEntry.h"
#include "model/clsSymTable.h"
#include "output/report/ReportModules.h"
#include "output/report/ReportWriter.h"
#include "support/TestFolder.h"

namespace qs {
namespace {

using test::ReadFile;
using test::TestFolder;
using Lines = std::vector<std::string>;

// Row shapes, written out as the report has them.
const Lines kEmptyRow = {"<tr>", "<td></td><td></td><td></td><td></td><td></td>", "</tr>"};
const Lines kBlankRow = {
    "<tr>", "<td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td>", "</tr>"};
const std::string kWide = "<table border=\"0\" width =\"100%\" >";
const std::string kNarrow = "<table border=\"0\" width =\"50%\" >";

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Lines Tr(const std::string& cells) {
  return {"<tr>", cells, "</tr>"};
}

std::shared_ptr<ClsEntryPtr> Entry(const std::string& name, const std::string& scope = "",
                                   const std::string& type = "", int32_t kind = 0) {
  auto e = std::make_shared<ClsEntryPtr>();
  e->EntryName = name;
  e->Scope = scope;
  e->EntryType = type;
  e->eEntrytype = kind;
  return e;
}

std::shared_ptr<ClsEntryPtr> Param(const std::string& name, const std::string& type, int32_t mode) {
  auto p = Entry(name, "local", type);
  p->eArgScope = mode;
  return p;
}

std::shared_ptr<ClsEntry> List(std::initializer_list<std::shared_ptr<ClsEntryPtr>> items) {
  auto l = std::make_shared<ClsEntry>();
  for (const auto& i : items) l->Add(i);
  return l;
}

enum class Sweep { Summaries, Details };

// Runs one sweep over the table into a report file and returns its lines (CR LF removed).
Lines Render(const clsSymTable& table, Sweep sweep) {
  TestFolder dir("report-modules");
  ReportWriter w;
  EXPECT_TRUE(w.Open(dir / "r.html"));
  if (sweep == Sweep::Summaries) {
    WriteModuleSummaries(w, table);
  } else {
    WriteModuleDetails(w, table);
  }
  EXPECT_TRUE(w.Commit()) << w.FailureReason();
  const std::string text = ReadFile(dir / "r.html");
  Lines lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line has no CR LF";
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// ---- module summaries -------------------------------------------------------------------------

TEST(ReportModules, SummaryHasNineRowsWithTheVariablesBreakQuirk) {
  clsSymTable table;
  auto m = table.CreateSymbolTableEntry("modMain");
  m->EConst.Add(Entry("A"));
  m->EConst.Add(Entry("B"));
  m->EDeclare.Add(Entry("Beep"));
  m->EVar.Add(Entry("x"));
  m->EVar.Add(Entry("y"));
  m->EVar.Add(Entry("z"));
  m->EEvent.Add(Entry("Changed"));

  const Lines expected = Join({
      {"<H3>modMain</H3>", kNarrow},
      Tr("<td>Consts </td><td align=\"right\">2</td>"),
      Tr("<td>Api Declariations </td><td align=\"right\">1</td>"),
      Tr("<td>Enumerations </td><td align=\"right\">0</td>"),
      Tr("<td>Types </td><td align=\"right\">0</td>"),
      Tr("<td>Variables </td><td align=\"right\">3</td><BR>"),
      Tr("<td>Subroutines</td><td align=\"right\">0</td>"),
      Tr("<td>Functions </td><td align=\"right\">0</td>"),
      Tr("<td>Properties </td><td align=\"right\">0</td>"),
      Tr("<td>Events &nbsp;</td><td align=\"right\">1</td>"),
      {"</table><BR>"},
  });
  EXPECT_EQ(Render(table, Sweep::Summaries), expected);
}

TEST(ReportModules, SummariesFollowTableOrderAndShareCaseInsensitiveKeys) {
  clsSymTable table;
  table.CreateSymbolTableEntry("Zeta");
  table.CreateSymbolTableEntry("alpha");
  table.CreateSymbolTableEntry("ZETA");  // same module key: not a second entry
  const Lines lines = Render(table, Sweep::Summaries);
  // Two tables of 2 + 27 + 1 lines each.
  ASSERT_EQ(lines.size(), 60u);
  EXPECT_EQ(lines[0], "<H3>Zeta</H3>");
  EXPECT_EQ(lines[30], "<H3>alpha</H3>");
  // A module without declarations still gets nine zero rows.
  EXPECT_EQ(lines[3], "<td>Consts </td><td align=\"right\">0</td>");
  EXPECT_EQ(lines[27], "<td>Events &nbsp;</td><td align=\"right\">0</td>");
}

TEST(ReportModules, EmptyTableWritesNothing) {
  clsSymTable table;
  EXPECT_TRUE(Render(table, Sweep::Summaries).empty());
  EXPECT_TRUE(Render(table, Sweep::Details).empty());
}

// ---- detail sections --------------------------------------------------------------------------

// Writes the details through WriteModuleDetails with blocks rendered ahead; returns the text.
// Blocks of the table's entries are given back once written.
std::string DetailsWithAhead(const clsSymTable& table, std::vector<ModuleDetailsAhead> ahead) {
  TestFolder dir("report-modules-ahead");
  ReportWriter w;
  EXPECT_TRUE(w.Open(dir / "r.html"));
  WriteModuleDetails(w, table, &ahead);
  for (const ModuleDetailsAhead& a : ahead) {
    if (a.entry && table.Item(std::string_view(a.entry->EntryName)) == a.entry)
      ADD_FAILURE() << "block of " << a.entry->EntryName << " kept after it was written";
  }
  EXPECT_TRUE(w.Commit()) << w.FailureReason();
  return ReadFile(dir / "r.html");
}

TEST(ReportModules, BlockRenderedAheadIsTheBlockTheReportWrites) {
  clsSymTable table;
  auto m = table.CreateSymbolTableEntry("modA");
  m->EConst.Add(Entry("kA & kB", "Public", "Long", kEntryConst));
  m->ESub.Add(Entry("Run", "Public", "", kEntrySub));
  auto other = table.CreateSymbolTableEntry("modB");
  other->EVar.Add(Entry("v", "Private", "Long"));

  const ModuleDetailsAhead a = RenderModuleDetails(m);
  EXPECT_EQ(a.entry, m);
  EXPECT_EQ(a.declarations, 2);
  const ModuleDetailsAhead b = RenderModuleDetails(other);
  EXPECT_EQ(DetailsWithAhead(table, {}), a.lines + b.lines);
  EXPECT_EQ(DetailsWithAhead(table, {a, b}), a.lines + b.lines);
  EXPECT_EQ(RenderModuleDetails(nullptr).declarations, -1);
}

TEST(ReportModules, BlockRenderedAheadIsUsedOnlyWhileItsModuleIsUnchanged) {
  clsSymTable table;
  auto m = table.CreateSymbolTableEntry("modA");
  m->ESub.Add(Entry("Run", "Public", "", kEntrySub));
  ModuleDetailsAhead a = RenderModuleDetails(m);
  // A marker in place of the block shows which one was written.
  a.lines = "AHEAD\r\n";
  EXPECT_EQ(DetailsWithAhead(table, {a}), "AHEAD\r\n");

  // A later file of the same module adds a declaration: the block no longer stands for it.
  m->EFunction.Add(Entry("Twice", "Public", "Long", kEntryFunction));
  const std::string fresh = DetailsWithAhead(table, {});
  EXPECT_NE(fresh.find("Twice"), std::string::npos);
  EXPECT_EQ(DetailsWithAhead(table, {a}), fresh);

  // A block of another entry object under the same name is not taken for this one.
  clsSymTable second;
  auto n = second.CreateSymbolTableEntry("modA");
  n->ESub.Add(Entry("Run", "Public", "", kEntrySub));
  n->EFunction.Add(Entry("Twice", "Public", "Long", kEntryFunction));
  EXPECT_EQ(DetailsWithAhead(second, {a}), fresh);
}

TEST(ReportModules, ModuleWithoutDeclarationsGetsOnlyItsHeading) {
  clsSymTable table;
  table.CreateSymbolTableEntry("Class1");
  EXPECT_EQ(Render(table, Sweep::Details), Lines{"<H3>Class1</H3>"});
}

TEST(ReportModules, SectionsComeInDetailOrder) {
  clsSymTable table;
  auto m = table.CreateSymbolTableEntry("M");
  // Filled in summary order; the details put variables last and events before properties.
  m->EConst.Add(Entry("C", "", "Long", kEntryConst));
  m->EDeclare.Add(Entry("D", "Public", "", kEntrySub));
  m->EEnum.Add(Entry("En", "Public", "", kEntryEnum));
  m->EType.Add(Entry("Ty", "Public", "", kEntryType));
  m->EVar.Add(Entry("v", "Private", "Long"));
  m->ESub.Add(Entry("S", "Public", "", kEntrySub));
  m->EFunction.Add(Entry("F", "Public", "", kEntryFunction));
  m->EProperty.Add(Entry("P", "Public", "", kEntryPropertyGet));
  m->EEvent.Add(Entry("Ev", "Public", "", kEntrySub));

  Lines titles;
  for (const std::string& l : Render(table, Sweep::Details))
    if (l.rfind("<H4>", 0) == 0) titles.push_back(l);
  EXPECT_EQ(titles, (Lines{"<H4>Consts</H4>", "<H4>Api Declarations</H4>", "<H4>Enumerations</H4>",
                           "<H4>Types</H4>", "<H4>Subroutines</H4>", "<H4>Functions</H4>",
                           "<H4>Events</H4>", "<H4>Properties</H4>", "<H4>Variables</H4>"}));
}

TEST(ReportModules, ConstsUseTheNarrowTableAndShowTheTypeUnheaded) {
  clsSymTable table;
  auto m = table.CreateSymbolTableEntry("M");
  m->EConst.Add(Entry("MAX_PATH", "Public", "Long", kEntryConst));
  m->EConst.Add(Entry("NoType", "", "", kEntryConst));
  const Lines expected = Join({
      {"<H3>M</H3>", "<H4>Consts</H4>", kNarrow},
      Tr("<td>Name</td><td>Scope</td><td></td>"),
      Tr("<td>MAX_PATH</td><td>Public</td><td>Long</td>"),
      Tr("<td>NoType</td><td></td><td></td>"),  // no type: an empty third cell
      {"</table><BR>"},
  });
  EXPECT_EQ(Render(table, Sweep::Details), expected);
}

TEST(ReportModules, EnumerationsAndTypesListTheirMembers) {
  clsSymTable table;
  auto m = table.CreateSymbolTableEntry("M");
  auto colors = Entry("Colors", "Public", "", kEntryEnum);
  colors->Parameters = List({Entry("Red"), Entry("Green")});
  m->EEnum.Add(colors);
  m->EEnum.Add(Entry("Empty", "Private", "", kEntryEnum));  // no member list at all
  auto point = Entry("POINTAPI", "Private", "", kEntryType);
  point->Parameters = List({Entry("x", "", "Long"), Entry("Name", "", "String")});
  m->EType.Add(point);

  const std::string header = "<td>Name</td><td>Scope</td><td></td><td></td><td></td>";
  const Lines expected = Join({
      {"<H3>M</H3>", "<H4>Enumerations</H4>", kWide},
      Tr(header),
      kEmptyRow,
      Tr("<td><b>Colors</b></td><td><b>Public<b></td><td></td><td></td><td></td>"),
      kEmptyRow,
      Tr("<td></td><td>Red</td><td></td><td></td><td></td>"),
      Tr("<td></td><td>Green</td><td></td><td></td><td></td>"),
      // An enumeration without members: empty row, name row, empty row, nothing else.
      kEmptyRow,
      Tr("<td><b>Empty</b></td><td><b>Private<b></td><td></td><td></td><td></td>"),
      kEmptyRow,
      {"</table><BR>", "<H4>Types</H4>", kWide},
      Tr(header),
      kEmptyRow,
      Tr("<td><b>POINTAPI</b></td><td><b>Private<b></td><td></td><td></td><td></td>"),
      kEmptyRow,
      Tr("<td></td><td>x</td><td>Long</td><td></td><td></td>"),
      Tr("<td></td><td>Name</td><td>String</td><td></td><td></td>"),
      {"</table><BR>"},
  });
  EXPECT_EQ(Render(table, Sweep::Details), expected);
}

TEST(ReportModules, VariablesHaveNoSpacerRows) {
  clsSymTable table;
  auto m = table.CreateSymbolTableEntry("M");
  m->EVar.Add(Entry("m_count", "Private", "Long"));
  m->EVar.Add(Entry("g_obj", "Public", "Lib.Class"));
  const Lines expected = Join({
      {"<H3>M</H3>", "<H4>Variables</H4>", kWide},
      Tr("<td>Name</td><td>Scope</td><td>Type</td><td></td><td></td>"),
      Tr("<td><b>m_count</b></td><td><b>Private<b></td><td><b>Long</b></td><td></td><td></td>"),
      Tr("<td><b>g_obj</b></td><td><b>Public<b></td><td><b>Lib.Class</b></td><td></td><td></td>"),
      {"</table><BR>"},
  });
  EXPECT_EQ(Render(table, Sweep::Details), expected);
}

TEST(ReportModules, ApiDeclarationRowsAreBlankBlankNameEmptyReturnParameters) {
  clsSymTable table;
  auto m = table.CreateSymbolTableEntry("M");
  auto d = Entry("GetTickCount", "Private", "", kEntryFunction);
  d->LibName = "\"kernel32\"";
  d->AliasName = "\"GetTickCount\"";
  d->ReturnType = "Long";
  d->Parameters = List({Param("hWnd", "Long", kArgByVal)});
  m->EDeclare.Add(d);
  auto s = Entry("Sleep", "Public", "", kEntrySub);
  s->LibName = "\"kernel32\"";
  m->EDeclare.Add(s);
  m->EDeclare.Add(Entry("Odd", "Public", "", kEntryNotSet));  // neither Sub nor Function

  const Lines expected = Join({
      {"<H3>M</H3>", "<H4>Api Declarations</H4>", kWide},
      Tr("<td>Name</td><td>Scope</td><td>Declaration Type</td><td>Library</td><td>Alias</td>"),
      kBlankRow,
      kBlankRow,
      Tr("<td><b>GetTickCount</b></td><td><b>Private<b></td><td><b>Function</b></td>"
         "<td><b>\"kernel32\"</b></td><td><b>\"GetTickCount\"<b></td>"),
      kEmptyRow,
      Tr("<td></td><td></td><td></td><td></td><td><b>Long<b></td>"),
      Tr("<td></td><td>hWnd</td><td>Long</td><td>Byval</td><td></td>"),
      kBlankRow,
      kBlankRow,
      Tr("<td><b>Sleep</b></td><td><b>Public<b></td><td><b>Subroutine</b></td>"
         "<td><b>\"kernel32\"</b></td><td><b><b></td>"),
      kEmptyRow,
      Tr("<td></td><td></td><td></td><td></td><td><b><b></td>"),
      kBlankRow,
      kBlankRow,
      Tr("<td><b>Odd</b></td><td><b>Public<b></td><td><b></b></td><td><b></b></td><td><b><b></td>"),
      kEmptyRow,
      Tr("<td></td><td></td><td></td><td></td><td><b><b></td>"),
      {"</table><BR>"},
  });
  EXPECT_EQ(Render(table, Sweep::Details), expected);
}

TEST(ReportModules, BareSubroutineIsBlankNameEmptyReturnAndTheTwoTailRows) {
  clsSymTable table;
  auto m = table.CreateSymbolTableEntry("M");
  m->ESub.Add(Entry("Main", "Public", "", kEntrySub));
  const Lines expected = Join({
      {"<H3>M</H3>", "<H4>Subroutines</H4>", kWide},
      Tr("<td>Name</td><td>Scope</td><td></td><td></td><td></td>"),
      kBlankRow,
      Tr("<td><b>Main</b></td><td><b>Public<b></td><td></td><td></td><td></td>"),
      kEmptyRow,
      Tr("<td></td><td></td><td></td><td></td><td><b><b></td>"),
      kEmptyRow,
      kEmptyRow,
      {"</table><BR>"},
  });
  EXPECT_EQ(Render(table, Sweep::Details), expected);
}

TEST(ReportModules, PassingModesAndLocalsOfASubroutine) {
  clsSymTable table;
  auto m = table.CreateSymbolTableEntry("M");
  auto s = Entry("Fill", "Private", "", kEntrySub);
  s->Parameters = List({Param("a", "Long", kArgByRef), Param("b", "String", kArgByVal),
                        Param("c", "Long", kArgOptionalByVal), Param("d", "Variant", kArgOptional),
                        Param("e", "Variant", kArgParamArray), Param("f", "", kArgNotSet)});
  s->EVar = List({Entry("i", "Fill", "Long"), Entry("s", "Fill", "String")});
  s->EConst = List({Entry("LIMIT", "Fill", "Integer")});
  m->ESub.Add(s);

  const Lines expected = Join({
      {"<H3>M</H3>", "<H4>Subroutines</H4>", kWide},
      Tr("<td>Name</td><td>Scope</td><td></td><td></td><td></td>"),
      kBlankRow,
      Tr("<td><b>Fill</b></td><td><b>Private<b></td><td></td><td></td><td></td>"),
      kEmptyRow,
      Tr("<td></td><td></td><td></td><td></td><td><b><b></td>"),
      Tr("<td></td><td>a</td><td>Long</td><td>ByRef</td><td></td>"),
      Tr("<td></td><td>b</td><td>String</td><td>Byval</td><td></td>"),
      Tr("<td></td><td>c</td><td>Long</td><td>Optional Byval</td><td></td>"),
      Tr("<td></td><td>d</td><td>Variant</td><td>Optional ByRef</td><td></td>"),
      Tr("<td></td><td>e</td><td>Variant</td><td>ParamArray</td><td></td>"),
      Tr("<td></td><td>f</td><td></td><td></td><td></td>"),
      kEmptyRow,
      Tr("<td><b>Local Variables</b></td><td><b>2</b></td><td></td><td></td><td></td>"),
      Tr("<td></td><td>i</td><td>Long</td><td></td><td>Fill</td>"),
      Tr("<td></td><td>s</td><td>String</td><td></td><td>Fill</td>"),
      kEmptyRow,
      Tr("<td><b>Local Consts</b></td><td><b>1</b></td><td></td><td></td><td></td>"),
      Tr("<td></td><td>LIMIT</td><td>Integer</td><td></td><td>Fill</td>"),
      {"</table><BR>"},
  });
  EXPECT_EQ(Render(table, Sweep::Details), expected);
}

TEST(ReportModules, FunctionsHaveNoEmptyRowBeforeTheReturnTypeAndEmptyLocalsWriteNothing) {
  clsSymTable table;
  auto m = table.CreateSymbolTableEntry("M");
  auto f = Entry("Twice", "Public", "", kEntryFunction);
  f->ReturnType = "Long";
  f->Parameters = List({Param("n", "Long", kArgByVal)});
  f->EVar = std::make_shared<ClsEntry>();    // exists but empty: no heading row
  f->EConst = std::make_shared<ClsEntry>();  // likewise
  m->EFunction.Add(f);

  const Lines expected = Join({
      {"<H3>M</H3>", "<H4>Functions</H4>", kWide},
      Tr("<td>Name</td><td>Scope</td><td></td><td></td><td></td>"),
      kBlankRow,
      Tr("<td><b>Twice</b></td><td><b>Public<b></td><td></td><td></td><td></td>"),
      Tr("<td></td><td></td><td></td><td></td><td><b>Long<b></td>"),
      Tr("<td></td><td>n</td><td>Long</td><td>Byval</td><td></td>"),
      kEmptyRow,
      kEmptyRow,
      {"</table><BR>"},
  });
  EXPECT_EQ(Render(table, Sweep::Details), expected);
}

TEST(ReportModules, EventsHaveNoBodyTail) {
  clsSymTable table;
  auto m = table.CreateSymbolTableEntry("M");
  auto e = Entry("Progress", "Public", "", kEntrySub);
  e->Parameters = List({Param("Percent", "Integer", kArgByVal)});
  // Locals on an event are never written: events have no body.
  e->EVar = List({Entry("x", "Progress", "Long")});
  m->EEvent.Add(e);

  const Lines expected = Join({
      {"<H3>M</H3>", "<H4>Events</H4>", kWide},
      Tr("<td>Name</td><td>Scope</td><td></td><td></td><td></td>"),
      kBlankRow,
      Tr("<td><b>Progress</b></td><td><b>Public<b></td><td></td><td></td><td></td>"),
      Tr("<td></td><td></td><td></td><td></td><td><b><b></td>"),
      Tr("<td></td><td>Percent</td><td>Integer</td><td>Byval</td><td></td>"),
      {"</table><BR>"},
  });
  EXPECT_EQ(Render(table, Sweep::Details), expected);
}

TEST(ReportModules, PropertiesShowTheirAccessorOncePerProcedure) {
  clsSymTable table;
  auto m = table.CreateSymbolTableEntry("M");
  auto get = Entry("Caption", "Public", "", kEntryPropertyGet);
  get->ReturnType = "String";
  auto let = Entry("Caption", "Public", "", kEntryPropertyLet);
  let->Parameters = List({Param("RHS", "String", kArgByVal)});
  auto set = Entry("Font", "Friend", "", kEntryPropertySet);
  set->Parameters = List({Param("f", "StdFont", kArgByRef)});
  m->EProperty.Add(get);
  m->EProperty.Add(let);
  m->EProperty.Add(set);

  const Lines expected = Join({
      {"<H3>M</H3>", "<H4>Properties</H4>", kWide},
      Tr("<td>Name</td><td>Scope</td><td>Property Type</td><td></td><td></td>"),
      kBlankRow,
      Tr("<td><b>Caption</b></td><td><b>Public<b></td><td><b>Get</b></td><td></td><td></td>"),
      Tr("<td></td><td></td><td></td><td></td><td><b>String<b></td>"),
      kEmptyRow,
      kEmptyRow,
      kBlankRow,
      Tr("<td><b>Caption</b></td><td><b>Public<b></td><td><b>Let</b></td><td></td><td></td>"),
      Tr("<td></td><td></td><td></td><td></td><td><b><b></td>"),
      Tr("<td></td><td>RHS</td><td>String</td><td>Byval</td><td></td>"),
      kEmptyRow,
      kEmptyRow,
      kBlankRow,
      Tr("<td><b>Font</b></td><td><b>Friend<b></td><td><b>Set</b></td><td></td><td></td>"),
      Tr("<td></td><td></td><td></td><td></td><td><b><b></td>"),
      Tr("<td></td><td>f</td><td>StdFont</td><td>ByRef</td><td></td>"),
      kEmptyRow,
      kEmptyRow,
      {"</table><BR>"},
  });
  EXPECT_EQ(Render(table, Sweep::Details), expected);
}

TEST(ReportModules, ValuesFromTheSourceAreEscapedButMarkupIsNot) {
  clsSymTable table;
  auto m = table.CreateSymbolTableEntry("A&B<C>");
  auto c = Entry("X", "", "<T>", kEntryConst);
  m->EConst.Add(c);
  auto d = Entry("Q&A", "Public", "", kEntryFunction);
  d->LibName = "\"a<b>.dll\"";
  d->AliasName = "\"#1&\"";
  d->ReturnType = "R>";
  d->Parameters = List({Param("p&", "x<y", kArgByVal)});
  m->EDeclare.Add(d);
  auto s = Entry("S", "Public", "", kEntrySub);
  s->EVar = List({Entry("l<", "S&", "T>")});
  m->ESub.Add(s);

  const Lines summary = Render(table, Sweep::Summaries);
  ASSERT_FALSE(summary.empty());
  EXPECT_EQ(summary[0], "<H3>A&amp;B&lt;C&gt;</H3>");

  const Lines details = Render(table, Sweep::Details);
  const auto has = [&](const std::string& line) {
    return std::find(details.begin(), details.end(), line) != details.end();
  };
  EXPECT_EQ(details[0], "<H3>A&amp;B&lt;C&gt;</H3>");
  EXPECT_TRUE(has("<td>X</td><td></td><td>&lt;T&gt;</td>"));
  EXPECT_TRUE(
      has("<td><b>Q&amp;A</b></td><td><b>Public<b></td><td><b>Function</b></td>"
          "<td><b>\"a&lt;b&gt;.dll\"</b></td><td><b>\"#1&amp;\"<b></td>"));
  EXPECT_TRUE(has("<td></td><td></td><td></td><td></td><td><b>R&gt;<b></td>"));
  EXPECT_TRUE(has("<td></td><td>p&amp;</td><td>x&lt;y</td><td>Byval</td><td></td>"));
  EXPECT_TRUE(has("<td></td><td>l&lt;</td><td>T&gt;</td><td></td><td>S&amp;</td>"));
  // No raw "<" from a value may slip through: every line is either fixed markup or escaped.
  for (const std::string& l : details) EXPECT_EQ(l.find("a<b"), std::string::npos) << l;
}

TEST(ReportModules, EmptyListsOfASymbolEntryCountZeroAndHaveNoSection) {
  clsSymTable table;
  auto m = table.CreateSymbolTableEntry("M");
  m->EVar.Add(Entry("v", "Private", "Long"));
  const Lines summary = Render(table, Sweep::Summaries);
  ASSERT_EQ(summary.size(), 30u);
  EXPECT_EQ(summary[3], "<td>Consts </td><td align=\"right\">0</td>");
  EXPECT_EQ(summary[15], "<td>Variables </td><td align=\"right\">1</td><BR>");
  const Lines details = Render(table, Sweep::Details);
  ASSERT_EQ(details.size(), 10u);
  EXPECT_EQ(details[1], "<H4>Variables</H4>");
}

TEST(ReportModules, FixedTexts) {
  EXPECT_EQ(PassingModeText(0), "");
  EXPECT_EQ(PassingModeText(1), "ByRef");
  EXPECT_EQ(PassingModeText(2), "Byval");
  EXPECT_EQ(PassingModeText(3), "Optional Byval");
  EXPECT_EQ(PassingModeText(4), "Optional ByRef");
  EXPECT_EQ(PassingModeText(5), "ParamArray");
  EXPECT_EQ(PassingModeText(6), "");
  EXPECT_EQ(PassingModeText(-1), "");
  EXPECT_EQ(DeclareKindText(5), "Subroutine");
  EXPECT_EQ(DeclareKindText(6), "Function");
  EXPECT_EQ(DeclareKindText(7), "");
  EXPECT_EQ(AccessorText(7), "Get");
  EXPECT_EQ(AccessorText(8), "Set");
  EXPECT_EQ(AccessorText(9), "Let");
  EXPECT_EQ(AccessorText(6), "");
}

}  // namespace
}  // namespace qs

// The questions as a user asks them: controls in --unused only when asked for, names typed and
// printed in UTF-8 through the project's code page, the qualified names an ambiguous name offers,
// and places in files whose strings run on across lines.
#include "run/ResolutionCases.h"

namespace qs {
namespace {

using test::Case;

constexpr const char* kForm =
    "VERSION 5.00\nBegin VB.Form frmF\n   Begin VB.CommandButton cmdGo\n   End\n"
    "   Begin VB.Label lblNote\n   End\n   Begin VB.Frame fraBox\n   End\nEnd\n"
    "Attribute VB_Name = \"frmF\"\n"
    "Private Sub cmdGo_Click()\n  fraBox.Visible = False\nEnd Sub\n"
    "Public Sub Shown()\nEnd Sub\n";

constexpr const char* kClass =
    "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsC\"\nAttribute VB_Exposed = True\n"
    "Public Sub Api()\nEnd Sub\n";

// "Combate" of code page 1252 with "Apuñalar" (ñ is 0xF1) and a comment in Spanish.
constexpr const char* kSpanish =
    "Attribute VB_Name = \"Combate\"\nPublic Sub Apu\xF1"
    "alar()\nEnd Sub\n"
    "Sub Golpe()\n  Apu\xF1"
    "alar ' \xBF"
    "ataque?\nEnd Sub\n";

// "Проверка" (check) and a comment "комментарий" in code page 1251.
constexpr const char* kRussian =
    "Attribute VB_Name = \"modRu\"\nPublic Sub \xCF\xF0\xEE\xE2\xE5\xF0\xEA\xE0()\nEnd Sub\n"
    "Sub Main()\n  \xCF\xF0\xEE\xE2\xE5\xF0\xEA\xE0 ' "
    "\xEA\xEE\xEC\xEC\xE5\xED\xF2\xE0\xF0\xE8\xE9\n"
    "End Sub\n";

// Damaged first lines: control bytes, a lone CR, a string left open on line 2 and closed on
// line 5 (after a quote inside what looks like a comment), then code from line 7 on.
constexpr const char* kDamaged =
    "Attribute VB_Name = \"modD\"\n\x01\x1a\"abc\xff\nx\ry more\n\x1a'seems a comment \"\n"
    "zz q\nOption Explicit\nPublic Sub Target()\nEnd Sub\nSub Caller()\n"
    "  Dim s: s = \"a\n b\": Target\n  Call Target\nEnd Sub\n";

const Case kCases[] = {
    {"--unused leaves controls out: a label or frame code never names is what the form shows",
     "Type=Exe\nForm=f.frm\n",
     {{"f.frm", kForm}},
     "unused",
     "f.frm:14:12: unused sub frmF.Shown\n"},
    {"--unused --controls lists the controls code never names (fraBox is named, cmdGo has a "
     "handler)",
     "Type=Exe\nForm=f.frm\n",
     {{"f.frm", kForm}},
     "unused",
     "f.frm:5:19: unused control frmF.lblNote\nf.frm:14:12: unused sub frmF.Shown\n",
     0,
     {},
     false,
     true},
    {"--unused --exposed leaves controls out too, and lists them with --controls",
     "Type=OleDll\nForm=f.frm\nClass=clsC; c.cls\n",
     {{"f.frm", kForm}, {"c.cls", kClass}},
     "exposed",
     "f.frm:14:12: unused sub frmF.Shown\nc.cls:6:12: exposed sub clsC.Api\n"},
    {"--unused --exposed --controls",
     "Type=OleDll\nForm=f.frm\nClass=clsC; c.cls\n",
     {{"f.frm", kForm}, {"c.cls", kClass}},
     "exposed",
     "f.frm:5:19: unused control frmF.lblNote\nf.frm:14:12: unused sub frmF.Shown\n"
     "c.cls:6:12: exposed sub clsC.Api\n",
     0,
     {},
     false,
     true},
    {"a name typed in UTF-8 finds the code page's bytes; lines print in UTF-8",
     "Type=Exe\nModule=Combate; c.bas\n",
     {{"c.bas", kSpanish}},
     "refs=Combate.Apu\xC3\xB1"
     "alar",
     "c.bas:2:12: declaration: Public Sub Apu\xC3\xB1"
     "alar()\n"
     "c.bas:5:3: call: Apu\xC3\xB1"
     "alar ' \xC2\xBF"
     "ataque?\n"},
    {"a name that is no UTF-8 is still tried as the project's own bytes",
     "Type=Exe\nModule=Combate; c.bas\n",
     {{"c.bas", kSpanish}},
     "refs=apu\xD1"
     "alar",
     "c.bas:2:12: declaration: Public Sub Apu\xC3\xB1"
     "alar()\n"
     "c.bas:5:3: call: Apu\xC3\xB1"
     "alar ' \xC2\xBF"
     "ataque?\n"},
    {"an unknown name is echoed as typed",
     "Type=Exe\nModule=Combate; c.bas\n",
     {{"c.bas", kSpanish}},
     "refs=Apu\xC3\xB1"
     "ar",
     "stderr:\nquillscope-cli: no declaration is named 'Apu\xC3\xB1"
     "ar'\n",
     1},
    {"--unused prints names in UTF-8",
     "Type=Exe\nModule=Combate; c.bas\n",
     {{"c.bas", kSpanish}},
     "unused",
     "c.bas:4:5: unused sub Combate.Golpe\n"},
    {"code page 1251: a Cyrillic name typed in UTF-8, its comment printed in UTF-8",
     "Type=Exe\nModule=modRu; r.bas\n",
     {{"r.bas", kRussian}},
     "refs=\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB5\xD1\x80\xD0\xBA\xD0\xB0",
     "r.bas:2:12: declaration: Public Sub "
     "\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB5\xD1\x80\xD0\xBA\xD0\xB0()\n"
     "r.bas:5:3: call: \xD0\x9F\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB5\xD1\x80\xD0\xBA\xD0\xB0 ' "
     "\xD0\xBA\xD0\xBE\xD0\xBC\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82\xD0\xB0\xD1\x80\xD0\xB8\xD0\xB9\n",
     0,
     {},
     false,
     false,
     1251},
    {"code page 1251: a character the code page lacks finds nothing",
     "Type=Exe\nModule=modRu; r.bas\n",
     {{"r.bas", kRussian}},
     "refs=\xE4\xB8\xAD",
     "stderr:\nquillscope-cli: no declaration is named '\xE4\xB8\xAD'\n",
     1,
     {},
     false,
     false,
     1251},
    {"an ambiguous bare name lists each candidate's qualified name once (a property's Get and "
     "Let are one), with its kind and place",
     "Type=Exe\nModule=modA; a.bas\nModule=modB; b.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nPublic Property Get Level() As Long\nEnd Property\n"
       "Public Property Let Level(ByVal v As Long)\nEnd Property\n"
       "Sub One()\n  Dim n As Long\nEnd Sub\nSub Two()\n  Dim n As Long\nEnd Sub\n"},
      {"b.bas", "Attribute VB_Name = \"modB\"\nPublic Sub Level()\nEnd Sub\n"}},
     "refs=Level",
     "stderr:\nquillscope-cli: ambiguous: 'Level' names 2 declarations; ask for one of:\n"
     "  modA.Level  (property, a.bas:2:21)\n"
     "  modB.Level  (sub, b.bas:2:12)\n",
     2},
    {"the qualified names offered are the ones to type: locals by their procedure",
     "Type=Exe\nModule=modA; a.bas\nModule=modB; b.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\n"
       "Sub One()\n  Dim n As Long\nEnd Sub\nSub Two()\n  Dim n As Long\n  n = 1\nEnd Sub\n"},
      {"b.bas", "Attribute VB_Name = \"modB\"\n"}},
     "refs=n",
     "stderr:\nquillscope-cli: ambiguous: 'n' names 2 declarations; ask for one of:\n"
     "  modA.One.n  (variable, a.bas:3:7)\n"
     "  modA.Two.n  (variable, a.bas:6:7)\n",
     2},
    {"a candidate asked for by its qualified name answers",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\n"
       "Sub One()\n  Dim n As Long\nEnd Sub\nSub Two()\n  Dim n As Long\n  n = 1\nEnd Sub\n"}},
     "refs=modA.Two.n",
     "a.bas:6:7: declaration: Dim n As Long\na.bas:7:3: write: n = 1\n"},
    {"a damaged file: places count the lone CR and the line ends inside strings left open, and "
     "a line printed is one physical line",
     "Type=Exe\nModule=modD; d.bas\n",
     {{"d.bas", kDamaged}},
     "refs=Target",
     "d.bas:8:12: declaration: Public Sub Target()\n"
     "d.bas:12:6: call: b\": Target\n"
     "d.bas:13:8: call: Call Target\n"},
    {"a damaged file: declarations after the damage are placed on their physical lines",
     "Type=Exe\nModule=modD; d.bas\n",
     {{"d.bas", kDamaged}},
     "unused",
     "d.bas:10:5: unused sub modD.Caller\n"},
};

TEST(ResolutionQuestions, AnswersAsTheUserAsks) {
  test::CheckCases(kCases, "questions");
}

}  // namespace
}  // namespace qs

// Conditional compilation in the cross references: the branches of #If blocks whose conditions
// are false hold no uses and their declarations are neither used nor unused; a condition that
// cannot be evaluated leaves every branch in, with a warning.
#include <rapidjson/document.h>

#include <string>

#include "output/json/ProjectExport.h"
#include "run/ResolutionCases.h"
#include "run/RunExports.h"
#include "run/clsVBInfo.h"
#include "support/JsonText.h"
#include "support/TestFolder.h"

namespace qs {
namespace {

using test::Case;

const Case kConditionalCases[] = {
    {"CondComp picks the branch: uses bind to the live copy, the dead one is not asked about",
     "Type=Exe\nModule=modA; a.bas\nCondComp=\"DEV = 1 : OLD = 0\"\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\n#If DEV = 1 Then\nPrivate Const A = 1\n"
       "#Else\nPrivate Const A = 2\n#End If\nSub Main()\n  Debug.Print A\n"
       "#If OLD Then\n  Debug.Print A + 1\n#End If\nEnd Sub\n"}},
     "refs=A",
     "a.bas:4:15: declaration: Private Const A = 1\n"
     "a.bas:9:15: read: Debug.Print A\n"},
    {"#Const from its line on, using earlier constants, for its module alone",
     "Type=Exe\nModule=modA; a.bas\nModule=modB; b.bas\nCondComp=\"BASE = 2\"\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\n#If LEVEL = 3 Then\nPublic Sub Early()\nEnd Sub\n#End If\n"
       "#Const LEVEL = BASE + 1\n#If LEVEL = 3 Then\nPublic Sub Late()\nEnd Sub\n#End If\n"},
      {"b.bas",
       "Attribute VB_Name = \"modB\"\n#If LEVEL = 3 Then\nPublic Sub Other()\nEnd Sub\n#End If\n"
       "Sub Main()\n  Early\n  Late\n  Other\nEnd Sub\n"}},
     "refs=Late",
     "a.bas:8:12: declaration: Public Sub Late()\n"
     "b.bas:8:3: call: Late\n"},
    {"#If, #ElseIf, #Else and nesting: the first true branch, inner blocks of a dead one dead",
     "Type=Exe\nModule=modA; a.bas\nCondComp=\"MODE = 2\"\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nSub Main()\n"
       "#If MODE = 1 Then\n  One\n  #If True Then\n    One\n  #End If\n"
       "#ElseIf MODE = 2 Then\n  #If Not (MODE <> 2) And (MODE * 3 - 1 = 5) Then\n    Two\n"
       "  #Else\n    One\n  #End If\n#ElseIf MODE > 1 Then\n  One\n#Else\n  One\n#End If\n"
       "End Sub\nSub One()\nEnd Sub\nSub Two()\nEnd Sub\n"}},
     "unused",
     "a.bas:2:5: unused sub modA.Main\n"
     "a.bas:20:5: unused sub modA.One\n"},
    {"Win32 is True, VBA7 and Win64 are Empty: the 32-bit Declare is the live one",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\n#If VBA7 Or Win64 Then\n"
       "Private Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As LongPtr\n"
       "#ElseIf Win32 And Not Win16 Then\n"
       "Private Declare Function GetTickCount Lib \"kernel32\" () As Long\n#End If\n"
       "Sub Main()\n  Debug.Print GetTickCount\nEnd Sub\n"}},
     "refs=GetTickCount",
     "a.bas:5:26: declaration: Private Declare Function GetTickCount Lib \"kernel32\" () As "
     "Long\n"
     "a.bas:8:15: call: Debug.Print GetTickCount\n"},
    {"--define adds a constant and overrides CondComp: the 64-bit Declare is the live one",
     "Type=Exe\nModule=modA; a.bas\nCondComp=\"VBA7 = 0\"\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\n#If VBA7 And Win64 Then\n"
       "Private Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As LongPtr\n"
       "#Else\nPrivate Declare Function GetTickCount Lib \"kernel32\" () As Long\n#End If\n"
       "Sub Main()\n  Debug.Print GetTickCount\nEnd Sub\n"}},
     "refs=GetTickCount",
     "a.bas:3:34: declaration: Private Declare PtrSafe Function GetTickCount Lib \"kernel32\" "
     "() As LongPtr\n"
     "a.bas:8:15: call: Debug.Print GetTickCount\n",
     0,
     {{"VBA7", "1"}, {"win64", "True"}}},
    {"a condition that cannot be evaluated: every branch live, twins joined, a warning",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\n#If Len(\"x\") = 1 Then\nPrivate Const A = 1\n"
       "  #If False Then\n  Private Const B = 1\n  #End If\n#Else\nPrivate Const A = 2\n"
       "#End If\n#End If\nSub Main()\n  Debug.Print A + B\nEnd Sub\n"}},
     "refs=A",
     "a.bas:3:15: declaration: Private Const A = 1\n"
     "a.bas:8:15: declaration: Private Const A = 2\n"
     "a.bas:12:15: read: Debug.Print A + B\n"
     "warnings:\n"
     "a.bas: line 2: the condition of #If (Len(\"x\") = 1) cannot be evaluated: every branch of "
     "its block is read\n"
     "a.bas: line 10: #End If stands outside an #If block\n",
     0,
     {},
     true},
    {"#If twins with other declarations of the name between them are one declaration when the "
     "condition cannot be evaluated",
     "Type=Exe\nStartup=\"Sub Main\"\nModule=modA; a.bas\nClass=clsA; c.cls\n",
     {{"c.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsA\"\n#If Len(\"x\") Then\n"
       "Public Property Get Size() As Long\nEnd Property\n"
       "Public Property Let Size(ByVal v As Long)\nEnd Property\n#Else\n"
       "Public Property Get Size() As Long\nEnd Property\n"
       "Public Property Let Size(ByVal v As Long)\nEnd Property\n#End If\n"},
      {"a.bas",
       "Attribute VB_Name = \"modA\"\nSub Main()\n  Dim c As New clsA\n  c.Size = c.Size\n"
       "End Sub\n"}},
     "unused",
     "c.cls:8:32: unused parameter clsA.Size.v\n"},
    {"dead copies of enumeration members (kept for their letter case) are no twins and not unused",
     "Type=Exe\nModule=modA; a.bas\nModule=modB; b.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nPublic Enum eColor\n  clrRed\n  clrBlue\nEnd Enum\n"
       "#If False Then\nPrivate Const clrRed = 0, clrBlue = 0\n#End If\n"
       "Sub Paint()\n  Debug.Print clrRed\nEnd Sub\n"},
      {"b.bas",
       "Attribute VB_Name = \"modB\"\nSub Main()\n  Paint\n  Debug.Print clrBlue\nEnd Sub\n"}},
     "unused",
     "a.bas:2:13: unused enum modA.eColor\n"
     "b.bas:2:5: unused sub modB.Main\n"},
    {"uses in a dead branch do not count; a dead procedure, its parameters and locals are never "
     "unused",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nPrivate Count As Long\nSub Main()\n#If 1 = 0 Then\n"
       "  Count = Count + 1\n  Helper 1\n#End If\nEnd Sub\n"
       "#If False Then\nSub Old(ByVal x As Long)\n  Dim y As Long\nEnd Sub\n#End If\n"
       "Private Sub Helper(ByVal n As Long)\nEnd Sub\n"}},
     "unused",
     "a.bas:2:9: unused variable modA.Count\n"
     "a.bas:3:5: unused sub modA.Main\n"
     "a.bas:14:13: unused sub modA.Helper\n"
     "a.bas:14:26: unused parameter modA.Helper.n\n"},
    {"a name only a dead branch declares is not found",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas", "Attribute VB_Name = \"modA\"\n#If False Then\nPublic Gone As Long\n#End If\n"}},
     "refs=Gone",
     "stderr:\nquillscope-cli: no declaration is named 'Gone'\n",
     1},
};

TEST(ResolutionConditional, BranchesLeftOutHoldNoUsesAndNoUnusedDeclarations) {
  test::CheckCases(kConditionalCases, "conditional");
}

// The export marks the declarations of a branch left out "active": false (with their parameters
// and locals), places them, and gives them no uses; the live ones carry no such member.
TEST(ResolutionConditional, TheExportMarksDeclarationsLeftOutInactive) {
  test::TestFolder dir("conditional-json");
  dir.Write("a.bas", test::Crlf("Attribute VB_Name = \"modA\"\n#If DEV Then\nPrivate Const A = 1\n"
                                "Sub Old(ByVal x As Long)\n  Dim y As Long\n  y = A\nEnd Sub\n"
                                "#Else\nPrivate Const A = 2\n#End If\nSub Main()\n  Debug.Print "
                                "A\nEnd Sub\n"));
  const std::string vbp = dir.Write("P.vbp", "Type=Exe\r\nModule=modA; a.bas\r\n");
  rapidjson::Document doc;
  ASSERT_TRUE(test::ExportOf(dir, vbp, doc));
  int inactive = 0;
  for (const auto& d : doc["modules"][0]["declarations"].GetArray()) {
    const std::string name = d["name"].GetString();
    const bool dead = name == "Old" || (name == "A" && d["line"].GetInt() == 3);
    EXPECT_EQ(d.HasMember("active"), dead) << name;
    if (!dead) continue;
    ++inactive;
    EXPECT_FALSE(d["active"].GetBool()) << name;
    EXPECT_EQ(test::Compact(d["uses"]), "[]") << name;
    EXPECT_STREQ(d["exposure"].GetString(), "used") << name;
    if (name == "Old") {
      EXPECT_EQ(d["line"].GetInt(), 4);
      EXPECT_FALSE(d["parameters"][0]["active"].GetBool());
      EXPECT_FALSE(d["locals"][0]["active"].GetBool());
      EXPECT_EQ(test::Compact(d["locals"][0]["uses"]), "[]");
    }
    if (name == "A") {
      EXPECT_EQ(d["column"].GetInt(), 15);
    }
  }
  EXPECT_EQ(inactive, 2);
}

}  // namespace
}  // namespace qs

// Cross references of interfaces, late binding, type names and events' handlers: members that
// implement an interface, member names read through objects of unknown type, every place a type
// is named, and the procedures handling a project's events.
#include <gtest/gtest.h>
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

const Case kCases[] = {
    // Interfaces.
    {"a type library's interface: its members and their parameters implement it",
     "Type=Exe\nClass=clsSafe; s.cls\n",
     {{"s.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsSafe\"\n"
       "Implements TypeLib.IObjectSafety\nImplements EventSink8\n"
       "Private Sub IObjectSafety_GetOptions(ByVal riid As Long, pdw As Long)\nEnd Sub\n"
       "Private Sub EventSink8_Fire(ByVal x As Long)\nEnd Sub\n"
       "Private Sub Helper(ByVal y As Long)\nEnd Sub\n"}},
     "exposed",
     "s.cls:7:13: implements sub clsSafe.IObjectSafety_GetOptions\n"
     "s.cls:7:44: implements parameter clsSafe.IObjectSafety_GetOptions.riid\n"
     "s.cls:7:58: implements parameter clsSafe.IObjectSafety_GetOptions.pdw\n"
     "s.cls:9:13: implements sub clsSafe.EventSink8_Fire\n"
     "s.cls:9:35: implements parameter clsSafe.EventSink8_Fire.x\n"
     "s.cls:11:13: unused sub clsSafe.Helper\n"
     "s.cls:11:26: unused parameter clsSafe.Helper.y\n"},
    {"a type library's interface: --unused leaves its members out",
     "Type=Exe\nClass=clsSafe; s.cls\n",
     {{"s.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsSafe\"\n"
       "Implements TypeLib.IObjectSafety\n"
       "Private Sub IObjectSafety_GetOptions(ByVal riid As Long)\nEnd Sub\n"
       "Private Sub Helper()\nEnd Sub\n"}},
     "unused",
     "s.cls:8:13: unused sub clsSafe.Helper\n"},
    {"a project's interface: its members' parameters implement it, the implementers' are kept",
     "Type=Exe\nClass=IShape; i.cls\nClass=clsBox; b.cls\n",
     {{"i.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"IShape\"\n"
       "Public Function Area(ByVal scale As Double) As Double\nEnd Function\n"
       "Public Sub Spare(ByVal n As Long)\nEnd Sub\n"},
      {"b.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsBox\"\nImplements IShape\n"
       "Private Function IShape_Area(ByVal scale As Double) As Double\nEnd Function\n"
       "Private Sub Other(ByVal m As Long)\nEnd Sub\n"}},
     "exposed",
     "i.cls:5:28: implements parameter IShape.Area.scale\n"
     "i.cls:7:12: unused sub IShape.Spare\n"
     "i.cls:7:24: implements parameter IShape.Spare.n\n"
     "b.cls:8:13: unused sub clsBox.Other\n"
     "b.cls:8:25: unused parameter clsBox.Other.m\n"},
    // Late binding.
    {"late binding: members read through objects of unknown type are late-bound, not unused",
     "Type=Exe\nName=\"P\"\nClass=clsThing; c.cls\nModule=modA; a.bas\n",
     {{"c.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsThing\"\n"
       "Public Sub Refresh()\nEnd Sub\nPublic Property Get Caption() As String\nEnd Property\n"
       "Public Sub Really()\nEnd Sub\nPublic Sub Banged()\nEnd Sub\nPrivate Sub Hidden()\n"
       "End Sub\nPublic Function Spare() As Long\nEnd Function\n"},
      {"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\nPublic Sub Go(ByVal t As TextBox)\n"
       "  Dim o As Object, x As Variant\n  o.Refresh\n  CallByName o, \"Caption\", VbGet\n"
       "  x = o!Banged\n  t.Really\n  o.Hidden\n  Printer.Font.Spare\nEnd Sub\n"}},
     "exposed",
     "c.cls:5:12: late-bound sub clsThing.Refresh\n"
     "c.cls:7:21: late-bound propertyGet clsThing.Caption\n"
     "c.cls:9:12: unused sub clsThing.Really\n"
     "c.cls:11:12: unused sub clsThing.Banged\n"
     "c.cls:13:13: unused sub clsThing.Hidden\n"
     "c.cls:15:17: unused function clsThing.Spare\n"
     "a.bas:3:12: unused sub modA.Go\n"},
    {"late binding: --unused leaves late-bound members out",
     "Type=Exe\nClass=clsThing; c.cls\nModule=modA; a.bas\n",
     {{"c.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsThing\"\n"
       "Public Sub Refresh()\nEnd Sub\n"},
      {"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\nPublic Sub Go(o As Object)\n"
       "  o.Refresh\nEnd Sub\n"}},
     "unused",
     "a.bas:3:12: unused sub modA.Go\n"},
    {"late binding: --refs lists the late-bound places after the real uses",
     "Type=Exe\nClass=clsThing; c.cls\nModule=modA; a.bas\nModule=modB; b.bas\n",
     {{"c.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsThing\"\n"
       "Public Sub Refresh()\nEnd Sub\n"},
      {"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\nPublic Function Obj() As Object\n"
       "End Function\nPublic Sub Go(c As clsThing, o As Object, v)\n"
       "  o.Refresh\n  c.Refresh\n  With o\n    .Refresh\n  End With\n  v.Refresh\n"
       "  Controls(1).Refresh\n  PropertyPage.SelectedControls(0).Refresh\n  Obj().Refresh\n"
       "  CallByName(c, \"Refresh\", VbMethod)\n  Printer.Font.Refresh\nEnd Sub\n"},
      {"b.bas",
       "Attribute VB_Name = \"modB\"\nSub Implicit()\n  Set q = Obj\n  q.Refresh\nEnd Sub\n"}},
     "refs=Refresh",
     "c.cls:5:12: declaration: Public Sub Refresh()\n"
     "a.bas:7:5: call: c.Refresh\n"
     "a.bas:6:5: late-bound: o.Refresh\n"
     "a.bas:9:6: late-bound: .Refresh\n"
     "a.bas:11:5: late-bound: v.Refresh\n"
     "a.bas:12:15: late-bound: Controls(1).Refresh\n"
     "a.bas:13:36: late-bound: PropertyPage.SelectedControls(0).Refresh\n"
     "a.bas:14:9: late-bound: Obj().Refresh\n"
     "a.bas:15:18: late-bound: CallByName(c, \"Refresh\", VbMethod)\n"
     "b.bas:4:5: late-bound: q.Refresh\n"},
    {"late binding: a standard module's members and a private member list no late-bound places",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\nPublic Sub Refresh()\nEnd Sub\n"
       "Public Sub Go(o As Object)\n  o.Refresh\nEnd Sub\n"}},
     "refs=Refresh",
     "a.bas:3:12: declaration: Public Sub Refresh()\n"},

    // Type names are uses wherever they are written.
    {"types: return types, parameters, events, Declares, Dim, New, TypeOf and Implements",
     "Type=Exe\nClass=clsT; t.cls\nModule=modA; a.bas\nClass=clsU; u.cls\n",
     {{"t.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsT\"\n"
       "Public Event Changed(ByVal who As clsT)\nPublic Function Clone() As clsT\n"
       "End Function\nPublic Property Get Self() As clsT\nEnd Property\n"
       "Public Property Set Self(ByVal v As clsT)\nEnd Property\n"},
      {"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\nPublic g As clsT\n"
       "Private Declare Function Api Lib \"k\" (ByVal p As clsT) As Long\n"
       "Function F(ByVal x As clsT) As clsT\n  Dim o As New clsT, v As Variant\n"
       "  If TypeOf v Is clsT Then Set o = New clsT\nEnd Function\n"},
      {"u.cls", "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsU\"\nImplements clsT\n"}},
     "refs=clsT",
     "t.cls:4:21: declaration: Attribute VB_Name = \"clsT\"\n"
     "t.cls:5:35: read: Public Event Changed(ByVal who As clsT)\n"
     "t.cls:6:28: read: Public Function Clone() As clsT\n"
     "t.cls:8:31: read: Public Property Get Self() As clsT\n"
     "t.cls:10:37: read: Public Property Set Self(ByVal v As clsT)\n"
     "a.bas:3:13: read: Public g As clsT\n"
     "a.bas:4:50: read: Private Declare Function Api Lib \"k\" (ByVal p As clsT) As Long\n"
     "a.bas:5:23: read: Function F(ByVal x As clsT) As clsT\n"
     "a.bas:5:32: read: Function F(ByVal x As clsT) As clsT\n"
     "a.bas:6:16: read: Dim o As New clsT, v As Variant\n"
     "a.bas:7:18: read: If TypeOf v Is clsT Then Set o = New clsT\n"
     "a.bas:7:40: read: If TypeOf v Is clsT Then Set o = New clsT\n"
     "u.cls:5:12: read: Implements clsT\n"},
    {"types: a user type as a return type after an empty parameter list",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nPublic Type tColorState\n  c As Long\nEnd Type\n"
       "Function F() As tColorState\nEnd Function\nSub S(a() As Long, b As tColorState)\nEnd "
       "Sub\n"}},
     "refs=tColorState",
     "a.bas:2:13: declaration: Public Type tColorState\n"
     "a.bas:5:17: read: Function F() As tColorState\n"
     "a.bas:7:25: read: Sub S(a() As Long, b As tColorState)\n"},

    // Events' handlers.
    {"events: RaiseEvent, then the WithEvents variables' and the controls' handlers",
     "Type=Exe\nName=\"P\"\nClass=clsSrc; s.cls\nUserControl=u.ctl\nForm=f.frm\n",
     {{"s.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsSrc\"\n"
       "Public Event Changed(ByVal v As Long)\nSub Fire()\n  RaiseEvent Changed(1)\nEnd Sub\n"},
      {"u.ctl",
       "VERSION 5.00\nBegin VB.UserControl ctlX\nEnd\nAttribute VB_Name = \"ctlX\"\n"
       "Public Event Changed(ByVal n As Long)\nSub Fire()\n  RaiseEvent Changed(2)\nEnd Sub\n"},
      {"f.frm",
       "VERSION 5.00\nBegin VB.Form frmA\n   Begin P.ctlX ctl1\n   End\nEnd\n"
       "Attribute VB_Name = \"frmA\"\nPrivate WithEvents src As clsSrc\n"
       "Private WithEvents other As clsSrc\n"
       "Private Sub src_Changed(ByVal v As Long)\nEnd Sub\n"
       "Private Sub ctl1_Changed(ByVal n As Long)\nEnd Sub\n"
       "Private Sub other_Changed(ByVal v As Long)\nEnd Sub\n"}},
     "refs=clsSrc.Changed",
     "s.cls:5:14: declaration: Public Event Changed(ByVal v As Long)\n"
     "s.cls:7:14: call: RaiseEvent Changed(1)\n"
     "f.frm:9:13: handler: Private Sub src_Changed(ByVal v As Long)\n"
     "f.frm:13:13: handler: Private Sub other_Changed(ByVal v As Long)\n"},
    {"events: a user control's event and its control's handler",
     "Type=Exe\nName=\"P\"\nUserControl=u.ctl\nForm=f.frm\n",
     {{"u.ctl",
       "VERSION 5.00\nBegin VB.UserControl ctlX\nEnd\nAttribute VB_Name = \"ctlX\"\n"
       "Public Event Clicked()\n"},
      {"f.frm",
       "VERSION 5.00\nBegin VB.Form frmA\n   Begin P.ctlX ctl1\n   End\nEnd\n"
       "Attribute VB_Name = \"frmA\"\nPrivate Sub ctl1_Clicked()\nEnd Sub\n"}},
     "refs=Clicked",
     "u.ctl:5:14: declaration: Public Event Clicked()\n"
     "f.frm:7:13: handler: Private Sub ctl1_Clicked()\n"},
};

TEST(ResolutionInterfacesTest, Cases) {
  test::CheckCases(kCases, "ifaces");
}

}  // namespace
}  // namespace qs

// Cross references of interfaces, late binding, type names and events' handlers: members that
// implement an interface, member names read through objects of unknown type, every place a type
// is named, and the procedures handling a project's events.
#include <gtest/gtest.h>

#include "run/ResolutionCases.h"

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
     "i.cls:5:27: implements parameter IShape.Area.scale\n"
     "i.cls:7:12: unused sub IShape.Spare\n"
     "i.cls:7:24: implements parameter IShape.Spare.n\n"
     "b.cls:8:13: unused sub clsBox.Other\n"
     "b.cls:8:25: unused parameter clsBox.Other.m\n"},
};

TEST(ResolutionInterfacesTest, Cases) {
  test::CheckCases(kCases, "ifaces");
}

}  // namespace
}  // namespace qs

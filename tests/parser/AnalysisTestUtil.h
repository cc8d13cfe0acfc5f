// Helpers for the analysis tests: run VB code through the real tokenizer, header parser and
// code section scan, and render what the symbol table recorded as compact text.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "model/ClsEntry.h"
#include "model/ClsSymEntry.h"
#include "model/RunState.h"
#include "parser/HeaderAnalysis.h"
#include "parser/ProjectTestUtil.h"

namespace qs::testing {

/// One analysed file: its stream, its header, the run it was analysed in and the symbol entry it
/// was given.
struct Analysed {
  std::shared_ptr<clsTokenStream> stream;
  std::shared_ptr<clsVBHeader> header;
  std::shared_ptr<ClsSymEntry> entry;
  RunState run;
};

/// Analyses a standard module whose code section is `code`, in a new, empty symbol table.
inline Analysed AnalyseModule(std::string_view code, std::string_view name = "modTest") {
  std::string text = "Attribute VB_Name = \"" + std::string(name) + "\"\r\n";
  text += code;
  ParsedHeader parsed = ParseClass(text);
  Analysed r{parsed.stream, parsed.header, nullptr, {}};
  r.run.g_oSymTable = std::make_shared<clsSymTable>();
  if (!r.header) return r;
  r.header->TokenStream = r.stream;
  GetForwardTypeDecl(r.run, *r.header);
  r.entry = r.run.g_oSymTable->Item(std::string_view(name));
  return r;
}

/// Analyses a form whose code section is `code`, in a new, empty symbol table.
inline Analysed AnalyseForm(std::string_view code, std::string_view name = "frmTest") {
  std::string text = "VERSION 5.00\r\nBegin VB.Form " + std::string(name) +
                     "\r\n   Caption         =   \"Test\"\r\n"
                     "   Begin VB.Label Label1\r\n   End\r\nEnd\r\nAttribute VB_Name = \"" +
                     std::string(name) + "\"\r\n";
  text += code;
  ParsedHeader parsed = ParseForm(text);
  Analysed r{parsed.stream, parsed.header, nullptr, {}};
  r.run.g_oSymTable = std::make_shared<clsSymTable>();
  if (!r.header) return r;
  r.header->TokenStream = r.stream;
  GetForwardTypeDecl(r.run, *r.header);
  r.entry = r.run.g_oSymTable->Item(std::string_view(name));
  return r;
}

std::string ShowList(const ClsEntry& list);

/// A declared thing as one line: scope, kind word, name, #mode, (parameters or members),
/// As type, -> return type, Lib and Alias literals, then the locals as Dim[...] and Const[...].
/// A list that does not exist is not shown; an existing empty one shows as () or [].
inline std::string Show(const ClsEntryPtr& e) {
  static const char* const kKinds[] = {"",     "?1 ",       "Const ", "Enum ", "Type ",
                                       "Sub ", "Function ", "Get ",   "Set ",  "Let "};
  std::string out;
  if (!e.Scope.empty()) out += e.Scope + " ";
  if (e.eEntrytype >= 0 && e.eEntrytype <= 9) {
    out += kKinds[e.eEntrytype];
  } else {
    out += "?" + std::to_string(e.eEntrytype) + " ";
  }
  out += e.EntryName;
  if (e.eArgScope != 0) out += "#" + std::to_string(e.eArgScope);
  if (e.Parameters) out += "(" + ShowList(*e.Parameters) + ")";
  if (!e.EntryType.empty()) out += " As " + e.EntryType;
  if (!e.ReturnType.empty()) out += " -> " + e.ReturnType;
  if (!e.LibName.empty()) out += " Lib " + e.LibName;
  if (!e.AliasName.empty()) out += " Alias " + e.AliasName;
  if (e.EVar) out += " Dim[" + ShowList(*e.EVar) + "]";
  if (e.EConst) out += " Const[" + ShowList(*e.EConst) + "]";
  return out;
}

inline std::string ShowList(const ClsEntry& list) {
  std::string out;
  for (const auto& e : list) {
    if (!out.empty()) out += ", ";
    out += e ? Show(*e) : std::string("<null>");
  }
  return out;
}

/// Every non-empty list of a module entry, as "EVar: ...; ESub: ..." in member order.
inline std::string ShowModule(const ClsSymEntry& m) {
  const std::pair<const char*, ClsEntry ClsSymEntry::*> lists[] = {
      {"EVar", &ClsSymEntry::EVar},           {"EConst", &ClsSymEntry::EConst},
      {"ESub", &ClsSymEntry::ESub},           {"EFunction", &ClsSymEntry::EFunction},
      {"EProperty", &ClsSymEntry::EProperty}, {"EType", &ClsSymEntry::EType},
      {"EEnum", &ClsSymEntry::EEnum},         {"EEvent", &ClsSymEntry::EEvent},
      {"EDeclare", &ClsSymEntry::EDeclare}};
  std::string out;
  for (const auto& [label, member] : lists) {
    const auto& list = m.*member;
    if (list.Count() == 0) continue;
    if (!out.empty()) out += "; ";
    out += std::string(label) + ": " + ShowList(list);
  }
  return out;
}

/// ShowModule of the analysed module code, or "<no entry>".
inline std::string Declarations(std::string_view code) {
  Analysed a = AnalyseModule(code);
  return a.entry ? ShowModule(*a.entry) : std::string("<no entry>");
}

}  // namespace qs::testing

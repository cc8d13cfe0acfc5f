// The code analysis of one source file, started from its header record.
#include <exception>
#include <string>

#include "model/SymGlobals.h"
#include "model/clsVBHeader.h"
#include "parser/clsParser.h"
#include "text/clsTokenStream.h"

namespace qs {

void clsVBHeader::GetForwardTypeDecl(std::string_view in_sFallbackName) {
  AnalyseHeaderInto(*this, RunSymbols(), in_sFallbackName);
}

void AnalyseHeaderInto(clsVBHeader& io_oHeader, const SymbolTarget& in_oTarget,
                       std::string_view in_sFallbackName) {
  try {
    if (!io_oHeader.TokenStream) return;
    std::shared_ptr<clsSymTable>& table = *in_oTarget.table;
    std::string& key = *in_oTarget.key;
    const int32_t codePtr = io_oHeader.CodePtr;
    clsParser parser;
    parser.InitParser(io_oHeader.TokenStream);
    parser.SetSymbolTarget(in_oTarget);
    if (!io_oHeader.CodeRecoded) parser.RemapTokens(codePtr);
    std::string& name = io_oHeader.sVBTableName;
    name.clear();
    for (char c : io_oHeader.Attribute_VBName)
      if (c != '"') name += c;
    // Files without a VB_Name would otherwise all merge into one nameless module.
    if (name.empty()) name.assign(in_sFallbackName);
    key = name;
    if (!table) table = std::make_shared<clsSymTable>();
    if (io_oHeader.PreparedEntry) {
      std::shared_ptr<ClsSymEntry> prepared = std::move(io_oHeader.PreparedEntry);
      if (!table->Exists(std::string_view(key)) && table->Add(prepared, key)) {
        *in_oTarget.entry = std::move(prepared);
        in_oTarget.list->reset();
        return;
      }
    }
    table->CreateSymbolTableEntry(key);
    parser.ParseForwardDecl(codePtr);
  } catch (...) {
    // The module keeps the declarations recorded so far; the run goes on with the next file.
  }
}

}  // namespace qs

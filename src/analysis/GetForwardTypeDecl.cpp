// The code analysis of one source file, started from its header record.
#include <exception>
#include <string>

#include "analysis/SymGlobals.h"
#include "analysis/clsParser.h"
#include "project/clsVBHeader.h"
#include "text/clsTokenStream.h"

namespace qs {

void clsVBHeader::GetForwardTypeDecl(std::string_view in_sFallbackName) {
  try {
    if (!TokenStream) return;
    const int32_t codePtr = CodePtr;
    clsParser parser;
    parser.InitParser(TokenStream);
    if (!CodeRecoded) parser.RemapTokens(codePtr);
    sVBTableName.clear();
    for (char c : Attribute_VBName)
      if (c != '"') sVBTableName += c;
    // Files without a VB_Name would otherwise all merge into one nameless module.
    if (sVBTableName.empty()) sVBTableName.assign(in_sFallbackName);
    g_sSymTableKey = sVBTableName;
    if (!g_oSymTable) g_oSymTable = std::make_shared<clsSymTable>();
    if (PreparedEntry) {
      std::shared_ptr<ClsSymEntry> prepared = std::move(PreparedEntry);
      if (!g_oSymTable->Exists(std::string_view(g_sSymTableKey)) &&
          g_oSymTable->Add(prepared, g_sSymTableKey)) {
        g_oSymEntry = std::move(prepared);
        g_oEntryList.reset();
        return;
      }
    }
    g_oSymTable->CreateSymbolTableEntry(g_sSymTableKey);
    parser.ParseForwardDecl(codePtr);
  } catch (const std::exception&) {
  }
}

}  // namespace qs

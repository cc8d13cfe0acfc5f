#include "parser/HeaderAnalysis.h"

#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "model/RunState.h"
#include "model/clsVBHeader.h"
#include "parser/clsParser.h"
#include "text/StringUtil.h"
#include "text/clsTokenStream.h"

namespace qs {

void GetForwardTypeDecl(RunState& io_oRun, clsVBHeader& io_oHeader,
                        std::string_view in_sFallbackName) {
  try {
    if (!io_oHeader.TokenStream) return;
    const int32_t codePtr = io_oHeader.CodePtr;
    clsParser parser(io_oRun);
    parser.InitParser(io_oHeader.TokenStream);
    if (!io_oHeader.CodeRecoded) parser.RemapTokens(codePtr);
    std::string& name = io_oHeader.sVBTableName;
    name = WithoutQuotes(io_oHeader.Attribute_VBName);
    // Files without a VB_Name would otherwise all merge into one nameless module.
    if (name.empty()) name.assign(in_sFallbackName);
    io_oRun.g_sSymTableKey = name;
    std::shared_ptr<clsSymTable>& table = io_oRun.g_oSymTable;
    if (!table) table = std::make_shared<clsSymTable>();
    if (io_oHeader.PreparedEntry) {
      std::shared_ptr<ClsSymEntry> prepared = std::move(io_oHeader.PreparedEntry);
      std::vector<std::string> failures = std::move(io_oHeader.PreparedWarnings);
      io_oHeader.PreparedWarnings.clear();
      if (!table->Exists(std::string_view(name)) && table->Add(prepared, name)) {
        io_oRun.g_oSymEntry = std::move(prepared);
        io_oRun.g_oEntryList = nullptr;
        // What the analysis ahead could not finish comes with its entry.
        for (std::string& failure : failures) io_oRun.Warn(std::move(failure));
        return;
      }
    }
    table->CreateSymbolTableEntry(name);
    parser.ParseForwardDecl(codePtr);
  } catch (const std::bad_alloc&) {
    throw;  // out of memory fails the run at its boundary
  } catch (const std::exception& e) {
    // The module keeps the declarations recorded so far, the run hears of it as a warning and
    // goes on with the next file.
    io_oRun.Warn(std::string(kModuleAnalysisEnded) + ": " + e.what());
  }
}

void AnalyseAhead(clsVBHeader& io_oHeader, std::string_view in_sFallbackName) {
  try {
    io_oHeader.PreparedEntry.reset();
    io_oHeader.PreparedWarnings.clear();
    RunState ahead;
    ahead.g_oSymTable = std::make_shared<clsSymTable>();
    GetForwardTypeDecl(ahead, io_oHeader, in_sFallbackName);
    // The fresh table holds this module's entry only.
    if (ahead.g_oSymTable && ahead.g_oSymTable->Count() == 1) {
      io_oHeader.PreparedEntry = ahead.g_oSymTable->Item(1L);
      for (RunWarning& failure : ahead.warnings)
        io_oHeader.PreparedWarnings.push_back(std::move(failure.message));
    }
  } catch (const std::bad_alloc&) {
    throw;  // out of memory fails the run at its boundary
  } catch (const std::exception&) {
    // No entry prepared: the second pass analyses the file itself (and warns of a failure
    // there), so nothing is lost.
    io_oHeader.PreparedEntry.reset();
    io_oHeader.PreparedWarnings.clear();
  }
}

}  // namespace qs

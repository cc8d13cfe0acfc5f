#include "parser/SecondPass.h"

#include <exception>

#include "model/SymGlobals.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "text/Yield.h"

namespace qs {

void RunSecondPass(const clsVBFileTypes& items) {
  try {
    g_oSymTable = std::make_shared<clsSymTable>();
    g_sSymTableKey.clear();
    g_oSymEntry.reset();
    g_oEntryList.reset();
    for (const auto& item : items) {
      if (!item) continue;
      YieldToWindowSystem();
      if (IsSourceItemType(item->EType)) {
        // A missing or unreadable file has no header; the run goes on with the next item.
        if (const auto& header = item->VBHeader()) header->GetForwardTypeDecl(item->InternalName);
      }
      YieldToWindowSystem();
    }
  } catch (...) {
    // The symbol table keeps the modules analysed so far; the report documents those.
  }
}

}  // namespace qs

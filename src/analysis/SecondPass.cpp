#include "analysis/SecondPass.h"

#include <exception>

#include "model/RunState.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "parser/HeaderAnalysis.h"
#include "text/Yield.h"

namespace qs {

void RunSecondPass(RunState& io_oRun, const clsVBFileTypes& items) {
  try {
    io_oRun.g_oSymTable = std::make_shared<clsSymTable>();
    io_oRun.ClearCurrentModule();
    for (const auto& item : items) {
      if (!item) continue;
      YieldPoint();
      if (IsSourceItemType(item->EType)) {
        // A missing or unreadable file has no header; the run goes on with the next item.
        if (const auto& header = item->VBHeader())
          GetForwardTypeDecl(io_oRun, *header, item->InternalName);
      }
      YieldPoint();
    }
  } catch (...) {
    // The symbol table keeps the modules analysed so far; the report documents those.
    return;
  }
}

}  // namespace qs

#include "analysis/SecondPass.h"

#include "model/RunState.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "parser/HeaderAnalysis.h"
#include "text/Yield.h"

namespace qs {

void RunSecondPass(RunState& io_oRun, const clsVBFileTypes& items) {
  io_oRun.g_oSymTable = std::make_shared<clsSymTable>();
  io_oRun.ClearCurrentModule();
  for (const auto& item : items) {
    if (!item) continue;
    YieldPoint();
    // A missing or unreadable file has no header; the run goes on with the next item.
    if (IsSourceItemType(item->EType) && item->VBHeader()) {
      const size_t before = io_oRun.warnings.size();
      GetForwardTypeDecl(io_oRun, *item->VBHeader(), item->InternalName);
      // What this module's analysis could not finish is told under its file's name.
      for (size_t i = before; i < io_oRun.warnings.size(); ++i)
        if (io_oRun.warnings[i].file.empty()) io_oRun.warnings[i].file = item->FileValue();
    }
    YieldPoint();
  }
}

}  // namespace qs

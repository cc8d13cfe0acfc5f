#include "analysis/SymGlobals.h"

namespace qs {

std::shared_ptr<clsSymTable> g_oSymTable;
std::string g_sSymTableKey;
std::shared_ptr<ClsSymEntry> g_oSymEntry;
std::shared_ptr<ClsEntry> g_oEntryList;

}  // namespace qs

#include "model/ClsSymEntry.h"

namespace qs {

ClsSymEntry::ClsSymEntry()
    : EVar(std::make_shared<ClsEntry>()),
      EConst(std::make_shared<ClsEntry>()),
      ESub(std::make_shared<ClsEntry>()),
      EFunction(std::make_shared<ClsEntry>()),
      EProperty(std::make_shared<ClsEntry>()),
      EType(std::make_shared<ClsEntry>()),
      EEnum(std::make_shared<ClsEntry>()),
      EEvent(std::make_shared<ClsEntry>()),
      EDeclare(std::make_shared<ClsEntry>()) {}

}  // namespace qs

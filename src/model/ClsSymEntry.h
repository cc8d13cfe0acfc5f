// One source file's declarations: its module key and nine ordered lists.
#pragma once

#include <memory>
#include <string>

#include "model/ClsEntry.h"

namespace qs {

/// Public members. The nine lists are created, empty, with the entry and are never empty
/// pointers (a caller that replaces one must keep that so).
class ClsSymEntry {
 public:
  ClsSymEntry();

  std::string EntryName;                ///< the module key (the file's VB_Name without quotes)
  std::shared_ptr<ClsEntry> EVar;       ///< module-level variables
  std::shared_ptr<ClsEntry> EConst;     ///< module-level constants
  std::shared_ptr<ClsEntry> ESub;       ///< Sub procedures
  std::shared_ptr<ClsEntry> EFunction;  ///< Function procedures
  std::shared_ptr<ClsEntry> EProperty;  ///< Property Get / Let / Set procedures
  std::shared_ptr<ClsEntry> EType;      ///< user-defined types
  std::shared_ptr<ClsEntry> EEnum;      ///< enumerations
  std::shared_ptr<ClsEntry> EEvent;     ///< Event declarations
  std::shared_ptr<ClsEntry> EDeclare;   ///< Declare statements
};

}  // namespace qs

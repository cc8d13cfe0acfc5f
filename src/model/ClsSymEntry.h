// One source file's declarations: its module key and nine ordered lists.
#pragma once

#include <string>

#include "model/ClsEntry.h"

namespace qs {

/// Public members. The entry owns its nine lists, which start empty.
class ClsSymEntry {
 public:
  std::string EntryName;  ///< the module key (the file's VB_Name without quotes)
  ClsEntry EVar;          ///< module-level variables
  ClsEntry EConst;        ///< module-level constants
  ClsEntry ESub;          ///< Sub procedures
  ClsEntry EFunction;     ///< Function procedures
  ClsEntry EProperty;     ///< Property Get / Let / Set procedures
  ClsEntry EType;         ///< user-defined types
  ClsEntry EEnum;         ///< enumerations
  ClsEntry EEvent;        ///< Event declarations
  ClsEntry EDeclare;      ///< Declare statements
};

}  // namespace qs

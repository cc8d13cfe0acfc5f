// One declared thing of a module: a variable, constant, procedure, parameter, member or local.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace qs {

class ClsEntry;

/// Kinds of declaration (eEntrytype).
inline constexpr int32_t kEntryNotSet = 0;  ///< variables, locals, parameters, members
inline constexpr int32_t kEntryConst = 2;
inline constexpr int32_t kEntryEnum = 3;
inline constexpr int32_t kEntryType = 4;
inline constexpr int32_t kEntrySub = 5;       ///< also Event and Declare Sub
inline constexpr int32_t kEntryFunction = 6;  ///< also Declare Function
inline constexpr int32_t kEntryPropertyGet = 7;
inline constexpr int32_t kEntryPropertySet = 8;
inline constexpr int32_t kEntryPropertyLet = 9;

/// Passing modes of a parameter (eArgScope).
inline constexpr int32_t kArgNotSet = 0;
inline constexpr int32_t kArgByRef = 1;  ///< plain or ByRef
inline constexpr int32_t kArgByVal = 2;
inline constexpr int32_t kArgOptionalByVal = 3;
inline constexpr int32_t kArgOptional = 4;  ///< Optional or Optional ByRef
inline constexpr int32_t kArgParamArray = 5;

/// A record with public members. A new record has empty strings, zero numbers and no lists;
/// the three lists exist only where a parser created them, so a reader must treat an empty
/// pointer as an empty list.
class ClsEntryPtr {
 public:
  int32_t ID = 0;          ///< position number given by the owning list (0-based)
  int32_t eEntrytype = 0;  ///< kind of declaration (kEntry...)
  int32_t eArgScope = 0;   ///< passing mode of a parameter (kArg...)
  std::string EntryName;   ///< the declared name as written, without a type-suffix character
  std::string LibName;     ///< Declare: the library literal after Lib, quotes included
  std::string AliasName;   ///< Declare: the literal after Alias, quotes included
  std::string Scope;  ///< "Public", "Private", "Friend", "", "local", "default" or a procedure name
  std::string EntryType;                 ///< declared type name; empty when none was given
  std::string ReturnType;                ///< Function, Property Get, Declare Function
  int32_t lEntryptr = 0;                 ///< token position of the declared name
  int32_t lEntryTypePtr = 0;             ///< token position stored with the type
  int32_t lProcStartPtr = 0;             ///< reserved; stays 0
  int32_t lProcEndPtr = 0;               ///< reserved; stays 0
  std::shared_ptr<ClsEntry> EVar;        ///< locals (Dim, Static) of a procedure with a body
  std::shared_ptr<ClsEntry> EConst;      ///< local constants of a procedure with a body
  std::shared_ptr<ClsEntry> Parameters;  ///< parameters, or members of an Enum or Type
};

}  // namespace qs

// One occurrence of a name in a token stream (text and position); also the declarator the
// declaration routines fill while they read a declared name and its type.
#pragma once

#include <cstdint>
#include <string>

namespace qs {

class clsFixPtr {
 public:
  int16_t Scope = 0;          ///< not filled by the analysis
  bool HasSubscript = false;  ///< the declared name was followed by a parenthesised subscript
  int32_t Ptr = 0;            ///< token position of the name
  bool Fixed = false;         ///< the occurrence has been rewritten by clsFixups::Fixup
  std::string TokenString;    ///< the name's text
  bool Extended = false;      ///< the name continues a dotted chain
  std::string SymTypeOf;      ///< not filled by the analysis
  std::string SymTable;       ///< module key where the declarator was read
  std::string SymType;        ///< resolved type name of a declarator
  std::string SymTypeTable;   ///< module key where the type was resolved
  bool Master = false;        ///< not filled by the analysis
  std::string ID;             ///< decimal position number given by the owning list
};

}  // namespace qs

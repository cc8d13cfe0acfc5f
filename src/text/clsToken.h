// One keyword table at a time: answers whether a word is a keyword and with which code.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "text/Keywords.h"
#include "text/TokenCodes.h"
#include "text/clsHashTable.h"

namespace qs {

class clsToken {
 public:
  clsToken();

  /// False while a table is being filled or after a fill that failed.
  bool Initialised = false;

  /// Loads a keyword table: the code table is merged into what the current hash table holds
  /// (the words stored first keep their codes); a header or project-file table replaces it.
  void InitialiseTable(KeywordTable table);

  /// Adds the main (code) table to the current hash table (merging with what it holds).
  void InitialiseTokenTable();
  /// Looks the word up; a word that is not stored gives TokIdentifier and false.
  void IsTokenFound(std::string_view in_sTokenName, int32_t& out_lTokenCode,
                    bool& out_bfound) const;
  /// Replace the hash table by a new one filled with the project-file, class-header or
  /// form-header table.
  void InitialiseTokenTableVBP();
  void InitialiseTokenTableClass();
  void InitialiseTokenTableForm();

  /// Convenience: the code of a word (its keyword code or TokIdentifier).
  int32_t CodeOf(std::string_view word) const;
  /// The code of a word whose clsHashTable::FullHash is given: its keyword code or TokIdentifier.
  int32_t CodeOfHashed(std::string_view word, int32_t fullHash) const {
    const int32_t code = m_table->FindHashed(word, fullHash);
    return code < 0 ? TokIdentifier : code;
  }
  /// The hash table that holds the current keyword table (never empty).
  const clsHashTable& HashTable() const { return *m_table; }

 private:
  /// The fixed tables never change once filled, so every keyword table object shares one filled
  /// copy of each instead of building its own buckets per file. A shared table is copied before
  /// anything is merged into it.
  std::shared_ptr<const clsHashTable> m_table;
};

}  // namespace qs

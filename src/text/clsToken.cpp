#include "text/clsToken.h"

#include <iterator>
#include <memory>

namespace qs {

namespace {

using SharedTable = std::shared_ptr<const clsHashTable>;

// Stores the words of one keyword table in the order of their rows.
void Fill(clsHashTable& table, KeywordTable which) {
  for (const KeywordRow& k : kKeywords)
    if (k.In(which)) table.AddToken(k.spelling, k.code);
}

// One filled hash table per keyword table, built on first use. A build that runs out of memory
// throws, and the next call tries again.
template <KeywordTable T>
const SharedTable& Filled() {
  static const SharedTable table = [] {
    auto filled = std::make_shared<clsHashTable>();
    Fill(*filled, T);
    return filled;
  }();
  return table;
}

const SharedTable& FilledTable(KeywordTable which) {
  using Getter = const SharedTable& (*)();
  static constexpr Getter kGetters[] = {
      &Filled<KeywordTable::kCode>, &Filled<KeywordTable::kProject>, &Filled<KeywordTable::kForm>,
      &Filled<KeywordTable::kClass>};
  static_assert(std::size(kGetters) == std::size(kKeywordTables));
  return kGetters[static_cast<size_t>(which)]();
}

const SharedTable& EmptyTable() {
  static const SharedTable table = std::make_shared<clsHashTable>();
  return table;
}

}  // namespace

clsToken::clsToken() {
  m_table = EmptyTable();
}

void clsToken::InitialiseTable(KeywordTable table) {
  Initialised = false;
  if (table != KeywordTable::kCode || !m_table || m_table == EmptyTable()) {
    // A header table replaces the current one; the code table merged into an empty one is the
    // code table itself.
    m_table = FilledTable(table);
  } else {
    // Merging into a table that holds words already: into a copy of its own.
    auto merged = std::make_shared<clsHashTable>(*m_table);
    Fill(*merged, table);
    m_table = std::move(merged);
  }
  Initialised = true;
}

void clsToken::InitialiseTokenTable() {
  InitialiseTable(KeywordTable::kCode);
}

void clsToken::InitialiseTokenTableVBP() {
  InitialiseTable(KeywordTable::kProject);
}

void clsToken::InitialiseTokenTableClass() {
  InitialiseTable(KeywordTable::kClass);
}

void clsToken::InitialiseTokenTableForm() {
  InitialiseTable(KeywordTable::kForm);
}

void clsToken::IsTokenFound(std::string_view in_sTokenName, int32_t& out_lTokenCode,
                            bool& out_bfound) const {
  out_bfound = false;
  out_lTokenCode = TokIdentifier;
  if (!m_table) return;
  m_table->IsTokenFound(in_sTokenName, out_lTokenCode, out_bfound);
  if (!out_bfound) out_lTokenCode = TokIdentifier;
}

int32_t clsToken::CodeOf(std::string_view word) const {
  int32_t code = TokIdentifier;
  bool found = false;
  IsTokenFound(word, code, found);
  return code;
}

}  // namespace qs

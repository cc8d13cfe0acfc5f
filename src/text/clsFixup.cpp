#include "text/clsFixup.h"

#include <exception>

namespace qs {

std::shared_ptr<clsFixPtr> clsFixup::AddTokenString(std::string_view in_sTokenString,
                                                    int32_t in_lPtr) {
  auto rec = std::make_shared<clsFixPtr>();
  rec->Ptr = in_lPtr;
  rec->TokenString = std::string(in_sTokenString);
  Add(rec);
  return rec;
}

bool clsFixup::TokenStringExists(std::string_view in_sTokenString) const {
  for (const auto& rec : *this)
    if (rec && rec->TokenString == in_sTokenString) return true;
  return false;
}

bool clsFixup::TokenStringExistsEx(std::string_view in_sTokenString, std::string& out_stype,
                                   int32_t& out_lPtr, std::string& out_stypeof,
                                   bool& out_bsubscript) const {
  for (const auto& rec : *this) {
    if (rec && rec->TokenString == in_sTokenString) {
      out_stype = rec->SymType;
      out_lPtr = rec->Ptr;
      out_stypeof = rec->SymTypeOf;
      out_bsubscript = rec->HasSubscript;
      return true;
    }
  }
  return false;
}

void clsFixup::Add(std::shared_ptr<clsFixPtr> Item) {
  if (!Item) return;
  std::string key = std::to_string(m_counter);
  Item->ID = key;
  if (m_items.Add(std::move(Item), key)) ++m_counter;
}

void clsFixup::Remove(long Index) {
  m_items.Remove(Index);
}
void clsFixup::Remove(std::string_view Index) {
  m_items.Remove(Index);
}

std::shared_ptr<clsFixPtr> clsFixup::Item(long IndexKey) const {
  const auto* p = m_items.Item(IndexKey);
  return p ? *p : nullptr;
}

std::shared_ptr<clsFixPtr> clsFixup::Item(std::string_view IndexKey) const {
  const auto* p = m_items.Item(IndexKey);
  return p ? *p : nullptr;
}

std::shared_ptr<clsFixPtr> clsFixup::Last() const {
  const auto* p = m_items.Last();
  return p ? *p : nullptr;
}

}  // namespace qs

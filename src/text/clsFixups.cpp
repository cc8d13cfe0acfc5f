#include "text/clsFixups.h"

#include <exception>
#include <string>

#include "text/clsTokenStream.h"

namespace qs {

void clsFixups::AddVar(std::string_view in_sVar, int32_t in_lPtr) {
  auto rec = std::make_shared<clsFixPtr>();
  rec->Ptr = in_lPtr;
  if (auto* list = m_items.Item(in_sVar); list && *list) {
    (*list)->Add(std::move(rec));
    return;
  }
  auto list = std::make_shared<clsFixup>();
  list->ID = std::string(in_sVar);
  list->Add(std::move(rec));
  m_items.Add(std::move(list), in_sVar);
}

void clsFixups::AddVarEx(std::string_view in_sVar, int32_t in_lPtr) {
  auto list = std::make_shared<clsFixup>();
  list->AddTokenString(in_sVar, in_lPtr);
  AddEx(std::move(list));
}

void clsFixups::Add(std::shared_ptr<clsFixup> Item) {
  if (!Item) return;
  const std::string key = Item->ID;
  m_items.Add(std::move(Item), key);
}

void clsFixups::AddEx(std::shared_ptr<clsFixup> Item) {
  if (!Item) return;
  if (m_items.Add(std::move(Item), std::to_string(m_counter))) ++m_counter;
}

void clsFixups::Fixup(clsTokenStream& in_oTokenStream, std::string_view in_sVar,
                      std::string_view in_sNewName) {
  const auto* list = m_items.Item(in_sVar);
  if (!list || !*list) return;
  for (const auto& rec : **list) {
    if (!rec || rec->Fixed) continue;
    in_oTokenStream.SetTokenStringAt(rec->Ptr, in_sNewName);
    rec->Fixed = true;
  }
}

void clsFixups::Remove(long Index) {
  m_items.Remove(Index);
}
void clsFixups::Remove(std::string_view Index) {
  m_items.Remove(Index);
}

std::shared_ptr<clsFixup> clsFixups::Item(long IndexKey) const {
  const auto* p = m_items.Item(IndexKey);
  return p ? *p : nullptr;
}

std::shared_ptr<clsFixup> clsFixups::Item(std::string_view IndexKey) const {
  const auto* p = m_items.Item(IndexKey);
  return p ? *p : nullptr;
}

std::shared_ptr<clsFixup> clsFixups::Last() const {
  const auto* p = m_items.Last();
  return p ? *p : nullptr;
}

}  // namespace qs

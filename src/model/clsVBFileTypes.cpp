#include "model/clsVBFileTypes.h"

#include <exception>
#include <utility>

namespace qs {

void clsVBFileTypes::Add(std::shared_ptr<clsVBFileType> item) {
  if (!item) return;
  const int32_t eType = item->EType;
  if (!m_items.Add(std::move(item), std::to_string(m_lAddCounter))) return;
  ++m_lAddCounter;
  CountKind(eType);
}

void clsVBFileTypes::CountKind(int32_t eType) {
  switch (eType) {
    case kItemForm:
      ++FormCount;
      break;
    case kItemReference:
      ++ReferenceCount;
      break;
    case kItemModule:
      ++ModuleCount;
      break;
    case kItemUserControl:
      ++UserControlCount;
      break;
    case kItemObject:
      ++ObjectCount;
      break;
    case kItemPropertyPage:
      ++PropertyPageCount;
      break;
    case kItemClass:
      ++ClassCount;
      break;
    case kItemDesigner:
      ++DesignerCount;
      break;
    case kItemUserDocument:
      ++UserDocumentCount;
      break;
    default:
      break;  // resource file, related document, startup, icon form, name: not counted
  }
}

void clsVBFileTypes::Remove(long index) {
  m_items.Remove(index);
}
void clsVBFileTypes::Remove(std::string_view key) {
  m_items.Remove(key);
}

std::shared_ptr<clsVBFileType> clsVBFileTypes::Item(std::string_view key) const {
  const auto* p = m_items.Item(key);
  return p ? *p : nullptr;
}

std::shared_ptr<clsVBFileType> clsVBFileTypes::Item(long index) const {
  const auto* p = m_items.Item(index);
  return p ? *p : nullptr;
}

}  // namespace qs

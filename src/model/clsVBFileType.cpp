#include "model/clsVBFileType.h"

namespace qs {

bool IsSourceItemType(int32_t in_lEType) {
  switch (in_lEType) {
    case kItemForm:
    case kItemModule:
    case kItemUserControl:
    case kItemPropertyPage:
    case kItemClass:
    case kItemDesigner:
    case kItemUserDocument:
      return true;
    default:
      return false;
  }
}

bool IsFormLikeItemType(int32_t in_lEType) {
  switch (in_lEType) {
    case kItemForm:
    case kItemUserControl:
    case kItemPropertyPage:
    case kItemDesigner:
    case kItemUserDocument:
      return true;
    default:
      return false;
  }
}

}  // namespace qs

#include "model/DocComment.h"

namespace qs {

const char* DocSourceName(DocSource in_eSource) {
  switch (in_eSource) {
    case DocSource::kAttribute:
      return "attribute";
    case DocSource::kAnnotation:
      return "annotation";
    case DocSource::kTags:
      return "tags";
    case DocSource::kHeadings:
      return "headings";
    case DocSource::kXml:
      return "xml";
    case DocSource::kText:
      return "text";
    case DocSource::kNone:
      break;
  }
  return "";
}

void DocComment::Clear() {
  summary.clear();
  description.clear();
  params.clear();
  returns.clear();
  remarks.clear();
  author.clear();
  date.clear();
  source = DocSource::kNone;
}

}  // namespace qs

#include "model/clsVBHeader.h"

#include <exception>

#include "text/clsTokenStream.h"

namespace qs {

clsVBHeader::clsVBHeader() = default;
clsVBHeader::~clsVBHeader() = default;

bool clsVBHeader::SavePointTextToFile(int32_t in_lPoint, const std::string& in_sFilename) const {
  return TokenStream && TokenStream->SavePointTextToFile(in_lPoint, in_sFilename);
}

bool clsVBHeader::SaveTextToFile(const std::string& in_sFilename) const {
  return TokenStream && TokenStream->SaveTextToFile(in_sFilename);
}

void clsVBHeader::Add(const clsControlRecord& in_v) {
  m_oControls.push_back(in_v);
}

}  // namespace qs

// The class header parser: steps over the VERSION line and the BEGIN ... END block of class
// settings and reads the Attribute block of a class module or standard module.
#include <exception>
#include <memory>
#include <new>

#include "model/clsVBHeader.h"
#include "parser/clsParser.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsTokenStream.h"

namespace qs {

std::shared_ptr<clsVBHeader> clsParser::ParseClassType() {
  try {
    auto header = std::make_shared<clsVBHeader>();
    ClearParseError();
    if (!m_oTokenStream) return header;
    bool attributesSeen = false;
    m_oTokenStream->GoBOS();
    while (!AtEnd()) {
      YieldPoint();
      const int32_t code = CurCode();
      if (code == ClsBEGIN) {
        // Class settings are not kept. Only the upper-case END that VB writes closes them.
        Next();
        while (!AtEnd() && CurCode() != ClsEND) Next();
      } else if (code == ClsEND) {
        // nothing
      } else if (code == ClsAttribute) {
        attributesSeen = true;
        ParseHeaderAttribute(*header);
      } else if (attributesSeen) {
        break;  // the first line after the Attribute block begins the code
      } else if (code == ClsVERSION) {
        while (!AtEnd() && CurCode() != TokEndOfLine) Next();
      }
      Next();
    }
    return header;
  } catch (const std::bad_alloc&) {
    throw;  // out of memory fails the run at its boundary
  } catch (const std::exception& e) {
    // The caller gets no header record and the run documents the file as empty, with a warning.
    WarnFailure(kHeaderNotRead, e);
    return nullptr;
  }
}

}  // namespace qs

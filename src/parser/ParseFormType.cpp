// The form header parser: walks the header of a form-like file (VERSION line, Object lines, the
// nested Begin ... End description of the form and its controls, the Attribute block) and
// records the file's VB_Name, where its code begins, and its controls and string properties.
#include <algorithm>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "model/clsVBHeader.h"
#include "parser/clsParser.h"
#include "text/StringUtil.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

// The control types accepted after "VB.": the intrinsic controls and the form kinds.
bool IsControlTypeKeyword(int32_t code) {
  switch (code) {
    case FrmForm:
    case FrmUserControl:
    case FrmPropertyPage:
    case FrmUserDocument:
    case FrmData:
    case FrmFileListBox:
    case FrmDirListBox:
    case FrmDriveListBox:
    case FrmVScrollBar:
    case FrmHScrollBar:
    case FrmListBox:
    case FrmComboBox:
    case FrmPictureBox:
    case FrmTextBox:
    case FrmOptionButton:
    case FrmTimer:
    case FrmCommandButton:
    case FrmOLE:
    case FrmImage:
    case FrmLine:
    case FrmShape:
    case FrmLabel:
    case FrmFrame:
    case FrmCheckBox:
    case FrmMenu:
    case FrmMDIForm:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::shared_ptr<clsVBHeader> clsParser::ParseFormType() {
  try {
    auto header = std::make_shared<clsVBHeader>();
    ClearParseError();
    if (!m_oTokenStream) return header;
    std::string currentControl;
    bool attributesSeen = false;
    m_oTokenStream->GoBOS();
    while (!AtEnd()) {
      YieldPoint();
      const int32_t code = CurCode();
      if (code == FrmBegin) {
        ParseFormBegin(*header, currentControl);
      } else if (code == FrmEnd) {
        // End lines close a block; the current control name stays.
      } else if (code == FrmAttribute) {
        attributesSeen = true;
        ParseHeaderAttribute(*header);
      } else if (attributesSeen) {
        break;  // the first line after the Attribute block begins the code
      } else if (code == FrmVERSION) {
        while (!AtEnd() && CurCode() != TokEndOfLine) Next();
      } else if (code == TokIdentifier) {
        ParseFormProperty(*header, currentControl);
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

// The cursor is on Begin. Records one control (or nothing) and leaves the cursor on the last
// token it looked at.
void clsParser::ParseFormBegin(clsVBHeader& header, std::string& currentControl) {
  const clsTokenStream& ts = *m_oTokenStream;
  Next();
  SkipWhitespace();
  const int32_t code = CurCode();
  clsControlRecord rec;
  bool ownControl = false;  // a control whose name becomes the current control name
  if (code == FrmVB) {
    if (ts.TokenCodeAhead(1) != '.' || !IsControlTypeKeyword(ts.TokenCodeAhead(2))) return;
    Next();
    Next();
    rec.sType = CurText();
    ownControl = true;
  } else if (code == TokIdentifier) {
    const std::string library(CurText());
    const bool sameProject = library == m_oRun->GetProjectName();
    if (ts.TokenCodeAhead(1) != '.' || ts.TokenCodeAhead(2) != TokIdentifier) return;
    Next();
    Next();
    rec.sType = library + "." + std::string(CurText());
    if (sameProject) rec.lClassPtr = CurPtr();
    ownControl = true;
  } else if (code == '{') {
    // A designer: the type is the braced class id as written.
    while (!AtEnd() && CurCode() != '}' && CurCode() != TokEndOfLine) {
      rec.sType += CurText();
      Next();
    }
    if (CurCode() != '}') return;
    rec.sType += '}';
    Next();
    while (!AtEnd() && CurCode() != TokIdentifier && CurCode() != TokEndOfLine) Next();
    if (AtEnd()) return;
    if (CurCode() == TokIdentifier) {
      rec.sName = CurText();
      rec.lPtr = rec.lPtr2 = CurPtr();
    } else {
      // No name on the line: an empty record at the previous record's position.
      const auto& records = header.Controls();
      const int32_t prevPtr = records.empty() ? 0 : records.back().lPtr;
      rec = clsControlRecord{};
      rec.lPtr = rec.lPtr2 = prevPtr;
    }
    header.Add(rec);
    return;
  } else {
    return;
  }
  // Both control kinds: the name is the next identifier, across line ends.
  Next();
  while (!AtEnd() && CurCode() != TokIdentifier) Next();
  if (AtEnd() || !ownControl) return;
  rec.sName = CurText();
  rec.lPtr = rec.lPtr2 = CurPtr();
  rec.sControlName = rec.sName;
  currentControl = rec.sName;
  header.Add(rec);
}

// The cursor is on an identifier before the Attribute block: a property line when "=" and a
// string follow on the same line.
void clsParser::ParseFormProperty(clsVBHeader& header, const std::string& currentControl) {
  const std::string property(CurText());
  Next();
  while (!AtEnd() && CurCode() != '=' && CurCode() != TokEndOfLine) Next();
  if (CurCode() != '=') return;
  Next();
  while (!AtEnd() && CurCode() != TokString && CurCode() != TokEndOfLine) Next();
  if (CurCode() != TokString) return;
  const std::string value(CurText());
  const int32_t pos = CurPtr();
  Next();
  clsControlRecord rec;
  rec.lPtr = rec.lPtr2 = pos;
  rec.sControlName = currentControl;
  if (CurCode() == ':') {
    // "file.frx":offset, a value kept in the form's binary file.
    if (m_oTokenStream->TokenCodeAhead(1) != TokIdentifier) return;
    rec.sType = "_" + value;
    rec.sName = FirstField(WithoutQuotes(value), ".");
  } else {
    rec.sType = "+" + property;
    rec.sName = WithoutQuotes(value);
  }
  header.Add(rec);
}

// The cursor is on Attribute (form and class headers alike). Sets VB_Name and the code
// position; leaves the cursor on the token before the next line's first one, normally.
void clsParser::ParseHeaderAttribute(clsVBHeader& header) {
  // A position past the end of the stream means the same as the end itself.
  const auto setCodePtr = [&](int32_t pos) {
    header.CodePtr = std::min(pos, m_oTokenStream->Count());
  };
  Next();
  while (!AtEnd()) {
    const int32_t code = CurCode();
    if (code == TokIdentifier || code == FrmVB_Name || code == FrmVB_GlobalNameSpace ||
        code == FrmVB_Creatable || code == FrmVB_PredeclaredId || code == FrmVB_Exposed ||
        code == FrmVB_Description) {
      break;
    }
    Next();
  }
  if (CurCode() == FrmVB_Name) {
    Next();
    while (!AtEnd() && CurCode() != TokString && CurCode() != TokEndOfLine) Next();
    if (CurCode() == TokString) {
      header.Attribute_VBName = CurText();
      header.AttributePtr = CurPtr();
    }
    Next();
    setCodePtr(CurPtr());
  } else {
    Next();
    while (!AtEnd() && CurCode() != TokEndOfLine) Next();
    setCodePtr(CurPtr() + 1);
  }
}

}  // namespace qs

// The project file parser: one pass over the whole token stream per project-file key.
//
// Each pass looks for its key's keyword directly followed by "=", reads the value in the
// grammar of that key and adds one item per accepted line. Running the passes in a fixed order
// is what puts the items in their documented order (name, forms, ..., references, objects).
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "parser/clsParser.h"
#include "text/Cp1252.h"
#include "text/StringUtil.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

// Only the space character is trimmed: tabs belong to the value.
std::string TrimSpaces(std::string_view s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}

// Fills Path, Body and Ext from a project-file path ("\" separators) and keeps the path itself.
void SetItemPath(clsVBFileType& item, std::string_view path) {
  std::string file;
  SplitPath(path, item.Path, file, item.Body, item.Ext, '\\');
  item.sFileValue.assign(path);
}

// The value of the first line of the key ("Type=", "CondComp="), trimmed of spaces. The words are
// no keywords of the project table, so they are recognised by their text at the start of a line.
std::string ReadKeyLine(const clsTokenStream& ts, std::string_view key) {
  bool lineStart = true;
  for (int32_t p = 0; p < ts.Count(); ++p) {
    const int32_t code = ts.TokenCodeAt(p);
    if (code == TokEndOfLine) {
      lineStart = true;
      continue;
    }
    if (lineStart && ts.TokenCodeAt(p + 1) == '=' && EqualsNoCase1252(ts.TokenStringAt(p), key)) {
      std::string value;
      for (p += 2; p < ts.Count() && ts.TokenCodeAt(p) != TokEndOfLine; ++p)
        value += ts.TokenStringAt(p);
      return TrimSpaces(value);
    }
    lineStart = false;
  }
  return std::string();
}

}  // namespace

std::shared_ptr<clsVBFileTypes> clsParser::ParseVBP() {
  m_oFileTypes = std::make_shared<clsVBFileTypes>();
  using LineParser = void (clsParser::*)();
  static constexpr LineParser kPasses[] = {
      &clsParser::ParseNameLine,         &clsParser::ParseFormLine,
      &clsParser::ParseUserControlLine,  &clsParser::ParsePropertyPageLine,
      &clsParser::ParseUserDocumentLine, &clsParser::ParseDesignerLine,
      &clsParser::ParseClassLine,        &clsParser::ParseModuleLine,
      &clsParser::ParseResFile32Line,    &clsParser::ParseStartupLine,
      &clsParser::ParseIconFormLine,     &clsParser::ParseRelatedDocLine,
      &clsParser::ParseReferenceLine,    &clsParser::ParseObjectLine,
  };
  for (LineParser pass : kPasses) {
    try {
      (this->*pass)();
    } catch (const std::bad_alloc&) {
      throw;  // out of memory fails the run at its boundary
    } catch (const std::exception& e) {
      // A failing pass keeps the items it added, with a warning; the other passes still run.
      WarnFailure("some lines of the project file were not read", e);
    }
  }
  if (m_oTokenStream) {
    m_oFileTypes->ProjectType = ReadKeyLine(*m_oTokenStream, "Type");
    // The conditional compilation constants, for the cross references (the report does not
    // show them).
    std::string condComp = ReadKeyLine(*m_oTokenStream, "CondComp");
    if (condComp.size() >= 2 && condComp.front() == '"' && condComp.back() == '"')
      condComp = condComp.substr(1, condComp.size() - 2);
    m_oFileTypes->CondComp = std::move(condComp);
  }
  return std::move(m_oFileTypes);
}

template <class ReadValue>
void clsParser::RunKeyPass(int32_t keyCode, bool firstOnly, bool yields, ReadValue&& readValue) {
  ClearParseError();
  if (!m_oTokenStream || !m_oFileTypes) return;
  m_oTokenStream->GoBOS();
  while (!AtEnd()) {
    if (yields) YieldPoint();
    if (CurCode() == keyCode) {
      Next();
      // The "=" must follow the key directly: "Form =x" is not a Form line.
      if (CurCode() == '=') {
        Next();
        if (readValue() && firstOnly) return;
      }
    }
    Next();
  }
}

void clsParser::ParseNameLine() {
  RunKeyPass(VbpName, true, false, [this] { return ReadQuotedValue(VbpName); });
}
void clsParser::ParseFormLine() {
  RunKeyPass(VbpForm, false, true, [this] { return ReadPathValue(kItemForm); });
}
void clsParser::ParseUserControlLine() {
  RunKeyPass(VbpUserControl, false, false, [this] { return ReadPathValue(kItemUserControl); });
}
void clsParser::ParsePropertyPageLine() {
  RunKeyPass(VbpPropertyPage, false, false, [this] { return ReadPathValue(kItemPropertyPage); });
}
void clsParser::ParseUserDocumentLine() {
  RunKeyPass(VbpUserDocument, false, false, [this] { return ReadPathValue(kItemUserDocument); });
}
void clsParser::ParseDesignerLine() {
  RunKeyPass(VbpDesigner, false, false, [this] { return ReadPathValue(kItemDesigner); });
}
void clsParser::ParseClassLine() {
  RunKeyPass(VbpClass, false, true, [this] { return ReadNamePathValue(kItemClass); });
}
void clsParser::ParseModuleLine() {
  RunKeyPass(VbpModule, false, true, [this] { return ReadNamePathValue(kItemModule); });
}
void clsParser::ParseResFile32Line() {
  RunKeyPass(VbpResFile32, true, false, [this] { return ReadQuotedValue(VbpResFile32); });
}
void clsParser::ParseStartupLine() {
  RunKeyPass(VbpStartup, true, false, [this] { return ReadQuotedValue(VbpStartup); });
}
void clsParser::ParseIconFormLine() {
  RunKeyPass(VbpIconForm, true, false, [this] { return ReadQuotedValue(VbpIconForm); });
}
void clsParser::ParseRelatedDocLine() {
  RunKeyPass(VbpRelatedDoc, false, false, [this] { return ReadPathValue(kItemRelatedDoc); });
}
void clsParser::ParseReferenceLine() {
  RunKeyPass(VbpReference, false, false, [this] { return ReadReferenceValue(); });
}
void clsParser::ParseObjectLine() {
  RunKeyPass(VbpObject, false, false, [this] { return ReadObjectValue(); });
}

bool clsParser::CollectUntil(std::string& out, int32_t stop1, int32_t stop2) {
  while (!AtEnd()) {
    const int32_t code = CurCode();
    if (code == TokEndOfLine || code == stop1 || code == stop2) return true;
    out += CurText();
    Next();
  }
  return false;
}

// Path to the end of the line (Form, UserControl, PropertyPage, UserDocument, Designer,
// RelatedDoc). The end of the stream completes the value as an end of line does, so the last
// line of a file without a final line break still yields its item.
bool clsParser::ReadPathValue(int32_t eType) {
  const int32_t first = CurPtr();
  std::string value;
  CollectUntil(value, TokEndOfLine, TokEndOfLine);
  const int32_t last = CurPtr();
  if (eType == kItemForm) value = TrimSpaces(value);

  auto item = std::make_shared<clsVBFileType>();
  item->EType = eType;
  item->vPtr = std::make_pair(first, last);
  item->ID = value;
  SetItemPath(*item, value);
  item->InternalName = eType == kItemPropertyPage ? "__" + item->Body : item->Body;
  item->NewName = item->Body;
  item->ExtName = item->Body + "." + item->Ext;
  m_oFileTypes->Add(std::move(item));
  return true;
}

// Name ";" path (Class, Module). The name part keeps only identifier texts ("cls Item" gives
// clsItem). A line without ";" takes its whole value as the path and the file's body as the
// name: the name part never runs on into the next line.
bool clsParser::ReadNamePathValue(int32_t eType) {
  const int32_t first = CurPtr();
  std::string name;
  std::string whole;  // the line's text as written, for a line without ";"
  while (!AtEnd() && CurCode() != ';' && CurCode() != TokEndOfLine) {
    if (CurCode() == TokIdentifier) name += CurText();
    whole += CurText();
    Next();
  }
  const bool hasSemicolon = CurCode() == ';';
  std::string value;
  if (hasSemicolon) {
    Next();
    CollectUntil(value, TokEndOfLine, TokEndOfLine);
  } else {
    value = std::move(whole);
  }
  value = TrimSpaces(value);

  auto item = std::make_shared<clsVBFileType>();
  item->EType = eType;
  item->ID = value;
  item->vPtr = std::make_pair(first, CurPtr());
  SetItemPath(*item, value);
  item->InternalName = hasSemicolon ? name : item->Body;
  item->NewName = item->Body;
  item->ExtName = item->Body + "." + item->Ext;
  item->NewClsModName = item->Body;
  m_oFileTypes->Add(std::move(item));
  return true;
}

// Quoted value (Name, ResFile32, Startup, IconForm): an unquoted value yields nothing.
bool clsParser::ReadQuotedValue(int32_t keyCode) {
  while (!AtEnd() && CurCode() != TokString && CurCode() != TokEndOfLine) Next();
  if (CurCode() != TokString) return false;
  const std::string value(CurText());
  const int32_t pos = CurPtr();
  const std::string unquoted = WithoutQuotes(value);

  auto item = std::make_shared<clsVBFileType>();
  item->ID = value;
  item->vPtr = std::make_pair(pos, pos);
  switch (keyCode) {
    case VbpName:
      item->EType = kItemName;
      item->ExtName = value;
      item->InternalName = unquoted;
      item->NewName = unquoted;
      break;
    case VbpResFile32:
      item->EType = kItemResFile32;
      SetItemPath(*item, unquoted);
      item->InternalName = item->Body;
      item->ExtName = "\"" + item->Body + "." + item->Ext + "\"";
      break;
    case VbpStartup:
      item->EType = kItemStartup;
      item->InternalName = unquoted;
      if (unquoted == "Sub Main" || unquoted == "(None)") item->NewName = unquoted;
      item->ExtName = "\"" + item->NewName + "\"";
      break;
    case VbpIconForm:
      item->EType = kItemIconForm;
      item->InternalName = unquoted;
      item->ExtName = "\"\"";
      break;
    default:
      return false;
  }
  m_oFileTypes->Add(std::move(item));
  return true;
}

// Reference=*\G{guid}#version#locale#type library path#description. References to other
// projects (a path where the "{" should be) yield nothing.
bool clsParser::ReadReferenceValue() {
  const clsTokenStream& ts = *m_oTokenStream;
  if (CurCode() != '*' || ts.TokenCodeAhead(1) != '\\' || ts.TokenCodeAhead(2) != TokIdentifier ||
      ts.TokenCodeAhead(3) != '{') {
    return false;
  }
  Next();
  Next();
  Next();
  auto item = std::make_shared<clsVBFileType>();
  item->EType = kItemReference;
  CollectUntil(item->GuidRef, '}', '}');
  if (CurCode() == '}') {
    item->GuidRef += '}';
    Next();
    std::string* const fields[] = {&item->MajorVer, &item->MinorVer, &item->sLibraryFile};
    bool allFields = true;
    for (std::string* field : fields) {
      if (CurCode() != '#') {
        allFields = false;
        break;
      }
      Next();
      CollectUntil(*field, '#', '#');
    }
    if (allFields && CurCode() == '#') {
      Next();
      CollectUntil(item->ID, TokEndOfLine, TokEndOfLine);
    }
  }
  m_oFileTypes->Add(std::move(item));
  return true;
}

// Object={guid}#version#field; file. The file text keeps the blank after ";".
bool clsParser::ReadObjectValue() {
  if (CurCode() != '{') return false;
  auto item = std::make_shared<clsVBFileType>();
  item->EType = kItemObject;
  CollectUntil(item->GuidRef, '}', '}');
  if (CurCode() == '}') {
    item->GuidRef += '}';
    Next();
    if (CurCode() == '#') {
      Next();
      CollectUntil(item->MajorVer, '#', '#');
      if (CurCode() == '#') {
        Next();
        CollectUntil(item->MinorVer, ';', ';');
        if (CurCode() == ';') {
          Next();
          CollectUntil(item->ID, TokEndOfLine, TokEndOfLine);
          item->sLibraryFile = TrimSpaces(item->ID);
        }
      }
    }
  }
  m_oFileTypes->Add(std::move(item));
  return true;
}

}  // namespace qs

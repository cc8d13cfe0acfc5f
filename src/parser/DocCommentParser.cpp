#include "parser/DocCommentParser.h"

#include "text/Cp1252.h"
#include "text/StringUtil.h"

namespace qs {

namespace {

// The word (letters, digits, "_") s starts with; s keeps what follows it.
std::string_view TakeWord(std::string_view& s) {
  size_t n = 0;
  while (n < s.size() && (IsAlnum1252(static_cast<unsigned char>(s[n])) || s[n] == '_')) ++n;
  const std::string_view word = s.substr(0, n);
  s.remove_prefix(n);
  return word;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsBannerChar(char c) {
  return c == '*' || c == '-' || c == '=' || c == '#' || c == '/' || c == '_';
}

// A line that only frames a block: banner characters (and blanks) only.
bool IsBanner(std::string_view t) {
  bool any = false;
  for (char c : t) {
    if (IsBannerChar(c)) {
      any = true;
    } else if (!IsBlank(c)) {
      return false;
    }
  }
  return any;
}

// A line's text without the "*" that frame it on the left or the right ("* text *").
std::string_view WithoutStars(std::string_view t) {
  size_t i = 0;
  while (i < t.size() && t[i] == '*') ++i;
  if (i > 0 && (i == t.size() || IsBlank(t[i]))) t = TrimBlanks(t.substr(i));
  size_t j = t.size();
  while (j > 0 && t[j - 1] == '*') --j;
  if (j < t.size() && j > 0 && IsBlank(t[j - 1])) t = TrimBlanks(t.substr(0, j));
  return t;
}

// Appends text to a member: after a blank within a paragraph, after a line break for a new one.
void AppendText(std::string& field, std::string_view text, bool paragraph) {
  if (text.empty()) return;
  if (!field.empty()) field += paragraph ? '\n' : ' ';
  field.append(text);
}

// The first sentence: up to and including the first period that ends a sentence, else the first
// paragraph.
std::string_view FirstSentence(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\n') return s.substr(0, i);
    if (s[i] == '.' && (i + 1 == s.size() || IsBlank(s[i + 1]) || s[i + 1] == '\n'))
      return s.substr(0, i + 1);
  }
  return s;
}

enum class Heading : uint8_t {
  kNone,
  kPurpose,
  kParams,
  kReturns,
  kRemarks,
  kAuthor,
  kDate,
  kName
};

// The heading a line opens ("Purpose:", "inputs :"), with the text after its colon in rest.
Heading HeadingOf(std::string_view t, std::string_view& rest) {
  static constexpr std::pair<const char*, Heading> kHeadings[] = {
      {"Purpose", Heading::kPurpose},  {"Description", Heading::kPurpose},
      {"Inputs", Heading::kParams},    {"Parameters", Heading::kParams},
      {"Arguments", Heading::kParams}, {"Returns", Heading::kReturns},
      {"Outputs", Heading::kReturns},  {"Assumptions", Heading::kRemarks},
      {"Effects", Heading::kRemarks},  {"Remarks", Heading::kRemarks},
      {"Author", Heading::kAuthor},    {"Date", Heading::kDate},
      {"Procedure", Heading::kName},   {"Module", Heading::kName},
  };
  const std::string_view word = TakeWord(t);
  t = TrimBlanks(t);
  if (word.empty() || t.empty() || t.front() != ':') return Heading::kNone;
  for (const auto& [name, heading] : kHeadings) {
    if (EqualsNoCase1252(word, name)) {
      rest = TrimBlanks(t.substr(1));
      return heading;
    }
  }
  return Heading::kNone;
}

// A parameter line under a parameters heading: "name: text" or "name - text". The name is a
// word that could name a parameter (no digit first), and a dash is a separator only with a blank
// after it: "0 - normal" (a list of values) and "multi-image" (a word) are prose, not parameters.
bool ParseParamLine(std::string_view t, std::string_view& out_name, std::string_view& out_text) {
  out_name = TakeWord(t);
  if (out_name.empty() || IsDigit(out_name.front())) return false;
  t = TrimBlanks(t);
  if (t.empty() || (t.front() != ':' && t.front() != '-')) return false;
  if (t.front() == '-' && t.size() > 1 && !IsBlank(t[1])) return false;
  out_text = TrimBlanks(t.substr(1));
  return true;
}

// A list item: "- ", "1. ", "2) " or a value of a list "0 - normal", "1 = bold". ("* " lines
// are read as a frame and lose their star.)
bool IsListItem(std::string_view t) {
  if (t.size() >= 2 && t[0] == '-' && IsBlank(t[1])) return true;
  size_t n = 0;
  while (n < t.size() && IsDigit(t[n])) ++n;
  if (n == 0 || n > 3) return false;
  if (n + 1 < t.size() && (t[n] == '.' || t[n] == ')') && IsBlank(t[n + 1])) return true;
  while (n < t.size() && IsBlank(t[n])) ++n;
  return n + 1 < t.size() && (t[n] == '-' || t[n] == '=') && IsBlank(t[n + 1]);
}

// A label line of a heading block ("Created: ...", "Last updated: ..."): one to three words and
// a colon followed by a blank or nothing.
bool IsLabelLine(std::string_view t) {
  int words = 0;
  for (size_t i = 0; i < t.size() && words < 3;) {
    std::string_view rest = t.substr(i);
    const std::string_view word = TakeWord(rest);
    if (word.empty() || IsDigit(word.front())) return false;
    ++words;
    i += word.size();
    while (i < t.size() && IsBlank(t[i])) ++i;
    if (i < t.size() && t[i] == ':') return i + 1 == t.size() || IsBlank(t[i + 1]);
  }
  return false;
}

bool AddParamLine(std::string_view t, DocComment& out) {
  std::string_view name, text;
  if (!ParseParamLine(t, name, text)) return false;
  out.params.push_back({std::string(name), std::string(text)});
  return true;
}

// Appends the text of an XML element's content: without tags, every run of blanks and line
// breaks made one blank.
void AppendWithoutTags(std::string& field, std::string_view content, bool paragraph) {
  bool blank = false;
  bool started = false;
  for (size_t i = 0; i < content.size(); ++i) {
    const char c = content[i];
    if (c == '<') {
      const size_t end = content.find('>', i);
      if (end == std::string_view::npos) break;
      i = end;
      blank = true;
      continue;
    }
    if (IsBlank(c) || c == '\n') {
      blank = true;
      continue;
    }
    if (!started) {
      if (!field.empty()) field += paragraph ? '\n' : ' ';
      started = true;
    } else if (blank) {
      field += ' ';
    }
    blank = false;
    field += c;
  }
}

// The position of the closing tag "</name" in s from `from` on (letter case ignored), or npos.
size_t FindClosing(std::string_view s, std::string_view name, size_t from) {
  for (size_t i = s.find("</", from); i != std::string_view::npos; i = s.find("</", i + 2)) {
    if (EqualsNoCase1252(s.substr(i + 2, name.size()), name)) return i;
  }
  return std::string_view::npos;
}

// The value of the attribute name="..." in a tag's attributes.
std::string_view NameAttribute(std::string_view attributes) {
  for (size_t i = 0; i + 4 < attributes.size(); ++i) {
    if (!EqualsNoCase1252(attributes.substr(i, 4), "name")) continue;
    std::string_view t = TrimBlanks(attributes.substr(i + 4));
    if (t.empty() || t.front() != '=') continue;
    t = TrimBlanks(t.substr(1));
    if (t.empty() || (t.front() != '"' && t.front() != '\'')) continue;
    const size_t end = t.find(t.front(), 1);
    return end == std::string_view::npos ? t.substr(1) : t.substr(1, end - 1);
  }
  return {};
}

// The text of a description annotation's string argument ('@Description("text")'), each doubled
// quote made one; false when the annotation has none.
bool AnnotationText(std::string_view t, std::string& out) {
  t = TrimBlanks(t);
  if (t.empty() || t.front() != '(') return false;
  t = TrimBlanks(t.substr(1));
  if (t.empty() || t.front() != '"') return false;
  out.clear();
  for (size_t i = 1; i < t.size(); ++i) {
    if (t[i] == '"') {
      if (i + 1 < t.size() && t[i + 1] == '"') {
        ++i;
      } else {
        return true;
      }
    }
    out += t[i];
  }
  return true;
}

bool IsTag(std::string_view word) {
  for (const char* tag : {"param", "return", "returns", "remarks", "see", "author", "example"})
    if (EqualsNoCase1252(word, tag)) return true;
  return false;
}

}  // namespace

void DocCommentParser::Parse(std::string_view in_sText, const std::vector<Line>& in_lines,
                             Scope in_eScope, DocComment& out) {
  out.Clear();
  m_content.clear();
  m_attributes.clear();
  DocSource attributeSource = DocSource::kNone;
  // A text that repeats the first one is left out (the annotation and the attribute often say
  // the same).
  const auto addAttribute = [&](std::string_view text, DocSource source) {
    text = TrimBlanks(text);
    if (text.empty()) return;
    if (std::string_view(m_attributes).substr(0, m_attributes.find('\n')) == text) return;
    AppendText(m_attributes, text, true);
    if (attributeSource == DocSource::kNone) attributeSource = source;
  };
  const auto addBreak = [&] {
    if (!m_content.empty() && m_content.back().marks != kBreak) m_content.push_back({{}, kBreak});
  };

  for (const Line& line : in_lines) {
    if (line.begin > in_sText.size() || line.size > in_sText.size() - line.begin) continue;
    const std::string_view raw = in_sText.substr(line.begin, line.size);
    // A description attribute always names what it describes (a module's is in its header).
    if (line.marks == kAttribute) {
      addAttribute(raw, DocSource::kAttribute);
      continue;
    }
    std::string_view t = TrimBlanks(raw);
    if (line.marks == kBreak || t.empty()) {
      addBreak();
      continue;
    }
    if (IsBanner(t)) continue;
    t = WithoutStars(t);
    if (t.empty()) {
      addBreak();
      continue;
    }
    if (t.front() == '@') {
      std::string_view rest = t.substr(1);
      const std::string_view word = TakeWord(rest);
      const bool forModule = in_eScope != Scope::kDeclaration;
      if (EqualsNoCase1252(word, forModule ? "ModuleDescription" : "Description") ||
          (!forModule && EqualsNoCase1252(word, "VariableDescription"))) {
        if (AnnotationText(rest, m_value)) addAttribute(m_value, DocSource::kAnnotation);
        continue;
      }
      // Any other annotation ('@Folder, '@Ignore ...) says nothing about the meaning.
      if (!IsTag(word)) continue;
    }
    if (in_eScope == Scope::kModuleAnnotationsOnly) continue;
    m_content.push_back({t, line.marks});
  }
  if (!m_content.empty() && m_content.back().marks == kBreak) m_content.pop_back();

  if (!m_content.empty()) {
    bool tags = m_content.front().marks == 2;
    bool headings = false;
    for (const Content& c : m_content) {
      std::string_view rest;
      if (c.marks == kBreak) continue;
      if (c.text.front() == '@') tags = true;
      if (HeadingOf(c.text, rest) != Heading::kNone) headings = true;
    }
    if (m_content.front().marks >= 3) {
      out.source = DocSource::kXml;
      ReadXml(out);
    } else if (tags) {
      out.source = DocSource::kTags;
      ReadTags(out);
    } else if (headings) {
      out.source = DocSource::kHeadings;
      ReadHeadings(out);
    } else {
      out.source = DocSource::kText;
    }
    AppendDescription(out, out.source);
    if (out.source == DocSource::kText) out.summary.assign(FirstSentence(out.description));
  }

  if (!m_attributes.empty()) {
    // The attributes' text is the summary and opens the description.
    out.summary.assign(std::string_view(m_attributes).substr(0, m_attributes.find('\n')));
    if (!out.description.empty()) m_attributes.append("\n").append(out.description);
    out.description.swap(m_attributes);
    out.source = attributeSource;
  }
  // Lines that held only markup (an empty XML element, a name heading) describe nothing.
  if (out.description.empty()) out.Clear();
}

void DocCommentParser::ReadTags(DocComment& out) {
  m_lead.clear();
  std::string* target = &m_lead;
  bool paragraph = false;
  for (const Content& c : m_content) {
    if (c.marks == kBreak) {
      paragraph = true;
      continue;
    }
    std::string_view text = c.text;
    if (text.front() == '@') {
      std::string_view rest = text.substr(1);
      const std::string_view word = TakeWord(rest);
      rest = TrimBlanks(rest);
      if (EqualsNoCase1252(word, "param")) {
        // "{Type} name" gives the type first.
        if (!rest.empty() && rest.front() == '{') {
          const size_t close = rest.find('}');
          if (close != std::string_view::npos) rest = TrimBlanks(rest.substr(close + 1));
        }
        // "[name]" marks an optional parameter; a bracketed name may hold any characters (an
        // enumeration member "[(n)]").
        std::string_view name;
        const size_t close = rest.empty() || rest.front() != '[' ? 0 : rest.find(']');
        if (close != 0 && close != std::string_view::npos) {
          name = TrimBlanks(rest.substr(1, close - 1));
          rest.remove_prefix(close + 1);
        } else {
          if (!rest.empty() && rest.front() == '[') rest.remove_prefix(1);
          name = TakeWord(rest);
        }
        out.params.push_back({std::string(name), std::string(TrimBlanks(rest))});
        target = &out.params.back().text;
        paragraph = false;
        continue;
      }
      if (EqualsNoCase1252(word, "return") || EqualsNoCase1252(word, "returns")) {
        target = &out.returns;
      } else if (EqualsNoCase1252(word, "author")) {
        target = &out.author;
      } else {
        // @remarks, @see and @example: each a paragraph of the remarks.
        target = &out.remarks;
        paragraph = true;
        const char* label = EqualsNoCase1252(word, "see")       ? "See:"
                            : EqualsNoCase1252(word, "example") ? "Example:"
                                                                : nullptr;
        if (label) {
          AppendText(out.remarks, label, true);
          paragraph = false;
        }
      }
      text = rest;
    }
    AppendText(*target, text, paragraph);
    paragraph = false;
  }
  out.summary.assign(FirstSentence(m_lead));
}

void DocCommentParser::ReadHeadings(DocComment& out) {
  m_lead.clear();
  std::string* target = &m_lead;
  bool params = false;
  bool paragraph = false;
  for (const Content& c : m_content) {
    if (c.marks == kBreak) {
      paragraph = true;
      continue;
    }
    std::string_view rest;
    const Heading heading = HeadingOf(c.text, rest);
    if (heading != Heading::kNone) {
      params = heading == Heading::kParams;
      paragraph = false;
      switch (heading) {
        case Heading::kPurpose:
          target = &out.summary;
          break;
        case Heading::kReturns:
          target = &out.returns;
          break;
        case Heading::kAuthor:
          target = &out.author;
          break;
        case Heading::kDate:
          target = &out.date;
          break;
        case Heading::kRemarks:
          // The heading's name stays with its text: "Assumptions: ...".
          target = &out.remarks;
          rest = c.text;
          paragraph = true;
          break;
        default:  // parameters (one per line below), and the names of what follows (dropped)
          target = nullptr;
          if (params) AddParamLine(rest, out);
          rest = {};
          break;
      }
      if (target) AppendText(*target, rest, paragraph);
      paragraph = false;
      continue;
    }
    if (params) {
      if (!AddParamLine(c.text, out) && !out.params.empty())
        AppendText(out.params.back().text, c.text, paragraph);
    } else if (target) {
      AppendText(*target, c.text, paragraph);
    }
    paragraph = false;
  }
  if (out.summary.empty()) out.summary.assign(FirstSentence(m_lead));
}

void DocCommentParser::ReadXml(DocComment& out) {
  m_xml.clear();
  for (const Content& c : m_content) {
    if (!m_xml.empty()) m_xml += '\n';
    m_xml.append(c.text);
  }
  const std::string_view xml = m_xml;
  size_t pos = 0;
  while ((pos = xml.find('<', pos)) != std::string_view::npos) {
    std::string_view rest = xml.substr(pos + 1);
    const std::string_view name = TakeWord(rest);
    const size_t close = xml.find('>', pos);
    if (close == std::string_view::npos) break;
    pos = close + 1;
    if (name.empty() || xml[close - 1] == '/') continue;
    std::string* field = nullptr;
    if (EqualsNoCase1252(name, "summary")) {
      field = &out.summary;
    } else if (EqualsNoCase1252(name, "param")) {
      const size_t attributesAt = static_cast<size_t>(name.data() - xml.data()) + name.size();
      out.params.push_back(
          {std::string(NameAttribute(xml.substr(attributesAt, close - attributesAt))), {}});
      field = &out.params.back().text;
    } else if (EqualsNoCase1252(name, "returns") || EqualsNoCase1252(name, "value")) {
      field = &out.returns;
    } else if (EqualsNoCase1252(name, "remarks") || EqualsNoCase1252(name, "example")) {
      field = &out.remarks;
    } else {
      continue;
    }
    size_t end = FindClosing(xml, name, pos);
    if (end == std::string_view::npos) end = xml.size();
    AppendWithoutTags(*field, xml.substr(pos, end - pos), true);
    pos = end;
  }
}

void DocCommentParser::AppendDescription(DocComment& out, DocSource in_eSource) {
  const bool xml = in_eSource == DocSource::kXml;
  const bool headings = in_eSource == DocSource::kHeadings;
  bool paragraph = false;
  bool afterLabel = false;
  for (const Content& c : m_content) {
    if (c.marks == kBreak) {
      paragraph = true;
      continue;
    }
    // "Procedure :" and "Module :" only name what follows, in any block. A tag, a heading and a
    // parameter line start lines of their own.
    std::string_view rest, name;
    const Heading heading = HeadingOf(c.text, rest);
    if (heading == Heading::kName) continue;
    if ((headings && heading != Heading::kNone) ||
        (headings && ParseParamLine(c.text, name, rest)) ||
        (in_eSource == DocSource::kTags && c.text.front() == '@') || afterLabel ||
        (!xml && (IsListItem(c.text) || IsLabelLine(c.text))))
      paragraph = true;
    // A label line ("Created: ...") is one line: what follows it starts another. A known
    // heading's text may go on on the lines below it.
    afterLabel = !xml && heading == Heading::kNone && IsLabelLine(c.text);
    if (xml) {
      AppendWithoutTags(out.description, c.text, paragraph);
    } else {
      AppendText(out.description, c.text, paragraph);
    }
    paragraph = false;
  }
}

}  // namespace qs

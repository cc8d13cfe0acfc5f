// The work of every fuzz target, as functions that answer "" when all went well and otherwise
// say which property was broken. The libFuzzer entry points (fuzz_*.cpp) abort on an answer;
// the regression test in tests/driver replays the checked-in findings through the same functions.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "ProjectSplit.h"
#include "analysis/CompileConstants.h"
#include "analysis/ConditionalRegions.h"
#include "analysis/ModuleDocs.h"
#include "analysis/ProjectGroup.h"
#include "analysis/SourcePlaces.h"
#include "model/ClsEntry.h"
#include "model/ClsSymEntry.h"
#include "model/CrossReferences.h"
#include "model/DocComment.h"
#include "model/RunState.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "output/answers/ReferenceAnswers.h"
#include "parser/DocCommentReader.h"
#include "parser/HeaderAnalysis.h"
#include "parser/clsParser.h"
#include "run/clsVBInfo.h"
#include "text/ClsString.h"
#include "text/clsToken.h"
#include "text/clsTokenStream.h"

namespace qs::fuzz {

enum class Tokenizer { Code, Vbp, Form, Class };

inline std::shared_ptr<clsTokenStream> TokenizeAs(Tokenizer kind, std::string_view bytes) {
  ClsString text;
  text.SetText(bytes);
  std::shared_ptr<clsToken> keywords;
  std::shared_ptr<clsTokenStream> stream;
  switch (kind) {
    case Tokenizer::Code:
      text.TokenizeEx(keywords, stream);
      break;
    case Tokenizer::Vbp:
      text.TokenizeVBP(keywords, stream);
      break;
    case Tokenizer::Form:
      text.TokenizeForm(keywords, stream);
      break;
    case Tokenizer::Class:
      text.TokenizeClass(keywords, stream);
      break;
  }
  return stream;
}

/// The bytes without zero bytes and line-end characters: what every tokenizer keeps verbatim.
inline std::string WithoutBreaks(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes)
    if (c != '\0' && c != '\r' && c != '\n') out += c;
  return out;
}

/// A tokenizer over arbitrary bytes: a stream always comes back, every position (and one beyond
/// each end) reads safely, and the tokens rebuild the text: every byte in order, except that zero
/// bytes are skipped and line ends come back as CR LF.
inline std::string CheckTokenize(Tokenizer kind, std::string_view bytes) {
  const std::shared_ptr<clsTokenStream> stream = TokenizeAs(kind, bytes);
  if (!stream) return "no token stream";
  for (int32_t i = -1; i <= stream->Count(); ++i) {
    (void)stream->TokenCodeAt(i);
    if (static_cast<int32_t>(stream->TokenStringAt(i).size()) < 0) return "negative length";
    (void)stream->TokenLenAt(i);
  }
  if (WithoutBreaks(stream->Text(0)) != WithoutBreaks(bytes))
    return "tokens do not rebuild the text";
  return "";
}

/// The project file parser: always a collection, every item present.
inline std::string CheckParseVbp(std::string_view bytes) {
  clsParser parser;
  parser.InitParser(TokenizeAs(Tokenizer::Vbp, bytes));
  const std::shared_ptr<clsVBFileTypes> items = parser.ParseVBP();
  if (!items) return "no item collection";
  int32_t n = 0;
  for (const auto& item : *items) {
    if (!item) return "empty item";
    ++n;
  }
  if (n != items->Count()) return "enumeration and count differ";
  return "";
}

/// The form or class header parser: the positions it finds lie inside the stream.
inline std::string CheckParseHeader(bool formLike, std::string_view bytes) {
  const auto stream = TokenizeAs(formLike ? Tokenizer::Form : Tokenizer::Class, bytes);
  clsParser parser;
  parser.InitParser(stream);
  const auto header = formLike ? parser.ParseFormType() : parser.ParseClassType();
  if (!header) return "";  // a failed parse gives no record, which is allowed
  if (header->CodePtr < 0 || header->CodePtr > stream->Count()) return "code position outside";
  if (header->AttributePtr < 0 || header->AttributePtr > stream->Count())
    return "attribute position outside";
  return "";
}

/// The file the bytes give (the first byte chooses form (odd) or class (even) tokens and header;
/// the rest is the file), its header parsed and its code analysed into out_run's fresh symbol
/// table. Null when no header comes of it.
inline std::shared_ptr<clsVBHeader> AnalyseFuzzFile(std::string_view input, RunState& out_run) {
  if (input.empty()) return nullptr;
  const bool formLike = (static_cast<unsigned char>(input[0]) & 1) != 0;
  const auto stream = TokenizeAs(formLike ? Tokenizer::Form : Tokenizer::Class, input.substr(1));
  std::shared_ptr<clsVBHeader> header;
  {
    clsParser parser;
    parser.InitParser(stream);
    header = formLike ? parser.ParseFormType() : parser.ParseClassType();
  }
  if (!header) return nullptr;
  header->TokenStream = stream;
  out_run.g_oSymTable = std::make_shared<clsSymTable>();
  GetForwardTypeDecl(out_run, *header, "FuzzModule");
  return header;
}

/// The code section scan: the first byte chooses form (odd) or class (even) tokens and header;
/// the rest is the file. Its code is analysed into a fresh symbol table, which then holds exactly
/// the one module.
inline std::string CheckCodeScan(std::string_view input) {
  RunState run;
  const std::shared_ptr<clsVBHeader> header = AnalyseFuzzFile(input, run);
  if (!header) return "";
  std::string result;
  if (!run.g_oSymTable) {
    result = "symbol table gone";
  } else if (run.g_oSymTable->Count() != 1) {
    result = "module entries: " + std::to_string(run.g_oSymTable->Count());
  }
  return result;
}

/// The doc comments of a file (the first byte chooses form or class tokens and header, as for
/// the code scan): every declaration, member and the module described and checked as the export
/// does, then the reader asked at spread positions with every target. A description comes back
/// exactly when one was found, with the convention it came from.
inline std::string CheckDocComments(std::string_view input) {
  RunState run;
  const std::shared_ptr<clsVBHeader> header = AnalyseFuzzFile(input, run);
  if (!header) return "";
  DocComment doc;
  const auto consistent = [&doc](bool found) {
    return found == !doc.Empty() && found == (doc.source != DocSource::kNone);
  };
  ModuleDocs docs;
  docs.Reset(header.get());
  std::vector<DocWarning> warnings;
  if (!consistent(docs.DescribeModule(doc))) return "module description inconsistent";
  const std::shared_ptr<ClsSymEntry> module =
      run.g_oSymTable ? run.g_oSymTable->Item(std::string_view(
                            header->sVBTableName.empty() ? "FuzzModule" : header->sVBTableName))
                      : nullptr;
  if (module) {
    const ClsSymEntry& m = *module;
    const std::pair<const ClsEntry*, DeclKind> lists[] = {{&m.EVar, DeclKind::kVariable},
                                                          {&m.EConst, DeclKind::kConstant},
                                                          {&m.ESub, DeclKind::kSub},
                                                          {&m.EFunction, DeclKind::kFunction},
                                                          {&m.EProperty, DeclKind::kPropertyGet},
                                                          {&m.EType, DeclKind::kType},
                                                          {&m.EEnum, DeclKind::kEnum},
                                                          {&m.EEvent, DeclKind::kEvent},
                                                          {&m.EDeclare, DeclKind::kDeclare}};
    for (const auto& [list, kind] : lists) {
      for (const auto& e : *list) {
        if (!e) continue;
        if (!consistent(docs.Describe(*e, kind, doc))) return "declaration inconsistent";
        ModuleDocs::Check(*e, doc, warnings);
        if (!e->Parameters) continue;
        for (const auto& member : *e->Parameters)
          if (member && !consistent(docs.DescribeMember(*member, doc)))
            return "member inconsistent";
      }
    }
  }
  DocCommentReader reader;
  const clsTokenStream* stream = header->TokenStream.get();
  reader.Reset(stream, header->CodePtr);
  const int32_t count = stream->Count();
  const int32_t step = count / 200 + 1;
  for (int32_t p = -1; p <= count; p += step) {
    const auto target = static_cast<DocCommentReader::Target>((p + 1) % 5);
    if (!consistent(reader.Describe(p, stream->TokenStringAt(p), target, doc)))
      return "reader inconsistent at " + std::to_string(p);
  }
  return "";
}

/// The declarator texts of a file (the first byte chooses form or class tokens and header, as for
/// the code scan): asked at spread positions and at every module-level variable and constant,
/// each has no line end its statement line lacks and is never longer than that line.
inline std::string CheckDeclarators(std::string_view input) {
  RunState run;
  const std::shared_ptr<clsVBHeader> header = AnalyseFuzzFile(input, run);
  if (!header) return "";
  const clsTokenStream& ts = *header->TokenStream;
  std::vector<int32_t> positions;
  const int32_t count = ts.Count();
  for (int32_t p = -1; p <= count; p += count / 200 + 1) positions.push_back(p);
  const std::shared_ptr<ClsSymEntry> module =
      run.g_oSymTable ? run.g_oSymTable->Item(std::string_view(
                            header->sVBTableName.empty() ? "FuzzModule" : header->sVBTableName))
                      : nullptr;
  for (const auto* list : {module ? &module->EVar : nullptr, module ? &module->EConst : nullptr}) {
    if (list == nullptr) continue;
    for (const auto& e : *list)
      if (e) positions.push_back(e->lEntryptr);
  }
  std::string declarator, line;
  for (const int32_t p : positions) {
    declarator.clear();
    line.clear();
    SourceText::AppendDeclarator(ts, p, declarator);
    SourceText::AppendLine(ts, p, line);
    // A token's own text may hold a line-end byte; the line then has it too.
    if (declarator.find_first_of("\r\n") != std::string::npos &&
        line.find_first_of("\r\n") == std::string::npos)
      return "declarator with a line end at " + std::to_string(p);
    if (declarator.size() > line.size())
      return "declarator longer than its line at " + std::to_string(p);
  }
  return "";
}

/// Conditional compilation: the first line is a list of definitions as a CondComp line or
/// --define options give them ("A = 1 : B = A + 1"), each later line is also evaluated as a
/// condition, and the whole input is read as a module whose #If, #ElseIf, #Else, #End If and
/// #Const lines give its left-out regions. Nothing may crash; the regions must be in order, apart,
/// within the module, and agree with their lines.
inline std::string CheckConditions(std::string_view input) {
  const size_t firstEnd = input.find('\n');
  CompileConstants constants;
  constants.DefineAll(input.substr(0, firstEnd));
  for (size_t at = firstEnd; at != std::string_view::npos && at < input.size();) {
    const size_t end = input.find('\n', at + 1);
    bool holds = false;
    CompileConstants::Value value;
    const std::string_view line =
        input.substr(at + 1, end == std::string_view::npos ? end : end - at - 1);
    if (constants.Condition(line, holds) !=
        (constants.Evaluate(line, value) && value.kind != CompileConstants::Value::Kind::kString))
      return "Condition and Evaluate disagree";
    at = end;
  }
  RunState run;
  const std::shared_ptr<clsVBHeader> header = AnalyseFuzzFile(input, run);
  if (!header || !header->TokenStream) return "";
  const clsTokenStream& ts = *header->TokenStream;
  ConditionalRegions regions;
  FindConditionalRegions(ts, std::max(header->CodePtr, 0), constants, regions);
  int32_t lines = 1;
  for (int32_t p = 0; p < ts.Count(); ++p) lines += ts.TokenCodeAt(p) == TokEndOfLine ? 1 : 0;
  int32_t lastEnd = -1;
  for (const auto& [from, to] : regions.positions) {
    if (from <= lastEnd || from >= to || to > ts.Count()) return "regions out of order";
    if (!regions.Inactive(from) || regions.Inactive(to) != false || regions.Inactive(from - 1))
      return "Inactive disagrees with the regions";
    lastEnd = to;
  }
  int32_t lastLine = 0;
  for (const auto& [first, last] : regions.lines) {
    if (first <= lastLine || first > last || last > lines) return "lines out of order";
    lastLine = last;
  }
  if (regions.lines.size() > regions.positions.size() + 1) return "more line ranges than regions";
  return "";
}

/// Writes the project the bytes split into (ProjectSplit.h) under in_scratch / "p" (the scratch
/// folder emptied first) and returns that folder.
inline std::filesystem::path WriteSplitProject(std::string_view bytes,
                                               const std::filesystem::path& in_scratch) {
  namespace fs = std::filesystem;
  const fs::path project = in_scratch / "p";
  std::error_code ec;
  fs::remove_all(in_scratch, ec);
  fs::create_directories(project, ec);
  for (const auto& [name, body] : SplitProject(bytes)) {
    const fs::path p = project / name;
    fs::create_directories(p.parent_path(), ec);
    std::ofstream(p, std::ios::binary) << body;
  }
  return project;
}

/// A whole run on the project the bytes split into (ProjectSplit.h), written under in_scratch
/// (emptied first). Any readable project file gives a complete report, the events come once each,
/// and no temporary file is left beside the report.
inline std::string CheckWholeRun(std::string_view bytes, const std::filesystem::path& in_scratch) {
  namespace fs = std::filesystem;
  const fs::path project = WriteSplitProject(bytes, in_scratch);
  const fs::path out = in_scratch / "out";
  std::error_code ec;

  clsVBInfo info;
  info.Settings().outDir = out.string();
  info.Settings().stamp = "Monday, December 7, 2026 14:05:09";
  info.Settings().programFolder = "/opt/quillscope";
  int begins = 0;
  int ends = 0;
  info.EvtBegin = [&] { ++begins; };
  info.EvtEnd = [&] { ++ends; };
  info.GetFileInfo((project / "P.vbp").string());
  if (begins != 1 || ends != 1) return "events not raised once each";
  if (!info.ReportWritten()) return "no report: " + info.FailureReason();
  if (!fs::is_regular_file(out / "P_document" / "P.html")) return "report missing";
  for (const auto& e : fs::directory_iterator(out / "P_document", ec)) {
    if (e.path().filename().string().find(".tmp-") != std::string::npos)
      return "temporary file left: " + e.path().filename().string();
  }
  return "";
}

/// A whole run that resolves the cross references and answers both questions: every use names a
/// declaration and a place, uses come in file order, and the answers end normally.
inline std::string CheckCrossReferences(std::string_view bytes,
                                        const std::filesystem::path& in_scratch) {
  const std::filesystem::path project = WriteSplitProject(bytes, in_scratch);
  clsVBInfo info;
  info.Settings().crossReferences = true;
  info.Settings().writeReport = false;
  info.GetFileInfo((project / "P.vbp").string());
  if (!info.RunCompleted()) return "run not completed: " + info.FailureReason();
  const CrossReferences& refs = info.CrossRefs();
  if (!refs.computed) return "cross references not computed";
  for (size_t i = 0; i < refs.uses.size(); ++i) {
    const CrossUse& u = refs.uses[i];
    if (u.decl < 0 || static_cast<size_t>(u.decl) >= refs.decls.size())
      return "use without declaration";
    if (u.line < 1 || u.column < 1) return "use without place";
    if (i > 0 && (refs.uses[i - 1].module > u.module ||
                  (refs.uses[i - 1].module == u.module && refs.uses[i - 1].pos > u.pos)))
      return "uses out of file order";
  }
  std::ostringstream out, err;
  AnswerUnused(info.Analysis(), true, "", out);
  if (!refs.decls.empty())
    AnswerRefs(info.Analysis(), std::string(refs.decls.back().name), "", out, err);
  // Again with another project's classes: named by the names the project does not declare, each
  // with those names as members typed by them, so that type names and member chains reach them.
  auto classes = std::make_shared<std::vector<ExposedClass>>();
  for (size_t i = 0; i < refs.external.size() && i < 16; ++i) {
    ExposedClass& c = classes->emplace_back();
    c.project = i % 2 ? "Other" : "Lib";
    c.name = refs.external[i].first;
    for (size_t k = 0; k < refs.external.size() && k < 16; ++k)
      c.members.push_back({refs.external[k].first,
                           refs.external[(k + i) % 16 % refs.external.size()].first,
                           k % 3 ? DeclKind::kVariable : DeclKind::kFunction});
  }
  info.Settings().exposedClasses = classes;
  info.GetFileInfo((project / "P.vbp").string());
  if (!info.RunCompleted()) return "run with other classes not completed: " + info.FailureReason();
  for (const ForeignUse& u : info.CrossRefs().foreignUses) {
    if (u.cls < 0 || static_cast<size_t>(u.cls) >= classes->size())
      return "foreign use without class";
    if (u.member >= static_cast<int32_t>((*classes)[static_cast<size_t>(u.cls)].members.size()))
      return "foreign use without member";
    if (u.line < 1 || u.column < 1) return "foreign use without place";
  }
  return "";
}

/// Group file and project reference lines: every member or path read is a non-empty piece of
/// one line of the input, and each "Project" line gives at most one member.
inline std::string CheckProjectGroup(std::string_view bytes) {
  std::vector<std::string> members;
  const bool isGroup = ParseProjectGroup(bytes, members);
  if (!isGroup && !members.empty()) return "members read from a text that is no group file";
  const auto checkPieces = [&](const std::vector<std::string>& pieces) -> std::string {
    size_t lines = 1;
    for (char c : bytes) lines += c == '\n' || c == '\r';
    if (pieces.size() > lines) return "more pieces than lines";
    for (const std::string& piece : pieces) {
      if (piece.empty()) return "empty piece";
      if (piece.find_first_of("\r\n") != std::string::npos) return "piece spans lines";
      if (bytes.find(piece) == std::string_view::npos) return "piece not in the input";
    }
    return "";
  };
  std::string broken = checkPieces(members);
  if (broken.empty()) broken = checkPieces(ParseProjectReferences(bytes));
  return broken;
}

/// A scratch folder of this process for whole runs.
inline std::filesystem::path ProcessScratch(std::string_view tag) {
  return std::filesystem::temp_directory_path() /
         ("qs-" + std::string(tag) + "-" + std::to_string(::getpid()));
}

}  // namespace qs::fuzz

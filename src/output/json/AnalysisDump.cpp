#include "output/json/AnalysisDump.h"

#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "analysis/ProjectAnalysis.h"
#include "io/AtomicFile.h"
#include "io/JsonWriter.h"
#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/ClsSymEntry.h"
#include "model/clsSymTable.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "text/Failure.h"
#include "text/Yield.h"

namespace qs {

namespace {

// The analysis nests lists two levels deep (a procedure's parameters and locals, the members of an
// enumeration or type). Records built by other means could nest deeper or even refer back to
// themselves; below this depth their lists are written as null, which bounds the recursion.
constexpr int kMaxListDepth = 8;

// The dump is indented, and built in memory.
using DumpWriter = JsonWriter<JsonTextOutput, true>;

void WriteEntryList(DumpWriter& j, const ClsEntry* list, int depth);

void WriteEntry(DumpWriter& j, const ClsEntryPtr& e, int depth) {
  YieldPoint();
  j.StartObject();
  j.Key("ID");
  j.Int64(e.ID);
  j.Key("eEntrytype");
  j.Int64(e.eEntrytype);
  j.Key("eArgScope");
  j.Int64(e.eArgScope);
  j.Key("EntryName");
  j.String1252(e.EntryName);
  j.Key("LibName");
  j.String1252(e.LibName);
  j.Key("AliasName");
  j.String1252(e.AliasName);
  j.Key("Scope");
  j.String1252(e.Scope);
  j.Key("EntryType");
  j.String1252(e.EntryType);
  j.Key("ReturnType");
  j.String1252(e.ReturnType);
  j.Key("lEntryptr");
  j.Int64(e.lEntryptr);
  j.Key("lEntryTypePtr");
  j.Int64(e.lEntryTypePtr);
  j.Key("lProcStartPtr");
  j.Int64(e.lProcStartPtr);
  j.Key("lProcEndPtr");
  j.Int64(e.lProcEndPtr);
  j.Key("EVar");
  WriteEntryList(j, e.EVar.get(), depth + 1);
  j.Key("EConst");
  WriteEntryList(j, e.EConst.get(), depth + 1);
  j.Key("Parameters");
  WriteEntryList(j, e.Parameters.get(), depth + 1);
  j.EndObject();
}

// A list that does not exist is null; an existing one is an array, empty or not.
void WriteEntryList(DumpWriter& j, const ClsEntry* list, int depth) {
  if (!list || depth > kMaxListDepth) {
    j.Null();
    return;
  }
  j.StartArray();
  for (const auto& e : *list) {
    if (e) {
      WriteEntry(j, *e, depth);
    } else {
      j.Null();
    }
  }
  j.EndArray();
}

void WriteModule(DumpWriter& j, const ClsSymEntry& m) {
  j.StartObject();
  j.Key("EntryName");
  j.String1252(m.EntryName);
  const std::pair<const char*, const ClsEntry*> lists[] = {
      {"EVar", &m.EVar},           {"EConst", &m.EConst},       {"ESub", &m.ESub},
      {"EFunction", &m.EFunction}, {"EProperty", &m.EProperty}, {"EType", &m.EType},
      {"EEnum", &m.EEnum},         {"EEvent", &m.EEvent},       {"EDeclare", &m.EDeclare},
  };
  for (const auto& [name, list] : lists) {
    j.Key(name);
    WriteEntryList(j, list, 1);
  }
  j.EndObject();
}

void WriteHeader(DumpWriter& j, const clsVBHeader* h) {
  if (!h) {
    j.Null();
    return;
  }
  j.StartObject();
  j.Key("Attribute_VBName");
  j.String1252(h->Attribute_VBName);
  j.Key("AttributePtr");
  j.Int64(h->AttributePtr);
  j.Key("CodePtr");
  j.Int64(h->CodePtr);
  // Each control record is the six values of a header line, in their order: type, name, the
  // name's (or string's) position twice, the class token's position, the control's name.
  j.Key("Controls");
  j.StartArray();
  for (const clsControlRecord& control : h->Controls()) {
    const clsControlRecord* r = &control;
    j.StartArray();
    j.String1252(r->sType);
    j.String1252(r->sName);
    j.Int64(r->lPtr);
    j.Int64(r->lPtr2);
    j.Int64(r->lClassPtr);
    j.String1252(r->sControlName);
    j.EndArray();
  }
  j.EndArray();
  j.EndObject();
}

void WriteItem(DumpWriter& j, const clsVBFileType& item) {
  YieldPoint();
  j.StartObject();
  j.Key("ID");
  j.String1252(item.ID);
  j.Key("EType");
  j.Int64(item.EType);
  j.Key("Path");
  j.String1252(item.Path);
  j.Key("Body");
  j.String1252(item.Body);
  j.Key("Ext");
  j.String1252(item.Ext);
  j.Key("GuidRef");
  j.String1252(item.GuidRef);
  j.Key("MajorVer");
  j.String1252(item.MajorVer);
  j.Key("MinorVer");
  j.String1252(item.MinorVer);
  j.Key("InternalName");
  j.String1252(item.InternalName);
  j.Key("ExtName");
  j.String1252(item.ExtName);
  j.Key("vPtr");
  if (item.vPtr) {
    j.StartArray();
    j.Int64(item.vPtr->first);
    j.Int64(item.vPtr->second);
    j.EndArray();
  } else {
    j.Null();
  }
  j.Key("NewName");
  j.String1252(item.NewName);
  j.Key("NewClsModName");
  j.String1252(item.NewClsModName);
  j.Key("VBHeader");
  WriteHeader(j, item.VBHeader().get());
  j.EndObject();
}

void WriteProject(DumpWriter& j, std::string_view file, std::string_view name,
                  const clsVBFileTypes* types) {
  const clsVBFileTypes none;
  const clsVBFileTypes& t = types ? *types : none;
  j.StartObject();
  j.Key("file");
  j.StringUtf8(file);
  j.Key("name");
  j.String1252(name);
  j.Key("counts");
  j.StartObject();
  const std::pair<const char*, int32_t> counts[] = {
      {"FormCount", t.FormCount},
      {"ReferenceCount", t.ReferenceCount},
      {"UserControlCount", t.UserControlCount},
      {"UserDocumentCount", t.UserDocumentCount},
      {"ObjectCount", t.ObjectCount},
      {"PropertyPageCount", t.PropertyPageCount},
      {"ClassCount", t.ClassCount},
      {"ModuleCount", t.ModuleCount},
      {"DesignerCount", t.DesignerCount},
  };
  for (const auto& [key, value] : counts) {
    j.Key(key);
    j.Int64(value);
  }
  j.EndObject();
  j.Key("StartupForm");
  j.String1252(t.StartupForm);
  j.Key("IconForm");
  j.String1252(t.IconForm);
  j.EndObject();
}

}  // namespace

std::string BuildJsonExport(std::string_view in_sProjectFile, std::string_view in_sProjectName,
                            const clsVBFileTypes* in_oFileTypes, const clsSymTable* in_oSymTable) {
  std::string text;
  JsonTextOutput out(text);
  DumpWriter j(out);
  j.StartObject();
  j.Key("project");
  WriteProject(j, in_sProjectFile, in_sProjectName, in_oFileTypes);
  j.Key("items");
  j.StartArray();
  if (in_oFileTypes) {
    for (const auto& item : *in_oFileTypes) {
      if (item) {
        WriteItem(j, *item);
      } else {
        j.Null();
      }
    }
  }
  j.EndArray();
  j.Key("modules");
  j.StartArray();
  if (in_oSymTable) {
    for (const auto& m : *in_oSymTable) {
      if (m) {
        WriteModule(j, *m);
      } else {
        j.Null();
      }
    }
  }
  j.EndArray();
  j.EndObject();
  out.Put('\n');
  out.Finish();
  return text;
}

namespace {

// Why a dump was not written, from the error number of its file.
std::string DumpFailure(int in_nError) {
  if (in_nError == AtomicFile::kStopped) return "stopped";
  return std::string("export cannot be written: ") + std::strerror(in_nError);
}

}  // namespace

bool WriteJsonFile(const std::string& in_sPath, std::string_view in_sText,
                   std::string& out_sReason) {
  const int err = WriteFileAtomically(in_sPath, in_sText);
  out_sReason = err != 0 ? DumpFailure(err) : std::string();
  return err == 0;
}

bool WriteAnalysisDump(const ProjectAnalysis& in_oAnalysis, const std::string& in_sProjectFile,
                       const std::string& in_sPath, std::string& out_sReason) {
  out_sReason.clear();
  try {
    const std::string text =
        BuildJsonExport(in_sProjectFile, in_oAnalysis.State().GetProjectName(),
                        in_oAnalysis.FileTypes().get(), in_oAnalysis.State().g_oSymTable.get());
    return WriteJsonFile(in_sPath, text, out_sReason);
  } catch (const RunStopped&) {
    out_sReason = "stopped";  // nothing was written
  } catch (const std::exception& e) {
    // The caller gets false and this reason; an earlier export stays as it was.
    out_sReason = std::string("export cannot be written: ") + FailureText(e);
  } catch (...) {
    // The caller gets false and this reason; an earlier export stays as it was.
    out_sReason = "export cannot be written";
  }
  return false;
}

bool PendingAnalysisDump::Write(const ProjectAnalysis& in_oAnalysis,
                                const std::string& in_sProjectFile, const std::string& in_sPath) {
  return WriteFile(in_sPath, [&](AtomicFile& io_oFile) {
    const std::string text =
        BuildJsonExport(in_sProjectFile, in_oAnalysis.State().GetProjectName(),
                        in_oAnalysis.FileTypes().get(), in_oAnalysis.State().g_oSymTable.get());
    return io_oFile.Write(text);
  });
}

}  // namespace qs

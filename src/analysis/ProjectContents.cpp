#include "analysis/ProjectContents.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "analysis/ProjectAnalysis.h"
#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/ClsSymEntry.h"
#include "model/clsSymTable.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "text/Cp1252.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsTokenStream.h"

namespace qs {

std::vector<ProjectModule> FindProjectModules(const ProjectAnalysis& in_oInfo) {
  std::vector<std::pair<int32_t, ProjectModule>> modules;
  std::unordered_set<const ClsSymEntry*> claimed;
  const clsSymTable* table = in_oInfo.State().g_oSymTable.get();
  if (const auto& items = in_oInfo.FileTypes()) {
    for (const auto& item : *items) {
      YieldPoint();
      if (!item || !IsSourceItemType(item->EType)) continue;
      const ClsSymEntry* entry = nullptr;
      if (const auto& header = item->VBHeader(); header && table) {
        entry = table->Item(std::string_view(header->sVBTableName)).get();
        if (entry && !claimed.insert(entry).second) entry = nullptr;
      }
      modules.push_back({item->vPtr ? item->vPtr->first : 0, {item.get(), entry}});
    }
  }
  std::stable_sort(modules.begin(), modules.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<ProjectModule> list;
  list.reserve(modules.size());
  for (const auto& m : modules) list.push_back(m.second);
  return list;
}

const std::vector<ProjectModule>& ListProjectModules(const ProjectAnalysis& in_oInfo) {
  return in_oInfo.Modules();
}

void ListDeclarations(const ClsSymEntry& in_oEntry, std::vector<DeclaredEntry>& out) {
  out.clear();
  const std::pair<const ClsEntry*, DeclKind> lists[] = {
      {&in_oEntry.EVar, DeclKind::kVariable},
      {&in_oEntry.EConst, DeclKind::kConstant},
      {&in_oEntry.ESub, DeclKind::kSub},
      {&in_oEntry.EFunction, DeclKind::kFunction},
      {&in_oEntry.EProperty, DeclKind::kPropertyGet},  // its Let and Set told apart below
      {&in_oEntry.EType, DeclKind::kType},
      {&in_oEntry.EEnum, DeclKind::kEnum},
      {&in_oEntry.EEvent, DeclKind::kEvent},
      {&in_oEntry.EDeclare, DeclKind::kDeclare},
  };
  for (const auto& [list, kind] : lists) {
    for (const auto& e : *list) {
      if (!e) continue;
      DeclKind k = kind;
      if (k == DeclKind::kPropertyGet) {
        k = e->eEntrytype == kEntryPropertyLet   ? DeclKind::kPropertyLet
            : e->eEntrytype == kEntryPropertySet ? DeclKind::kPropertySet
                                                 : DeclKind::kPropertyGet;
      }
      out.push_back({e.get(), k, 0});
    }
  }
  // By the name's position; the lists' own order where two share one. (std::sort takes no
  // buffer of its own, unlike a stable sort.)
  for (size_t i = 0; i < out.size(); ++i) out[i].order = static_cast<int32_t>(i);
  std::sort(out.begin(), out.end(), [](const DeclaredEntry& a, const DeclaredEntry& b) {
    return a.entry->lEntryptr != b.entry->lEntryptr ? a.entry->lEntryptr < b.entry->lEntryptr
                                                    : a.order < b.order;
  });
}

void ListControls(const clsVBHeader& in_oHeader, const clsTokenStream& in_oStream,
                  std::vector<ControlNode>& out) {
  // The records in file order: controls (from Begin lines) and string properties ("+Name").
  std::vector<ControlNode>& controls = out;
  controls.clear();
  std::vector<int> stack;  // the open Begin blocks: a control's index, -1 for one not listed
  int propertyBlocks = 0;  // open BeginProperty blocks (their values belong to no control)
  const std::vector<clsControlRecord>& records = in_oHeader.Controls();
  size_t next = 0;
  // The records up to the position: each control is a child of the innermost listed control
  // open around it, each property belongs to the control whose block is innermost.
  const auto takeRecordsBefore = [&](int32_t pos, int32_t lineEnd, bool beginLine) {
    for (; next < records.size(); ++next) {
      const clsControlRecord* r = &records[next];
      if (r->lPtr >= (beginLine ? lineEnd : pos)) break;
      const bool isProperty = !r->sType.empty() && r->sType[0] == '+';
      const bool isControl = !r->sType.empty() && r->sType[0] != '+' && r->sType[0] != '_';
      if (isProperty) {
        if (propertyBlocks == 0 && !stack.empty() && stack.back() >= 0)
          controls[static_cast<size_t>(stack.back())].properties.push_back(r);
      } else if (isControl && beginLine && r->lPtr >= pos) {
        // The control this Begin line opens.
        int parent = -1;
        for (auto it = stack.rbegin(); it != stack.rend() && parent < 0; ++it) parent = *it;
        controls.push_back({r, parent, {}});
        stack.push_back(static_cast<int>(controls.size()) - 1);
        ++next;
        return true;
      } else if (isControl) {
        controls.push_back({r, -1, {}});
      }
    }
    return false;
  };
  const clsTokenStream& ts = in_oStream;
  const int32_t end =
      in_oHeader.CodePtr > 0 ? std::min(in_oHeader.CodePtr, ts.Count()) : ts.Count();
  bool lineStart = true;
  for (int32_t p = 0; p < end; ++p) {
    YieldPoint();
    const int32_t code = ts.TokenCodeAt(p);
    if (code == TokEndOfLine) {
      lineStart = true;
      continue;
    }
    if (!lineStart || code == TokWhiteSpace) continue;
    lineStart = false;
    const std::string_view word = ts.TokenStringAt(p);
    if (EqualsNoCase1252(word, "Begin")) {
      int32_t lineEnd = p;
      while (lineEnd < end && ts.TokenCodeAt(lineEnd) != TokEndOfLine) ++lineEnd;
      if (!takeRecordsBefore(p, lineEnd, true)) stack.push_back(-1);
    } else if (EqualsNoCase1252(word, "End")) {
      takeRecordsBefore(p, p, false);
      if (!stack.empty()) stack.pop_back();
    } else if (EqualsNoCase1252(word, "BeginProperty")) {
      takeRecordsBefore(p, p, false);
      ++propertyBlocks;
    } else if (EqualsNoCase1252(word, "EndProperty")) {
      takeRecordsBefore(p, p, false);
      if (propertyBlocks > 0) --propertyBlocks;
    } else if (propertyBlocks == 0 && !stack.empty() && stack.back() >= 0 &&
               EqualsNoCase1252(word, "Shortcut")) {
      controls[static_cast<size_t>(stack.back())].shortcutPos = p;
    } else if (propertyBlocks == 0 && !stack.empty() && stack.back() >= 0 &&
               EqualsNoCase1252(word, "Index")) {
      controls[static_cast<size_t>(stack.back())].indexPos = p;
    }
  }
  takeRecordsBefore(INT32_MAX, INT32_MAX, false);
}

}  // namespace qs

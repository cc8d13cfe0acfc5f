// One project item: a line of the project file that names a source file, a reference, an
// object library, the resource file, the startup object, the icon form or the project name.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace qs {

class clsVBHeader;

/// Item kinds, as set by the project-file line parser of the key that produced the item.
inline constexpr int32_t kItemForm = 2;
inline constexpr int32_t kItemReference = 3;
inline constexpr int32_t kItemModule = 4;
inline constexpr int32_t kItemUserControl = 5;
inline constexpr int32_t kItemObject = 6;
inline constexpr int32_t kItemPropertyPage = 7;
inline constexpr int32_t kItemClass = 8;
inline constexpr int32_t kItemDesigner = 9;
inline constexpr int32_t kItemResFile32 = 10;
inline constexpr int32_t kItemUserDocument = 11;
inline constexpr int32_t kItemRelatedDoc = 12;
inline constexpr int32_t kItemStartup = 13;
inline constexpr int32_t kItemIconForm = 14;
inline constexpr int32_t kItemName = 15;

/// True for the kinds whose file is loaded and analysed: forms, modules, user controls,
/// property pages, classes, designers and user documents.
bool IsSourceItemType(int32_t in_lEType);
/// True for the source kinds read with the form header parser (forms, user controls, property
/// pages, user documents, designers).
bool IsFormLikeItemType(int32_t in_lEType);

class clsVBFileType {
 public:
  std::string ID;  ///< the line's value as written (per key); description or file for libraries
  int32_t EType = 0;
  std::string Path;  ///< folder part of the item's path with its trailing "\" ("" without "\")
  std::string Body;  ///< file name up to its first "."
  std::string Ext;   ///< file-name text between the first and the second "."
  std::string GuidRef;
  std::string MajorVer;
  std::string MinorVer;
  std::string InternalName;
  std::string ExtName;
  /// First and last token position of the value in the project file's stream; empty for
  /// references and objects.
  std::optional<std::pair<int32_t, int32_t>> vPtr;
  std::string NewName;
  std::string NewClsModName;
  /// The item's file path exactly as the project file writes it (separators "\" included):
  /// the text that Path, Body and Ext were split from. A file is opened by this value, since
  /// Body "." Ext loses every dot after the first. "" for items without a file.
  std::string sFileValue;
  /// Where the run found the item's file: its path relative to the project folder with "/"
  /// separators and every name's letter case as on disk (UTF-8). "" when it was not found.
  std::string sDiskPath;
  /// The library file a reference or object line names (a reference's type library path, an
  /// object's file), as written; "" when the line names none.
  std::string sLibraryFile;

  /// The item's file as the project file names it: sFileValue, or Path Body "." Ext for an item
  /// made without one. Warnings about the file name it so.
  std::string FileValue() const {
    return sFileValue.empty() ? Path + Body + "." + Ext : sFileValue;
  }

  /// The parsed header of the item's source file; empty until the first pass sets it.
  const std::shared_ptr<clsVBHeader>& VBHeader() const { return m_oVBHeader; }
  void SetVBHeader(std::shared_ptr<clsVBHeader> in_oHeader) { m_oVBHeader = std::move(in_oHeader); }

 private:
  std::shared_ptr<clsVBHeader> m_oVBHeader;
};

}  // namespace qs

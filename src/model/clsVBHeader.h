// What the run keeps of one source file's header: its VB_Name, where its code begins, its whole
// token stream and the controls and string-valued property lines of a form-like header.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

class ClsSymEntry;
class clsTokenStream;

/// One entry of a header's control list: a control's Begin line or a property line with a
/// string value.
struct clsControlRecord {
  std::string sType;  ///< [0] control type ("Form", "Lib.Class", "{guid}") or "+Prop" / "_\"file\""
  std::string sName;  ///< [1] control name, unquoted property value, or binary file body
  int32_t lPtr = 0;   ///< [2] position of the name token or of the property's string token
  int32_t lPtr2 = 0;  ///< [3] the same position again
  /// [4] position of the class token for a control of the project's own library, else 0
  int32_t lClassPtr = 0;
  std::string sControlName;  ///< [5] the control the line belongs to ("" for designers)
};

class clsVBHeader {
 public:
  clsVBHeader();
  ~clsVBHeader();
  clsVBHeader(const clsVBHeader&) = delete;
  clsVBHeader& operator=(const clsVBHeader&) = delete;

  std::string Attribute_VBName;  ///< the VB_Name value as written, quotes included; "" if none
  int32_t AttributePtr = 0;      ///< position of that string token; 0 when none
  int32_t CodePtr = 0;           ///< first token of the code section; 0 without Attribute lines
  std::shared_ptr<clsTokenStream> TokenStream;  ///< the file's whole stream (set by the driver)
  bool HasBinaryDataFile = false;
  std::string Ext;
  std::string Body;
  /// True once the code section's words carry the code keyword table's codes (the loader
  /// re-codes them while it reads the file); the analysis then does not re-code them again.
  bool CodeRecoded = false;
  /// The module's declarations, analysed while the file was loaded into an entry of its own
  /// (by the parser's AnalyseAhead). The analysis takes the entry over whole when no earlier module
  /// has taken the name: that entry would start empty, so analysing again would give the same.
  std::shared_ptr<ClsSymEntry> PreparedEntry;
  /// What the analysis of PreparedEntry could not finish (RunState::warnings' messages): taken
  /// over with the entry, as the analysis would have found them again.
  std::vector<std::string> PreparedWarnings;
  std::string sVBTableName;  ///< symbol-table key: Attribute_VBName without its quotes
  /// Positions of the stream's line-end tokens, in order, found while the file was loaded when
  /// the run keeps them (LineEndsKept); the places of an export are counted from them.
  std::vector<int32_t> LineEnds;
  /// Positions of the tokens holding line ends (a string left open runs on across lines), once
  /// per line end held, kept with LineEnds (AppendHeldLineEnds); empty in most files.
  std::vector<int32_t> HeldLineEnds;
  bool LineEndsKept = false;
  std::string sVBTableNewName;

  /// Debugging aids: write the stream's text from a position / whole. Nothing happens without
  /// a stream. False when nothing was written.
  bool SavePointTextToFile(int32_t in_lPoint, const std::string& in_sFilename) const;
  bool SaveTextToFile(const std::string& in_sFilename) const;

  /// The control list in the order the records were added (the file's order); records are
  /// never removed, so a record's index is the number of records added before it.
  const std::vector<clsControlRecord>& Controls() const { return m_oControls; }
  /// Appends a record.
  void Add(const clsControlRecord& in_v);

 private:
  std::vector<clsControlRecord> m_oControls;
};

}  // namespace qs

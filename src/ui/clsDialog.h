// File and printer dialogs behind string-based calls: the main window asks for the project file
// through ShowOpen.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace qs {

/// Flag values of the open/save calls (the classic common-dialog numbers, so callers keep them).
inline constexpr int32_t kOfnReadOnly = 0x1;
inline constexpr int32_t kOfnOverwritePrompt = 0x2;
inline constexpr int32_t kOfnHideReadOnly = 0x4;
/// Several files may be picked; the chooser answers with their paths separated by NUL.
inline constexpr int32_t kOfnAllowMultiSelect = 0x200;
inline constexpr int32_t kOfnPathMustExist = 0x800;
inline constexpr int32_t kOfnFileMustExist = 0x1000;
inline constexpr int32_t kOfnShareAware = 0x4000;

/// One "description|pattern" pair of a filter; the pattern may list several globs split by ";".
struct FileFilter {
  QString description;
  QStringList patterns;
};

/// Splits a filter such as "Visual Basic Project (*.vbp)|*.vbp" into its pairs. "|" and NUL both
/// separate; a trailing separator adds nothing; a description without a pattern is dropped.
std::vector<FileFilter> ParseFilter(const QString& in_sFilter);

/// A glob that matches the same names in any letter case ("*.vbp" gives "*.[vV][bB][pP]"), for
/// choosers that compare names case-sensitively.
QString AnyCasePattern(const QString& in_sPattern);

/// The filter pairs as Qt name filters: the description, then the patterns in any letter case in
/// parentheses (shown without that last part).
QStringList QtNameFilters(const std::vector<FileFilter>& in_oFilters);

/// What a file chooser is asked to show.
struct FileChooserRequest {
  enum class Kind { Open, Save, Folder };
  Kind kind = Kind::Open;
  QWidget* owner = nullptr;
  QString title;
  /// The folder to start in; when the caller gave none, the last path this dialog object returned.
  QString initialFolder;
  std::vector<FileFilter> filters;
  QString defaultExtension;
  int32_t flags = 0;
};

/// Shows a modal chooser and returns the chosen path, or "" when cancelled. The default one is
/// Qt's file dialog; tests install one that answers without a window.
using FileChooser = std::function<QString(FileChooserRequest&)>;

class clsDialog {
 public:
  /// Installs the chooser every clsDialog uses (an empty function restores Qt's file dialog).
  /// Returns the previous one.
  static FileChooser SetFileChooser(FileChooser in_oChooser);

  /// Asks for an existing file to open. Returns the chosen path, or "" when the user cancels, the
  /// flags' conditions fail (kOfnFileMustExist: the file exists; kOfnPathMustExist: its folder
  /// exists) or anything goes wrong. A non-empty result becomes FileName().
  QString ShowOpen(QWidget* in_oOwner, const QString& in_sTitle, const QString& in_sInitDir,
                   const QString& in_sFilter, int32_t& inout_lFlags);
  /// Asks for one or more existing files (kOfnAllowMultiSelect is added to the flags). Returns
  /// the chosen paths that exist, in the chooser's order; none when the user cancels.
  QStringList ShowOpenMany(QWidget* in_oOwner, const QString& in_sTitle, const QString& in_sInitDir,
                           const QString& in_sFilter, int32_t& inout_lFlags);
  /// Asks for an existing folder. Returns it, or "" when the user cancels.
  QString ShowFolder(QWidget* in_oOwner, const QString& in_sTitle, const QString& in_sInitDir);
  /// The same as ShowOpen (an open dialog as well).
  QString ShowNew(QWidget* in_oOwner, const QString& in_sTitle, const QString& in_sInitDir,
                  const QString& in_sFilter, int32_t& inout_lFlags);
  /// Asks for a file name to save under; in_sDefExt is added to a name typed without extension.
  QString ShowSave(QWidget* in_oOwner, const QString& in_sTitle, const QString& in_sInitDir,
                   const QString& in_sFilter, const QString& in_sDefExt, int32_t& inout_lFlags);
  /// Shows the printer dialog; non-zero when the user confirmed (the settings are not used).
  int32_t ShowPrinter(QWidget* in_oOwner);

  /// The last path a file dialog returned, or the value last stored here.
  const QString& FileName() const { return m_sLastFile; }
  void SetFileName(const QString& v) { m_sLastFile = v; }

 private:
  QString Show(FileChooserRequest& io_oRequest, int32_t& inout_lFlags);

  QString m_sLastFile;
};

}  // namespace qs

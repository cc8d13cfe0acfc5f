// The completion notice: a small modal window shown after every run (or batch of runs). It names
// the report and offers to open it; below, the full paths of what was written, with ways to open
// their folder or copy them, and the run's warnings in a list the user can copy.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qs {

class frmNotify : public QDialog {
  Q_OBJECT

 public:
  explicit frmNotify(QWidget* in_oOwner = nullptr);

  /// Full path of the report, opened by View. Nothing is shown.
  void SetListing(const QString& in_sListing);
  /// The report's file name; the label reads "Generated " followed by it.
  void SetHtmlFile(const QString& in_sHtmlFile);
  /// Announces a run that wrote no report: the label reads "No report generated: " followed by
  /// the reason, and View opens nothing.
  void SetFailureReason(const QString& in_sReason);
  /// Replaces the label's text (a batch of runs names each of its reports).
  void SetCaption(const QString& in_sText);

  /// Adds a row for a file or folder the run wrote: what it is ("Report", "JSON export",
  /// "Site"), its full path, Open folder and Copy path.
  void AddOutput(const QString& in_sWhat, const QString& in_sPath);
  /// The site's index page: an Open site button opens it.
  void SetSite(const QString& in_sIndex);
  /// The runs' warnings, one a line, shown in a list the user can select and copy (hidden when
  /// there are none).
  void SetWarnings(const QStringList& in_oWarnings);

  const QString& Listing() const { return m_sListing; }
  const QString& HtmlFile() const { return m_sHtmlFile; }
  /// What the notice says after the desktop could not open something ("" until then).
  QString OpenFailure() const;

 public slots:
  /// Opens the report (when there is one) and closes the window; when no program could be
  /// started for it, says so with the report's path and stays open.
  void docButton_Click();
  /// Closes the window.
  void OkButton_Click();

 private:
  /// Opens the target through the desktop; when that fails, the notice says so and shows the
  /// path. True when it was opened.
  bool Open(const QString& in_sTarget, const QString& in_sWhat, const QString& in_sPath);

  QLabel* lblListing = nullptr;
  QPushButton* docButton = nullptr;
  QPushButton* OkButton = nullptr;
  QGridLayout* m_oOutputs = nullptr;
  QPushButton* siteButton = nullptr;
  QLabel* lblWarnings = nullptr;
  QPlainTextEdit* txtWarnings = nullptr;
  QPushButton* copyWarningsButton = nullptr;
  QLabel* lblOpenFailure = nullptr;
  QString m_sListing;
  QString m_sHtmlFile;
  QString m_sSite;
  int m_iOutputs = 0;
  bool m_bFailed = false;
};

/// Puts the text on the system clipboard.
void CopyToClipboard(const QString& in_sText);

}  // namespace qs

// The completion notice: a small modal window shown after every run. It names the report and
// offers to open it.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
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

  const QString& Listing() const { return m_sListing; }
  const QString& HtmlFile() const { return m_sHtmlFile; }

 public slots:
  /// Opens the report (when there is one) and closes the window.
  void docButton_Click();
  /// Closes the window.
  void OkButton_Click();

 private:
  QLabel* lblListing = nullptr;
  QPushButton* docButton = nullptr;
  QPushButton* OkButton = nullptr;
  QString m_sListing;
  QString m_sHtmlFile;
  bool m_bFailed = false;
};

}  // namespace qs

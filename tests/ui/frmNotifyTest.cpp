// The completion notice: its texts, and what View and Ok do.
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <stdexcept>
#include <vector>

#include "ui/OpenDocument.h"
#include "ui/frmNotify.h"

using qs::frmNotify;

class frmNotifyTest : public QObject {
  Q_OBJECT

 private:
  std::vector<QUrl> m_oOpened;

  static QLabel* Label(frmNotify& n) { return n.findChild<QLabel*>(QStringLiteral("lblListing")); }
  static QPushButton* Button(frmNotify& n, const char* name) {
    return n.findChild<QPushButton*>(QString::fromLatin1(name));
  }

 private slots:
  void initTestCase() {
    qs::SetDocumentOpener([this](const QUrl& u) {
      m_oOpened.push_back(u);
      return true;
    });
  }
  void cleanupTestCase() { qs::SetDocumentOpener({}); }
  void init() { m_oOpened.clear(); }

  void captionsAndControls() {
    frmNotify n;
    QCOMPARE(n.windowTitle(), QStringLiteral("Quillscope"));
    QCOMPARE(Button(n, "docButton")->text(), QStringLiteral("View"));
    QCOMPARE(Button(n, "OkButton")->text(), QStringLiteral("Ok"));
    QCOMPARE(Label(n)->font().family(), QStringLiteral("Verdana"));
    QVERIFY(Label(n)->text().isEmpty());
    QVERIFY(n.Listing().isEmpty());
    QVERIFY(n.HtmlFile().isEmpty());
  }

  void labelNamesOnlyTheFile() {
    frmNotify n;
    n.SetListing(QStringLiteral("/home/ann/Billing_document/Billing.html"));
    QVERIFY(Label(n)->text().isEmpty());  // the listing alone shows nothing
    n.SetHtmlFile(QStringLiteral("Billing.html"));
    QCOMPARE(Label(n)->text(), QStringLiteral("Generated Billing.html"));
    QVERIFY(!Label(n)->text().contains(QLatin1String("Billing_document")));
  }

  void viewOpensTheReportAndCloses() {
    frmNotify n;
    n.SetListing(QStringLiteral("/home/ann/Billing_document/Billing.html"));
    n.SetHtmlFile(QStringLiteral("Billing.html"));
    n.show();
    QSignalSpy finished(&n, &QDialog::finished);
    QTest::mouseClick(Button(n, "docButton"), Qt::LeftButton);
    QCOMPARE(m_oOpened.size(), size_t{1});
    QCOMPARE(m_oOpened[0],
             QUrl::fromLocalFile(QStringLiteral("/home/ann/Billing_document/Billing.html")));
    QCOMPARE(finished.count(), 1);
    QVERIFY(!n.isVisible());
  }

  void viewWithoutReportOnlyCloses() {
    frmNotify n;
    n.SetHtmlFile(QString());
    n.show();
    QTest::mouseClick(Button(n, "docButton"), Qt::LeftButton);
    QVERIFY(m_oOpened.empty());
    QVERIFY(!n.isVisible());
  }

  void okClosesWithoutOpening() {
    frmNotify n;
    n.SetListing(QStringLiteral("/tmp/x_document/x.html"));
    n.SetHtmlFile(QStringLiteral("x.html"));
    n.show();
    QTest::mouseClick(Button(n, "OkButton"), Qt::LeftButton);
    QVERIFY(m_oOpened.empty());
    QVERIFY(!n.isVisible());
  }

  void failedRunShowsTheReasonAndViewDoesNothing() {
    frmNotify n;
    n.SetListing(QStringLiteral("/tmp/old_document/old.html"));
    n.SetHtmlFile(QStringLiteral("old.html"));
    n.SetFailureReason(QStringLiteral("project file not found"));
    QCOMPARE(Label(n)->text(), QStringLiteral("No report generated: project file not found"));
    // Setting the file name again does not turn the failure into a report.
    n.SetHtmlFile(QStringLiteral("old.html"));
    QCOMPARE(Label(n)->text(), QStringLiteral("No report generated: project file not found"));
    n.show();
    QVERIFY(!Button(n, "docButton")->isEnabled());
    QTest::mouseClick(Button(n, "docButton"), Qt::LeftButton);
    n.docButton_Click();  // also when called directly
    QVERIFY(m_oOpened.empty());
    QVERIFY(n.isVisible());
    QTest::mouseClick(Button(n, "OkButton"), Qt::LeftButton);
    QVERIFY(!n.isVisible());
  }

  void viewWithoutABrowserSaysSoAndShowsThePath() {
    // An opener that throws and one that reports failure: the notice stays open and says where
    // the report is.
    for (int kind = 0; kind < 2; ++kind) {
      if (kind == 0) {
        qs::SetDocumentOpener([](const QUrl&) -> bool { throw std::runtime_error("no browser"); });
      } else {
        qs::SetDocumentOpener([](const QUrl&) { return false; });
      }
      frmNotify n;
      n.SetListing(QStringLiteral("/tmp/y_document/y.html"));
      n.SetHtmlFile(QStringLiteral("y.html"));
      n.show();
      QTest::mouseClick(Button(n, "docButton"), Qt::LeftButton);
      QVERIFY(n.isVisible());
      QCOMPARE(n.OpenFailure(),
               QStringLiteral("No program could be started to open the report. It is at: "
                              "/tmp/y_document/y.html"));
    }
    qs::SetDocumentOpener([this](const QUrl& u) {
      m_oOpened.push_back(u);
      return true;
    });
  }

  void outputsWarningsAndSiteBelowTheNotice() {
    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("B_document/B.html"));
    const QString site = dir.filePath(QStringLiteral("B_site/index.html"));
    frmNotify n;
    n.SetListing(report);
    n.SetHtmlFile(QStringLiteral("B.html"));
    n.AddOutput(QStringLiteral("Report"), report);
    n.AddOutput(QStringLiteral("JSON export"), dir.filePath(QStringLiteral("B_document/B.json")));
    n.SetWarnings({QStringLiteral("B.vbp: Forms\\frmGone.frm: source file not found"),
                   QStringLiteral("B.vbp: holds no project lines")});
    n.show();
    QCOMPARE(Label(n)->text(), QStringLiteral("Generated B.html"));  // the notice's own words
    QCOMPARE(n.findChild<QLineEdit*>(QStringLiteral("txtPath0"))->text(), report);
    QVERIFY(n.findChild<QLineEdit*>(QStringLiteral("txtPath0"))->isReadOnly());
    QTest::mouseClick(Button(n, "folderButton0"), Qt::LeftButton);
    QCOMPARE(m_oOpened.size(), size_t{1});
    QCOMPARE(m_oOpened[0], QUrl::fromLocalFile(dir.filePath(QStringLiteral("B_document"))));
    QTest::mouseClick(Button(n, "copyButton1"), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             dir.filePath(QStringLiteral("B_document/B.json")));
    auto* warnings = n.findChild<QPlainTextEdit*>(QStringLiteral("txtWarnings"));
    QVERIFY(warnings->isVisible());
    QVERIFY(warnings->isReadOnly());
    QCOMPARE(n.findChild<QLabel*>(QStringLiteral("lblWarnings"))->text(),
             QStringLiteral("Warnings (2):"));
    QTest::mouseClick(Button(n, "copyWarningsButton"), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("B.vbp: Forms\\frmGone.frm: source file not found\n"
                            "B.vbp: holds no project lines"));
    QVERIFY(!Button(n, "siteButton")->isVisible());
    n.SetSite(site);
    QVERIFY(Button(n, "siteButton")->isVisible());
    QTest::mouseClick(Button(n, "siteButton"), Qt::LeftButton);
    QCOMPARE(m_oOpened.back(), QUrl::fromLocalFile(site));
    QVERIFY(n.isVisible());  // only View and Ok close the notice
    QVERIFY(n.OpenFailure().isEmpty());

    frmNotify quiet;  // no warnings: no list
    quiet.SetWarnings({});
    quiet.show();
    QVERIFY(!quiet.findChild<QPlainTextEdit*>(QStringLiteral("txtWarnings"))->isVisible());
  }
};

QTEST_MAIN(frmNotifyTest)
#include "frmNotifyTest.moc"

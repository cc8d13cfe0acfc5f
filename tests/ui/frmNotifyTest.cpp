// The completion notice: its texts, and what View and Ok do.
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
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
    qs::SetDocumentOpener([this](const QUrl& u) { m_oOpened.push_back(u); });
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

  void viewSurvivesAnOpenerThatThrows() {
    qs::SetDocumentOpener([](const QUrl&) { throw std::runtime_error("no browser"); });
    frmNotify n;
    n.SetListing(QStringLiteral("/tmp/y_document/y.html"));
    n.SetHtmlFile(QStringLiteral("y.html"));
    n.show();
    QTest::mouseClick(Button(n, "docButton"), Qt::LeftButton);
    QVERIFY(!n.isVisible());
    qs::SetDocumentOpener([this](const QUrl& u) { m_oOpened.push_back(u); });
  }
};

QTEST_MAIN(frmNotifyTest)
#include "frmNotifyTest.moc"

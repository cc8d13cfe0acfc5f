// Handing files and host names to the desktop.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <stdexcept>
#include <vector>

#include "ui/OpenDocument.h"

class OpenDocumentTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { qs::SetDocumentOpener({}); }

  void filePathBecomesALocalFile() {
    const QUrl url = qs::DocumentUrl(QStringLiteral("/home/ann/Billing_document/Billing.html"));
    QVERIFY(url.isLocalFile());
    QCOMPARE(url.toLocalFile(), QStringLiteral("/home/ann/Billing_document/Billing.html"));
    // Blanks and other characters a URL must escape stay part of the file name.
    const QUrl odd = qs::DocumentUrl(QStringLiteral("/tmp/My Project #2_document/My Project.html"));
    QCOMPARE(odd.toLocalFile(), QStringLiteral("/tmp/My Project #2_document/My Project.html"));
  }

  void existingRelativeFileBecomesALocalFile() {
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("report.html")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const QUrl url = qs::DocumentUrl(QStringLiteral("report.html"));
    QDir::setCurrent(before);
    QVERIFY(url.isLocalFile());
    QCOMPARE(QFileInfo(url.toLocalFile()).canonicalFilePath(), QFileInfo(f).canonicalFilePath());
  }

  void bareHostGetsHttp() {
    QCOMPARE(qs::DocumentUrl(QStringLiteral("quillscope.example.org")),
             QUrl(QStringLiteral("http://quillscope.example.org")));
    QCOMPARE(qs::DocumentUrl(QStringLiteral("www.example.com/about")),
             QUrl(QStringLiteral("http://www.example.com/about")));
  }

  void addressWithSchemeIsKept() {
    QCOMPARE(qs::DocumentUrl(QStringLiteral("https://example.org/x")),
             QUrl(QStringLiteral("https://example.org/x")));
  }

  void emptyTargetOpensNothing() {
    int calls = 0;
    qs::SetDocumentOpener([&](const QUrl&) {
      ++calls;
      return true;
    });
    qs::OpenDocument(QString());
    qs::OpenDocument(QStringLiteral("   "));
    QCOMPARE(calls, 0);
    QVERIFY(qs::DocumentUrl(QString()).isEmpty());
  }

  void openerReceivesTheAddressAndItsFailuresStayInside() {
    std::vector<QUrl> opened;
    const auto previous = qs::SetDocumentOpener([&](const QUrl& u) {
      opened.push_back(u);
      return true;
    });
    QVERIFY(!previous);  // the desktop's own opener is the default
    qs::OpenDocument(QStringLiteral("quillscope.example.org"));
    QCOMPARE(opened.size(), size_t{1});
    QCOMPARE(opened[0].toString(), QStringLiteral("http://quillscope.example.org"));

    qs::SetDocumentOpener([](const QUrl&) -> bool { throw std::runtime_error("no handler"); });
    qs::OpenDocument(QStringLiteral("/tmp/a.html"));  // must not throw
    const auto replaced = qs::SetDocumentOpener({});
    QVERIFY(static_cast<bool>(replaced));
  }
};

QTEST_MAIN(OpenDocumentTest)
#include "OpenDocumentTest.moc"

// File and printer dialogs: the filter, the flags, the remembered file, and Qt's real dialogs.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPrintDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <vector>

#include "ui/clsDialog.h"

using qs::clsDialog;
using qs::FileChooserRequest;

namespace {

const QString kVbpFilter = QStringLiteral("Visual Basic Project (*.vbp)|*.vbp");
constexpr int32_t kOpenFlags =
    qs::kOfnHideReadOnly | qs::kOfnPathMustExist | qs::kOfnFileMustExist | qs::kOfnShareAware;

QString Touch(const QDir& dir, const QString& name) {
  QFile f(dir.filePath(name));
  if (!f.open(QIODevice::WriteOnly)) return {};
  f.close();
  return f.fileName();
}

/// The patterns a Qt name filter lists in its last parentheses.
QStringList PatternsOf(const QString& nameFilter) {
  const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
  const qsizetype close = nameFilter.lastIndexOf(QLatin1Char(')'));
  if (open < 0 || close < open) return {};
  return nameFilter.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

}  // namespace

class clsDialogTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_oDir;
  std::vector<FileChooserRequest> m_oRequests;
  QString m_sAnswer;

  void ReplaceChooser() {
    clsDialog::SetFileChooser([this](FileChooserRequest& r) {
      m_oRequests.push_back(r);
      return m_sAnswer;
    });
  }

 private slots:
  void init() {
    m_oRequests.clear();
    m_sAnswer.clear();
    ReplaceChooser();
  }
  void cleanup() { clsDialog::SetFileChooser({}); }

  void filterSplitsIntoDescriptionAndPattern() {
    const auto one = qs::ParseFilter(kVbpFilter);
    QCOMPARE(one.size(), size_t{1});
    QCOMPARE(one[0].description, QStringLiteral("Visual Basic Project (*.vbp)"));
    QCOMPARE(one[0].patterns, QStringList{QStringLiteral("*.vbp")});
    // A filter already ending in NUL, or in "|", gives the same single pair.
    const QString withNul = kVbpFilter + QChar(0);
    QCOMPARE(qs::ParseFilter(withNul).size(), size_t{1});
    QCOMPARE(qs::ParseFilter(kVbpFilter + QLatin1Char('|')).size(), size_t{1});

    const auto two =
        qs::ParseFilter(QStringLiteral("Projects (*.vbp;*.vbg)|*.vbp;*.vbg|All files (*.*)|*.*"));
    QCOMPARE(two.size(), size_t{2});
    QCOMPARE(two[0].patterns, (QStringList{QStringLiteral("*.vbp"), QStringLiteral("*.vbg")}));
    QCOMPARE(two[1].description, QStringLiteral("All files (*.*)"));

    QVERIFY(qs::ParseFilter(QString()).empty());
    QVERIFY(qs::ParseFilter(QStringLiteral("Description only")).empty());
  }

  void vbpPatternMatchesAnyLetterCase() {
    QCOMPARE(qs::AnyCasePattern(QStringLiteral("*.vbp")), QStringLiteral("*.[vV][bB][pP]"));
    QCOMPARE(qs::AnyCasePattern(QStringLiteral("*.[ch]")), QStringLiteral("*.[ch]"));
    const QStringList filters = qs::QtNameFilters(qs::ParseFilter(kVbpFilter));
    QCOMPARE(filters.size(), 1);
    QVERIFY(filters[0].startsWith(QStringLiteral("Visual Basic Project (*.vbp) (")));

    QTemporaryDir dir;
    const QDir d(dir.path());
    for (const char* name : {"Server.VBP", "client.vbp", "Mixed.VbP", "notes.vbw", "a.txt"}) {
      QVERIFY(!Touch(d, QString::fromLatin1(name)).isEmpty());
    }
    // Even a case-sensitive match finds every spelling of the extension.
    const QStringList found =
        d.entryList(PatternsOf(filters[0]), QDir::Files | QDir::CaseSensitive, QDir::Name);
    QCOMPARE(found, (QStringList{QStringLiteral("Mixed.VbP"), QStringLiteral("Server.VBP"),
                                 QStringLiteral("client.vbp")}));
  }

  void showOpenPassesTheRequestAndReturnsTheChoice() {
    const QString project = Touch(QDir(m_oDir.path()), QStringLiteral("Billing.vbp"));
    m_sAnswer = QStringLiteral("  ") + project + QChar(0) + QStringLiteral(" ");
    clsDialog dialog;
    QWidget owner;
    int32_t flags = kOpenFlags;
    const QString chosen =
        dialog.ShowOpen(&owner, QStringLiteral("Open"), m_oDir.path(), kVbpFilter, flags);
    QCOMPARE(chosen, project);
    QCOMPARE(dialog.FileName(), project);
    QCOMPARE(m_oRequests.size(), size_t{1});
    const FileChooserRequest& r = m_oRequests[0];
    QCOMPARE(r.kind, FileChooserRequest::Kind::Open);
    QCOMPARE(r.owner, &owner);
    QCOMPARE(r.title, QStringLiteral("Open"));
    QCOMPARE(r.initialFolder, m_oDir.path());
    QCOMPARE(r.flags, kOpenFlags);
    QCOMPARE(r.filters.size(), size_t{1});
  }

  void cancelReturnsEmptyAndKeepsTheLastFile() {
    const QString project = Touch(QDir(m_oDir.path()), QStringLiteral("Keep.vbp"));
    clsDialog dialog;
    int32_t flags = kOpenFlags;
    m_sAnswer = project;
    QCOMPARE(dialog.ShowOpen(nullptr, QString(), QString(), kVbpFilter, flags), project);
    m_sAnswer.clear();
    QCOMPARE(dialog.ShowOpen(nullptr, QString(), QString(), kVbpFilter, flags), QString());
    QCOMPARE(dialog.FileName(), project);
  }

  void emptyInitialFolderStartsFromTheLastFile() {
    const QString project = Touch(QDir(m_oDir.path()), QStringLiteral("Last.vbp"));
    clsDialog dialog;
    int32_t flags = kOpenFlags;
    m_sAnswer = project;
    dialog.ShowOpen(nullptr, QString(), QString(), kVbpFilter, flags);
    dialog.ShowOpen(nullptr, QString(), QString(), kVbpFilter, flags);
    QCOMPARE(m_oRequests.size(), size_t{2});
    QVERIFY(m_oRequests[0].initialFolder.isEmpty());  // a new object: the platform's default
    QCOMPARE(m_oRequests[1].initialFolder, project);
    // FileName written by the caller counts the same way.
    dialog.SetFileName(QStringLiteral("/srv/other.vbp"));
    dialog.ShowOpen(nullptr, QString(), QString(), kVbpFilter, flags);
    QCOMPARE(m_oRequests[2].initialFolder, QStringLiteral("/srv/other.vbp"));
  }

  void flagsRequireTheFileAndItsFolder() {
    clsDialog dialog;
    const QString missingFile = m_oDir.filePath(QStringLiteral("missing.vbp"));
    const QString missingFolder = m_oDir.filePath(QStringLiteral("nowhere/x.vbp"));
    m_sAnswer = missingFile;
    int32_t flags = kOpenFlags;
    QCOMPARE(dialog.ShowOpen(nullptr, QString(), QString(), kVbpFilter, flags), QString());
    flags = qs::kOfnPathMustExist;
    QCOMPARE(dialog.ShowOpen(nullptr, QString(), QString(), kVbpFilter, flags), missingFile);
    m_sAnswer = missingFolder;
    QCOMPARE(dialog.ShowOpen(nullptr, QString(), QString(), kVbpFilter, flags), QString());
    flags = 0;
    QCOMPARE(dialog.ShowOpen(nullptr, QString(), QString(), kVbpFilter, flags), missingFolder);
    // A folder is not a file.
    m_sAnswer = m_oDir.path();
    flags = kOpenFlags;
    QCOMPARE(dialog.ShowOpen(nullptr, QString(), QString(), kVbpFilter, flags), QString());
  }

  void showNewAndShowSave() {
    clsDialog dialog;
    int32_t flags = 0;
    m_sAnswer = m_oDir.filePath(QStringLiteral("new.vbp"));
    QCOMPARE(dialog.ShowNew(nullptr, QStringLiteral("New"), QString(), kVbpFilter, flags),
             m_sAnswer);
    QCOMPARE(dialog.ShowSave(nullptr, QStringLiteral("Save"), m_oDir.path(),
                             QStringLiteral("HTML (*.html)|*.html"), QStringLiteral("html"), flags),
             m_sAnswer);
    QCOMPARE(m_oRequests.size(), size_t{2});
    QCOMPARE(m_oRequests[0].kind, FileChooserRequest::Kind::Open);
    QCOMPARE(m_oRequests[1].kind, FileChooserRequest::Kind::Save);
    QCOMPARE(m_oRequests[1].defaultExtension, QStringLiteral("html"));
    QCOMPARE(m_oRequests[1].filters[0].patterns, QStringList{QStringLiteral("*.html")});
  }

  void chooserThatThrowsGivesEmpty() {
    clsDialog::SetFileChooser([](FileChooserRequest&) -> QString { throw std::bad_alloc(); });
    clsDialog dialog;
    int32_t flags = 0;
    QCOMPARE(dialog.ShowOpen(nullptr, QString(), QString(), kVbpFilter, flags), QString());
    QVERIFY(dialog.FileName().isEmpty());
  }

  void qtFileDialogHonoursTitleFolderAndFilter() {
    clsDialog::SetFileChooser({});
    const QDir dir(m_oDir.path());
    const QString server = Touch(dir, QStringLiteral("Server.VBP"));
    QString title, folder;
    QStringList nameFilters;
    bool existingOnly = false;
    QTimer::singleShot(0, [&] {
      auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dlg == nullptr) return;
      title = dlg->windowTitle();
      folder = dlg->directory().absolutePath();
      nameFilters = dlg->nameFilters();
      existingOnly = dlg->fileMode() == QFileDialog::ExistingFile;
      dlg->selectFile(server);
      static_cast<QDialog*>(dlg)->accept();  // runs the file dialog's own checks
    });
    clsDialog dialog;
    int32_t flags = kOpenFlags;
    const QString chosen =
        dialog.ShowOpen(nullptr, QStringLiteral("Open Visual Basic Project File"),
                        m_oDir.path() + QLatin1Char('/'), kVbpFilter, flags);
    QCOMPARE(title, QStringLiteral("Open Visual Basic Project File"));
    QCOMPARE(folder, QDir(m_oDir.path()).absolutePath());
    QCOMPARE(nameFilters, qs::QtNameFilters(qs::ParseFilter(kVbpFilter)));
    QVERIFY(existingOnly);
    QCOMPARE(QFileInfo(chosen).canonicalFilePath(), QFileInfo(server).canonicalFilePath());
  }

  void qtFileDialogCancelled() {
    clsDialog::SetFileChooser({});
    bool seen = false;
    QTimer::singleShot(0, [&] {
      if (auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
        seen = true;
        dlg->reject();
      }
    });
    clsDialog dialog;
    int32_t flags = kOpenFlags;
    QCOMPARE(dialog.ShowOpen(nullptr, QString(), m_oDir.path(), kVbpFilter, flags), QString());
    QVERIFY(seen);
  }

  void printerDialogCancelledGivesZero() {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      if (auto* dlg = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
        seen = true;
        dlg->reject();
      }
    });
    clsDialog dialog;
    QCOMPARE(dialog.ShowPrinter(nullptr), 0);
    QVERIFY(seen);
  }
};

QTEST_MAIN(clsDialogTest)
#include "clsDialogTest.moc"

// The main window driven through its real widgets: choosing a project, the run on a thread of its
// own with the window answering meanwhile, the run's progress display, the elapsed time, the
// completion notice, and Ok, closing and destroying the window during a run.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "UiTestSupport.h"
#include "io/ProgramInfo.h"
#include "run/clsVBInfo.h"
#include "ui/OpenDocument.h"
#include "ui/clsDialog.h"
#include "ui/frmDocument.h"

using qs::clsDialog;
using qs::clsVBInfo;
using qs::FileChooserRequest;
using qs::frmDocument;

namespace {

template <typename T>
T* Child(QWidget& w, const char* name) {
  return w.findChild<T*>(QString::fromLatin1(name));
}

/// A clock the test moves by hand.
struct FakeClock {
  double now = 1000.0;
};

/// Waits (running the event loop) until the window's run has ended and its notice, if any, has
/// been answered.
bool WaitForRunEnd(frmDocument& w) {
  QSignalSpy ended(&w, &frmDocument::RunEnded);
  return !w.Running() || ended.wait(60000);
}

}  // namespace

class frmDocumentTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_oDir;
  QString m_sProject;
  std::vector<FileChooserRequest> m_oRequests;
  QString m_sAnswer;
  std::vector<QUrl> m_oOpened;

  /// A window whose reports go into the test's folder.
  std::unique_ptr<frmDocument> NewWindow() {
    auto w = std::make_unique<frmDocument>();
    w->VBInfo()->Settings().outDir = QFile::encodeName(m_oDir.filePath("out")).toStdString();
    w->show();
    return w;
  }

 private slots:
  void initTestCase() {
    QVERIFY(m_oDir.isValid());
    qs::test::IsolateSettings(m_oDir.filePath(QStringLiteral("settings")));
    m_sProject = qs::test::WriteMiniProject(m_oDir.path());
    QVERIFY(!m_sProject.isEmpty());
    clsDialog::SetFileChooser([this](FileChooserRequest& r) {
      m_oRequests.push_back(r);
      return m_sAnswer;
    });
    qs::SetDocumentOpener([this](const QUrl& u) {
      m_oOpened.push_back(u);
      return true;
    });
  }

  void init() {
    QSettings().clear();  // each test starts with nothing remembered
    m_oRequests.clear();
    m_oOpened.clear();
    m_sAnswer = m_sProject;
  }

  void cleanupTestCase() {
    clsDialog::SetFileChooser({});
    qs::SetDocumentOpener({});
  }

  void loadSetsCaptionsAndControls() {
    {
      auto w = NewWindow();
      QCOMPARE(w->windowTitle(),
               QStringLiteral("Quillscope - ") + QString::fromStdString(qs::ProgramVersion()));
      QVERIFY(!w->windowIcon().isNull());
      QCOMPARE(Child<QGroupBox>(*w, "fra")->title(),
               QStringLiteral("Select Visual Basic Project to Document"));
      QCOMPARE(Child<QPushButton>(*w, "obfuseButton")->text(), QStringLiteral("&Document"));
      QCOMPARE(Child<QPushButton>(*w, "OkButton")->text(), QStringLiteral("Ok"));
      auto* bar = Child<QProgressBar>(*w, "pgSec");
      QCOMPARE(bar->minimum(), 0);
      QCOMPARE(bar->maximum(), 60);
      QCOMPARE(bar->value(), 0);
      auto* timer = w->findChild<QTimer*>(QStringLiteral("ProgressTimer"));
      QVERIFY(timer != nullptr);
      QCOMPARE(timer->interval(), 500);
      QVERIFY(!timer->isActive());
      QVERIFY(Child<QLabel>(*w, "lblStartTime")->text().isEmpty());
      QVERIFY(Child<QLabel>(*w, "lblTime")->text().isEmpty());
      QCOMPARE(Child<QLabel>(*w, "lblCompany")->text(),
               QString::fromStdString(qs::ProgramCompany()));
      QVERIFY(!Child<QLabel>(*w, "PicLogo")->pixmap().isNull());
      QVERIFY(w->VBInfo() != nullptr);
      QVERIFY(!w->Running());
      QVERIFY(w->RunThread() == nullptr);
    }
  }

  void cancelLeavesWindowIdleAndForgetsTheFile() {
    auto w = NewWindow();
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    w->obfuseButton_Click();
    QVERIFY(WaitForRunEnd(*w));
    QCOMPARE(w->SelectedFile(), m_sProject);
    QCOMPARE(answer.Shown(), 1);
    const QString started = Child<QLabel>(*w, "lblStartTime")->text();
    const QString completed = Child<QLabel>(*w, "lblTime")->text();

    m_sAnswer.clear();
    w->obfuseButton_Click();
    QCOMPARE(m_oRequests.size(), size_t{2});
    QVERIFY(w->SelectedFile().isEmpty());
    QCOMPARE(answer.Shown(), 1);  // no second notice
    QVERIFY(Child<QPushButton>(*w, "obfuseButton")->isEnabled());
    QVERIFY(!w->findChild<QTimer*>(QStringLiteral("ProgressTimer"))->isActive());
    QVERIFY(!w->Running());
    // The labels keep the last run's texts.
    QCOMPARE(Child<QLabel>(*w, "lblStartTime")->text(), started);
    QCOMPARE(Child<QLabel>(*w, "lblTime")->text(), completed);
  }

  void dialogStartsInTheLastFolderUsedAndAtHomeTheFirstTime() {
    auto w = NewWindow();
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    w->obfuseButton_Click();
    QVERIFY(WaitForRunEnd(*w));
    w->obfuseButton_Click();  // a second run: the folder of the project picked before
    QVERIFY(WaitForRunEnd(*w));
    QCOMPARE(m_oRequests.size(), size_t{2});
    QCOMPARE(m_oRequests[0].initialFolder, QDir::homePath() + QLatin1Char('/'));
    QCOMPARE(m_oRequests[1].initialFolder, QFileInfo(m_sProject).absolutePath() + QLatin1Char('/'));
    for (const FileChooserRequest& r : m_oRequests) {
      QCOMPARE(r.kind, FileChooserRequest::Kind::Open);
      QCOMPARE(r.owner, static_cast<QWidget*>(w.get()));
      QCOMPARE(r.title, QStringLiteral("Open Visual Basic Project File"));
      QCOMPARE(r.flags, 22532 | qs::kOfnAllowMultiSelect);  // several projects may be picked
      QCOMPARE(r.filters.size(), size_t{1});
      QCOMPARE(r.filters[0].description,
               QStringLiteral("Visual Basic Projects and Groups (*.vbp;*.vbg)"));
      QCOMPARE(r.filters[0].patterns,
               (QStringList{QStringLiteral("*.vbp"), QStringLiteral("*.vbg")}));
    }
  }

  void statusLineTexts() {
    using Phase = qs::RunProgress::Phase;
    const struct {
      qs::RunProgress progress;
      const char* text;
    } cases[] = {
        {{Phase::kReading, 123, 539, "Forms\\frmMain.frm"},
         "Reading 123 of 539: Forms/frmMain.frm"},
        {{Phase::kAnalysing, 0, 0, {}}, "Analysing the code"},
        {{Phase::kWritingReport, 0, 0, {}}, "Writing the report"},
        {{Phase::kWritingExport, 0, 0, {}}, "Writing the report and the JSON export"},
        {{Phase::kWritingSite, 0, 0, {}}, "Writing the site"},
    };
    for (const auto& c : cases) QCOMPARE(qs::ProgressText(c.progress), QString::fromUtf8(c.text));
    QCOMPARE(qs::DocumentedText(539, 0), QStringLiteral("Documented 539 files"));
    QCOMPARE(qs::DocumentedText(1, 1), QStringLiteral("Documented 1 file, 1 warning"));
    QCOMPARE(qs::DocumentedText(0, 3), QStringLiteral("Documented 0 files, 3 warnings"));
  }

  // Projects asked for during a run wait their turn; the batch ends with one notice that names
  // each report, shows the paths written and every warning; the projects join the Recent menu
  // and the last report is offered again, also by a new window.
  void aBatchGivesOneNoticeWithItsPathsWarningsAndRecentProjects() {
    QTemporaryDir other;
    QFile broken(other.filePath(QStringLiteral("Broken.vbp")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("Name=\"Broken\"\r\nForm=Forms\\frmGone.frm\r\n");
    broken.close();
    auto w = NewWindow();
    w->SetWritesJson(true);
    w->SetWritesSite(true);
    qs::test::RunGate gate(*w->VBInfo());
    QString caption, warnings, firstPath, secondPath, sitePath;
    bool siteButton = false;
    auto answer = std::make_unique<qs::test::NoticeAnswerer>(
        QStringLiteral("OkButton"), [&](qs::frmNotify* n) {
          caption = n->findChild<QLabel*>(QStringLiteral("lblListing"))->text();
          warnings = n->findChild<QPlainTextEdit*>(QStringLiteral("txtWarnings"))->toPlainText();
          firstPath = n->findChild<QLineEdit*>(QStringLiteral("txtPath0"))->text();
          secondPath = n->findChild<QLineEdit*>(QStringLiteral("txtPath1"))->text();
          sitePath = n->findChild<QLineEdit*>(QStringLiteral("txtPath2"))->text();
          siteButton = n->findChild<QPushButton*>(QStringLiteral("siteButton"))->isVisible();
        });
    w->DocumentProjects({m_sProject});
    QTRY_VERIFY(gate.Held());
    w->DocumentProjects({broken.fileName()});  // as a drop or a Recent entry during the run
    // Mini leaves the queue once the window has heard that it began.
    QTRY_COMPARE(w->Queue(), QStringList{broken.fileName()});
    gate.Release();
    QVERIFY(WaitForRunEnd(*w));
    QCOMPARE(answer->Shown(), 1);
    answer.reset();
    QCOMPARE(caption, QStringLiteral("Generated Mini.html\nGenerated Broken.html"));
    const QString out = m_oDir.filePath(QStringLiteral("out"));
    QCOMPARE(firstPath, out + QStringLiteral("/Mini_document/Mini.html"));
    QCOMPARE(secondPath, out + QStringLiteral("/Mini_document/Mini.json"));
    QVERIFY(QFileInfo(secondPath).isFile());
    QCOMPARE(sitePath, out + QStringLiteral("/Mini_site/index.html"));
    QVERIFY(QFileInfo(sitePath).isFile());
    QVERIFY(siteButton);
    QCOMPARE(warnings, QStringLiteral("Broken.vbp: Forms\\frmGone.frm: source file not found"));
    QCOMPARE(w->StatusText(), QStringLiteral("Documented 1 file, 1 warning"));
    QCOMPARE(w->RecentProjects(),
             (QStringList{broken.fileName(), QFileInfo(m_sProject).absoluteFilePath()}));
    const QString last = out + QStringLiteral("/Broken_document/Broken.html");
    QCOMPARE(w->LastReport(), last);
    QTest::mouseClick(Child<QPushButton>(*w, "lastReportButton"), Qt::LeftButton);
    QCOMPARE(m_oOpened.back(), QUrl::fromLocalFile(last));

    auto again = NewWindow();  // remembered across windows (and program starts)
    QCOMPARE(again->LastReport(), last);
    QVERIFY(again->WritesJson());
    QVERIFY(again->WritesSite());
    auto* menu = again->findChild<QMenu*>(QStringLiteral("recentMenu"));
    QCOMPARE(menu->actions().size(), 2);
    QCOMPARE(menu->actions()[0]->data().toString(), broken.fileName());
    qs::test::NoticeAnswerer second(QStringLiteral("OkButton"));
    menu->actions()[1]->trigger();  // documents Mini again
    QVERIFY(again->Running());
    QVERIFY(WaitForRunEnd(*again));
    QCOMPARE(second.Shown(), 1);
    QCOMPARE(again->RecentProjects().first(), QFileInfo(m_sProject).absoluteFilePath());
  }

  // The status line follows the run's steps; Cancel stops the run and drops the projects
  // waiting: nothing is committed, the earlier report stays, the notice says so.
  void statusLineFollowsTheRunAndCancelStopsIt() {
    auto w = NewWindow();
    {
      qs::test::NoticeAnswerer ok(QStringLiteral("OkButton"));
      w->DocumentProjects({m_sProject});
      QVERIFY(WaitForRunEnd(*w));
    }
    const QString report = m_oDir.filePath(QStringLiteral("out/Mini_document/Mini.html"));
    QFile earlier(report);
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    const QByteArray before = earlier.readAll();
    earlier.close();

    // Held at the first file read, on the run's thread.
    std::atomic<bool> held{false}, release{false};
    auto progress = w->VBInfo()->EvtProgress;
    clsVBInfo* info = w->VBInfo().get();
    w->VBInfo()->EvtProgress = [&, progress, info](const qs::RunProgress& p) {
      progress(p);
      if (p.phase != qs::RunProgress::Phase::kReading) return;
      held = true;
      while (!release && !info->StopRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    QString label;
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"), [&](qs::frmNotify* n) {
      label = n->findChild<QLabel*>(QStringLiteral("lblListing"))->text();
    });
    QTemporaryDir second;
    const QString other = qs::test::WriteMiniProject(second.path());
    w->DocumentProjects({m_sProject, other});
    QTRY_VERIFY(held);
    QTRY_COMPARE(w->StatusText(), QStringLiteral("Reading 1 of 1: Module1.bas"));
    auto* cancel = Child<QPushButton>(*w, "cancelButton");
    QVERIFY(cancel->isEnabled());
    QVERIFY(Child<QPushButton>(*w, "OkButton")->isEnabled());
    QCOMPARE(w->Queue(), QStringList{other});
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(w->Queue().isEmpty());
    QVERIFY(WaitForRunEnd(*w));
    release = true;
    QCOMPARE(answer.Shown(), 1);
    QCOMPARE(label, QStringLiteral(
                        "No report generated: the run was cancelled; earlier reports are kept"));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), before);
    QVERIFY(!qs::test::HasTemporaryFile(m_oDir.filePath(QStringLiteral("out"))));
    QVERIFY(!cancel->isEnabled());
    QVERIFY(Child<QPushButton>(*w, "obfuseButton")->isEnabled());
  }

  // A file that is not a project is documented (an empty report), and the notice says why the
  // report is empty.
  void aFileThatIsNoProjectIsNamedInTheNoticesWarnings() {
    const QString readMe = m_oDir.filePath(QStringLiteral("ReadMe.txt"));
    QFile file(readMe);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Read me first.\r\n");
    file.close();
    auto w = NewWindow();
    QString caption, warnings;
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"), [&](qs::frmNotify* n) {
      caption = n->findChild<QLabel*>(QStringLiteral("lblListing"))->text();
      warnings = n->findChild<QPlainTextEdit*>(QStringLiteral("txtWarnings"))->toPlainText();
    });
    w->DocumentProjects({readMe});
    QVERIFY(WaitForRunEnd(*w));
    QCOMPARE(caption, QStringLiteral("Generated ReadMe.html"));
    QCOMPARE(warnings,
             QStringLiteral("ReadMe.txt: the file name does not end in .vbp; reading it as a "
                            "project file\nReadMe.txt: holds no project lines"));
  }

  void projectsDroppedOnTheWindowAreDocumented() {
    auto w = NewWindow();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(m_oDir.filePath(QStringLiteral("ReadMe.txt"))),
                  QUrl::fromLocalFile(m_sProject)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.get(), &enter);
    QVERIFY(enter.isAccepted());
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.get(), &drop);
    QVERIFY(w->Running());
    QVERIFY(WaitForRunEnd(*w));
    QCOMPARE(answer.Shown(), 1);
    QCOMPARE(w->RecentProjects(), QStringList{QFileInfo(m_sProject).absoluteFilePath()});

    QMimeData text;  // nothing that is a project: not taken
    text.setUrls({QUrl::fromLocalFile(m_oDir.filePath(QStringLiteral("ReadMe.txt")))});
    QDragEnterEvent other(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    other.setAccepted(false);
    QApplication::sendEvent(w.get(), &other);
    QVERIFY(!other.isAccepted());
  }

  // Maximised, the window keeps its proportions: the frame and the buttons keep their height,
  // the extra room goes below; every control can take the keyboard focus.
  void aLargeWindowKeepsItsProportions() {
    auto w = NewWindow();
    auto* frame = Child<QGroupBox>(*w, "fra");
    auto* ok = Child<QPushButton>(*w, "OkButton");
    const int frameHeight = frame->height();
    const int okHeight = ok->height();
    w->resize(1900, 1400);
    QTRY_COMPARE(w->width(), 1900);
    QCOMPARE(frame->height(), frameHeight);
    QCOMPARE(ok->height(), okHeight);
    for (const char* name : {"obfuseButton", "OkButton", "cancelButton", "outDirButton",
                             "outDirResetButton", "lastReportButton"}) {
      QVERIFY2(Child<QPushButton>(*w, name)->focusPolicy() & Qt::TabFocus, name);
    }
    QVERIFY(Child<QCheckBox>(*w, "chkJson")->focusPolicy() & Qt::TabFocus);
  }

  // "Document folder..." documents every project below the folder once (a group listing one of
  // them and a missing project among them), with the missing member among the notice's
  // warnings; a folder without projects gets a notice that says so.
  void aFolderIsDocumentedProjectByProject() {
    const QString tree = m_oDir.filePath(QStringLiteral("tree"));
    const auto write = [&](const QString& rel, const QByteArray& bytes) {
      QVERIFY(QDir().mkpath(QFileInfo(tree + QLatin1Char('/') + rel).absolutePath()));
      QFile f(tree + QLatin1Char('/') + rel);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(bytes);
    };
    write(QStringLiteral("A/A.vbp"), "Name=\"A\"\r\n");
    write(QStringLiteral("B/B.VBP"), "Name=\"B\"\r\n");
    write(QStringLiteral("G.vbg"), "VBGROUP 5.0\r\nProject=a\\a.vbp\r\nProject=Gone\\Gone.vbp\r\n");
    QVERIFY(QDir().mkpath(m_oDir.filePath(QStringLiteral("none"))));
    auto w = NewWindow();
    m_sAnswer = tree;
    QString warnings, label;
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"), [&](qs::frmNotify* n) {
      label = n->findChild<QLabel*>(QStringLiteral("lblListing"))->text();
      warnings = n->findChild<QPlainTextEdit*>(QStringLiteral("txtWarnings"))->toPlainText();
    });
    QTest::mouseClick(Child<QPushButton>(*w, "folderButton"), Qt::LeftButton);
    QCOMPARE(m_oRequests.back().kind, FileChooserRequest::Kind::Folder);
    QVERIFY(WaitForRunEnd(*w));
    QCOMPARE(answer.Shown(), 1);
    QCOMPARE(warnings, QStringLiteral("G.vbg: Gone\\Gone.vbp: project file not found"));
    const QString out = m_oDir.filePath(QStringLiteral("out"));
    QVERIFY(QFileInfo(out + QStringLiteral("/A_document/A.html")).isFile());
    QVERIFY(QFileInfo(out + QStringLiteral("/B_document/B.html")).isFile());
    QCOMPARE(w->RecentProjects().size(), 2);

    w->DocumentProjects({m_oDir.filePath(QStringLiteral("none"))});
    QCOMPARE(answer.Shown(), 2);
    QCOMPARE(label, QStringLiteral("No report generated: none: folder holds no project files"));
    QVERIFY(!w->Running());
  }

  // Several projects in one call with the export: two named alike get outputs of their own, an
  // estate links each to its own, the notice names every path; the code page is remembered.
  void aBatchOfSeveralProjectsWritesItsEstateAndKeepsSameNamedProjectsApart() {
    QTemporaryDir first, second;
    const QString a = qs::test::WriteMiniProject(first.path());
    const QString b = qs::test::WriteMiniProject(second.path());
    const QString out = m_oDir.filePath(QStringLiteral("out-estate"));
    {
      auto w = NewWindow();
      QCOMPARE(w->CodePage(), 1252);
      w->SetCodePage(1250);
    }
    auto w = NewWindow();
    QCOMPARE(w->CodePage(), 1250);
    w->SetOutputFolder(out);
    w->SetWritesJson(true);
    QStringList paths, warnings;
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"), [&](qs::frmNotify* n) {
      for (int i = 0; auto* edit = n->findChild<QLineEdit*>(QStringLiteral("txtPath%1").arg(i));
           ++i)
        paths.append(edit->text());
      warnings = n->findChild<QPlainTextEdit*>(QStringLiteral("txtWarnings"))
                     ->toPlainText()
                     .split(QLatin1Char('\n'));
    });
    w->DocumentProjects({a, b});
    QVERIFY(WaitForRunEnd(*w));
    QCOMPARE(answer.Shown(), 1);
    const QString estate = out + QStringLiteral("/estate_site/index.html");
    QCOMPARE(paths, (QStringList{out + QStringLiteral("/Mini_document/Mini.html"),
                                 out + QStringLiteral("/Mini_document/Mini.json"),
                                 out + QStringLiteral("/Mini2_document/Mini2.html"),
                                 out + QStringLiteral("/Mini2_document/Mini2.json"), estate}));
    QCOMPARE(warnings, QStringList{QStringLiteral("Mini.vbp: writes the same report as another "
                                                  "project of this call: ") +
                                   paths[0] + QStringLiteral("; written to ") + paths[2] +
                                   QStringLiteral(" instead")});
    QFile json(out + QStringLiteral("/estate_site/estate.json"));
    QVERIFY(json.open(QIODevice::ReadOnly));
    const QByteArray text = json.readAll();
    QVERIFY(text.contains(QFile::encodeName(paths[0])));
    QVERIFY(text.contains(QFile::encodeName(paths[2])));
    QCOMPARE(w->LastReport(), paths[2]);
    w->SetOutputFolder(QString());
  }

  void theOutputFolderIsChosenAndRemembered() {
    const QString chosen = m_oDir.filePath(QStringLiteral("chosen"));
    QVERIFY(QDir().mkpath(chosen));
    {
      auto w = std::make_unique<frmDocument>();
      w->show();
      QCOMPARE(Child<QLabel>(*w, "lblOutDir")->text(), QStringLiteral("beside each project"));
      QVERIFY(!Child<QPushButton>(*w, "outDirResetButton")->isEnabled());
      m_sAnswer = chosen;
      QTest::mouseClick(Child<QPushButton>(*w, "outDirButton"), Qt::LeftButton);
      QCOMPARE(m_oRequests.back().kind, FileChooserRequest::Kind::Folder);
      QCOMPARE(w->OutputFolder(), chosen);
      QCOMPARE(Child<QLabel>(*w, "lblOutDir")->text(), chosen);
    }
    auto w = std::make_unique<frmDocument>();
    w->show();
    QCOMPARE(w->OutputFolder(), chosen);
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    w->DocumentProjects({m_sProject});
    QVERIFY(WaitForRunEnd(*w));
    QVERIFY(QFileInfo(chosen + QStringLiteral("/Mini_document/Mini.html")).isFile());
    QTest::mouseClick(Child<QPushButton>(*w, "outDirResetButton"), Qt::LeftButton);
    QVERIFY(w->OutputFolder().isEmpty());
    QVERIFY(w->VBInfo()->Settings().outDir.empty());
  }

  void accessKeyStartsTheDialog() {
    auto w = NewWindow();
    QApplication::setActiveWindow(w.get());
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    m_sAnswer.clear();
    // Give focus elsewhere: the key must reach the button through its mnemonic.
    Child<QPushButton>(*w, "OkButton")->setFocus();
    QTest::keyClick(w.get(), Qt::Key_D, Qt::AltModifier);
    // A shortcut presses the button with a short animation before the click.
    QTRY_COMPARE(m_oRequests.size(), size_t{1});
    QVERIFY(w->SelectedFile().isEmpty());
  }

  void runGoesOffTheWindowThreadWithStartTimeProgressElapsedTimeAndNotice() {
    auto w = NewWindow();
    FakeClock clock;
    w->SetClocks([&clock] { return clock.now; }, [] { return QTime(9, 3, 7); });
    auto* button = Child<QPushButton>(*w, "obfuseButton");
    auto* timer = w->findChild<QTimer*>(QStringLiteral("ProgressTimer"));
    auto* lblTime = Child<QLabel>(*w, "lblTime");
    lblTime->setText(QStringLiteral("left over"));
    // Leave the bar somewhere in the middle: the run must start it again at 0.
    for (int i = 0; i < 7; ++i) w->ProgressTimer_Timer();
    QCOMPARE(w->Progress(), int16_t{7});

    qs::test::RunGate gate(*w->VBInfo());
    QString mainLabelDuringNotice;
    bool buttonEnabledDuringNotice = true;
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"), [&](qs::frmNotify* n) {
      mainLabelDuringNotice = lblTime->text();
      buttonEnabledDuringNotice = button->isEnabled();
      QCOMPARE(n->parentWidget(), static_cast<QWidget*>(w.get()));
      QVERIFY(n->isModal());
      QCOMPARE(n->Listing(), QFile::decodeName(w->VBInfo()->HtmlListing().c_str()));
    });
    w->obfuseButton_Click();
    // The click returned while the run goes on, on another thread.
    QVERIFY(w->Running());
    QVERIFY(!button->isEnabled());
    QVERIFY(w->RunThread() != nullptr);
    QTRY_VERIFY(gate.Held());
    QVERIFY(gate.RunThread() != std::this_thread::get_id());
    // The begin event reaches the window through its event loop.
    QTRY_VERIFY(timer->isActive());
    QVERIFY(!button->isEnabled());
    QCOMPARE(w->Progress(), int16_t{0});
    QCOMPARE(Child<QProgressBar>(*w, "pgSec")->value(), 0);
    QVERIFY(lblTime->text().isEmpty());
    QCOMPARE(Child<QLabel>(*w, "lblStartTime")->text(), QStringLiteral("Time Started:09:03:07"));
    clock.now += 75.2;
    gate.Release();
    QVERIFY(WaitForRunEnd(*w));

    QCOMPARE(answer.Shown(), 1);
    QCOMPARE(answer.Label(), QStringLiteral("Generated Mini.html"));
    QCOMPARE(mainLabelDuringNotice, QStringLiteral("Completed in : 1 minute(s) 15 second(s)"));
    QVERIFY(!buttonEnabledDuringNotice);
    QVERIFY(QFileInfo(QFile::decodeName(w->VBInfo()->HtmlListing().c_str())).isFile());
    QVERIFY(button->isEnabled());
    QVERIFY(!timer->isActive());
    QVERIFY(!w->Running());
    QVERIFY(w->RunThread() == nullptr);
    QCOMPARE(lblTime->text(), QStringLiteral("Completed in : 1 minute(s) 15 second(s)"));
    QVERIFY(m_oOpened.empty());
    QVERIFY(w->findChildren<qs::frmNotify*>().isEmpty());  // the notice was unloaded
  }

  void elapsedTimeOfRun_data() {
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("caption");
    QTest::newRow("30 s") << 30.0 << "Completed in : 0 minute(s) 30 second(s)";
    QTest::newRow("75 s") << 75.0 << "Completed in : 1 minute(s) 15 second(s)";
    QTest::newRow("89 s") << 89.0 << "Completed in : 1 minute(s) 29 second(s)";
  }

  void elapsedTimeOfRun() {
    QFETCH(double, seconds);
    QFETCH(QString, caption);
    auto w = NewWindow();
    // Start just before midnight on the wall clock: only the monotonic clock counts.
    FakeClock clock{86399.5};
    w->SetClocks([&clock] { return clock.now; }, [] { return QTime(23, 59, 59); });
    qs::test::RunGate gate(*w->VBInfo());
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    w->obfuseButton_Click();
    QTRY_VERIFY(gate.Held());
    QTRY_VERIFY(!Child<QLabel>(*w, "lblStartTime")->text().isEmpty());  // begin handled
    clock.now += seconds;
    gate.Release();
    QVERIFY(WaitForRunEnd(*w));
    QCOMPARE(answer.Shown(), 1);
    QCOMPARE(Child<QLabel>(*w, "lblTime")->text(), caption);
    QCOMPARE(Child<QLabel>(*w, "lblStartTime")->text(), QStringLiteral("Time Started:23:59:59"));
  }

  void completedCaptionRounding_data() {
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("caption");
    QTest::newRow("zero") << 0.0 << "Completed in : 0 minute(s) 0 second(s)";
    QTest::newRow("half rounds to even 0") << 0.5 << "Completed in : 0 minute(s) 0 second(s)";
    QTest::newRow("half rounds to even 2") << 1.5 << "Completed in : 0 minute(s) 2 second(s)";
    QTest::newRow("59.5 to 60") << 59.5 << "Completed in : 1 minute(s) 0 second(s)";
    QTest::newRow("89.4") << 89.4 << "Completed in : 1 minute(s) 29 second(s)";
    QTest::newRow("one hour") << 3600.0 << "Completed in : 60 minute(s) 0 second(s)";
    QTest::newRow("negative") << -5.0 << "Completed in : 0 minute(s) 0 second(s)";
  }

  void completedCaptionRounding() {
    QFETCH(double, seconds);
    QFETCH(QString, caption);
    QCOMPARE(qs::CompletedCaption(seconds), caption);
  }

  void startedCaptionHasTwoDigitFields() {
    QCOMPARE(qs::StartedCaption(QTime(14, 5, 9)), QStringLiteral("Time Started:14:05:09"));
    QCOMPARE(qs::StartedCaption(QTime(0, 0, 0)), QStringLiteral("Time Started:00:00:00"));
  }

  void progressBarCyclesWithoutShowingItsMaximum() {
    auto w = NewWindow();
    auto* bar = Child<QProgressBar>(*w, "pgSec");
    for (int step = 1; step <= 59; ++step) {
      w->ProgressTimer_Timer();
      QCOMPARE(int{w->Progress()}, step);
      QCOMPARE(bar->value(), step);
    }
    w->ProgressTimer_Timer();
    QCOMPARE(int{w->Progress()}, 0);
    QCOMPARE(bar->value(), 0);
    w->ProgressTimer_Timer();
    QCOMPARE(int{w->Progress()}, 1);
  }

  void windowAnswersDuringARun() {
    auto w = NewWindow();
    qs::test::RunGate gate(*w->VBInfo());
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    w->obfuseButton_Click();
    QTRY_VERIFY(gate.Held());
    // The run's thread is busy; the window's event loop runs on: the 500 ms timer ticks, the
    // logo answers, the Document button stays disabled and Ok stays enabled.
    QTRY_VERIFY_WITH_TIMEOUT(w->Progress() >= 2, 5000);
    QCOMPARE(Child<QProgressBar>(*w, "pgSec")->value(), int{w->Progress()});
    QTest::mouseClick(Child<QLabel>(*w, "PicLogo"), Qt::LeftButton);
    QCOMPARE(m_oOpened.size(), size_t{1});
    QVERIFY(!Child<QPushButton>(*w, "obfuseButton")->isEnabled());
    QVERIFY(Child<QPushButton>(*w, "OkButton")->isEnabled());
    // A second Document while the first run goes on starts nothing.
    w->obfuseButton_Click();
    QCOMPARE(m_oRequests.size(), size_t{1});
    gate.Release();
    QVERIFY(WaitForRunEnd(*w));
    QCOMPARE(answer.Shown(), 1);
  }

  void failedRunIsNotAnnouncedAsAReport() {
    auto w = NewWindow();
    // A run that completes first, so the driver holds the names of a finished report.
    {
      qs::test::NoticeAnswerer ok(QStringLiteral("OkButton"));
      w->obfuseButton_Click();
      QVERIFY(WaitForRunEnd(*w));
      QCOMPARE(ok.Label(), QStringLiteral("Generated Mini.html"));
    }
    QTemporaryDir gone;
    const QString vanishing = qs::test::WriteMiniProject(gone.path());
    m_sAnswer = vanishing;
    auto begin = w->VBInfo()->EvtBegin;
    w->VBInfo()->EvtBegin = [&] {
      begin();
      QFile::remove(vanishing);  // the file disappears between the choice and the read
    };
    qs::test::NoticeAnswerer answer(QStringLiteral("docButton"));
    w->obfuseButton_Click();
    QVERIFY(WaitForRunEnd(*w));
    QCOMPARE(answer.Shown(), 1);
    QVERIFY(!w->VBInfo()->ReportWritten());
    QCOMPARE(answer.Label(), QStringLiteral("No report generated: ") +
                                 QString::fromStdString(w->VBInfo()->FailureReason()));
    QCOMPARE(answer.Label(), QStringLiteral("No report generated: project file not found"));
    QVERIFY(!answer.ViewEnabled());
    QVERIFY(m_oOpened.empty());  // View opened nothing
    QVERIFY(Child<QPushButton>(*w, "obfuseButton")->isEnabled());
  }

  void logoOpensTheHomePage() {
    auto w = NewWindow();
    QTest::mouseClick(Child<QLabel>(*w, "PicLogo"), Qt::LeftButton);
    QCOMPARE(m_oOpened.size(), size_t{1});
    QCOMPARE(m_oOpened[0].scheme(), QStringLiteral("http"));
    QCOMPARE(m_oOpened[0].host(), qs::HomePageHost());
    QVERIFY(!qs::HomePageHost().contains(QLatin1String("://")));
  }

  void okButtonDuringRunStopsItAndClosesOnceItHasEnded() {
    auto w = NewWindow();
    const QString out = m_oDir.filePath(QStringLiteral("out-ok"));
    w->VBInfo()->Settings().outDir = QFile::encodeName(out).toStdString();
    qs::test::RunGate gate(*w->VBInfo());
    std::atomic<bool> endRaised{false};
    auto end = w->VBInfo()->EvtEnd;
    w->VBInfo()->EvtEnd = [&] {
      endRaised = true;
      end();
    };
    bool visibleAfterOk = false;
    bool runningAfterOk = false;
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    const std::weak_ptr<qs::clsVBInfo> driver = w->VBInfo();
    // Run inside the application's own event loop, as the program does: closing the only
    // window ends the loop, but only after the run has ended.
    QTimer::singleShot(0, w.get(), [&] { w->obfuseButton_Click(); });
    QTimer press;
    press.setInterval(5);
    QObject::connect(&press, &QTimer::timeout, [&] {
      if (!gate.Held()) return;
      press.stop();
      QTest::mouseClick(Child<QPushButton>(*w, "OkButton"), Qt::LeftButton);
      visibleAfterOk = w->isVisible();
      runningAfterOk = w->Running();
    });
    press.start();
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(3); });
    watchdog.start(60000);
    const int exitCode = QApplication::exec();
    watchdog.stop();
    QCOMPARE(exitCode, 0);
    QVERIFY(visibleAfterOk);  // Ok asked the run to stop; the window waited for its end
    QVERIFY(runningAfterOk);
    QVERIFY(endRaised);
    QVERIFY(!w->isVisible());
    QCOMPARE(answer.Shown(), 0);      // the program is ending: no notice
    QVERIFY(w->VBInfo() == nullptr);  // unloaded once the run ended
    QVERIFY(driver.expired());
    QVERIFY(!w->Running());
    // The stopped run left neither a report nor a temporary file.
    QVERIFY(!QFileInfo::exists(out + QStringLiteral("/Mini_document/Mini.html")));
    QVERIFY(!qs::test::HasTemporaryFile(out));
  }

  void closingDuringARunStopsItAndLeavesNoReport() {
    auto w = NewWindow();
    const QString out = m_oDir.filePath(QStringLiteral("out-close"));
    w->VBInfo()->Settings().outDir = QFile::encodeName(out).toStdString();
    const std::shared_ptr<qs::clsVBInfo> driver = w->VBInfo();
    qs::test::RunGate gate(*driver);
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    w->obfuseButton_Click();
    QTRY_VERIFY(gate.Held());
    QVERIFY(w->close());
    // close returned once the run had ended.
    QVERIFY(!w->Running());
    QVERIFY(w->RunThread() == nullptr);
    QVERIFY(!w->isVisible());
    QVERIFY(w->VBInfo() == nullptr);
    QVERIFY(!driver->ReportWritten());
    QCOMPARE(driver->FailureReason(), std::string("stopped"));
    QVERIFY(!QFileInfo::exists(out + QStringLiteral("/Mini_document/Mini.html")));
    QVERIFY(!qs::test::HasTemporaryFile(out));
    // What the run queued before it ended does not bring the window back to life.
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    QTest::qWait(50);
    QCOMPARE(answer.Shown(), 0);
    QVERIFY(!w->findChild<QTimer*>(QStringLiteral("ProgressTimer"))->isActive());
  }

  void windowDestroyedDuringRunStopsTheRunFirst() {
    auto* w = NewWindow().release();
    QPointer<frmDocument> guard(w);
    const std::shared_ptr<qs::clsVBInfo> driver = w->VBInfo();
    qs::test::RunGate gate(*driver);
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    w->obfuseButton_Click();
    QTRY_VERIFY(gate.Held());
    delete w;  // the run is stopped and waited for before the window goes
    QVERIFY(guard.isNull());
    QCOMPARE(driver->FailureReason(), std::string("stopped"));
    QTest::qWait(50);
    QCOMPARE(answer.Shown(), 0);
  }

  void windowDestroyedWhileTheNoticeIsShown() {
    auto* w = NewWindow().release();
    QPointer<frmDocument> guard(w);
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"), [w](qs::frmNotify*) { delete w; });
    w->obfuseButton_Click();
    QTRY_VERIFY(guard.isNull());
    QCOMPARE(answer.Shown(), 1);
  }

  void windowDeletedLaterDuringRunGoesOnlyAfterTheRun() {
    auto* w = NewWindow().release();
    QPointer<frmDocument> guard(w);
    qs::test::RunGate gate(*w->VBInfo());
    std::atomic<bool> endRaised{false};
    auto end = w->VBInfo()->EvtEnd;
    w->VBInfo()->EvtEnd = [&] {
      endRaised = true;
      end();
    };
    bool endedBeforeTheWindowWent = false;
    QObject::connect(w, &QObject::destroyed, [&] { endedBeforeTheWindowWent = endRaised; });
    QTest::mouseClick(Child<QPushButton>(*w, "obfuseButton"), Qt::LeftButton);
    QTRY_VERIFY(gate.Held());
    w->deleteLater();
    QTRY_VERIFY(guard.isNull());
    QVERIFY(endedBeforeTheWindowWent);
  }
};

QTEST_MAIN(frmDocumentTest)
#include "frmDocumentTest.moc"

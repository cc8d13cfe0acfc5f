// The main window driven through its real widgets: choosing a project, the run's progress
// display, the elapsed time, the completion notice and closing during a run.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <vector>

#include "UiTestSupport.h"
#include "driver/ProgramInfo.h"
#include "driver/clsVBInfo.h"
#include "text/Yield.h"
#include "ui/OpenDocument.h"
#include "ui/clsDialog.h"
#include "ui/frmDocument.h"

using qs::clsDialog;
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
    m_sProject = qs::test::WriteMiniProject(m_oDir.path());
    QVERIFY(!m_sProject.isEmpty());
    clsDialog::SetFileChooser([this](FileChooserRequest& r) {
      m_oRequests.push_back(r);
      return m_sAnswer;
    });
    qs::SetDocumentOpener([this](const QUrl& u) { m_oOpened.push_back(u); });
  }

  void init() {
    m_oRequests.clear();
    m_oOpened.clear();
    m_sAnswer = m_sProject;
  }

  void cleanupTestCase() {
    clsDialog::SetFileChooser({});
    qs::SetDocumentOpener({});
  }

  void loadSetsCaptionsControlsAndYieldHook() {
    const auto before = qs::SetYieldHook({});
    QVERIFY(!before);
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
      // The window's hook is in place while it lives...
      const auto hook = qs::SetYieldHook({});
      QVERIFY(static_cast<bool>(hook));
      qs::SetYieldHook(hook);
    }
    // ...and the previous one (none) is back once it is gone.
    QVERIFY(!qs::SetYieldHook({}));
  }

  void cancelLeavesWindowIdleAndForgetsTheFile() {
    auto w = NewWindow();
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    w->obfuseButton_Click();
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

  void dialogAsksForAProjectInTheProgramFolder() {
    auto w = NewWindow();
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    w->obfuseButton_Click();
    w->obfuseButton_Click();  // a second run: still the program's folder, not the project's
    QCOMPARE(m_oRequests.size(), size_t{2});
    for (const FileChooserRequest& r : m_oRequests) {
      QCOMPARE(r.kind, FileChooserRequest::Kind::Open);
      QCOMPARE(r.owner, static_cast<QWidget*>(w.get()));
      QCOMPARE(r.title, QStringLiteral("Open Visual Basic Project File"));
      QCOMPARE(r.initialFolder, QCoreApplication::applicationDirPath() + QLatin1Char('/'));
      QCOMPARE(r.flags, 22532);
      QCOMPARE(r.filters.size(), size_t{1});
      QCOMPARE(r.filters[0].description, QStringLiteral("Visual Basic Project (*.vbp)"));
      QCOMPARE(r.filters[0].patterns, QStringList{QStringLiteral("*.vbp")});
    }
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

  void runShowsStartTimeProgressElapsedTimeAndNotice() {
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

    bool checkedDuringRun = false;
    auto begin = w->VBInfo()->EvtBegin;
    w->VBInfo()->EvtBegin = [&] {
      begin();
      QVERIFY(!button->isEnabled());
      QVERIFY(timer->isActive());
      QVERIFY(w->Running());
      QCOMPARE(w->Progress(), int16_t{0});
      QCOMPARE(Child<QProgressBar>(*w, "pgSec")->value(), 0);
      QVERIFY(lblTime->text().isEmpty());
      QCOMPARE(Child<QLabel>(*w, "lblStartTime")->text(), QStringLiteral("Time Started:09:03:07"));
      checkedDuringRun = true;
      clock.now += 75.2;
    };
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

    QVERIFY(checkedDuringRun);
    QCOMPARE(answer.Shown(), 1);
    QCOMPARE(answer.Label(), QStringLiteral("Generated Mini.html"));
    QCOMPARE(mainLabelDuringNotice, QStringLiteral("Completed in : 1 minute(s) 15 second(s)"));
    QVERIFY(!buttonEnabledDuringNotice);
    QVERIFY(QFileInfo(QFile::decodeName(w->VBInfo()->HtmlListing().c_str())).isFile());
    QVERIFY(button->isEnabled());
    QVERIFY(!timer->isActive());
    QVERIFY(!w->Running());
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
    auto begin = w->VBInfo()->EvtBegin;
    w->VBInfo()->EvtBegin = [&] {
      begin();
      clock.now += seconds;
    };
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    w->obfuseButton_Click();
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

  void timerTicksWhileTheCoreYields() {
    auto w = NewWindow();
    int progressSeen = 0;
    auto begin = w->VBInfo()->EvtBegin;
    w->VBInfo()->EvtBegin = [&] {
      begin();
      // Stand in for a long run: the core's loops call the yield point, nothing else.
      QElapsedTimer since;
      since.start();
      while (since.elapsed() < 1300) qs::YieldToWindowSystem();
      progressSeen = w->Progress();
    };
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    w->obfuseButton_Click();
    QVERIFY2(progressSeen >= 1, "the progress timer never ticked during the run");
    QCOMPARE(answer.Shown(), 1);
  }

  void failedRunIsNotAnnouncedAsAReport() {
    auto w = NewWindow();
    // A run that completes first, so the driver holds the names of a finished report.
    {
      qs::test::NoticeAnswerer ok(QStringLiteral("OkButton"));
      w->obfuseButton_Click();
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

  void okButtonDuringRunEndsSafelyAfterTheRun() {
    auto w = NewWindow();
    bool hiddenDuringRun = false;
    bool driverAliveAtEnd = false;
    auto begin = w->VBInfo()->EvtBegin;
    auto end = w->VBInfo()->EvtEnd;
    w->VBInfo()->EvtBegin = [&] {
      begin();
      QTest::mouseClick(Child<QPushButton>(*w, "OkButton"), Qt::LeftButton);
      hiddenDuringRun = !w->isVisible();
      // The run goes on; window events (the program's quit among them) run meanwhile.
      for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    };
    w->VBInfo()->EvtEnd = [&] {
      driverAliveAtEnd = true;
      end();
    };
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    const std::weak_ptr<qs::clsVBInfo> driver = w->VBInfo();
    // Run inside the application's own event loop, as the program does: closing the only
    // window ends the loop, but only after the run has returned.
    QTimer::singleShot(0, w.get(), [&] { w->obfuseButton_Click(); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(3); });
    watchdog.start(60000);
    const int exitCode = QApplication::exec();
    watchdog.stop();
    QCOMPARE(exitCode, 0);
    QVERIFY(hiddenDuringRun);
    QVERIFY(driverAliveAtEnd);
    QCOMPARE(answer.Shown(), 0);      // the program is ending: no notice
    QVERIFY(w->VBInfo() == nullptr);  // unloaded once the run returned
    QVERIFY(driver.expired());
    QVERIFY(!w->Running());
  }

  void windowDestroyedDuringRunIsNotUsedAfterwards() {
    auto* w = NewWindow().release();
    const auto before = qs::SetYieldHook({});
    qs::SetYieldHook(before);
    QPointer<frmDocument> guard(w);
    auto begin = w->VBInfo()->EvtBegin;
    w->VBInfo()->EvtBegin = [&, w] {
      begin();
      delete w;  // the run continues with the window gone
      for (int i = 0; i < 600; ++i) qs::YieldToWindowSystem();
    };
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    w->obfuseButton_Click();
    QVERIFY(guard.isNull());
    QCOMPARE(answer.Shown(), 0);
  }

  void windowDestroyedWhileTheNoticeIsShown() {
    auto* w = NewWindow().release();
    QPointer<frmDocument> guard(w);
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"), [w](qs::frmNotify*) { delete w; });
    w->obfuseButton_Click();
    QCOMPARE(answer.Shown(), 1);
    QVERIFY(guard.isNull());
  }

  void windowDeletedLaterDuringRunGoesOnlyAfterTheRun() {
    auto* w = NewWindow().release();
    QPointer<frmDocument> guard(w);
    bool aliveAtEnd = false;
    auto begin = w->VBInfo()->EvtBegin;
    auto end = w->VBInfo()->EvtEnd;
    w->VBInfo()->EvtBegin = [&, w] {
      begin();
      w->deleteLater();
      for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    };
    w->VBInfo()->EvtEnd = [&] {
      aliveAtEnd = !guard.isNull();
      end();
    };
    qs::test::NoticeAnswerer answer(QStringLiteral("OkButton"));
    QTest::mouseClick(Child<QPushButton>(*w, "obfuseButton"), Qt::LeftButton);
    QVERIFY(aliveAtEnd);
    QTRY_VERIFY(guard.isNull());
  }
};

QTEST_MAIN(frmDocumentTest)
#include "frmDocumentTest.moc"

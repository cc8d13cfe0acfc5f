// Measures how well the window answers while it documents a project.
//
//   window_latency_tool [--runs N] [--out-dir DIR] PROJECT.vbp
//
// Opens the real window (frmDocument; on Qt's offscreen platform unless QT_QPA_PLATFORM says
// otherwise), has its file chooser answer with the project and its completion notice answered
// at once, and presses Document N times (default 2), as a user who documents again: the later
// runs also let go of the earlier run's collections. Meanwhile a 10 ms timer on the window's
// thread notes how late each of its ticks comes; a late tick is the time the window could not
// answer. Printed: each run's time, the number of ticks and their lateness during the runs (the
// largest, the 99th percentile, and where the largest lie), and the time closing the window
// takes (the window hides first, then lets go of the last run's collections).
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "run/clsVBInfo.h"
#include "ui/OpenDocument.h"
#include "ui/clsDialog.h"
#include "ui/frmDocument.h"
#include "ui/frmNotify.h"

namespace {

constexpr int kProbeMs = 10;

struct Late {
  double ms;  // how much later than 10 ms after the previous tick
  double at;  // when the late tick came, in ms from the first press of Document
  int run;    // 1-based run number, 0 between runs
};

int Usage() {
  std::fprintf(stderr, "usage: window_latency_tool [--runs N] [--out-dir DIR] PROJECT.vbp\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int runs = 2;
  std::string outDir;
  QString project;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (a == "--out-dir" && i + 1 < argc) {
      outDir = argv[++i];
    } else if (!a.empty() && a[0] != '-' && project.isEmpty()) {
      project = QFileInfo(QString::fromLocal8Bit(argv[i])).absoluteFilePath();
    } else {
      return Usage();
    }
  }
  if (project.isEmpty() || runs < 1) return Usage();

  qs::clsDialog::SetFileChooser([project](qs::FileChooserRequest&) { return project; });
  qs::SetDocumentOpener([](const QUrl&) { return true; });

  auto* window = new qs::frmDocument;
  window->VBInfo()->Settings().outDir = outDir;
  window->show();

  // The notice is answered as soon as it is up.
  QTimer answer;
  answer.setInterval(5);
  QObject::connect(&answer, &QTimer::timeout, [] {
    auto* notice = qobject_cast<qs::frmNotify*>(QApplication::activeModalWidget());
    if (notice != nullptr && notice->isVisible())
      notice->findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
  });
  answer.start();

  QElapsedTimer clock;
  int run = 0;
  std::vector<Late> ticks;
  double lastTick = -1;
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  probe.setInterval(kProbeMs);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const double now = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    if (lastTick >= 0) {
      ticks.push_back(Late{std::max(0.0, now - lastTick - kProbeMs), now, run});
    }
    lastTick = now;
  });

  clock.start();
  probe.start();
  for (run = 1; run <= runs; ++run) {
    QEventLoop wait;
    QObject::connect(window, &qs::frmDocument::RunEnded, &wait, &QEventLoop::quit);
    const qint64 t0 = clock.elapsed();
    QTimer::singleShot(0, window, [window] { window->obfuseButton_Click(); });
    wait.exec();
    const std::shared_ptr<qs::clsVBInfo>& info = window->VBInfo();
    std::printf("run %d: %lld ms, report %s\n", run, static_cast<long long>(clock.elapsed() - t0),
                info && info->ReportWritten() ? "written"
                : info                        ? info->FailureReason().c_str()
                                              : "?");
  }
  run = 0;
  probe.stop();

  // Closing: hidden first, then the last run's collections go.
  QElapsedTimer closing;
  closing.start();
  window->close();
  const double closeMs = static_cast<double>(closing.nsecsElapsed()) / 1e6;
  delete window;

  std::vector<Late> during;
  for (const Late& t : ticks)
    if (t.run > 0) during.push_back(t);
  std::sort(during.begin(), during.end(), [](const Late& a, const Late& b) { return a.ms > b.ms; });
  std::printf("10 ms timer ticks during the runs: %zu\n", during.size());
  if (!during.empty()) {
    std::printf("largest lateness: %.1f ms\n", during.front().ms);
    std::printf("99th percentile: %.1f ms\n", during[during.size() / 100].ms);
    std::printf("largest five:\n");
    for (size_t i = 0; i < during.size() && i < 5; ++i)
      std::printf("  %6.1f ms  run %d, at %.0f ms\n", during[i].ms, during[i].run, during[i].at);
  }
  std::printf("closing the window (hidden first): %.1f ms\n", closeMs);
  return 0;
}

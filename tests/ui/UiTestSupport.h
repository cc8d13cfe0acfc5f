// Helpers shared by the window tests: a small project on disk and an answerer for the modal
// completion notice.
#pragma once

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "run/clsVBInfo.h"
#include "ui/frmNotify.h"

namespace qs::test {

/// Keeps what the window remembers (recent projects, folders, choices) in the folder, away from
/// the user's own settings, and starts it empty.
inline void IsolateSettings(const QString& in_sFolder) {
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, in_sFolder);
  QSettings().clear();
}

/// Writes a two-file project (Mini.vbp with one standard module) into the folder and returns the
/// project file's path.
inline QString WriteMiniProject(const QString& in_sFolder) {
  const QDir dir(in_sFolder);
  QFile vbp(dir.filePath(QStringLiteral("Mini.vbp")));
  if (!vbp.open(QIODevice::WriteOnly)) return {};
  vbp.write(
      "Type=Exe\r\nModule=Module1; Module1.bas\r\nStartup=\"Sub Main\"\r\n"
      "Name=\"Mini\"\r\n");
  vbp.close();
  QFile bas(dir.filePath(QStringLiteral("Module1.bas")));
  if (!bas.open(QIODevice::WriteOnly)) return {};
  bas.write(
      "Attribute VB_Name = \"Module1\"\r\nOption Explicit\r\n"
      "Public Const APP_TITLE As String = \"Mini\"\r\n"
      "Public Sub Main()\r\n  Dim n As Long\r\nEnd Sub\r\n");
  bas.close();
  return vbp.fileName();
}

/// Watches for the completion notice; when it is shown, records its label, its state and the
/// window's own labels through in_oInspect, then presses the named button ("OkButton" or
/// "docButton").
class NoticeAnswerer {
 public:
  NoticeAnswerer(QString in_sButton, std::function<void(frmNotify*)> in_oInspect = {})
      : m_sButton(std::move(in_sButton)), m_oInspect(std::move(in_oInspect)) {
    m_oTimer.setInterval(5);
    QObject::connect(&m_oTimer, &QTimer::timeout, [this] { Poll(); });
    m_oTimer.start();
  }

  int Shown() const { return m_iShown; }
  const QString& Label() const { return m_sLabel; }
  bool ViewEnabled() const { return m_bViewEnabled; }

 private:
  void Poll() {
    QPointer<frmNotify> notice = qobject_cast<frmNotify*>(QApplication::activeModalWidget());
    if (notice.isNull() || !notice->isVisible()) return;
    ++m_iShown;
    m_sLabel = notice->findChild<QLabel*>(QStringLiteral("lblListing"))->text();
    m_bViewEnabled = notice->findChild<QPushButton*>(QStringLiteral("docButton"))->isEnabled();
    if (m_oInspect) m_oInspect(notice);
    if (notice) notice->findChild<QPushButton*>(m_sButton)->click();
    // A notice whose button does nothing is closed here, so the test does not hang.
    if (notice && notice->isVisible()) notice->reject();
  }

  QString m_sButton;
  std::function<void(frmNotify*)> m_oInspect;
  QTimer m_oTimer;
  int m_iShown = 0;
  QString m_sLabel;
  bool m_bViewEnabled = false;
};

/// Holds the driver's runs at their start, on the run's thread (inside EvtBegin, after the
/// window's own handler), until Release or until the run is asked to stop. While a run is held
/// the window's thread is free: the test looks at the window during a run without a race.
class RunGate {
 public:
  explicit RunGate(clsVBInfo& io_oInfo) : m_state(std::make_shared<State>()) {
    std::function<void()> begin = io_oInfo.EvtBegin;
    clsVBInfo* info = &io_oInfo;
    std::shared_ptr<State> state = m_state;
    io_oInfo.EvtBegin = [state, begin, info] {
      if (begin) begin();
      state->runThread = std::this_thread::get_id();
      state->held = true;
      while (!state->released && !info->StopRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      state->held = false;
    };
  }
  ~RunGate() { Release(); }
  RunGate(const RunGate&) = delete;
  RunGate& operator=(const RunGate&) = delete;

  /// Whether a run is waiting at the gate now.
  bool Held() const { return m_state->held; }
  /// The thread the last run held here went on (read it once Held() was true).
  std::thread::id RunThread() const { return m_state->runThread; }
  void Release() { m_state->released = true; }

 private:
  struct State {
    std::atomic<bool> held{false};
    std::atomic<bool> released{false};
    std::thread::id runThread;
  };
  std::shared_ptr<State> m_state;
};

/// Whether the folder (searched with its subfolders) holds a report's temporary file.
inline bool HasTemporaryFile(const QString& in_sFolder) {
  QDirIterator it(in_sFolder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    if (it.next().contains(QLatin1String(".tmp-"))) return true;
  }
  return false;
}

}  // namespace qs::test

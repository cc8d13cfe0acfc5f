// The main window: the user picks a Visual Basic project, watches the run and gets the completion
// notice. Closing it ends the program.
#pragma once

#include <QString>
#include <QTime>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

class QCloseEvent;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QThread;
class QTimer;

namespace qs {

class clsVBInfo;

/// "Completed in : M minute(s) S second(s)" for a run of in_dElapsed seconds, rounded to whole
/// seconds with halves to even (75 gives "Completed in : 1 minute(s) 15 second(s)"). A negative
/// time counts as 0.
QString CompletedCaption(double in_dElapsed);

/// "Time Started:" followed by the time as two-digit 24-hour hours, minutes and seconds.
QString StartedCaption(const QTime& in_oTime);

/// The maker's home page as the logo hands it to the desktop: a host name without scheme.
QString HomePageHost();

class frmDocument : public QWidget {
  Q_OBJECT

 public:
  explicit frmDocument(QWidget* in_oParent = nullptr);
  ~frmDocument() override;

  /// The analysis driver; empty once the window has unloaded (a new run creates another).
  const std::shared_ptr<clsVBInfo>& VBInfo() const { return m_oVBInfo; }
  /// The project file chosen last; empty when the dialog was cancelled.
  const QString& SelectedFile() const { return m_sSelectedFile; }
  /// Position of the progress bar, 0 to 59.
  int16_t Progress() const { return m_iProgress; }
  /// Whether a run is going on: from the choice of a project until the run's thread has ended
  /// and the completion notice has been answered.
  bool Running() const { return m_bRunning; }
  /// The thread the current run goes on (null when no run is going on).
  QThread* RunThread() const { return m_oRunThread; }

  /// Replaces the clocks: in_oMonotonic gives seconds on a clock that never goes back (the
  /// elapsed time), in_oWallClock the local time of day (the start time). Empty functions restore
  /// the system's.
  void SetClocks(std::function<double()> in_oMonotonic, std::function<QTime()> in_oWallClock);

 signals:
  /// A run has ended and its notice (if any) has been answered; the window is idle again.
  void RunEnded();

 public slots:
  /// Asks for a project file and starts the documentation of it on a thread of its own.
  void obfuseButton_Click();
  /// Closes the window; during a run, asks the run to stop and closes once it has ended.
  void OkButton_Click();
  /// Opens the maker's home page.
  void PicLogo_Click();
  /// Advances the progress bar (every 500 ms while a run is on).
  void ProgressTimer_Timer();

 protected:
  void closeEvent(QCloseEvent* in_oEvent) override;
  bool eventFilter(QObject* in_oWatched, QEvent* in_oEvent) override;

 private:
  void Form_Load();
  void Form_Unload();
  void NewVBInfo();
  /// Handlers of the driver's events, called on this window's thread (queued from the run's
  /// thread); in_iRun names the run that raised them, and a run the window has given up on
  /// (closed during it) is not shown.
  void m_oVBInfo_EvtBegin(uint32_t in_iRun);
  void m_oVBInfo_EvtEnd(uint32_t in_iRun);
  /// The run's thread has ended: the results are read and announced.
  void RunThreadFinished(uint32_t in_iRun);
  /// Shows the completion notice of the run modally; a notice that cannot be shown is skipped.
  void ShowCompletionNotice(const clsVBInfo& in_oInfo);
  /// Asks the run to stop and waits until its thread has ended.
  void StopAndWait();
  void StartProgress();
  void StopProgress();
  double Now() const;
  QTime WallNow() const;

  QGroupBox* fra = nullptr;
  QPushButton* obfuseButton = nullptr;
  QPushButton* OkButton = nullptr;
  QProgressBar* pgSec = nullptr;
  QTimer* ProgressTimer = nullptr;
  QLabel* lblStartTime = nullptr;
  QLabel* lblTime = nullptr;
  QLabel* lblCompany = nullptr;
  QLabel* PicLogo = nullptr;

  std::shared_ptr<clsVBInfo> m_oVBInfo;
  /// The driver of the run going on (kept even if the window lets go of m_oVBInfo meanwhile).
  std::shared_ptr<clsVBInfo> m_oRunInfo;
  QString m_sSelectedFile;
  int16_t m_iProgress = 0;
  double m_vStartTime = 0;
  double m_vEndTime = 0;
  bool m_bRunning = false;
  /// Ok was pressed during a run: the window closes once the run has ended.
  bool m_bClosePending = false;
  QThread* m_oRunThread = nullptr;
  /// Number of the current run (0: none); events of other runs are ignored.
  uint32_t m_iRun = 0;
  uint32_t m_iRunsStarted = 0;
  std::function<double()> m_oMonotonic;
  std::function<QTime()> m_oWallClock;
};

}  // namespace qs

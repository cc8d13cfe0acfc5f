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
  /// Whether a run is on the stack.
  bool Running() const { return m_bRunning; }

  /// Replaces the clocks: in_oMonotonic gives seconds on a clock that never goes back (the
  /// elapsed time), in_oWallClock the local time of day (the start time). Empty functions restore
  /// the system's.
  void SetClocks(std::function<double()> in_oMonotonic, std::function<QTime()> in_oWallClock);

 public slots:
  /// Asks for a project file and runs the documentation on it.
  void obfuseButton_Click();
  /// Closes the window.
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
  void m_oVBInfo_EvtBegin();
  void m_oVBInfo_EvtEnd();
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
  QString m_sSelectedFile;
  int16_t m_iProgress = 0;
  double m_vStartTime = 0;
  double m_vEndTime = 0;
  bool m_bRunning = false;
  bool m_bUnloadPending = false;
  std::function<void()> m_oPreviousYieldHook;
  std::function<double()> m_oMonotonic;
  std::function<QTime()> m_oWallClock;
};

}  // namespace qs

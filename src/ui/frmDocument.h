// The main window: the user picks Visual Basic projects (the open dialog, a drop, the Recent
// menu or the command line), watches each run with its status line, may cancel it, and gets one
// completion notice per batch. Closing it ends the program.
#pragma once

#include <QString>
#include <QStringList>
#include <QTime>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QGroupBox;
class QMenu;
class QToolButton;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QThread;
class QTimer;

namespace qs {

class clsVBInfo;
class DocumentBatch;
class ProjectList;
struct BatchProjectResult;
struct BatchResult;
struct RunProgress;

/// The status line's text for a step of a run ("Reading 3 of 12: Forms/frmMain.frm", "Writing
/// the report", ...).
QString ProgressText(const RunProgress& in_oProgress);

/// The status line's text at the end of a run: "Documented N files", with the warnings counted.
QString DocumentedText(size_t in_nFiles, qsizetype in_nWarnings);

/// The most projects the Recent menu lists.
inline constexpr int kRecentProjects = 10;

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

  /// Documents the projects one after another in one call (DocumentBatch, as the command line
  /// does: shared source files, each project's outputs put in place together, an estate when
  /// several projects are written with the export or the site); projects asked for while a run
  /// is going on make the next call, which follows. A group file (.vbg) or a folder stands for
  /// its projects (ProjectList, as the command line finds them); a group or folder that cannot
  /// be read, and a group's missing members, are named among the notice's warnings. One
  /// completion notice follows the calls.
  void DocumentProjects(const QStringList& in_oPaths);
  /// Projects waiting for their turn (known to have begun once the window has heard so).
  const QStringList& Queue() const { return m_oQueue; }
  /// The projects documented last, newest first (at most kRecentProjects), remembered.
  QStringList RecentProjects() const;
  /// Folder the reports go into; empty: beside each project. Remembered.
  const QString& OutputFolder() const { return m_sOutputFolder; }
  void SetOutputFolder(const QString& in_sFolder);
  /// Whether each run also writes the JSON export beside its report. Remembered.
  bool WritesJson() const;
  void SetWritesJson(bool in_bWrite);
  /// Whether each run also writes the documentation site beside its report. Remembered.
  bool WritesSite() const;
  void SetWritesSite(bool in_bWrite);
  /// The code page of the projects' files, for the text of the export, the site and the estate
  /// (1252 unless changed). Remembered.
  int CodePage() const;
  void SetCodePage(int in_nCodePage);
  /// The report the last successful run wrote (remembered across program starts).
  const QString& LastReport() const { return m_sLastReport; }
  /// The status line's text.
  QString StatusText() const;

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
  /// Asks for a folder and documents every project and group below it.
  void folderButton_Click();
  /// Closes the window; during a run, asks the run to stop and closes once it has ended.
  void OkButton_Click();
  /// Stops the run going on and drops the projects waiting; nothing more is committed, earlier
  /// reports stay, and the notice says the run was cancelled.
  void cancelButton_Click();
  /// Opens the last report written.
  void lastReportButton_Click();
  /// Asks for the folder the reports go into.
  void outDirButton_Click();
  /// Reports go beside their projects again.
  void outDirResetButton_Click();
  /// Opens the maker's home page.
  void PicLogo_Click();
  /// Advances the progress bar (every 500 ms while a run is on).
  void ProgressTimer_Timer();

 protected:
  void closeEvent(QCloseEvent* in_oEvent) override;
  void dragEnterEvent(QDragEnterEvent* in_oEvent) override;
  void dropEvent(QDropEvent* in_oEvent) override;
  bool eventFilter(QObject* in_oWatched, QEvent* in_oEvent) override;

 private:
  /// Places the controls the constructor made: the frame, then the options below it.
  void LayOutControls();
  void Form_Load();
  void Form_Unload();
  void NewVBInfo();
  /// Handlers of the driver's events, called on this window's thread (queued from the run's
  /// thread); in_iRun names the run that raised them, and a run the window has given up on
  /// (closed during it) is not shown.
  void m_oVBInfo_EvtBegin(uint32_t in_iRun);
  void m_oVBInfo_EvtEnd(uint32_t in_iRun);
  void m_oVBInfo_EvtProgress(uint32_t in_iRun, const RunProgress& in_oProgress);
  /// Starts the call of the projects waiting; false when none could be started.
  bool StartNext();
  /// The call's events, on this window's thread (in_iRun as for the driver's events).
  void BatchProjectStarting(uint32_t in_iRun, const QString& in_sProject);
  void BatchProjectDone(uint32_t in_iRun, const BatchProjectResult& in_oResult);
  /// What one finished run left for the batch's notice.
  struct RunOutcome {
    QString listing;
    QString htmlFile;
    QString failure;  ///< empty when the report was written
    QString json;     ///< the export's path when it was written
    QString site;     ///< the site's index when it was written
    QStringList warnings;
  };
  /// Remembers the project among the recent ones and rebuilds the Recent menu.
  void AddRecent(const QString& in_sPath);
  void RebuildRecentMenu();
  void ShowOutputFolder();
  /// The call's thread has ended: the next call starts, or the results are announced.
  void RunThreadFinished(uint32_t in_iRun);
  /// Shows the completion notice of the batch modally; a notice that cannot be shown is skipped.
  void ShowCompletionNotice(const std::vector<RunOutcome>& in_oBatch);
  /// Asks the run to stop and waits until its thread has ended.
  void StopAndWait();
  void StartProgress();
  void StopProgress();
  double Now() const;
  QTime WallNow() const;

  QGroupBox* fra = nullptr;
  QPushButton* obfuseButton = nullptr;
  /// Asks for a folder and documents every project below it.
  QPushButton* folderButton = nullptr;
  QPushButton* OkButton = nullptr;
  QProgressBar* pgSec = nullptr;
  QTimer* ProgressTimer = nullptr;
  QLabel* lblStartTime = nullptr;
  QLabel* lblTime = nullptr;
  QLabel* lblCompany = nullptr;
  QLabel* PicLogo = nullptr;
  QLabel* lblStatus = nullptr;
  QPushButton* cancelButton = nullptr;
  QCheckBox* chkJson = nullptr;
  QCheckBox* chkSite = nullptr;
  QSpinBox* spnCodePage = nullptr;
  QLabel* lblOutDir = nullptr;
  QPushButton* outDirButton = nullptr;
  QPushButton* outDirResetButton = nullptr;
  QPushButton* lastReportButton = nullptr;
  QToolButton* recentButton = nullptr;
  QMenu* recentMenu = nullptr;

  std::shared_ptr<clsVBInfo> m_oVBInfo;
  /// The driver of the run going on (kept even if the window lets go of m_oVBInfo meanwhile).
  std::shared_ptr<clsVBInfo> m_oRunInfo;
  /// The call going on, and what it came to (filled on its thread, read once it has ended).
  std::shared_ptr<DocumentBatch> m_oRunBatch;
  std::shared_ptr<BatchResult> m_oBatchResult;
  /// The projects asked for that no call has taken yet.
  std::unique_ptr<ProjectList> m_oNext;
  /// Estates written by the calls since the notice was last shown, and why some were not.
  QStringList m_oEstates;
  QString m_sSelectedFile;
  QStringList m_oQueue;
  std::vector<RunOutcome> m_oBatch;
  /// Groups and folders that could not be read and missing group members, for the next notice.
  QStringList m_oInputNotes;
  QString m_sOutputFolder;
  QString m_sLastReport;
  /// Source files the current run lists (from its reading steps).
  size_t m_nFilesListed = 0;
  /// Cancel was pressed: the run going on is stopped and the batch ends with it.
  bool m_bCancelled = false;
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

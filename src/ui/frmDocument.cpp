#include "ui/frmDocument.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <chrono>
#include <cmath>
#include <utility>

#include "io/ProgramInfo.h"
#include "run/DocumentBatch.h"
#include "run/ProjectList.h"
#include "run/clsVBInfo.h"
#include "ui/Logo.h"
#include "ui/OpenDocument.h"
#include "ui/clsDialog.h"
#include "ui/frmNotify.h"

namespace qs {
namespace {

constexpr int kProgressIntervalMs = 500;
constexpr int kProgressMax = 60;

QString FromBytes(const std::string& s) {
  return QFile::decodeName(QByteArray::fromStdString(s));
}

// What the window remembers between program starts.
const QString kRecentKey = QStringLiteral("recentProjects");
const QString kLastFolderKey = QStringLiteral("lastFolder");
const QString kLastReportKey = QStringLiteral("lastReport");
const QString kOutputFolderKey = QStringLiteral("outputFolder");
const QString kWriteJsonKey = QStringLiteral("writeJson");
const QString kWriteSiteKey = QStringLiteral("writeSite");
const QString kCodePageKey = QStringLiteral("codePage");
constexpr int kDefaultCodePage = 1252;

// Anything that is no folder and no group file is documented as a project file.
bool IsProjectFilePath(const QString& in_sPath) {
  return !in_sPath.endsWith(QLatin1String(".vbg"), Qt::CaseInsensitive) &&
         !QFileInfo(in_sPath).isDir();
}

// The folder that holds every project of the list (with its sub-folders): where the estate of a
// call goes when the reports go beside their projects.
QString CommonFolder(const ProjectList& in_oList) {
  QString common;
  for (const std::string& project : in_oList.Projects()) {
    const QString folder = QFileInfo(FromBytes(project)).absolutePath();
    if (common.isNull()) {
      common = folder;
      continue;
    }
    QDir dir(common);
    const auto holds = [&folder](const QString& in_sParent) {
      return folder == in_sParent || folder.startsWith(in_sParent + QLatin1Char('/'));
    };
    while (!holds(dir.absolutePath())) {
      if (!dir.cdUp()) break;
    }
    common = dir.absolutePath();
  }
  return common;
}

// A project file, a group file or a folder: what a drop hands to DocumentProjects.
bool IsProjectPath(const QString& in_sPath) {
  return in_sPath.endsWith(QLatin1String(".vbp"), Qt::CaseInsensitive) ||
         !IsProjectFilePath(in_sPath);
}

}  // namespace

QString ProgressText(const RunProgress& in_oProgress) {
  switch (in_oProgress.phase) {
    case RunProgress::Phase::kReading:
      return QStringLiteral("Reading %1 of %2: %3")
          .arg(in_oProgress.done)
          .arg(in_oProgress.total)
          .arg(QString::fromStdString(in_oProgress.file)
                   .replace(QLatin1Char('\\'), QLatin1Char('/')));
    case RunProgress::Phase::kAnalysing:
      return QStringLiteral("Analysing the code");
    case RunProgress::Phase::kWritingReport:
      return QStringLiteral("Writing the report");
    case RunProgress::Phase::kWritingExport:
      return QStringLiteral("Writing the report and the JSON export");
    case RunProgress::Phase::kWritingSite:
      return QStringLiteral("Writing the site");
  }
  return {};
}

QString DocumentedText(size_t in_nFiles, qsizetype in_nWarnings) {
  QString text = QStringLiteral("Documented %1 %2")
                     .arg(in_nFiles)
                     .arg(in_nFiles == 1 ? QStringLiteral("file") : QStringLiteral("files"));
  if (in_nWarnings > 0) {
    text += QStringLiteral(", %1 %2")
                .arg(in_nWarnings)
                .arg(in_nWarnings == 1 ? QStringLiteral("warning") : QStringLiteral("warnings"));
  }
  return text;
}

QString CompletedCaption(double in_dElapsed) {
  // nearbyint rounds in the default mode, to nearest with halves to even.
  double rounded = std::nearbyint(in_dElapsed);
  if (!(rounded > 0)) rounded = 0;  // also NaN
  const auto total = static_cast<long long>(rounded);
  return QStringLiteral("Completed in : %1 minute(s) %2 second(s)").arg(total / 60).arg(total % 60);
}

QString StartedCaption(const QTime& in_oTime) {
  return QStringLiteral("Time Started:") + in_oTime.toString(QStringLiteral("HH:mm:ss"));
}

QString HomePageHost() {
  QString page = QString::fromStdString(ProgramHomePage());
  const qsizetype scheme = page.indexOf(QLatin1String("://"));
  if (scheme >= 0) page = page.mid(scheme + 3);
  while (page.endsWith(QLatin1Char('/'))) page.chop(1);
  return page;
}

frmDocument::frmDocument(QWidget* in_oParent) : QWidget(in_oParent) {
  setObjectName(QStringLiteral("frmDocument"));
  setWindowTitle(QStringLiteral("Quillscope"));
  setWindowIcon(LogoIcon());

  fra = new QGroupBox(QStringLiteral("Select Visual Basic Project to Document"), this);
  fra->setObjectName(QStringLiteral("fra"));

  PicLogo = new QLabel(fra);
  PicLogo->setObjectName(QStringLiteral("PicLogo"));
  PicLogo->setPixmap(LogoPixmap(96));
  PicLogo->setFixedSize(104, 104);
  PicLogo->setAlignment(Qt::AlignCenter);
  PicLogo->setCursor(Qt::PointingHandCursor);
  PicLogo->setToolTip(HomePageHost());
  PicLogo->installEventFilter(this);

  lblStartTime = new QLabel(fra);
  lblStartTime->setObjectName(QStringLiteral("lblStartTime"));
  lblTime = new QLabel(fra);
  lblTime->setObjectName(QStringLiteral("lblTime"));
  lblCompany = new QLabel(fra);
  lblCompany->setObjectName(QStringLiteral("lblCompany"));

  pgSec = new QProgressBar(fra);
  pgSec->setObjectName(QStringLiteral("pgSec"));
  pgSec->setRange(0, kProgressMax);
  pgSec->setTextVisible(false);

  obfuseButton = new QPushButton(QStringLiteral("&Document"), fra);
  obfuseButton->setObjectName(QStringLiteral("obfuseButton"));
  folderButton = new QPushButton(QStringLiteral("Document f&older..."), fra);
  folderButton->setObjectName(QStringLiteral("folderButton"));
  OkButton = new QPushButton(QStringLiteral("Ok"), fra);
  OkButton->setObjectName(QStringLiteral("OkButton"));

  lblStatus = new QLabel(fra);
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  lblStatus->setTextFormat(Qt::PlainText);
  lblStatus->setMinimumWidth(300);
  cancelButton = new QPushButton(QStringLiteral("&Cancel"), fra);
  cancelButton->setObjectName(QStringLiteral("cancelButton"));
  cancelButton->setEnabled(false);

  chkJson = new QCheckBox(QStringLiteral("Also write the &JSON export"), this);
  chkJson->setObjectName(QStringLiteral("chkJson"));
  chkSite = new QCheckBox(QStringLiteral("Also write the documentation &site"), this);
  chkSite->setObjectName(QStringLiteral("chkSite"));
  spnCodePage = new QSpinBox(this);
  spnCodePage->setObjectName(QStringLiteral("spnCodePage"));
  spnCodePage->setRange(1, 65535);
  spnCodePage->setValue(kDefaultCodePage);
  spnCodePage->setToolTip(QStringLiteral("The code page of the projects' files (1252: Western)"));
  lblOutDir = new QLabel(this);
  lblOutDir->setObjectName(QStringLiteral("lblOutDir"));
  lblOutDir->setTextFormat(Qt::PlainText);
  outDirButton = new QPushButton(QStringLiteral("Output &folder..."), this);
  outDirButton->setObjectName(QStringLiteral("outDirButton"));
  outDirResetButton = new QPushButton(QStringLiteral("Beside the &project"), this);
  outDirResetButton->setObjectName(QStringLiteral("outDirResetButton"));
  lastReportButton = new QPushButton(QStringLiteral("Open &last report"), this);
  lastReportButton->setObjectName(QStringLiteral("lastReportButton"));
  recentButton = new QToolButton(this);
  recentButton->setObjectName(QStringLiteral("recentButton"));
  recentButton->setText(QStringLiteral("&Recent"));
  recentButton->setPopupMode(QToolButton::InstantPopup);
  recentMenu = new QMenu(recentButton);
  recentMenu->setObjectName(QStringLiteral("recentMenu"));
  recentButton->setMenu(recentMenu);
  // Keyboard focus shows on every control, whatever the desktop's style draws.
  setStyleSheet(
      QStringLiteral("QPushButton:focus, QToolButton:focus, QCheckBox:focus { outline: 2px solid "
                     "palette(highlight); }"));

  ProgressTimer = new QTimer(this);
  ProgressTimer->setObjectName(QStringLiteral("ProgressTimer"));
  ProgressTimer->setInterval(kProgressIntervalMs);

  LayOutControls();
  setAcceptDrops(true);

  connect(obfuseButton, &QPushButton::clicked, this, &frmDocument::obfuseButton_Click);
  connect(folderButton, &QPushButton::clicked, this, &frmDocument::folderButton_Click);
  connect(OkButton, &QPushButton::clicked, this, &frmDocument::OkButton_Click);
  connect(ProgressTimer, &QTimer::timeout, this, &frmDocument::ProgressTimer_Timer);
  connect(cancelButton, &QPushButton::clicked, this, &frmDocument::cancelButton_Click);
  connect(lastReportButton, &QPushButton::clicked, this, &frmDocument::lastReportButton_Click);
  connect(outDirButton, &QPushButton::clicked, this, &frmDocument::outDirButton_Click);
  connect(outDirResetButton, &QPushButton::clicked, this, &frmDocument::outDirResetButton_Click);
  connect(chkJson, &QCheckBox::toggled, this,
          [](bool on) { QSettings().setValue(kWriteJsonKey, on); });
  connect(chkSite, &QCheckBox::toggled, this,
          [](bool on) { QSettings().setValue(kWriteSiteKey, on); });
  connect(spnCodePage, &QSpinBox::valueChanged, this,
          [](int value) { QSettings().setValue(kCodePageKey, value); });

  Form_Load();
}

void frmDocument::LayOutControls() {
  // Logo on the left; start time, elapsed time and progress bar beside it; the company name and
  // the two buttons along the bottom.
  auto* grid = new QGridLayout(fra);
  grid->addWidget(PicLogo, 0, 0, 3, 1, Qt::AlignTop);
  grid->addWidget(lblStartTime, 0, 1);
  grid->addWidget(lblTime, 1, 1);
  grid->addWidget(pgSec, 2, 1);
  // What the run is doing, beside the activity bar, and the way to stop it.
  auto* status = new QHBoxLayout;
  status->addWidget(lblStatus, 1);
  status->addWidget(cancelButton);
  grid->addLayout(status, 3, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(lblCompany);
  bottom->addStretch(1);
  bottom->addWidget(obfuseButton);
  bottom->addWidget(folderButton);
  bottom->addWidget(OkButton);
  grid->addLayout(bottom, 4, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setColumnMinimumWidth(1, 300);
  // Below the frame: what the runs write and where, the last report and the recent projects.
  auto* options = new QGridLayout;
  auto* writes = new QHBoxLayout;
  writes->addWidget(chkJson);
  writes->addWidget(chkSite);
  writes->addStretch(1);
  auto* codePage = new QLabel(QStringLiteral("Code &page:"), this);
  codePage->setBuddy(spnCodePage);
  writes->addWidget(codePage);
  writes->addWidget(spnCodePage);
  options->addLayout(writes, 0, 0, 1, 3);
  options->addWidget(new QLabel(QStringLiteral("Reports go:"), this), 1, 0);
  options->addWidget(lblOutDir, 1, 1);
  auto* outDirButtons = new QHBoxLayout;
  outDirButtons->addWidget(outDirButton);
  outDirButtons->addWidget(outDirResetButton);
  options->addLayout(outDirButtons, 1, 2);
  auto* again = new QHBoxLayout;
  again->addWidget(lastReportButton);
  again->addWidget(recentButton);
  again->addStretch(1);
  options->addLayout(again, 2, 0, 1, 3);
  options->setColumnStretch(1, 1);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(fra);
  outer->addLayout(options);
  // Maximised, the window keeps its proportions: the extra room goes below, not into the rows.
  outer->addStretch(1);
}

frmDocument::~frmDocument() {
  // A run still going on is stopped first: its thread calls into this window.
  StopAndWait();
  if (m_oVBInfo) {
    m_oVBInfo->EvtBegin = nullptr;
    m_oVBInfo->EvtEnd = nullptr;
    m_oVBInfo->EvtProgress = nullptr;
  }
}

void frmDocument::Form_Load() {
  try {
    setWindowTitle(QStringLiteral("Quillscope - ") + QString::fromStdString(ProgramVersion()));
    lblCompany->setText(QString::fromStdString(ProgramCompany()));
    NewVBInfo();
    lblTime->clear();
    lblStartTime->clear();
    pgSec->setValue(0);
    m_iProgress = 0;
    const QSettings settings;
    chkJson->setChecked(settings.value(kWriteJsonKey, false).toBool());
    chkSite->setChecked(settings.value(kWriteSiteKey, false).toBool());
    spnCodePage->setValue(settings.value(kCodePageKey, kDefaultCodePage).toInt());
    m_sLastReport = settings.value(kLastReportKey).toString();
    SetOutputFolder(settings.value(kOutputFolderKey).toString());
    RebuildRecentMenu();
  } catch (...) {
    // The window opens with whatever was set up; a missing driver is made by the next run.
    return;
  }
}

void frmDocument::Form_Unload() {
  StopProgress();
  if (m_oVBInfo) {
    m_oVBInfo->EvtBegin = nullptr;
    m_oVBInfo->EvtEnd = nullptr;
    m_oVBInfo->EvtProgress = nullptr;
  }
  m_oVBInfo.reset();
}

void frmDocument::NewVBInfo() {
  m_oVBInfo = std::make_shared<clsVBInfo>();
  // The events are raised on the run's thread and handed to this window's thread. The window
  // outlives every run (it waits for the run's thread before it goes), and m_iRun changes only
  // while no run's thread is alive.
  m_oVBInfo->EvtBegin = [this] {
    const uint32_t run = m_iRun;
    QMetaObject::invokeMethod(
        this, [this, run] { m_oVBInfo_EvtBegin(run); }, Qt::QueuedConnection);
  };
  m_oVBInfo->EvtEnd = [this] {
    const uint32_t run = m_iRun;
    QMetaObject::invokeMethod(
        this, [this, run] { m_oVBInfo_EvtEnd(run); }, Qt::QueuedConnection);
  };
  m_oVBInfo->EvtProgress = [this](const RunProgress& progress) {
    const uint32_t run = m_iRun;
    QMetaObject::invokeMethod(
        this, [this, run, progress] { m_oVBInfo_EvtProgress(run, progress); },
        Qt::QueuedConnection);
  };
}

void frmDocument::SetClocks(std::function<double()> in_oMonotonic,
                            std::function<QTime()> in_oWallClock) {
  m_oMonotonic = std::move(in_oMonotonic);
  m_oWallClock = std::move(in_oWallClock);
}

double frmDocument::Now() const {
  if (m_oMonotonic) return m_oMonotonic();
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration<double>(since).count();
}

QTime frmDocument::WallNow() const {
  return m_oWallClock ? m_oWallClock() : QTime::currentTime();
}

void frmDocument::obfuseButton_Click() {
  // The button is disabled during a run; a call that comes anyway is turned away.
  if (m_bRunning) return;
  try {
    clsDialog dialog;
    int32_t flags = kOfnHideReadOnly | kOfnPathMustExist | kOfnFileMustExist | kOfnShareAware;
    // The dialog starts where the last project was picked; the first time, in the home folder
    // (the program's own folder is a system folder once installed).
    QString start = QSettings().value(kLastFolderKey).toString();
    if (start.isEmpty() || !QFileInfo(start).isDir()) start = QDir::homePath();
    const QStringList paths = dialog.ShowOpenMany(
        this, QStringLiteral("Open Visual Basic Project File"), start + QLatin1Char('/'),
        QStringLiteral("Visual Basic Projects and Groups (*.vbp;*.vbg)|*.vbp;*.vbg"), flags);
    if (paths.isEmpty()) {
      m_sSelectedFile.clear();
      return;
    }
    QSettings().setValue(kLastFolderKey, QFileInfo(paths.constLast()).absolutePath());
    DocumentProjects(paths);
  } catch (...) {
    // The dialog could not be had: the window stays as it was, ready for another try.
    return;
  }
}

void frmDocument::folderButton_Click() {
  if (m_bRunning) return;
  try {
    clsDialog dialog;
    QString start = QSettings().value(kLastFolderKey).toString();
    if (start.isEmpty() || !QFileInfo(start).isDir()) start = QDir::homePath();
    const QString folder =
        dialog.ShowFolder(this, QStringLiteral("Folder of Visual Basic Projects"), start);
    if (folder.isEmpty()) return;
    QSettings().setValue(kLastFolderKey, folder);
    DocumentProjects({folder});
  } catch (...) {
    // The dialog could not be had: the window stays as it was, ready for another try.
    return;
  }
}

void frmDocument::DocumentProjects(const QStringList& in_oPaths) {
  // Group files and folders stand for their projects, found as the command line finds them;
  // what cannot be read, and members that are missing, go to the batch's notice. The projects
  // wait for the next call (the one that starts now when no run is going on).
  if (!m_oNext) m_oNext = std::make_unique<ProjectList>();
  ProjectList& list = *m_oNext;
  const size_t projects = list.Projects().size();
  const size_t failures = list.Failures().size();
  const size_t warnings = list.Warnings().size();
  for (const QString& path : in_oPaths) {
    if (!path.trimmed().isEmpty()) list.Add(QFile::encodeName(path).toStdString());
  }
  for (size_t i = projects; i < list.Projects().size(); ++i)
    m_oQueue.append(FromBytes(list.Projects()[i]));
  const auto note = [this](const ProjectList::Problem& p) {
    m_oInputNotes.append(QFileInfo(FromBytes(p.path)).fileName() + QStringLiteral(": ") +
                         FromBytes(p.message));
  };
  for (size_t i = failures; i < list.Failures().size(); ++i) note(list.Failures()[i]);
  for (size_t i = warnings; i < list.Warnings().size(); ++i) note(list.Warnings()[i]);
  if (m_bRunning) return;
  if (m_oQueue.isEmpty()) {
    m_oNext.reset();
    // Nothing to document: the notice says why.
    if (m_oInputNotes.isEmpty()) return;
    RunOutcome nothing;
    nothing.failure = m_oInputNotes.takeFirst();
    nothing.warnings = std::exchange(m_oInputNotes, {});
    ShowCompletionNotice({nothing});
    return;
  }
  m_oBatch.clear();
  m_oEstates.clear();
  m_bCancelled = false;
  if (!StartNext()) {
    m_oQueue.clear();
    m_oNext.reset();
    m_bRunning = false;
  }
}

bool frmDocument::StartNext() {
  try {
    if (m_oQueue.isEmpty() || !m_oNext) return false;
    if (!m_oVBInfo) NewVBInfo();
    // The call goes on a thread of its own, so the window keeps answering; the thread holds the
    // driver, which the window keeps too until the thread has ended.
    std::shared_ptr<clsVBInfo> info = m_oVBInfo;
    std::shared_ptr<const ProjectList> list(std::move(m_oNext));
    BatchOptions options;
    options.outDir = m_sOutputFolder.isEmpty() ? info->Settings().outDir
                                               : QFile::encodeName(m_sOutputFolder).toStdString();
    options.json = chkJson->isChecked();
    options.site = chkSite->isChecked();
    options.codePage = spnCodePage->value();
    // Beside their projects, the estate goes into the folder that holds them all.
    if (options.outDir.empty())
      options.estateFolder = QFile::encodeName(CommonFolder(*list)).toStdString();
    auto batch = std::make_shared<DocumentBatch>(std::move(options));
    auto result = std::make_shared<BatchResult>();
    const uint32_t run = ++m_iRunsStarted;
    // The call's events are handed to this window's thread, as the driver's are (NewVBInfo).
    BatchSink sink;
    sink.projectStarting = [this, run](size_t, size_t, const std::string& project) {
      const QString path = FromBytes(project);
      QMetaObject::invokeMethod(
          this, [this, run, path] { BatchProjectStarting(run, path); }, Qt::QueuedConnection);
    };
    sink.projectDone = [this, run](const BatchProjectResult& done) {
      QMetaObject::invokeMethod(
          this, [this, run, done] { BatchProjectDone(run, done); }, Qt::QueuedConnection);
    };
    QThread* thread = QThread::create(
        [info, list, batch, result, sink] { *result = batch->Run(*list, *info, sink); });
    thread->setObjectName(QStringLiteral("DocumentationRun"));
    connect(thread, &QThread::finished, this, [this, run] { RunThreadFinished(run); });
    m_oRunInfo = std::move(info);
    m_oRunBatch = std::move(batch);
    m_oBatchResult = std::move(result);
    m_oRunThread = thread;
    m_iRun = run;
    m_nFilesListed = 0;
    m_bRunning = true;
    m_bClosePending = false;
    obfuseButton->setEnabled(false);
    folderButton->setEnabled(false);
    cancelButton->setEnabled(true);
    lblStatus->setText(QStringLiteral("Starting ") + QFileInfo(m_oQueue.constFirst()).fileName());
    thread->start();
    return true;
  } catch (...) {
    // The thread could not be had: the window stays as it was, ready for another try.
    return false;
  }
}

void frmDocument::BatchProjectStarting(uint32_t in_iRun, const QString& in_sProject) {
  if (in_iRun != m_iRun) return;
  m_sSelectedFile = in_sProject;
  m_oQueue.removeOne(in_sProject);
  m_nFilesListed = 0;
  if (!m_bCancelled)
    lblStatus->setText(QStringLiteral("Starting ") + QFileInfo(in_sProject).fileName());
}

void frmDocument::BatchProjectDone(uint32_t in_iRun, const BatchProjectResult& in_oResult) {
  if (in_iRun != m_iRun || m_bClosePending) return;
  const BatchProjectResult& r = in_oResult;
  RunOutcome outcome;
  outcome.listing = FromBytes(r.report);
  outcome.htmlFile = FromBytes(r.reportFile);
  if (!r.reportWritten) {
    outcome.failure = m_bCancelled
                          ? QStringLiteral("the run was cancelled; earlier reports are kept")
                          : FromBytes(r.failure);
  } else {
    m_sLastReport = outcome.listing;
    QSettings().setValue(kLastReportKey, m_sLastReport);
  }
  const QString project = QFileInfo(FromBytes(r.project)).fileName();
  const auto warn = [&](const QString& in_sWhat, const std::string& in_sText) {
    outcome.warnings.append(project + QStringLiteral(": ") + in_sWhat +
                            QString::fromStdString(in_sText));
  };
  outcome.warnings = std::exchange(m_oInputNotes, {});
  for (const std::string& w : r.warnings) warn({}, w);
  if (!r.clashingReport.empty())
    warn(QStringLiteral("writes the same report as another project of this call: "),
         r.clashingReport + "; written to " + r.report + " instead");
  if (r.reportWritten && r.jsonWritten) outcome.json = FromBytes(r.json);
  if (r.reportWritten && !r.json.empty() && !r.jsonWritten)
    warn(QStringLiteral("JSON export: "), r.jsonFailure);
  if (r.reportWritten && r.siteWritten) {
    outcome.site = FromBytes(r.site);
    if (!r.sitePictureNote.empty())
      warn(QStringLiteral("the site's pictures are not drawn: "), r.sitePictureNote);
  } else if (r.reportWritten && !r.site.empty()) {
    warn(QStringLiteral("site: "), r.siteFailure);
  }
  lblStatus->setText(outcome.failure.isEmpty()
                         ? DocumentedText(m_nFilesListed, outcome.warnings.size())
                         : QStringLiteral("No report: ") + outcome.failure);
  AddRecent(FromBytes(r.project));
  m_oBatch.push_back(std::move(outcome));
}

void frmDocument::OkButton_Click() {
  if (m_oRunThread != nullptr) {
    // The run is told to stop; the window closes when its thread has ended.
    m_bClosePending = true;
    if (m_oRunBatch) m_oRunBatch->RequestStop();
    return;
  }
  close();
}

void frmDocument::cancelButton_Click() {
  if (m_oRunThread == nullptr) return;
  m_bCancelled = true;
  m_oQueue.clear();
  m_oNext.reset();
  if (m_oRunBatch) m_oRunBatch->RequestStop();
  cancelButton->setEnabled(false);
  lblStatus->setText(QStringLiteral("Cancelling..."));
}

void frmDocument::lastReportButton_Click() {
  if (!m_sLastReport.isEmpty()) OpenDocument(m_sLastReport);
}

void frmDocument::outDirButton_Click() {
  clsDialog dialog;
  const QString start = m_sOutputFolder.isEmpty() ? QDir::homePath() : m_sOutputFolder;
  const QString folder = dialog.ShowFolder(this, QStringLiteral("Folder for the Reports"), start);
  if (!folder.isEmpty()) SetOutputFolder(folder);
}

void frmDocument::outDirResetButton_Click() {
  SetOutputFolder(QString());
}

void frmDocument::SetOutputFolder(const QString& in_sFolder) {
  m_sOutputFolder = in_sFolder;
  QSettings().setValue(kOutputFolderKey, in_sFolder);
  // A run asked for from now on writes there; beside the project again when cleared.
  if (in_sFolder.isEmpty() && m_oVBInfo && !m_bRunning) m_oVBInfo->Settings().outDir.clear();
  ShowOutputFolder();
}

void frmDocument::ShowOutputFolder() {
  lblOutDir->setText(m_sOutputFolder.isEmpty() ? QStringLiteral("beside each project")
                                               : m_sOutputFolder);
  outDirResetButton->setEnabled(!m_sOutputFolder.isEmpty());
}

bool frmDocument::WritesJson() const {
  return chkJson->isChecked();
}

void frmDocument::SetWritesJson(bool in_bWrite) {
  chkJson->setChecked(in_bWrite);
}

bool frmDocument::WritesSite() const {
  return chkSite->isChecked();
}

void frmDocument::SetWritesSite(bool in_bWrite) {
  chkSite->setChecked(in_bWrite);
}

int frmDocument::CodePage() const {
  return spnCodePage->value();
}

void frmDocument::SetCodePage(int in_nCodePage) {
  spnCodePage->setValue(in_nCodePage);
}

QString frmDocument::StatusText() const {
  return lblStatus->text();
}

QStringList frmDocument::RecentProjects() const {
  return QSettings().value(kRecentKey).toStringList();
}

void frmDocument::AddRecent(const QString& in_sPath) {
  const QString path = QFileInfo(in_sPath).absoluteFilePath();
  QStringList recent = RecentProjects();
  recent.removeAll(path);
  recent.prepend(path);
  while (recent.size() > kRecentProjects) recent.removeLast();
  QSettings().setValue(kRecentKey, recent);
  RebuildRecentMenu();
}

void frmDocument::RebuildRecentMenu() {
  recentMenu->clear();
  const QStringList recent = RecentProjects();
  for (qsizetype i = 0; i < recent.size(); ++i) {
    const QString path = recent.at(i);
    QAction* action = recentMenu->addAction(
        QStringLiteral("&%1 %2").arg((i + 1) % 10).arg(QFileInfo(path).fileName()));
    action->setToolTip(path);
    action->setData(path);
    connect(action, &QAction::triggered, this, [this, path] { DocumentProjects({path}); });
  }
  recentButton->setEnabled(!recent.isEmpty());
  lastReportButton->setEnabled(!m_sLastReport.isEmpty());
  lastReportButton->setToolTip(m_sLastReport);
}

void frmDocument::dragEnterEvent(QDragEnterEvent* in_oEvent) {
  for (const QUrl& url : in_oEvent->mimeData()->urls()) {
    if (url.isLocalFile() && IsProjectPath(url.toLocalFile())) {
      in_oEvent->acceptProposedAction();
      return;
    }
  }
}

void frmDocument::dropEvent(QDropEvent* in_oEvent) {
  QStringList paths;
  for (const QUrl& url : in_oEvent->mimeData()->urls())
    if (url.isLocalFile() && IsProjectPath(url.toLocalFile())) paths.append(url.toLocalFile());
  if (paths.isEmpty()) return;
  in_oEvent->acceptProposedAction();
  DocumentProjects(paths);
}

void frmDocument::StopAndWait() {
  if (m_oRunThread == nullptr) return;
  if (m_oRunBatch) m_oRunBatch->RequestStop();
  // A stopped run ends at its next yield point, a few hundred tokens later.
  m_oRunThread->wait();
  delete m_oRunThread;
  m_oRunThread = nullptr;
  m_oRunInfo.reset();
  m_oRunBatch.reset();
  m_oBatchResult.reset();
  m_oNext.reset();
  // The events the run queued before it ended belong to a run the window has given up on.
  m_iRun = 0;
  m_bRunning = false;
  m_bClosePending = false;
  m_oQueue.clear();
  StopProgress();
  obfuseButton->setEnabled(true);
  folderButton->setEnabled(true);
  cancelButton->setEnabled(false);
}

void frmDocument::RunThreadFinished(uint32_t in_iRun) {
  if (in_iRun != m_iRun || m_oRunThread == nullptr) return;
  // finished comes from the thread's last moments; wait until it has really returned.
  m_oRunThread->wait();
  // Deleted now, not later: it holds the driver until it goes.
  delete m_oRunThread;
  m_oRunThread = nullptr;
  m_iRun = 0;
  m_oRunInfo.reset();
  m_oRunBatch.reset();
  const std::shared_ptr<BatchResult> result = std::move(m_oBatchResult);
  if (m_bClosePending) {
    // Ok was pressed during the run: no notice, the program is ending.
    m_bRunning = false;
    m_bClosePending = false;
    m_oQueue.clear();
    m_oNext.reset();
    obfuseButton->setEnabled(true);
    folderButton->setEnabled(true);
    cancelButton->setEnabled(false);
    close();
    return;
  }
  if (result && !result->estate.empty()) m_oEstates.append(FromBytes(result->estate));
  if (result && !result->estateFailure.empty() && !m_oBatch.empty())
    m_oBatch.back().warnings.append(QStringLiteral("estate: ") +
                                    QString::fromStdString(result->estateFailure));
  // The projects asked for during the call make the next one, unless the user cancelled.
  if (!m_bCancelled && !m_oQueue.isEmpty() && StartNext()) return;
  m_oQueue.clear();
  m_oNext.reset();
  const std::vector<RunOutcome> batch = std::move(m_oBatch);
  m_oBatch.clear();
  const QPointer<frmDocument> self(this);
  if (!batch.empty()) ShowCompletionNotice(batch);
  if (!self) return;
  m_bRunning = false;
  obfuseButton->setEnabled(true);
  folderButton->setEnabled(true);
  cancelButton->setEnabled(false);
  emit RunEnded();
  // Projects asked for while the notice was shown start their own batch.
  if (!m_oQueue.isEmpty()) DocumentProjects({});
}

void frmDocument::ShowCompletionNotice(const std::vector<RunOutcome>& in_oBatch) {
  try {
    QPointer<frmNotify> notice = new frmNotify(this);
    // The first lines keep the notice's own words: "Generated X.html" or why there is none;
    // a batch names each of its reports.
    const RunOutcome& last = in_oBatch.back();
    notice->SetListing(last.listing);
    notice->SetHtmlFile(last.htmlFile);
    if (!last.failure.isEmpty()) notice->SetFailureReason(last.failure);
    if (in_oBatch.size() > 1) {
      QStringList lines;
      for (const RunOutcome& o : in_oBatch) {
        lines.append(o.failure.isEmpty() ? QStringLiteral("Generated ") + o.htmlFile
                                         : QStringLiteral("No report generated: ") + o.failure);
      }
      notice->SetCaption(lines.join(QLatin1Char('\n')));
    }
    QStringList warnings;
    for (const RunOutcome& o : in_oBatch) {
      if (o.failure.isEmpty()) notice->AddOutput(QStringLiteral("Report"), o.listing);
      if (!o.json.isEmpty()) notice->AddOutput(QStringLiteral("JSON export"), o.json);
      if (!o.site.isEmpty()) {
        notice->AddOutput(QStringLiteral("Site"), o.site);
        notice->SetSite(o.site);
      }
      warnings += o.warnings;
    }
    for (const QString& estate : std::exchange(m_oEstates, {}))
      notice->AddOutput(QStringLiteral("Estate"), estate);
    notice->SetWarnings(warnings);
    notice->exec();
    // The notice goes with this window if the window is destroyed while it is shown.
    delete notice.data();
  } catch (...) {
    // No notice could be shown; the window becomes idle all the same.
    return;
  }
}

void frmDocument::PicLogo_Click() {
  OpenDocument(HomePageHost());
}

void frmDocument::closeEvent(QCloseEvent* in_oEvent) {
  // Out of sight first: ending a run and freeing a large project's collections take a moment.
  hide();
  StopAndWait();
  Form_Unload();
  in_oEvent->accept();
}

bool frmDocument::eventFilter(QObject* in_oWatched, QEvent* in_oEvent) {
  if (in_oWatched == PicLogo && in_oEvent->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(in_oEvent);
    if (mouse->button() == Qt::LeftButton &&
        PicLogo->rect().contains(mouse->position().toPoint())) {
      PicLogo_Click();
      return true;
    }
  }
  return QWidget::eventFilter(in_oWatched, in_oEvent);
}

void frmDocument::StartProgress() {
  m_iProgress = 0;
  pgSec->setValue(0);
  lblTime->clear();
  ProgressTimer->start();
}

void frmDocument::StopProgress() {
  ProgressTimer->stop();
}

void frmDocument::ProgressTimer_Timer() {
  m_iProgress += 1;
  if (m_iProgress > kProgressMax) m_iProgress = 0;
  if (m_iProgress == kProgressMax) m_iProgress = 0;
  pgSec->setValue(m_iProgress);
}

void frmDocument::m_oVBInfo_EvtBegin(uint32_t in_iRun) {
  if (in_iRun != m_iRun) return;
  StartProgress();
  m_vStartTime = Now();
  lblStartTime->setText(StartedCaption(WallNow()));
}

void frmDocument::m_oVBInfo_EvtProgress(uint32_t in_iRun, const RunProgress& in_oProgress) {
  if (in_iRun != m_iRun) return;
  if (in_oProgress.phase == RunProgress::Phase::kReading) m_nFilesListed = in_oProgress.total;
  if (m_bCancelled) return;  // the line says the run is being cancelled
  lblStatus->setText(ProgressText(in_oProgress));
}

void frmDocument::m_oVBInfo_EvtEnd(uint32_t in_iRun) {
  if (in_iRun != m_iRun) return;
  StopProgress();
  m_vEndTime = Now();
  lblTime->setText(CompletedCaption(m_vEndTime - m_vStartTime));
}

}  // namespace qs

#include "ui/frmDocument.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>
#include <cmath>
#include <utility>

#include "driver/ProgramInfo.h"
#include "driver/clsVBInfo.h"
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

}  // namespace

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
  OkButton = new QPushButton(QStringLiteral("Ok"), fra);
  OkButton->setObjectName(QStringLiteral("OkButton"));

  ProgressTimer = new QTimer(this);
  ProgressTimer->setObjectName(QStringLiteral("ProgressTimer"));
  ProgressTimer->setInterval(kProgressIntervalMs);

  // Logo on the left; start time, elapsed time and progress bar beside it; the company name and
  // the two buttons along the bottom.
  auto* grid = new QGridLayout(fra);
  grid->addWidget(PicLogo, 0, 0, 3, 1, Qt::AlignTop);
  grid->addWidget(lblStartTime, 0, 1);
  grid->addWidget(lblTime, 1, 1);
  grid->addWidget(pgSec, 2, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(lblCompany);
  bottom->addStretch(1);
  bottom->addWidget(obfuseButton);
  bottom->addWidget(OkButton);
  grid->addLayout(bottom, 3, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setColumnMinimumWidth(1, 300);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(fra);

  connect(obfuseButton, &QPushButton::clicked, this, &frmDocument::obfuseButton_Click);
  connect(OkButton, &QPushButton::clicked, this, &frmDocument::OkButton_Click);
  connect(ProgressTimer, &QTimer::timeout, this, &frmDocument::ProgressTimer_Timer);

  Form_Load();
}

frmDocument::~frmDocument() {
  // A run still going on is stopped first: its thread calls into this window.
  StopAndWait();
  if (m_oVBInfo) {
    m_oVBInfo->EvtBegin = nullptr;
    m_oVBInfo->EvtEnd = nullptr;
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
    const QString path =
        dialog.ShowOpen(this, QStringLiteral("Open Visual Basic Project File"),
                        QCoreApplication::applicationDirPath() + QLatin1Char('/'),
                        QStringLiteral("Visual Basic Project (*.vbp)|*.vbp"), flags);
    if (path.isEmpty()) {
      m_sSelectedFile.clear();
      return;
    }
    m_sSelectedFile = path;
    if (!m_oVBInfo) NewVBInfo();
    // The run goes on a thread of its own, so the window keeps answering; the thread holds the
    // driver, which the window keeps too until the thread has ended.
    std::shared_ptr<clsVBInfo> info = m_oVBInfo;
    const std::string file = QFile::encodeName(path).toStdString();
    QThread* thread = QThread::create([info, file] { info->GetFileInfo(file); });
    thread->setObjectName(QStringLiteral("DocumentationRun"));
    const uint32_t run = ++m_iRunsStarted;
    connect(thread, &QThread::finished, this, [this, run] { RunThreadFinished(run); });
    m_oRunInfo = std::move(info);
    m_oRunThread = thread;
    m_iRun = run;
    m_bRunning = true;
    m_bClosePending = false;
    obfuseButton->setEnabled(false);
    thread->start();
  } catch (...) {
    // The dialog or the thread could not be had: the window stays as it was, ready for another
    // try.
    return;
  }
}

void frmDocument::OkButton_Click() {
  if (m_oRunThread != nullptr) {
    // The run is told to stop; the window closes when its thread has ended.
    m_bClosePending = true;
    if (m_oRunInfo) m_oRunInfo->RequestStop();
    return;
  }
  close();
}

void frmDocument::StopAndWait() {
  if (m_oRunThread == nullptr) return;
  if (m_oRunInfo) m_oRunInfo->RequestStop();
  // A stopped run ends at its next yield point, a few hundred tokens later.
  m_oRunThread->wait();
  delete m_oRunThread;
  m_oRunThread = nullptr;
  m_oRunInfo.reset();
  // The events the run queued before it ended belong to a run the window has given up on.
  m_iRun = 0;
  m_bRunning = false;
  m_bClosePending = false;
  StopProgress();
  obfuseButton->setEnabled(true);
}

void frmDocument::RunThreadFinished(uint32_t in_iRun) {
  if (in_iRun != m_iRun || m_oRunThread == nullptr) return;
  // finished comes from the thread's last moments; wait until it has really returned.
  m_oRunThread->wait();
  // Deleted now, not later: it holds the driver until it goes.
  delete m_oRunThread;
  m_oRunThread = nullptr;
  m_iRun = 0;
  const std::shared_ptr<clsVBInfo> info = std::move(m_oRunInfo);
  if (m_bClosePending) {
    // Ok was pressed during the run: no notice, the program is ending.
    m_bRunning = false;
    m_bClosePending = false;
    obfuseButton->setEnabled(true);
    close();
    return;
  }
  const QPointer<frmDocument> self(this);
  if (info) ShowCompletionNotice(*info);
  if (!self) return;
  m_bRunning = false;
  obfuseButton->setEnabled(true);
  emit RunEnded();
}

void frmDocument::ShowCompletionNotice(const clsVBInfo& in_oInfo) {
  try {
    QPointer<frmNotify> notice = new frmNotify(this);
    notice->SetListing(FromBytes(in_oInfo.HtmlListing()));
    notice->SetHtmlFile(FromBytes(in_oInfo.HtmlFile()));
    if (!in_oInfo.ReportWritten()) notice->SetFailureReason(FromBytes(in_oInfo.FailureReason()));
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

void frmDocument::m_oVBInfo_EvtEnd(uint32_t in_iRun) {
  if (in_iRun != m_iRun) return;
  StopProgress();
  m_vEndTime = Now();
  lblTime->setText(CompletedCaption(m_vEndTime - m_vStartTime));
}

}  // namespace qs

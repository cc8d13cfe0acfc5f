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
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>
#include <cmath>
#include <utility>

#include "driver/ProgramInfo.h"
#include "driver/clsVBInfo.h"
#include "ui/EventLoopYield.h"
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
  // The driver's handlers hold only a guarded pointer to this window, so a run still on the
  // stack finds them harmless; the yield hook goes back to what it was.
  RemoveYieldHook(std::move(m_oPreviousYieldHook));
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
    // Long loops of the core hand the event loop a turn through this hook, so the window
    // repaints, the timer ticks and the buttons answer while a run is on the stack.
    m_oPreviousYieldHook = InstallYieldHook();
  } catch (...) {
    // The window opens with what was set up; a run without a driver makes one.
  }
}

void frmDocument::Form_Unload() {
  StopProgress();
  m_oVBInfo.reset();
}

void frmDocument::NewVBInfo() {
  m_oVBInfo = std::make_shared<clsVBInfo>();
  const QPointer<frmDocument> self(this);
  m_oVBInfo->EvtBegin = [self] {
    if (self) self->m_oVBInfo_EvtBegin();
  };
  m_oVBInfo->EvtEnd = [self] {
    if (self) self->m_oVBInfo_EvtEnd();
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
  // The button is disabled during a run; this also turns away a click that slips in through a
  // yield before the button is disabled.
  if (m_bRunning) return;
  // Window events run inside the yields and the run; they may destroy this window.
  const QPointer<frmDocument> self(this);
  try {
    clsDialog dialog;
    int32_t flags = kOfnHideReadOnly | kOfnPathMustExist | kOfnFileMustExist | kOfnShareAware;
    const QString path =
        dialog.ShowOpen(this, QStringLiteral("Open Visual Basic Project File"),
                        QCoreApplication::applicationDirPath() + QLatin1Char('/'),
                        QStringLiteral("Visual Basic Project (*.vbp)|*.vbp"), flags);
    if (!self) return;
    if (path.isEmpty()) {
      m_sSelectedFile.clear();
      return;
    }
    m_sSelectedFile = path;
    m_bRunning = true;
    YieldToEventLoop();
    if (!self) return;
    obfuseButton->setEnabled(false);
    if (!m_oVBInfo) NewVBInfo();
    // The run keeps its driver alive even if the window lets go of it meanwhile.
    const std::shared_ptr<clsVBInfo> info = m_oVBInfo;
    if (!m_bUnloadPending) info->GetFileInfo(QFile::encodeName(path).toStdString());
  } catch (...) {
    // The run ends quietly; the button is enabled again below.
  }
  if (!self) return;
  m_bRunning = false;
  obfuseButton->setEnabled(true);
  if (m_bUnloadPending) {
    // The window was closed during the run; it unloads now that the run is off the stack.
    m_bUnloadPending = false;
    Form_Unload();
  }
}

void frmDocument::OkButton_Click() {
  close();
}

void frmDocument::PicLogo_Click() {
  OpenDocument(HomePageHost());
}

void frmDocument::closeEvent(QCloseEvent* in_oEvent) {
  if (m_bRunning) {
    // A run is on the stack and uses the driver: hide now, unload when it returns.
    m_bUnloadPending = true;
    StopProgress();
  } else {
    // Freeing a large project's collections takes a moment: out of sight first.
    hide();
    Form_Unload();
  }
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
  const QPointer<frmDocument> self(this);
  try {
    YieldToEventLoop();
    if (!self) return;
    m_iProgress += 1;
    if (m_iProgress > kProgressMax) m_iProgress = 0;
    if (m_iProgress == kProgressMax) m_iProgress = 0;
    pgSec->setValue(m_iProgress);
  } catch (...) {
    // The progress bar misses this step; the timer ticks on.
  }
}

void frmDocument::m_oVBInfo_EvtBegin() {
  try {
    StartProgress();
    m_vStartTime = Now();
    lblStartTime->setText(StartedCaption(WallNow()));
  } catch (...) {
    // The run goes on without the progress bar and start time.
  }
}

void frmDocument::m_oVBInfo_EvtEnd() {
  const QPointer<frmDocument> self(this);
  try {
    StopProgress();
    m_vEndTime = Now();
    lblTime->setText(CompletedCaption(m_vEndTime - m_vStartTime));
    const std::shared_ptr<clsVBInfo> info = m_oVBInfo;
    // A window closed during the run shows no notice: the program is ending.
    if (info && !m_bUnloadPending) {
      QPointer<frmNotify> notice = new frmNotify(this);
      notice->SetListing(FromBytes(info->HtmlListing()));
      notice->SetHtmlFile(FromBytes(info->HtmlFile()));
      if (!info->ReportWritten()) notice->SetFailureReason(FromBytes(info->FailureReason()));
      notice->exec();
      // The notice goes with this window if the window is destroyed while it is shown.
      delete notice.data();
    }
  } catch (...) {
    // No notice is shown for this run; the button is enabled again below.
  }
  if (self) obfuseButton->setEnabled(true);
}

}  // namespace qs

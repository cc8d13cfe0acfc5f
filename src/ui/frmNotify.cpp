#include "ui/frmNotify.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Logo.h"
#include "ui/OpenDocument.h"

namespace qs {

void CopyToClipboard(const QString& in_sText) {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(in_sText);
}

frmNotify::frmNotify(QWidget* in_oOwner) : QDialog(in_oOwner) {
  setObjectName(QStringLiteral("frmNotify"));
  setWindowTitle(QStringLiteral("Quillscope"));
  setWindowIcon(LogoIcon());
  setModal(true);

  lblListing = new QLabel(this);
  lblListing->setObjectName(QStringLiteral("lblListing"));
  QFont font(QStringLiteral("Verdana"));
  font.setPointSize(10);
  lblListing->setFont(font);
  lblListing->setMinimumWidth(280);
  lblListing->setWordWrap(true);
  lblListing->setTextFormat(Qt::PlainText);

  docButton = new QPushButton(QStringLiteral("View"), this);
  docButton->setObjectName(QStringLiteral("docButton"));
  docButton->setAutoDefault(false);
  OkButton = new QPushButton(QStringLiteral("Ok"), this);
  OkButton->setObjectName(QStringLiteral("OkButton"));
  OkButton->setDefault(true);

  // Below the notice proper: the paths of what was written, the warnings, and what the desktop
  // could not open.
  m_oOutputs = new QGridLayout;
  siteButton = new QPushButton(QStringLiteral("Open &site"), this);
  siteButton->setObjectName(QStringLiteral("siteButton"));
  siteButton->setAutoDefault(false);
  siteButton->hide();
  lblWarnings = new QLabel(this);
  lblWarnings->setObjectName(QStringLiteral("lblWarnings"));
  lblWarnings->hide();
  txtWarnings = new QPlainTextEdit(this);
  txtWarnings->setObjectName(QStringLiteral("txtWarnings"));
  txtWarnings->setReadOnly(true);
  txtWarnings->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtWarnings->setMinimumSize(520, 90);
  txtWarnings->setMaximumHeight(160);
  txtWarnings->hide();
  copyWarningsButton = new QPushButton(QStringLiteral("Copy &warnings"), this);
  copyWarningsButton->setObjectName(QStringLiteral("copyWarningsButton"));
  copyWarningsButton->setAutoDefault(false);
  copyWarningsButton->hide();
  lblOpenFailure = new QLabel(this);
  lblOpenFailure->setObjectName(QStringLiteral("lblOpenFailure"));
  lblOpenFailure->setWordWrap(true);
  lblOpenFailure->setTextFormat(Qt::PlainText);
  lblOpenFailure->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblOpenFailure->hide();

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(docButton);
  buttons->addWidget(OkButton);
  auto* warningsRow = new QHBoxLayout;
  warningsRow->addWidget(lblWarnings);
  warningsRow->addStretch(1);
  warningsRow->addWidget(copyWarningsButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblListing);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  layout->addLayout(m_oOutputs);
  layout->addWidget(siteButton, 0, Qt::AlignLeft);
  layout->addWidget(lblOpenFailure);
  layout->addLayout(warningsRow);
  layout->addWidget(txtWarnings);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(docButton, &QPushButton::clicked, this, &frmNotify::docButton_Click);
  connect(OkButton, &QPushButton::clicked, this, &frmNotify::OkButton_Click);
  connect(siteButton, &QPushButton::clicked, this,
          [this] { Open(m_sSite, QStringLiteral("the site"), m_sSite); });
  connect(copyWarningsButton, &QPushButton::clicked, this,
          [this] { CopyToClipboard(txtWarnings->toPlainText()); });
}

void frmNotify::SetListing(const QString& in_sListing) {
  m_sListing = in_sListing;
}

void frmNotify::SetHtmlFile(const QString& in_sHtmlFile) {
  m_sHtmlFile = in_sHtmlFile;
  if (!m_bFailed) lblListing->setText(QStringLiteral("Generated ") + in_sHtmlFile);
}

void frmNotify::SetFailureReason(const QString& in_sReason) {
  m_bFailed = true;
  lblListing->setText(QStringLiteral("No report generated: ") + in_sReason);
  docButton->setEnabled(false);
}

void frmNotify::SetCaption(const QString& in_sText) {
  lblListing->setText(in_sText);
}

void frmNotify::AddOutput(const QString& in_sWhat, const QString& in_sPath) {
  const int row = m_iOutputs++;
  const QString n = QString::number(row);
  auto* what = new QLabel(in_sWhat + QLatin1Char(':'), this);
  auto* path = new QLineEdit(in_sPath, this);
  path->setObjectName(QStringLiteral("txtPath") + n);
  path->setReadOnly(true);
  path->setMinimumWidth(360);
  path->setCursorPosition(0);
  auto* folder = new QPushButton(QStringLiteral("Open folder"), this);
  folder->setObjectName(QStringLiteral("folderButton") + n);
  folder->setAutoDefault(false);
  auto* copy = new QPushButton(QStringLiteral("Copy path"), this);
  copy->setObjectName(QStringLiteral("copyButton") + n);
  copy->setAutoDefault(false);
  m_oOutputs->addWidget(what, row, 0);
  m_oOutputs->addWidget(path, row, 1);
  m_oOutputs->addWidget(folder, row, 2);
  m_oOutputs->addWidget(copy, row, 3);
  const QFileInfo info(in_sPath);
  const QString folderPath = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
  connect(folder, &QPushButton::clicked, this,
          [this, folderPath] { Open(folderPath, QStringLiteral("the folder"), folderPath); });
  connect(copy, &QPushButton::clicked, this, [in_sPath] { CopyToClipboard(in_sPath); });
}

void frmNotify::SetSite(const QString& in_sIndex) {
  m_sSite = in_sIndex;
  siteButton->setVisible(!in_sIndex.isEmpty());
}

void frmNotify::SetWarnings(const QStringList& in_oWarnings) {
  const bool any = !in_oWarnings.isEmpty();
  lblWarnings->setText(any ? QStringLiteral("Warnings (%1):").arg(in_oWarnings.size()) : QString());
  txtWarnings->setPlainText(in_oWarnings.join(QLatin1Char('\n')));
  lblWarnings->setVisible(any);
  txtWarnings->setVisible(any);
  copyWarningsButton->setVisible(any);
}

QString frmNotify::OpenFailure() const {
  return lblOpenFailure->text();
}

bool frmNotify::Open(const QString& in_sTarget, const QString& in_sWhat, const QString& in_sPath) {
  if (OpenDocument(in_sTarget)) return true;
  lblOpenFailure->setText(QStringLiteral("No program could be started to open %1. It is at: %2")
                              .arg(in_sWhat, in_sPath));
  lblOpenFailure->show();
  return false;
}

void frmNotify::docButton_Click() {
  // After a failed run there is no report of this run to open.
  if (m_bFailed) return;
  // The event-loop turns below (the notice repaints before the desktop takes over) run window
  // events, which may close or destroy this window.
  const QPointer<frmNotify> self(this);
  const QString listing = m_sListing;
  if (listing.isEmpty()) {
    accept();
    return;
  }
  QCoreApplication::processEvents();
  if (!self) return;
  const bool opened = Open(listing, QStringLiteral("the report"), listing);
  QCoreApplication::processEvents();
  // Without a browser the notice stays, saying where the report is.
  if (self && opened) accept();
}

void frmNotify::OkButton_Click() {
  accept();
}

}  // namespace qs

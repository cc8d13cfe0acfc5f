#include "ui/frmNotify.h"

#include <QCoreApplication>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Logo.h"
#include "ui/OpenDocument.h"

namespace qs {

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

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(docButton);
  buttons->addWidget(OkButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblListing);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(docButton, &QPushButton::clicked, this, &frmNotify::docButton_Click);
  connect(OkButton, &QPushButton::clicked, this, &frmNotify::OkButton_Click);
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

void frmNotify::docButton_Click() {
  // After a failed run there is no report of this run to open.
  if (m_bFailed) return;
  // The event-loop turns below (the notice repaints before the desktop takes over) run window
  // events, which may close or destroy this window.
  const QPointer<frmNotify> self(this);
  const QString listing = m_sListing;
  try {
    if (!listing.isEmpty()) {
      QCoreApplication::processEvents();
      OpenDocument(listing);
    }
    QCoreApplication::processEvents();
  } catch (...) {
    // The window closes even when the desktop could not open the report.
    if (self) accept();
    return;
  }
  if (self) accept();
}

void frmNotify::OkButton_Click() {
  accept();
}

}  // namespace qs

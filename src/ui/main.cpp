// quillscope: the desktop window. It takes no command-line arguments.
#include <QApplication>

#include "driver/ProgramInfo.h"
#include "ui/Logo.h"
#include "ui/frmDocument.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillscope"));
  QApplication::setApplicationVersion(QString::fromStdString(qs::ProgramVersion()));
  QApplication::setOrganizationName(QString::fromStdString(qs::ProgramCompany()));
  QApplication::setDesktopFileName(QStringLiteral("quillscope"));
  QApplication::setWindowIcon(qs::LogoIcon());
  // The window stays alive until the event loop has ended: closing it during a run only hides
  // it, and the run finishes before the loop returns.
  qs::frmDocument window;
  window.show();
  return app.exec();
}

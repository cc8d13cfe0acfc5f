// quillscope: the desktop window. `quillscope [PROJECT.vbp...]` documents the projects given;
// when a window is already open, they are handed to it and wait their turn there.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include "io/ProgramInfo.h"
#include "ui/InstanceChannel.h"
#include "ui/Logo.h"
#include "ui/frmDocument.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillscope"));
  QApplication::setApplicationVersion(QString::fromStdString(qs::ProgramVersion()));
  QApplication::setOrganizationName(QString::fromStdString(qs::ProgramCompany()));
  QApplication::setDesktopFileName(QStringLiteral("quillscope"));
  QApplication::setWindowIcon(qs::LogoIcon());

  // The paths as the desktop or the shell gives them, made absolute: the window that takes them
  // may have been started in another folder.
  QStringList paths;
  const QStringList args = QApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i)
    paths.append(QFileInfo(QDir::current(), args.at(i)).absoluteFilePath());
  const QString channelName = qs::InstanceChannelName();
  if (!paths.isEmpty() && qs::InstanceChannel::SendToRunning(channelName, paths)) return 0;

  // The window stays alive until the event loop has ended: closing it during a run only hides
  // it, and the run finishes before the loop returns.
  qs::frmDocument window;
  qs::InstanceChannel channel;
  QObject::connect(&channel, &qs::InstanceChannel::PathsReceived, &window,
                   [&window](const QStringList& received) {
                     window.DocumentProjects(received);
                     window.raise();
                     window.activateWindow();
                   });
  // Without the channel this window still works; later starts then open windows of their own.
  channel.Listen(channelName);
  window.show();
  if (!paths.isEmpty())
    QTimer::singleShot(0, &window, [&window, paths] { window.DocumentProjects(paths); });
  return app.exec();
}

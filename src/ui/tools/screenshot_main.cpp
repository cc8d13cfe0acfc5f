// Saves pictures of the real windows during and after a documentation run, on any Qt platform
// (tools/screenshots.sh uses the offscreen one). The file chooser answers with the given project
// and nothing is handed to the desktop.
//
//   quillscope-screenshots OUTPUT_FOLDER PROJECT.vbp
//
// Writes main-running.png (a run in progress with its status line), main-finished.png,
// notice.png (the notice with the run's warnings and the report's path), main-after.png and
// recent-menu.png. The project is documented from a copy in OUTPUT_FOLDER/project that also lists
// a missing form, so that the notice has a warning to show; the report goes to
// OUTPUT_FOLDER/report. The window's remembered settings are kept in OUTPUT_FOLDER/settings.
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "run/clsVBInfo.h"
#include "ui/OpenDocument.h"
#include "ui/clsDialog.h"
#include "ui/frmDocument.h"
#include "ui/frmNotify.h"

namespace {

/// The widget's picture under a plain title bar with its icon and caption: the offscreen platform
/// draws no window frames, and the caption is part of what the picture should show.
QImage WithTitleBar(QWidget* widget) {
  const QPixmap body = widget->grab();
  const int bar = 30;
  QImage image(body.width(), body.height() + bar, QImage::Format_ARGB32_Premultiplied);
  image.fill(QColor(0x3c, 0x3f, 0x44));
  QPainter painter(&image);
  painter.drawPixmap(8, (bar - 18) / 2, widget->windowIcon().pixmap(18, 18));
  painter.setPen(Qt::white);
  QFont font = widget->font();
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(QRect(34, 0, body.width() - 40, bar), Qt::AlignVCenter | Qt::AlignLeft,
                   widget->windowTitle());
  painter.drawPixmap(0, bar, body);
  painter.end();
  return image;
}

bool Save(QWidget* widget, const QDir& folder, const QString& name) {
  const QString path = folder.filePath(name);
  const bool ok = widget != nullptr && WithTitleBar(widget).save(path, "PNG");
  std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "could not write",
               qPrintable(QDir::toNativeSeparators(path)));
  return ok;
}

/// Runs the event loop for a while, so the progress timer ticks and the window repaints.
void Spin(int milliseconds) {
  QElapsedTimer since;
  since.start();
  while (since.elapsed() < milliseconds) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: quillscope-screenshots OUTPUT_FOLDER PROJECT.vbp\n");
    return 2;
  }
  const QDir out(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath());
  const QString project = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
  if (!QDir().mkpath(out.path()) || !QFileInfo(project).isFile()) {
    std::fprintf(stderr, "quillscope-screenshots: missing project or output folder\n");
    return 2;
  }

  // The window's settings go to the output folder, not to the user's.
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, out.filePath("settings"));
  QSettings().clear();

  // A copy of the project that also lists a form that is not there.
  const QDir source = QFileInfo(project).absoluteDir();
  const QDir copy(out.filePath("project"));
  QDir().mkpath(copy.path());
  QDirIterator files(source.path(), QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString from = files.next();
    const QString rel = source.relativeFilePath(from);
    if (rel.contains(QLatin1String("_document/"))) continue;  // an earlier report
    QDir().mkpath(QFileInfo(copy.filePath(rel)).absolutePath());
    QFile::remove(copy.filePath(rel));
    QFile::copy(from, copy.filePath(rel));
  }
  const QString copied = copy.filePath(QFileInfo(project).fileName());
  QFile vbp(copied);
  if (!vbp.open(QIODevice::Append)) {
    std::fprintf(stderr, "quillscope-screenshots: cannot write %s\n", qPrintable(copied));
    return 2;
  }
  vbp.write("Form=Forms\\frmMissing.frm\r\n");
  vbp.close();

  qs::clsDialog::SetFileChooser([copied](qs::FileChooserRequest&) { return copied; });
  qs::SetDocumentOpener([](const QUrl& url) {
    std::printf("would open %s\n", qPrintable(url.toString()));
    return true;
  });

  qs::frmDocument window;
  window.SetOutputFolder(out.filePath("report"));
  window.SetWritesJson(true);
  window.show();
  Spin(200);
  int saved = 0;

  // During the run: the run waits at its first file read (on its own thread) while the window,
  // on this one, shows the status line, lets the bar move a few steps and is pictured.
  std::atomic<bool> held{false};
  std::atomic<bool> release{false};
  auto progress = window.VBInfo()->EvtProgress;
  window.VBInfo()->EvtProgress = [&](const qs::RunProgress& p) {
    progress(p);
    if (held) return;
    held = true;
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  };
  // The notice is modal: picture it (and the window behind it) once it is up, then press Ok.
  QTimer watch;
  watch.setInterval(20);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* notice = qobject_cast<qs::frmNotify*>(QApplication::activeModalWidget());
    if (notice == nullptr || !notice->isVisible()) return;
    watch.stop();
    Spin(100);
    saved += Save(&window, out, QStringLiteral("main-finished.png"));
    saved += Save(notice, out, QStringLiteral("notice.png"));
    notice->findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
  });
  watch.start();

  bool ended = false;
  QObject::connect(&window, &qs::frmDocument::RunEnded, [&] { ended = true; });
  window.obfuseButton_Click();
  while (!held) Spin(10);
  Spin(1600);
  saved += Save(&window, out, QStringLiteral("main-running.png"));
  release = true;
  while (!ended) Spin(20);
  Spin(200);
  saved += Save(&window, out, QStringLiteral("main-after.png"));

  // The Recent menu, opened under its button, pictured with the window behind it.
  auto* recent = window.findChild<QToolButton*>(QStringLiteral("recentButton"));
  auto* menu = window.findChild<QMenu*>(QStringLiteral("recentMenu"));
  if (recent != nullptr && menu != nullptr) {
    menu->popup(recent->mapToGlobal(QPoint(0, recent->height())));
    Spin(200);
    const QString path = out.filePath(QStringLiteral("recent-menu.png"));
    const QImage framed = WithTitleBar(&window);
    const QPixmap popup = menu->grab();
    const QPoint at = recent->mapTo(&window, QPoint(0, recent->height())) + QPoint(0, 30);
    QImage image(framed.width(), std::max(framed.height(), at.y() + popup.height() + 8),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(window.palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.drawImage(0, 0, framed);
    painter.drawPixmap(at, popup);
    painter.end();
    const bool ok = image.save(path, "PNG");
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "could not write",
                 qPrintable(QDir::toNativeSeparators(path)));
    saved += ok;
    menu->hide();
  }
  return saved == 5 ? 0 : 1;
}

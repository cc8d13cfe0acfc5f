// Saves pictures of the real windows during and after a documentation run, on any Qt platform
// (tools/screenshots.sh uses the offscreen one). The file chooser answers with the given project
// and nothing is handed to the desktop.
//
//   quillscope-screenshots OUTPUT_FOLDER PROJECT.vbp
//
// Writes main-running.png, main-finished.png, notice.png and main-after.png; the report goes to
// OUTPUT_FOLDER/report.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "driver/clsVBInfo.h"
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

  qs::clsDialog::SetFileChooser([project](qs::FileChooserRequest&) { return project; });
  qs::SetDocumentOpener(
      [](const QUrl& url) { std::printf("would open %s\n", qPrintable(url.toString())); });

  qs::frmDocument window;
  window.show();
  Spin(200);
  window.VBInfo()->Settings().outDir = QFile::encodeName(out.filePath("report")).toStdString();
  int saved = 0;

  // During the run: the run waits at its start (on its own thread) while the window, on this
  // one, lets the bar move a few steps and is pictured.
  std::atomic<bool> held{false};
  std::atomic<bool> release{false};
  auto begin = window.VBInfo()->EvtBegin;
  window.VBInfo()->EvtBegin = [&] {
    begin();
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
  return saved == 4 ? 0 : 1;
}

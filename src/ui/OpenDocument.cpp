#include "ui/OpenDocument.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <utility>

namespace qs {
namespace {

DocumentOpener& Opener() {
  static DocumentOpener opener;
  return opener;
}

bool HasScheme(const QString& target) {
  // "http://host", "file:///path", "mailto:x": a scheme of two letters or more, so that a
  // drive-letter path such as "C:\x" is not mistaken for one.
  const qsizetype colon = target.indexOf(QLatin1Char(':'));
  if (colon < 2) return false;
  for (qsizetype i = 0; i < colon; ++i) {
    const QChar c = target.at(i);
    const bool ok = c.isLetterOrNumber() || c == QLatin1Char('+') || c == QLatin1Char('-') ||
                    c == QLatin1Char('.');
    if (!ok || c.unicode() > 127) return false;
  }
  return target.at(0).isLetter();
}

}  // namespace

DocumentOpener SetDocumentOpener(DocumentOpener in_oOpener) {
  std::swap(Opener(), in_oOpener);
  return in_oOpener;
}

QUrl DocumentUrl(const QString& in_sTarget) {
  const QString target = in_sTarget.trimmed();
  if (target.isEmpty()) return {};
  if (HasScheme(target) && target.contains(QLatin1String("://"))) return QUrl(target);
  // An absolute path is a file even when it is missing (the desktop then says so); a relative
  // text is a file only when one of that name exists, otherwise a host name.
  if (QDir::isAbsolutePath(target) || QFileInfo::exists(target)) {
    return QUrl::fromLocalFile(QDir::cleanPath(QFileInfo(target).absoluteFilePath()));
  }
  return QUrl(QStringLiteral("http://") + target);
}

bool OpenDocument(const QString& in_sTarget) {
  try {
    const QUrl url = DocumentUrl(in_sTarget);
    if (!url.isValid() || url.isEmpty()) return false;
    return Opener() ? Opener()(url) : QDesktopServices::openUrl(url);
  } catch (...) {
    // The caller hears that nothing was opened.
    return false;
  }
}

}  // namespace qs

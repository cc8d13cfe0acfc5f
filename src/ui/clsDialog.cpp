#include "ui/clsDialog.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <utility>

namespace qs {
namespace {

FileChooser& Chooser() {
  static FileChooser chooser;
  return chooser;
}

/// Qt's own file dialog. The dialog is created on the heap and watched: its owner may be
/// destroyed while the dialog's event loop runs, and then takes the dialog with it.
QString QtFileChooser(FileChooserRequest& r) {
  QPointer<QFileDialog> dlg = new QFileDialog(r.owner, r.title);
  const bool save = r.kind == FileChooserRequest::Kind::Save;
  const bool many = !save && (r.flags & kOfnAllowMultiSelect);
  dlg->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (r.kind == FileChooserRequest::Kind::Folder) {
    dlg->setFileMode(QFileDialog::Directory);
  } else if (many) {
    dlg->setFileMode(QFileDialog::ExistingFiles);
  } else {
    dlg->setFileMode(!save && (r.flags & kOfnFileMustExist) ? QFileDialog::ExistingFile
                                                            : QFileDialog::AnyFile);
  }
  QFileDialog::Options options = QFileDialog::HideNameFilterDetails;
  if (!(r.flags & kOfnOverwritePrompt)) options |= QFileDialog::DontConfirmOverwrite;
  dlg->setOptions(options);
  if (!r.initialFolder.isEmpty()) {
    const QFileInfo start(r.initialFolder);
    if (start.isDir()) {
      dlg->setDirectory(start.absoluteFilePath());
    } else {
      // A remembered file: start in its folder with the file preselected.
      dlg->setDirectory(start.absolutePath());
      if (start.isFile()) dlg->selectFile(start.fileName());
    }
  }
  const QStringList nameFilters = QtNameFilters(r.filters);
  if (!nameFilters.isEmpty()) dlg->setNameFilters(nameFilters);
  if (!r.defaultExtension.isEmpty()) dlg->setDefaultSuffix(r.defaultExtension);
  const int answer = dlg->exec();
  if (dlg.isNull()) return {};
  QString chosen;
  if (answer == QDialog::Accepted && !dlg->selectedFiles().isEmpty()) {
    chosen = many ? dlg->selectedFiles().join(QChar(0)) : dlg->selectedFiles().constFirst();
  }
  delete dlg.data();
  return chosen;
}

bool IsSeparator(QChar c) {
  return c == QLatin1Char('|') || c == QChar(0);
}

}  // namespace

std::vector<FileFilter> ParseFilter(const QString& in_sFilter) {
  // Pieces alternate description, pattern, description, pattern...
  QStringList pieces;
  QString piece;
  for (const QChar c : in_sFilter) {
    if (IsSeparator(c)) {
      pieces.append(piece);
      piece.clear();
    } else {
      piece.append(c);
    }
  }
  if (!piece.isEmpty()) pieces.append(piece);
  std::vector<FileFilter> filters;
  for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
    FileFilter f;
    f.description = pieces.at(i).trimmed();
    for (const QString& glob : pieces.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      const QString g = glob.trimmed();
      if (!g.isEmpty()) f.patterns.append(g);
    }
    if (!f.patterns.isEmpty()) filters.push_back(std::move(f));
  }
  return filters;
}

QString AnyCasePattern(const QString& in_sPattern) {
  QString out;
  out.reserve(in_sPattern.size() * 4);
  bool inSet = false;  // letters inside an existing [...] set stay as written
  for (const QChar c : in_sPattern) {
    if (c == QLatin1Char('[')) inSet = true;
    if (c == QLatin1Char(']')) inSet = false;
    const QChar lower = c.toLower();
    const QChar upper = c.toUpper();
    if (!inSet && c.isLetter() && lower != upper) {
      out += QLatin1Char('[');
      out += lower;
      out += upper;
      out += QLatin1Char(']');
    } else {
      out += c;
    }
  }
  return out;
}

QStringList QtNameFilters(const std::vector<FileFilter>& in_oFilters) {
  QStringList out;
  for (const FileFilter& f : in_oFilters) {
    QStringList globs;
    for (const QString& p : f.patterns) globs.append(AnyCasePattern(p));
    const QString description =
        f.description.isEmpty() ? f.patterns.join(QLatin1Char(';')) : f.description;
    out.append(description + QLatin1String(" (") + globs.join(QLatin1Char(' ')) + QLatin1Char(')'));
  }
  return out;
}

FileChooser clsDialog::SetFileChooser(FileChooser in_oChooser) {
  std::swap(Chooser(), in_oChooser);
  return in_oChooser;
}

QString clsDialog::Show(FileChooserRequest& io_oRequest, int32_t& inout_lFlags) {
  try {
    if (io_oRequest.initialFolder.isEmpty()) io_oRequest.initialFolder = m_sLastFile;
    io_oRequest.flags = inout_lFlags;
    QString chosen = Chooser() ? Chooser()(io_oRequest) : QtFileChooser(io_oRequest);
    inout_lFlags = io_oRequest.flags;
    // The answer without surrounding blanks and without a final NUL.
    chosen = chosen.trimmed();
    while (chosen.endsWith(QChar(0))) chosen.chop(1);
    chosen = chosen.trimmed();
    if (chosen.isEmpty()) return {};
    const QFileInfo info(chosen);
    if ((inout_lFlags & kOfnFileMustExist) && !info.isFile()) return {};
    if ((inout_lFlags & (kOfnPathMustExist | kOfnFileMustExist)) && !info.absoluteDir().exists()) {
      return {};
    }
    m_sLastFile = chosen;
    return chosen;
  } catch (...) {
    // The caller gets no file name, as if the chooser was cancelled.
    return {};
  }
}

QString clsDialog::ShowOpen(QWidget* in_oOwner, const QString& in_sTitle,
                            const QString& in_sInitDir, const QString& in_sFilter,
                            int32_t& inout_lFlags) {
  FileChooserRequest request;
  try {
    request.kind = FileChooserRequest::Kind::Open;
    request.owner = in_oOwner;
    request.title = in_sTitle;
    request.initialFolder = in_sInitDir;
    request.filters = ParseFilter(in_sFilter);
  } catch (...) {
    // The caller gets no file name, as if the chooser was cancelled.
    return {};
  }
  return Show(request, inout_lFlags);
}

QStringList clsDialog::ShowOpenMany(QWidget* in_oOwner, const QString& in_sTitle,
                                    const QString& in_sInitDir, const QString& in_sFilter,
                                    int32_t& inout_lFlags) {
  QStringList chosen;
  try {
    FileChooserRequest request;
    request.kind = FileChooserRequest::Kind::Open;
    request.owner = in_oOwner;
    request.title = in_sTitle;
    request.initialFolder = in_sInitDir.isEmpty() ? m_sLastFile : in_sInitDir;
    request.filters = ParseFilter(in_sFilter);
    request.flags = inout_lFlags | kOfnAllowMultiSelect;
    const QString answer = Chooser() ? Chooser()(request) : QtFileChooser(request);
    inout_lFlags = request.flags;
    for (const QString& piece : answer.split(QChar(0), Qt::SkipEmptyParts)) {
      const QString path = piece.trimmed();
      if (path.isEmpty() || !QFileInfo(path).isFile()) continue;
      chosen.append(path);
    }
    if (!chosen.isEmpty()) m_sLastFile = chosen.constLast();
  } catch (...) {
    // The caller gets no file, as if the chooser was cancelled.
    return {};
  }
  return chosen;
}

QString clsDialog::ShowFolder(QWidget* in_oOwner, const QString& in_sTitle,
                              const QString& in_sInitDir) {
  try {
    FileChooserRequest request;
    request.kind = FileChooserRequest::Kind::Folder;
    request.owner = in_oOwner;
    request.title = in_sTitle;
    request.initialFolder = in_sInitDir;
    const QString chosen = (Chooser() ? Chooser()(request) : QtFileChooser(request)).trimmed();
    return QFileInfo(chosen).isDir() ? chosen : QString();
  } catch (...) {
    // The caller gets no folder, as if the chooser was cancelled.
    return {};
  }
}

QString clsDialog::ShowNew(QWidget* in_oOwner, const QString& in_sTitle, const QString& in_sInitDir,
                           const QString& in_sFilter, int32_t& inout_lFlags) {
  return ShowOpen(in_oOwner, in_sTitle, in_sInitDir, in_sFilter, inout_lFlags);
}

QString clsDialog::ShowSave(QWidget* in_oOwner, const QString& in_sTitle,
                            const QString& in_sInitDir, const QString& in_sFilter,
                            const QString& in_sDefExt, int32_t& inout_lFlags) {
  FileChooserRequest request;
  try {
    request.kind = FileChooserRequest::Kind::Save;
    request.owner = in_oOwner;
    request.title = in_sTitle;
    request.initialFolder = in_sInitDir;
    request.filters = ParseFilter(in_sFilter);
    request.defaultExtension = in_sDefExt;
  } catch (...) {
    // The caller gets no file name, as if the chooser was cancelled.
    return {};
  }
  return Show(request, inout_lFlags);
}

int32_t clsDialog::ShowPrinter(QWidget* in_oOwner) {
  try {
    QPrinter printer;
    QPointer<QPrintDialog> dlg = new QPrintDialog(&printer, in_oOwner);
    const int answer = dlg->exec();
    if (dlg.isNull()) return 0;
    delete dlg.data();
    return answer == QDialog::Accepted ? 1 : 0;
  } catch (...) {
    // The caller gets 0, as if the dialog was cancelled.
    return 0;
  }
}

}  // namespace qs

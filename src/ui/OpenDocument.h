// Hands a document or a web address to the desktop: the report opens in the program the desktop
// associates with HTML files, the maker's home page in the default browser.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace qs {

/// Receives the address OpenDocument settles on and says whether the desktop took it. The
/// default one asks the desktop's default handler (QDesktopServices); tests install one that
/// only records the address.
using DocumentOpener = std::function<bool(const QUrl&)>;

/// Installs the opener (an empty function restores the desktop's). Returns the previous one.
DocumentOpener SetDocumentOpener(DocumentOpener in_oOpener);

/// The address a target stands for: an absolute path or an existing file becomes a local file
/// address, a text with a scheme ("https://...") stays as it is, and a bare host name gets
/// "http://" in front. Empty for an empty target.
QUrl DocumentUrl(const QString& in_sTarget);

/// Opens the target (a file path or a host name without scheme) through the desktop. True when
/// the desktop took it; false when no program could be started for it (or the target is
/// empty). Never throws.
bool OpenDocument(const QString& in_sTarget);

}  // namespace qs

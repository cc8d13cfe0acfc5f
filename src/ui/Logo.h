// The program's logo: a white quill over a blue tile, seen through a gold magnifying glass. The
// same drawing serves as the window icon; quillscope.svg repeats it for the desktop menu.
#pragma once

#include <QIcon>
#include <QPixmap>

class QPainter;
class QRectF;

namespace qs {

/// Paints the logo into the rectangle (drawn on a 64 x 64 grid and scaled).
void PaintLogo(QPainter& io_oPainter, const QRectF& in_oRect);

/// The logo as a square picture of in_lSize pixels with a transparent background.
QPixmap LogoPixmap(int in_lSize);

/// The window icon: the logo at the usual icon sizes.
QIcon LogoIcon();

}  // namespace qs

#include "ui/Logo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

namespace qs {

void PaintLogo(QPainter& io_oPainter, const QRectF& in_oRect) {
  io_oPainter.save();
  io_oPainter.setRenderHint(QPainter::Antialiasing, true);
  io_oPainter.translate(in_oRect.topLeft());
  io_oPainter.scale(in_oRect.width() / 64.0, in_oRect.height() / 64.0);

  // Tile.
  QLinearGradient tile(0, 4, 0, 60);
  tile.setColorAt(0, QColor(0x2e, 0x75, 0xb6));
  tile.setColorAt(1, QColor(0x1f, 0x3f, 0x6b));
  io_oPainter.setPen(Qt::NoPen);
  io_oPainter.setBrush(tile);
  io_oPainter.drawRoundedRect(QRectF(4, 4, 56, 56), 12, 12);

  // Quill: a feather vane with its shaft, nib at the lower left.
  QPainterPath vane;
  vane.moveTo(14, 52);
  vane.cubicTo(17, 32, 29, 15, 48, 8);
  vane.cubicTo(44, 24, 33, 39, 14, 52);
  io_oPainter.setBrush(QColor(0xfa, 0xfa, 0xf5));
  io_oPainter.drawPath(vane);
  io_oPainter.setPen(QPen(QColor(0x8a, 0x9b, 0xb0), 1.6, Qt::SolidLine, Qt::RoundCap));
  io_oPainter.drawLine(QPointF(14, 52), QPointF(42, 16));

  // Magnifying glass over the vane.
  io_oPainter.setBrush(QColor(0xbf, 0xe3, 0xff, 0x70));
  io_oPainter.setPen(QPen(QColor(0xf2, 0xc1, 0x4e), 4.5));
  io_oPainter.drawEllipse(QPointF(37, 37), 11, 11);
  io_oPainter.setPen(QPen(QColor(0xf2, 0xc1, 0x4e), 6, Qt::SolidLine, Qt::RoundCap));
  io_oPainter.drawLine(QPointF(45.5, 45.5), QPointF(54, 54));
  io_oPainter.restore();
}

QPixmap LogoPixmap(int in_lSize) {
  const int size = in_lSize > 0 ? in_lSize : 64;
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  PaintLogo(painter, QRectF(0, 0, size, size));
  painter.end();
  return pixmap;
}

QIcon LogoIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(LogoPixmap(size));
  return icon;
}

}  // namespace qs

#include "app/window_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QPixmap WindowIconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 48.0, size / 48.0);

  QLinearGradient tile(0, 0, 0, 48);
  tile.setColorAt(0, QColor(0x2f, 0x7d, 0xc8));
  tile.setColorAt(1, QColor(0x1b, 0x4f, 0x8a));
  p.setPen(Qt::NoPen);
  p.setBrush(tile);
  p.drawRoundedRect(QRectF(1, 1, 46, 46), 8, 8);

  // The chip with its pins.
  p.setBrush(QColor(0xee, 0xf2, 0xf6));
  for (int i = 0; i < 4; ++i) {
    const double at = 14 + i * 6;
    p.drawRect(QRectF(at, 8, 3, 5));
    p.drawRect(QRectF(at, 35, 3, 5));
    p.drawRect(QRectF(8, at, 5, 3));
    p.drawRect(QRectF(35, at, 5, 3));
  }
  p.setBrush(QColor(0x20, 0x26, 0x2e));
  p.drawRoundedRect(QRectF(12, 12, 24, 24), 3, 3);

  // An arrow into the chip: new firmware going in.
  QPainterPath arrow;
  arrow.moveTo(24, 16);
  arrow.lineTo(31, 24);
  arrow.lineTo(26.5, 24);
  arrow.lineTo(26.5, 32);
  arrow.lineTo(21.5, 32);
  arrow.lineTo(21.5, 24);
  arrow.lineTo(17, 24);
  arrow.closeSubpath();
  p.setBrush(QColor(0x6c, 0xd0, 0x6c));
  p.drawPath(arrow);
  return pixmap;
}

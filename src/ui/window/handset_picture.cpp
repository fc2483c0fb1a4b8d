#include "handset_picture.h"

#include <QPainter>
#include <QPainterPath>

namespace lumeta {

HandsetPicture::HandsetPicture(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void HandsetPicture::paintEvent(QPaintEvent*) {
  // A 390 x 414 picture at the top-left corner.
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF screen(0.5, 0.5, 389, 413);
  QPainterPath outline;
  outline.addRoundedRect(screen, 14, 14);
  p.fillPath(outline, QColor(40, 40, 48));
  const QRectF inner = screen.adjusted(12, 8, -12, -2);
  p.fillRect(inner, Qt::white);

  // Status strip: aerial strength at the left, battery at the right.
  const QRectF status(inner.left(), inner.top(), inner.width(), 26);
  p.fillRect(status, QColor(236, 240, 244));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 30, 30));
  QPolygonF aerial;
  aerial << QPointF(status.left() + 8, status.top() + 5)
         << QPointF(status.left() + 20, status.top() + 5)
         << QPointF(status.left() + 14, status.top() + 12);
  p.drawPolygon(aerial);
  p.drawRect(QRectF(status.left() + 13, status.top() + 11, 2, 11));
  for (int bar = 0; bar < 4; ++bar) {
    const double h = 4 + bar * 3;
    p.drawRect(QRectF(status.left() + 24 + bar * 6, status.bottom() - 4 - h, 4, h));
  }
  const QRectF battery(status.right() - 40, status.top() + 7, 28, 13);
  p.setPen(QPen(QColor(30, 30, 30), 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(battery, 2, 2);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 30, 30));
  p.drawRect(QRectF(battery.right(), battery.top() + 4, 3, 5));
  for (int cell = 0; cell < 3; ++cell) {
    p.drawRect(QRectF(battery.left() + 3 + cell * 8, battery.top() + 3, 6, 7));
  }

  // Grey band under the status strip, white display area, grey strip behind the indicators.
  p.fillRect(QRectF(inner.left(), status.bottom(), inner.width(), 76), QColor(200, 204, 210));
  // The display covers y 112..384; the indicators stand on the strip below it.
  p.fillRect(QRectF(inner.left(), 384, inner.width(), inner.bottom() - 384), QColor(190, 194, 200));
}

}  // namespace lumeta

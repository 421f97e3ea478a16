#include "library/designer/umdiclient.h"

#include <QPainter>
#include <QPaintEvent>

namespace korvi::selq {

TMDIClient::TMDIClient(QWidget* parent) : QMdiArea(parent) {
  setObjectName(QStringLiteral("MDIClient"));
  setBackground(QBrush(palette().color(QPalette::Button), Qt::SolidPattern));
}

void TMDIClient::paintEvent(QPaintEvent* event) {
  // The background first; the child windows are drawn over the lines afterwards.
  QMdiArea::paintEvent(event);
  drawn_ = source_ ? source_() : QList<QLine>();
  if (drawn_.isEmpty()) return;
  QPainter painter(viewport());
  painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
  // Lines are drawn in viewport coordinates, where the child windows sit.
  painter.drawLines(drawn_);
}

}  // namespace korvi::selq

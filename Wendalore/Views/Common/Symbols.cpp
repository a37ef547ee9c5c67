#include "Wendalore/Views/Common/Symbols.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace wendalore {
namespace {

// In a unit square: the tip at the top right, the wings at the left and at
// the bottom, folded in towards the middle.
QPainterPath paperPlane() {
  QPainterPath path;
  path.moveTo(1.0, 0.0);
  path.lineTo(0.0, 0.42);
  path.lineTo(0.38, 0.62);
  path.lineTo(0.58, 1.0);
  path.closeSubpath();
  return path;
}

}  // namespace

QSizeF symbolSize(Symbol symbol, qreal lineHeight) {
  switch (symbol) {
    case Symbol::paperPlane:
      return {lineHeight * 0.8, lineHeight * 0.8};
    case Symbol::chevronDown:
      // Drawn smaller than the text it follows, as a hint rather than a word.
      return {lineHeight * 0.55, lineHeight * 0.3};
  }
  return {};
}

void drawSymbol(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& colour) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(box.topLeft());
  switch (symbol) {
    case Symbol::paperPlane:
      painter.scale(box.width(), box.height());
      painter.fillPath(paperPlane(), colour);
      break;
    case Symbol::chevronDown: {
      // Stroked in pixels, so that the line keeps its weight however wide
      // the chevron is.
      const qreal weight = std::max(1.5, box.height() * 0.4);
      QPen pen(colour, weight, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
      painter.setPen(pen);
      const qreal inset = weight / 2;
      const QPointF points[] = {{inset, inset},
                                {box.width() / 2, box.height() - inset},
                                {box.width() - inset, inset}};
      painter.drawPolyline(points, 3);
      break;
    }
  }
  painter.restore();
}

}  // namespace wendalore

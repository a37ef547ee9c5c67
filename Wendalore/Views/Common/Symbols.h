#pragma once

#include <QColor>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace wendalore {

// The small pictures the window draws beside its texts. They are drawn as
// paths in whatever colour the caller takes from its palette, so they are
// sharp at any scale and follow a light or dark palette like the text does.
enum class Symbol {
  // A filled paper plane flying up to the right.
  paperPlane,
  // A chevron pointing down, as a menu's label shows it.
  chevronDown,
};

// The room the symbol takes beside text of `lineHeight` pixels.
QSizeF symbolSize(Symbol symbol, qreal lineHeight);

void drawSymbol(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& colour);

}  // namespace wendalore

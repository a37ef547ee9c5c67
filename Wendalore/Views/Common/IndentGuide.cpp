#include "Wendalore/Views/Common/IndentGuide.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace wendalore {

IndentGuide::IndentGuide(int level, qreal spacing, QWidget* parent)
    : QWidget(parent), level_(std::max(level, 0)), spacing_(std::max(spacing, qreal(0))) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setContentsMargins(0, overhang, 0, overhang);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

QSize IndentGuide::sizeHint() const {
  return {static_cast<int>(std::ceil(level_ * spacing_)), 2 * overhang};
}

void IndentGuide::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QColor color = palette().color(QPalette::WindowText);
  color.setAlphaF(lineOpacity);
  const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
  for (int column = 0; column < level_; ++column) {
    const qreal leadingEdge = column * spacing_;
    const qreal left = rightToLeft ? width() - leadingEdge - lineWidth : leadingEdge;
    painter.fillRect(QRectF(left, 0, lineWidth, height()), color);
  }
}

}  // namespace wendalore

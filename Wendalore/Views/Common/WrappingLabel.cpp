#include "Wendalore/Views/Common/WrappingLabel.h"

#include <QPainter>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>

namespace wendalore {

int WrappingLabel::layOut(QTextLayout& layout, int width) const {
  QString text = this->text();
  text.replace('\n', QChar::LineSeparator);
  layout.setText(text);
  layout.setFont(font());
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  qreal height = 0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(std::max(width, 1));
    line.setPosition(QPointF(0, height));
    height += line.height();
  }
  layout.endLayout();
  return static_cast<int>(std::ceil(height));
}

int WrappingLabel::heightForWidth(int width) const {
  const QMargins margins = contentsMargins();
  QTextLayout layout;
  return layOut(layout, width - margins.left() - margins.right()) + margins.top() + margins.bottom();
}

// As wide as its longest line unbroken, which a layout narrows as it must.
QSize WrappingLabel::sizeHint() const {
  const QMargins margins = contentsMargins();
  const int width = fontMetrics().size(0, text()).width() + margins.left() + margins.right();
  return {width, heightForWidth(width)};
}

QSize WrappingLabel::minimumSizeHint() const {
  const QMargins margins = contentsMargins();
  return {margins.left() + margins.right(), fontMetrics().height() + margins.top() + margins.bottom()};
}

void WrappingLabel::paintEvent(QPaintEvent*) {
  QTextLayout layout;
  const QRect area = contentsRect();
  layOut(layout, area.width());
  QPainter painter(this);
  painter.setPen(palette().color(foregroundRole()));
  layout.draw(&painter, area.topLeft());
}

}  // namespace wendalore

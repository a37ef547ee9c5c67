#include "Wendalore/Views/Editor/CapsuleButton.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QtMath>
#include <algorithm>

namespace wendalore {
namespace {

constexpr qreal cornerRadius = 8;

QFont fontOfSize(QFont font, int pointSize) {
  font.setPointSize(pointSize);
  font.setWeight(QFont::Medium);
  return font;
}

}  // namespace

template <class Button>
CapsuleButton<Button>::CapsuleButton(const QString& text, CapsuleLook look, QWidget* parent)
    : Button(parent), look_(look) {
  this->setFont(fontOfSize(this->font(), look_.pointSize));
  this->setText(text);
}

template <class Button>
void CapsuleButton<Button>::setTextColor(const QColor& color) {
  textColor_ = color;
  this->update();
}

template <class Button>
QSizeF CapsuleButton<Button>::textSize() const {
  const QFontMetricsF metrics(this->font());
  return {metrics.horizontalAdvance(this->text()), metrics.height()};
}

template <class Button>
QSizeF CapsuleButton<Button>::symbolExtent() const {
  const QFontMetricsF metrics(fontOfSize(this->font(), look_.symbolPointSize));
  return symbolSize(look_.symbol, metrics.height());
}

template <class Button>
QSizeF CapsuleButton<Button>::contentSize() const {
  const QSizeF text = textSize();
  const QSizeF symbol = symbolExtent();
  return {text.width() + look_.spacing + symbol.width(), std::max(text.height(), symbol.height())};
}

template <class Button>
QSize CapsuleButton<Button>::sizeHint() const {
  // Rounded up, so that the text is never clipped by a fraction of a pixel.
  const QSizeF content = contentSize();
  return QSize(qCeil(content.width()), qCeil(content.height())).grownBy(look_.padding);
}

// The content is centred in whatever room the button has, each part
// centred on the line.
template <class Button>
QRectF CapsuleButton<Button>::partRect(bool symbol) const {
  const QSizeF content = contentSize();
  const QSizeF part = symbol ? symbolExtent() : textSize();
  const QSizeF other = symbol ? textSize() : symbolExtent();
  const qreal left = (this->width() - content.width()) / 2;
  const bool first = symbol == look_.symbolLeads;
  const qreal x = first ? left : left + other.width() + look_.spacing;
  const qreal y = (this->height() - part.height()) / 2;
  return {QPointF(x, y), part};
}

template <class Button>
QRectF CapsuleButton<Button>::symbolRect() const {
  return partRect(true);
}

template <class Button>
QRectF CapsuleButton<Button>::textRect() const {
  return partRect(false);
}

template <class Button>
void CapsuleButton<Button>::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette& palette = this->palette();
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(128, 128, 128, this->isDown() ? 52 : 26));
  painter.drawRoundedRect(QRectF(this->rect()), cornerRadius, cornerRadius);
  // Without a ring a button reached with Tab would look as if nothing had
  // the focus.
  if (this->hasFocus()) {
    painter.setPen(QPen(palette.color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(this->rect()).adjusted(1, 1, -1, -1), cornerRadius - 1, cornerRadius - 1);
  }

  const QColor text = textColor_.value_or(palette.color(QPalette::ButtonText));
  painter.setPen(text);
  painter.setFont(this->font());
  painter.drawText(textRect(), Qt::AlignCenter, this->text());
  drawSymbol(painter, look_.symbol, symbolRect(),
             look_.secondarySymbol ? palette.color(QPalette::PlaceholderText) : text);
}

template class CapsuleButton<QPushButton>;
template class CapsuleButton<QToolButton>;

}  // namespace wendalore

#pragma once

#include <QColor>
#include <QMargins>
#include <QPushButton>
#include <QToolButton>
#include <optional>

#include "Wendalore/Views/Common/Symbols.h"

namespace wendalore {

// How a capsule button lays out its text and its symbol.
struct CapsuleLook {
  Symbol symbol;
  // The symbol stands before the text, or after it.
  bool symbolLeads;
  int spacing;
  QMargins padding;
  int pointSize;
  int symbolPointSize;
  // The symbol takes the palette's secondary text colour rather than the
  // text's own, so that it reads as a hint beside the text.
  bool secondarySymbol;
};

// A borderless button of the URL bar: a text and a symbol side by side on
// a faint grey rounded rectangle, every pixel of which answers a click. It
// paints from its palette at each paint, so it follows a light or dark
// palette as it changes. `Button` gives the behaviour: a push button, or a
// tool button that opens its menu.
template <class Button>
class CapsuleButton : public Button {
 public:
  CapsuleButton(const QString& text, CapsuleLook look, QWidget* parent = nullptr);

  // Draws the text in `color` rather than the palette's button text.
  void setTextColor(const QColor& color);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

  // Where the symbol and the text are drawn, in the button's coordinates.
  QRectF symbolRect() const;
  QRectF textRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QSizeF textSize() const;
  QSizeF symbolExtent() const;
  QSizeF contentSize() const;
  QRectF partRect(bool symbol) const;

  CapsuleLook look_;
  std::optional<QColor> textColor_;
};

extern template class CapsuleButton<QPushButton>;
extern template class CapsuleButton<QToolButton>;

}  // namespace wendalore

#pragma once

#include <QLabel>

class QTextLayout;

namespace wendalore {

// A label of plain text that breaks its lines between words, and within a
// word longer than a line, so that its text is read whole at any width: a
// server's text or a body may hold such words. It is as tall as its text at
// the width it has.
class WrappingLabel : public QLabel {
 public:
  using QLabel::QLabel;

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Lays the text out in lines at most `width` wide; the height they take.
  int layOut(QTextLayout& layout, int width) const;
};

}  // namespace wendalore

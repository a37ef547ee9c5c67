#pragma once

#include <QWidget>

namespace wendalore {

// The guide lines beside an indented row: `level` columns of `spacing`
// points, each with a faint line at its leading edge. The row is the
// widget's contents rectangle; the lines run over the margins above and
// below it too, so that the guides of neighbouring rows join. Clicks pass
// through to whatever lies beneath.
class IndentGuide : public QWidget {
 public:
  static constexpr qreal lineWidth = 0.5;
  static constexpr qreal lineOpacity = 0.15;
  static constexpr int overhang = 8;

  IndentGuide(int level, qreal spacing, QWidget* parent = nullptr);

  int level() const { return level_; }
  qreal spacing() const { return spacing_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int level_;
  qreal spacing_;
};

}  // namespace wendalore

#pragma once

#include <QWidget>

#include <vector>

#include "Wendalore/History/Waterfall.h"

namespace wendalore {

// One row of the waterfall: the phase's name, its bar on the common time
// track, and its length.
class WaterfallBar : public QWidget {
  Q_OBJECT

 public:
  // `lengthWidth`: the width of the length column, the same in every row
  // so that the tracks line up (see lengthColumnWidth).
  WaterfallBar(WaterfallPhase phase, double scale, int lengthWidth, QWidget* parent = nullptr);

  // Wide enough for the longest length of these phases, from 0 ms to
  // minutes and beyond.
  static int lengthColumnWidth(const std::vector<WaterfallPhase>& phases);

  const WaterfallPhase& phase() const { return phase_; }
  // Where the bar is painted, in this widget's coordinates.
  QRectF barRect() const;
  // Where the length is written.
  QRectF lengthRect() const;
  QSize sizeHint() const override;
  // The title and the length whole, beside a short track.
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRectF trackRect() const;

  WaterfallPhase phase_;
  double scale_;
  int lengthWidth_;
};

}  // namespace wendalore

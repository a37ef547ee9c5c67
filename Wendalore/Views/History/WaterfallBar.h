#pragma once

#include <QWidget>

#include "Wendalore/History/Waterfall.h"

namespace wendalore {

// One row of the waterfall: the phase's name, its bar on the common time
// track, and its length.
class WaterfallBar : public QWidget {
  Q_OBJECT

 public:
  WaterfallBar(WaterfallPhase phase, double scale, QWidget* parent = nullptr);

  const WaterfallPhase& phase() const { return phase_; }
  // Where the bar is painted, in this widget's coordinates.
  QRectF barRect() const;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRectF trackRect() const;

  WaterfallPhase phase_;
  double scale_;
};

}  // namespace wendalore

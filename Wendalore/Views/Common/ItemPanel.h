#pragma once

#include <QStyleOptionViewItem>

class QPainter;

namespace wendalore {

// How the keyboard focus shows on a row of a list or a tree.
struct RowFocusRing {
  // The accent-coloured ring at the row's edge.
  static constexpr int width = 2;
  // The view's background between the ring and a selection of the ring's
  // own colour, without which the two would merge.
  static constexpr int gap = 1;
};

// Draws an item's background and selection as the style does, but marks
// the keyboard focus as the other controls do: the style's own mark is a
// thin dark line, hardly seen on the selection. Where the item has the
// focus, `row` (the item's rectangle, or the whole row it stands in) gets
// a ring of the accent colour at its edge instead.
void drawItemPanel(QPainter& painter, QStyleOptionViewItem panel, const QRect& row);

}  // namespace wendalore

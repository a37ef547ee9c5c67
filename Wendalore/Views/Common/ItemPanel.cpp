#include "Wendalore/Views/Common/ItemPanel.h"

#include <QApplication>
#include <QPainter>
#include <QRegion>

namespace wendalore {
namespace {

// The colours the style fills the selection with, so that the ring matches it.
QPalette::ColorGroup colourGroup(QStyle::State state) {
  if (!(state & QStyle::State_Enabled)) return QPalette::Disabled;
  return state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
}

void fillFrame(QPainter& painter, const QRect& outer, int width, const QColor& colour) {
  const QRegion frame = QRegion(outer).subtracted(outer.adjusted(width, width, -width, -width));
  for (const QRect& part : frame) painter.fillRect(part, colour);
}

}  // namespace

void drawItemPanel(QPainter& painter, QStyleOptionViewItem panel, const QRect& row) {
  const bool focused = panel.state & QStyle::State_HasFocus;
  panel.state &= ~QStyle::State_HasFocus;
  const QStyle* style = panel.widget ? panel.widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &panel, &painter, panel.widget);
  if (!focused) return;

  const auto group = colourGroup(panel.state);
  constexpr int ring = RowFocusRing::width;
  fillFrame(painter, row, ring, panel.palette.color(group, QPalette::Highlight));
  if (panel.state & QStyle::State_Selected) {
    fillFrame(painter, row.adjusted(ring, ring, -ring, -ring), RowFocusRing::gap,
              panel.palette.color(group, QPalette::Base));
  }
}

}  // namespace wendalore

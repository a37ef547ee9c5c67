#include "Wendalore/Views/Sidebar/SidebarItemDelegate.h"

#include <QApplication>
#include <cmath>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QTreeView>

#include "Wendalore/Views/Common/ItemPanel.h"
#include "Wendalore/Views/Common/MethodStyle.h"
#include "Wendalore/Views/Sidebar/SidebarOutlineModel.h"

namespace wendalore {

namespace {

constexpr int iconSize = 20;
constexpr int badgeHeight = 18;
constexpr int badgeMinimumWidth = 30;
constexpr int badgeInset = 2;
constexpr int spacing = 8;
constexpr int trailingInset = 4;

QFont badgeFont(const QFont& base) {
  QFont font = base;
  font.setPointSizeF(10);
  font.setBold(true);
  return font;
}

QIcon folderIcon(const QStyleOptionViewItem& option) {
  const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
  return QIcon::fromTheme(QStringLiteral("folder"), style->standardIcon(QStyle::SP_DirIcon));
}

// The badge's rectangle at the start of a request row.
QRect badgeRect(const QStyleOptionViewItem& option, const QString& title) {
  const int textWidth = QFontMetrics(badgeFont(option.font)).horizontalAdvance(title);
  const int width = std::max(badgeMinimumWidth, textWidth + 2 * badgeInset);
  const QRect row = option.rect;
  return {row.left(), row.top() + (row.height() - badgeHeight) / 2, width, badgeHeight};
}

double luminance(const QColor& colour) {
  const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
  return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

// The hue, opaque, moved toward black on a light plate and toward white on a
// dark one just far enough for small bold text (a contrast of 4.5 to 1).
QColor readableOn(const QColor& plate, QColor hue) {
  hue.setAlphaF(1.0f);
  const double plateLuminance = luminance(plate);
  const bool lightPlate = plateLuminance > 0.18;
  const QColor target = lightPlate ? QColor(Qt::black) : QColor(Qt::white);
  QColor shown = hue;
  for (int step = 1; step <= 10; ++step) {
    const double own = luminance(shown);
    const double ratio = (std::max(own, plateLuminance) + 0.05) / (std::min(own, plateLuminance) + 0.05);
    if (ratio >= 4.5) break;
    const float t = static_cast<float>(step) / 10;
    shown = QColor::fromRgbF(hue.redF() + (target.redF() - hue.redF()) * t,
                             hue.greenF() + (target.greenF() - hue.greenF()) * t,
                             hue.blueF() + (target.blueF() - hue.blueF()) * t);
  }
  return shown;
}

// The tree fills the selection from its left edge, under the branch
// arrows, not only under the item: the focus ring goes around all of it.
QRect wholeRow(const QStyleOptionViewItem& option) {
  QRect row = option.rect;
  if (const auto* tree = qobject_cast<const QTreeView*>(option.widget)) row.setLeft(tree->columnViewportPosition(0));
  return row;
}

}  // namespace

BadgeColours badgeColours(const QString& method, const QStyleOptionViewItem& option) {
  if (!(option.state & QStyle::State_Selected)) return {methodBadgeColor(method), methodColor(method)};
  const QColor plate = option.palette.color(QPalette::HighlightedText);
  return {plate, readableOn(plate, methodColor(method))};
}

QRect SidebarItemDelegate::nameRect(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QVariant method = index.data(SidebarOutlineModel::methodRole);
  const int leading = method.isValid() ? badgeRect(option, methodBadgeTitle(method.toString())).width() + spacing
                                       : iconSize + 6;
  return option.rect.adjusted(leading, 0, -trailingInset, 0);
}

void SidebarItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
  QStyleOptionViewItem panel = option;
  initStyleOption(&panel, index);
  panel.text.clear();
  panel.icon = QIcon();
  drawItemPanel(*painter, panel, wholeRow(option));

  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  const QVariant method = index.data(SidebarOutlineModel::methodRole);
  if (method.isValid()) {
    const QString title = methodBadgeTitle(method.toString());
    const auto [background, foreground] = badgeColours(method.toString(), option);
    const QRect badge = badgeRect(option, title);
    QPainterPath shape;
    shape.addRoundedRect(badge, 4, 4);
    painter->fillPath(shape, background);
    painter->setFont(badgeFont(option.font));
    painter->setPen(foreground);
    painter->drawText(badge.adjusted(badgeInset, 0, -badgeInset, 0), Qt::AlignCenter, title);
  } else {
    const QRect icon(option.rect.left(), option.rect.top() + (option.rect.height() - iconSize) / 2, iconSize,
                     iconSize);
    folderIcon(option).paint(painter, icon);
  }
  const QRect name = nameRect(option, index);
  painter->setFont(option.font);
  painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                             : QPalette::Text));
  const QString text = option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, name.width());
  painter->drawText(name, Qt::AlignVCenter | Qt::AlignLeft, text);
  painter->restore();
}

QSize SidebarItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  return {QStyledItemDelegate::sizeHint(option, index).width(), rowHeight};
}

void SidebarItemDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                               const QModelIndex& index) const {
  editor->setGeometry(nameRect(option, index));
}

}  // namespace wendalore

#include "Wendalore/Views/Sidebar/SidebarItemDelegate.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>

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

}  // namespace

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
  const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &panel, painter, option.widget);

  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  const QVariant method = index.data(SidebarOutlineModel::methodRole);
  if (method.isValid()) {
    const QString title = methodBadgeTitle(method.toString());
    const QColor background = methodBadgeColor(method.toString());
    QColor foreground = background;
    foreground.setAlphaF(1.0f);
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

#include <gtest/gtest.h>

#include <QStyleOptionViewItem>
#include <cmath>

#include "Wendalore/Views/Common/MethodStyle.h"
#include "Wendalore/Views/Sidebar/SidebarItemDelegate.h"

namespace wendalore {
namespace {

// What the eye sees of `colour` painted over `under`.
QColor over(const QColor& colour, const QColor& under) {
  const double alpha = colour.alphaF();
  const auto mix = [&](double top, double bottom) { return top * alpha + bottom * (1 - alpha); };
  return QColor::fromRgbF(static_cast<float>(mix(colour.redF(), under.redF())),
                          static_cast<float>(mix(colour.greenF(), under.greenF())),
                          static_cast<float>(mix(colour.blueF(), under.blueF())));
}

double luminance(const QColor& colour) {
  const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
  return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

double contrast(const QColor& a, const QColor& b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(SidebarBadge, TheSelectedRowsBadgeReadsOnTheSelectionInEveryPalette) {
  struct Selection {
    const char* name;
    QColor highlight, highlightedText;
  };
  const Selection selections[] = {
      {"light", QColor(48, 140, 198), Qt::white},
      {"dark", QColor(42, 130, 218), Qt::white},
      {"pale selection, dark text", QColor(204, 232, 255), Qt::black},
  };
  for (const auto& selection : selections) {
    QStyleOptionViewItem option;
    option.palette.setColor(QPalette::Highlight, selection.highlight);
    option.palette.setColor(QPalette::HighlightedText, selection.highlightedText);
    option.state |= QStyle::State_Selected;
    for (const auto* method : {"GET", "POST", "PUT", "PATCH", "DELETE", "HEAD", "OPTIONS", "custom"}) {
      const auto [background, foreground] = badgeColours(method, option);
      const QColor plate = over(background, selection.highlight);
      EXPECT_GE(contrast(over(foreground, plate), plate), 4.5) << selection.name << " " << method;
    }
  }
}

TEST(SidebarBadge, AnUnselectedBadgeIsTheHueOnATintOfItself) {
  QStyleOptionViewItem option;
  const auto [background, foreground] = badgeColours("post", option);
  EXPECT_EQ(background, methodBadgeColor("POST"));
  EXPECT_EQ(foreground, methodColor("POST"));
}

}  // namespace
}  // namespace wendalore

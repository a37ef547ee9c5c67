#include "Wendalore/Views/Sidebar/RequestRow.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>

#include "Wendalore/Views/Common/MethodStyle.h"

namespace wendalore {

namespace {

constexpr int badgeWidth = 42;
constexpr int badgePaddingX = 4;
constexpr int badgePaddingY = 2;
constexpr int nameLeading = 6;

}  // namespace

RequestRow::RequestRow(std::shared_ptr<RequestTemplate> requestTemplate, QWidget* parent)
    : QWidget(parent), template_(std::move(requestTemplate)) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  observation_ = template_->observe([this](std::string_view field) {
    if (field == "name" || field == "method") update();
  });
}

QString RequestRow::badgeTitle(const QString& method) {
  // The shared rule upper-cases first; a row shows a method in other case
  // exactly as it was stored.
  return method == method.toUpper() ? methodBadgeTitle(method) : method;
}

QFont RequestRow::badgeFont() const {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSizeF(10);
  font.setWeight(QFont::ExtraBold);
  return font;
}

QSize RequestRow::sizeHint() const {
  const int badgeHeight = QFontMetrics(badgeFont()).height() + 2 * badgePaddingY;
  const int nameWidth = fontMetrics().horizontalAdvance(QString::fromStdString(template_->name()));
  return {badgeWidth + nameLeading + nameWidth, std::max(badgeHeight, fontMetrics().height())};
}

void RequestRow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QString method = QString::fromStdString(template_->method());
  const QColor colour = methodColor(method);
  QColor background = colour;
  background.setAlphaF(colour.alphaF() * 0.2f);

  // The badge sits at the right of a column of fixed width, so that badges
  // of different lengths line up on that side.
  const QFontMetrics badgeMetrics(badgeFont());
  const QString title = badgeMetrics.elidedText(badgeTitle(method), Qt::ElideRight, badgeWidth - 2 * badgePaddingX);
  const int pillWidth = std::min(badgeWidth, badgeMetrics.horizontalAdvance(title) + 2 * badgePaddingX);
  const int pillHeight = badgeMetrics.height() + 2 * badgePaddingY;
  const QRect badge(badgeWidth - pillWidth, (height() - pillHeight) / 2, pillWidth, pillHeight);
  QPainterPath shape;
  shape.addRoundedRect(badge, 4, 4);
  painter.fillPath(shape, background);
  painter.setFont(badgeFont());
  painter.setPen(colour);
  painter.drawText(badge, Qt::AlignCenter, title);

  const QRect name(badgeWidth + nameLeading, 0, width() - badgeWidth - nameLeading, height());
  painter.setFont(font());
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(name, Qt::AlignLeft | Qt::AlignVCenter,
                   fontMetrics().elidedText(QString::fromStdString(template_->name()), Qt::ElideRight,
                                            std::max(0, name.width())));
}

}  // namespace wendalore

#include "Wendalore/Views/History/WaterfallBar.h"

#include <QPainter>

#include "Wendalore/Views/History/HistoryStyle.h"

namespace wendalore {
namespace {

constexpr int titleWidth = 90;
constexpr int narrowestLengthWidth = 50;
constexpr int narrowestTrackWidth = 24;
constexpr int spacing = 8;
constexpr int rowHeight = 12;

int shownRowHeight() { return std::max(rowHeight, QFontMetrics(caption2Font()).height()); }

QColor colour(PhaseColor color) {
  switch (color) {
    case PhaseColor::queueing: return QColor(142, 142, 147, 128);
    case PhaseColor::purple: return QColor(175, 82, 222);
    case PhaseColor::yellow: return QColor(255, 204, 0);
    case PhaseColor::indigo: return QColor(88, 86, 214);
    case PhaseColor::orange: return QColor(255, 149, 0);
    case PhaseColor::cyan: return QColor(50, 173, 230);
    case PhaseColor::blue: return QColor(0, 122, 255);
  }
  return Qt::gray;
}

void fillCapsule(QPainter& painter, const QRectF& rect, const QColor& fill) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(fill);
  painter.drawRoundedRect(rect, rect.height() / 2, rect.height() / 2);
}

}  // namespace

WaterfallBar::WaterfallBar(WaterfallPhase phase, double scale, int lengthWidth, QWidget* parent)
    : QWidget(parent), phase_(std::move(phase)), scale_(scale), lengthWidth_(lengthWidth) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

int WaterfallBar::lengthColumnWidth(const std::vector<WaterfallPhase>& phases) {
  const QFontMetrics metrics(monospacedCaptionFont());
  int widest = narrowestLengthWidth;
  for (const auto& phase : phases) {
    // Rounded up: a label a fraction of a pixel too wide loses its first
    // character.
    widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(formatSeconds(phase.length))) + 1);
  }
  return widest;
}

QSize WaterfallBar::sizeHint() const { return {titleWidth + lengthWidth_ + 2 * spacing + 100, shownRowHeight()}; }

QSize WaterfallBar::minimumSizeHint() const {
  return {titleWidth + lengthWidth_ + 2 * spacing + narrowestTrackWidth, shownRowHeight()};
}

QRectF WaterfallBar::trackRect() const {
  return QRectF(titleWidth + spacing, (height() - rowHeight) / 2.0,
                std::max(0, width() - titleWidth - lengthWidth_ - 2 * spacing), rowHeight);
}

QRectF WaterfallBar::lengthRect() const { return QRectF(width() - lengthWidth_, 0, lengthWidth_, height()); }

QRectF WaterfallBar::barRect() const {
  const QRectF track = trackRect();
  const auto bar = barGeometry(phase_, scale_, track.width());
  return QRectF(track.left() + bar.x, track.center().y() - 4, bar.width, 8);
}

void WaterfallBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setFont(caption2Font());
  painter.setPen(secondaryColor(*this));
  painter.drawText(QRectF(0, 0, titleWidth, height()), Qt::AlignRight | Qt::AlignVCenter,
                   QString::fromStdString(phase_.title));

  const QRectF track = trackRect();
  QColor trackColour = secondaryColor(*this);
  trackColour.setAlphaF(0.1f);
  fillCapsule(painter, QRectF(track.left(), track.center().y() - 2, track.width(), 4), trackColour);
  painter.save();
  fillCapsule(painter, barRect(), colour(phase_.color));
  painter.restore();

  painter.setFont(monospacedCaptionFont());
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(lengthRect(), Qt::AlignRight | Qt::AlignVCenter,
                   QString::fromStdString(formatSeconds(phase_.length)));
}

}  // namespace wendalore

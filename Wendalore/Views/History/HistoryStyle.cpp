#include "Wendalore/Views/History/HistoryStyle.h"

#include <QDateTime>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QLocale>

namespace wendalore {
namespace {

QFont sized(QFont font, qreal points, QFont::Weight weight) {
  font.setPointSizeF(points);
  font.setWeight(weight);
  return font;
}

QDateTime local(platform::Date date) {
  return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(date.timeIntervalSince1970 * 1000));
}

// The locale's long time format without its time zone.
QString timeFormat() {
  QString format = QLocale().timeFormat(QLocale::LongFormat);
  format.remove(QLatin1Char('t'));
  return format.trimmed();
}

}  // namespace

QFont captionFont(QFont::Weight weight) { return sized(QFont(), 10, weight); }
QFont caption2Font(QFont::Weight weight) { return sized(QFont(), 9, weight); }
QFont monospacedCaptionFont() { return sized(QFontDatabase::systemFont(QFontDatabase::FixedFont), 10, QFont::Normal); }

QColor secondaryColor(const QWidget& widget) {
  QColor colour = widget.palette().color(QPalette::WindowText);
  colour.setAlphaF(0.6f);
  return colour;
}

QLabel* styledLabel(const QString& text, const QFont& font, const QColor& colour, QWidget* parent) {
  return styleLabel(new QLabel(text, parent), font, colour);
}

QLabel* styleLabel(QLabel* label, const QFont& font, const QColor& colour) {
  label->setTextFormat(Qt::PlainText);
  label->setFont(font);
  if (colour.isValid()) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
  }
  return label;
}

QWidget* divider(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Plain);
  line->setFixedHeight(1);
  line->setForegroundRole(QPalette::Mid);
  return line;
}

void fillWithControlBackground(QWidget& widget) {
  widget.setAutoFillBackground(true);
  widget.setBackgroundRole(QPalette::Button);
}

QString timeText(platform::Date date) { return QLocale().toString(local(date).time(), timeFormat()); }

QString timestampText(platform::Date date) {
  const QDateTime when = local(date);
  return QLocale().toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') + QLocale().toString(when.time(), timeFormat());
}

}  // namespace wendalore

#include "Wendalore/Views/History/HistoryRowDelegate.h"

#include <QPainter>
#include <QPainterPath>

#include "Wendalore/History/HistoryRowText.h"
#include "Wendalore/Views/Common/ItemPanel.h"
#include "Wendalore/Views/History/HistoryListModel.h"
#include "Wendalore/Views/History/HistoryStyle.h"

namespace wendalore {
namespace {

constexpr int verticalPadding = 4;
constexpr int leadingInset = 4;
constexpr int trailingInset = 6;
constexpr int iconSize = 12;
constexpr int iconSpacing = 8;
constexpr int lineSpacing = 3;
constexpr int detailGap = 12;

const QColor orange(255, 149, 0);
const QColor green(52, 199, 89);
const QColor red(255, 59, 48);

// An hourglass while waiting, a check mark or a cross in a disc once done.
void paintStatusIcon(QPainter& painter, const QRectF& box, RowStatus status, double pulse) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  if (status == RowStatus::pending) {
    QColor colour = orange;
    colour.setAlphaF(static_cast<float>(0.35 + 0.65 * pulse));
    painter.setPen(QPen(colour, 1.5));
    QPainterPath glass;
    glass.moveTo(box.topLeft());
    glass.lineTo(box.topRight());
    glass.lineTo(box.bottomLeft());
    glass.lineTo(box.bottomRight());
    glass.closeSubpath();
    painter.drawPath(glass);
  } else {
    const QColor colour = status == RowStatus::success ? green : red;
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(box);
    painter.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
    const QRectF mark = box.adjusted(3, 3, -3, -3);
    if (status == RowStatus::success) {
      painter.drawPolyline(QPolygonF({QPointF(mark.left(), mark.center().y()),
                                      QPointF(mark.center().x() - 1, mark.bottom()), mark.topRight()}));
    } else {
      painter.drawLine(mark.topLeft(), mark.bottomRight());
      painter.drawLine(mark.topRight(), mark.bottomLeft());
    }
  }
  painter.restore();
}

// A send that got no response at all; one that failed after its status
// line keeps its byte counts and says "Failed".
bool failedWithoutResponse(const RequestHistoryItem& item) {
  return !item.isPending() && item.error() && item.statusCode() == 0;
}

// Why a send failed, on the one line of a row: the lines of a body it may
// hold would otherwise run together word into word.
QString rowReason(const RequestHistoryItem& item) { return QString::fromStdString(*item.error()).simplified(); }

// For a send that got no response, the reason it failed comes in place of
// the byte counts, which would read as nothing sent and nothing received,
// and before a notice, which a narrow row then drops first.
QStringList outcomeTexts(const RequestHistoryItem& item) {
  QStringList texts;
  for (const auto& text : rowDetailTexts(item)) texts.push_back(QString::fromStdString(text));
  if (!failedWithoutResponse(item)) return texts;
  if (bytesTransferred(item)) texts.resize(texts.size() - 2);
  const auto& notice = item.notice();
  if (notice) texts.removeAll(QString::fromStdString(*notice));
  texts.push_back(rowReason(item));
  if (notice) texts.push_back(QString::fromStdString(*notice));
  return texts;
}

// Waiting shows in orange, a failure in red and a notice, which does not
// tell a failure, in orange; a selected row's highlight takes only the
// plain colour.
QColor detailColour(const RequestHistoryItem& item, const QStringList& texts, qsizetype at, bool selected,
                    const QColor& plain) {
  if (item.isPending()) return orange;
  if (selected) return plain;
  if (failedWithoutResponse(item) && texts[at] == rowReason(item)) return red;
  if (item.notice() && texts[at] == QString::fromStdString(*item.notice())) return orange;
  return plain;
}

QFont detailFont(const RequestHistoryItem& item) {
  QFont font = caption2Font();
  font.setItalic(item.isPending());
  return font;
}

// Room for the outcome texts in a row `rowWidth` pixels wide: what the icon,
// the time at the far end and the insets leave.
int detailsWidth(int rowWidth, const QString& time) {
  const int fixed = leadingInset + trailingInset + iconSize + iconSpacing + detailGap;
  return rowWidth - fixed - QFontMetrics(caption2Font()).horizontalAdvance(time);
}

}  // namespace

QStringList fittedDetails(const QStringList& texts, const QFontMetrics& metrics, int width, int gap) {
  QStringList fitted;
  int used = 0;
  for (const auto& text : texts) {
    const int left = width - used;
    const QString shown = metrics.elidedText(text, Qt::ElideRight, left);
    if (left <= 0 || shown.isEmpty() || metrics.horizontalAdvance(shown) > left) break;
    fitted.push_back(shown);
    if (shown != text) break;
    used += metrics.horizontalAdvance(text) + gap;
  }
  return fitted;
}

QStringList HistoryRowDelegate::shownDetails(const RequestHistoryItem& item, int rowWidth) {
  return fittedDetails(outcomeTexts(item), QFontMetrics(detailFont(item)),
                       detailsWidth(rowWidth, timeText(item.timestamp())), detailGap);
}

int HistoryRowDelegate::outcomeWidth() {
  // A status, a duration of seconds and a few hundred kilobytes each way.
  const QFontMetrics metrics(caption2Font());
  int width = 0;
  for (const auto* text : {"200", "1234ms", "\u2191 999 KB", "\u2193 999 KB"}) {
    width += metrics.horizontalAdvance(QString::fromUtf8(text)) + detailGap;
  }
  return width + leadingInset + trailingInset + iconSize + iconSpacing +
         metrics.horizontalAdvance(timeText(platform::Date::now()));
}

// No width of its own: the list gives each row the width it has at the
// time. A width the list had when it laid the rows out outlasts its
// narrowing, as when its scroll bar comes, and the row's end, its time, is
// cut off.
QSize HistoryRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
  const int height = QFontMetrics(captionFont()).height() + lineSpacing + QFontMetrics(caption2Font()).height();
  return {0, height + 2 * verticalPadding};
}

void HistoryRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem background = option;
  initStyleOption(&background, index);
  background.text.clear();
  drawItemPanel(*painter, background, option.rect);

  const auto& item = *model_.item(index.row());
  const QRect area = option.rect.adjusted(leadingInset, verticalPadding, -trailingInset, -verticalPadding);
  const bool selected = option.state & QStyle::State_Selected;
  const QColor primary = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
  QColor secondary = primary;
  secondary.setAlphaF(0.6f);

  const QFontMetrics caption(captionFont()), caption2(caption2Font());
  const int textHeight = caption.height() + lineSpacing + caption2.height();
  const int top = area.top() + (area.height() - textHeight) / 2;
  paintStatusIcon(*painter, QRectF(area.left(), area.center().y() - iconSize / 2.0, iconSize, iconSize),
                  rowStatus(item), model_.pulse());
  const int left = area.left() + iconSize + iconSpacing;

  painter->save();
  // First line: method, then the URL cut at its tail.
  const QFont methodFont = caption2Font(QFont::DemiBold);
  const QString method = QString::fromStdString(item.method());
  painter->setFont(methodFont);
  painter->setPen(secondary);
  const QRect methodBox(left, top, QFontMetrics(methodFont).horizontalAdvance(method), caption.height());
  painter->drawText(methodBox, Qt::AlignLeft | Qt::AlignVCenter, method);
  painter->setFont(captionFont());
  painter->setPen(primary);
  const int urlLeft = methodBox.right() + 1 + 6;
  const QString url = caption.elidedText(QString::fromStdString(item.url()), Qt::ElideRight, area.right() - urlLeft);
  painter->drawText(QRect(urlLeft, top, area.right() - urlLeft, caption.height()), Qt::AlignLeft | Qt::AlignVCenter, url);

  // Second line: the outcome texts 12 points apart, the time at the end.
  const int secondTop = top + caption.height() + lineSpacing;
  const QString time = timeText(item.timestamp());
  const QFontMetrics detailMetrics(detailFont(item));
  painter->setFont(detailFont(item));
  const QStringList texts = outcomeTexts(item);
  const QStringList details = shownDetails(item, option.rect.width());
  int x = left;
  for (qsizetype at = 0; at < details.size(); ++at) {
    const QString& line = details[at];
    painter->setPen(detailColour(item, texts, at, selected, secondary));
    painter->drawText(QPoint(x, secondTop + caption2.ascent()), line);
    x += detailMetrics.horizontalAdvance(line) + detailGap;
  }
  painter->setFont(caption2Font());
  painter->setPen(secondary);
  painter->drawText(QRect(left, secondTop, area.right() - left, caption2.height()), Qt::AlignRight | Qt::AlignVCenter,
                    time);
  painter->restore();
}

}  // namespace wendalore

#pragma once

#include <QFontMetrics>
#include <QStringList>
#include <QStyledItemDelegate>

namespace wendalore {

class HistoryListModel;
class RequestHistoryItem;

// The outcome texts of a row's second line, `gap` pixels apart, that fit in
// `width` pixels before the time: a narrow list must not draw them over it.
// The first that does not fit whole is cut with an ellipsis and ends the line.
QStringList fittedDetails(const QStringList& texts, const QFontMetrics& metrics, int width, int gap);

// Paints a history row: the status icon, then method and URL over the
// outcome (status, duration, bytes each way or why a send without response
// failed, or "Pending"; the entry's notice after the status, or after why
// the send failed) and the time of the send at the far end.
class HistoryRowDelegate : public QStyledItemDelegate {
 public:
  explicit HistoryRowDelegate(const HistoryListModel& model, QObject* parent = nullptr)
      : QStyledItemDelegate(parent), model_(model) {}

  // The outcome texts a row `rowWidth` pixels wide shows of the entry.
  static QStringList shownDetails(const RequestHistoryItem& item, int rowWidth);
  // How wide a row must be to show a finished send's outcome whole: what the
  // list asks for.
  static int outcomeWidth();

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  const HistoryListModel& model_;
};

}  // namespace wendalore

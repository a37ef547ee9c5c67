#pragma once

#include <QWidget>

#include <memory>
#include <vector>

#include "Wendalore/Model/RequestHistoryItem.h"

class QListView;
class QStackedWidget;

namespace wendalore {

class HistoryListModel;
class HistorySelection;

// The list of sends, newest first, with single selection bound to the
// window's selected entry; a short message while there is none.
class RequestHistoryListView : public QWidget {
  Q_OBJECT

 public:
  RequestHistoryListView(HistorySelection& selection, QWidget* parent = nullptr);

  // Wide enough for a row to show a send's outcome whole.
  QSize sizeHint() const override;

  void setHistory(std::vector<std::shared_ptr<RequestHistoryItem>> history);
  QListView& list() const { return *list_; }
  bool showsEmptyState() const;

 private:
  void selectCurrentEntry();
  void selectionMade();

  HistorySelection& selection_;
  HistoryListModel* model_;
  QListView* list_;
  QStackedWidget* pages_;
  bool syncing_ = false;
};

}  // namespace wendalore

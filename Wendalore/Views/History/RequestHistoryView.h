#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "Platform/Store/ObserverList.h"
#include "Wendalore/Model/RequestHistoryItem.h"

class QLabel;
class QStackedWidget;

namespace wendalore {

class HistorySelection;
class RequestHistoryDetailView;
class RequestHistoryListView;
class RequestViewModel;

// Where the history pane reads the sends from, and how it hears of changes.
struct HistoryFeed {
  std::function<std::vector<std::shared_ptr<RequestHistoryItem>>()> history;
  std::function<platform::ObservationToken(std::function<void()>)> observe;

  static HistoryFeed of(const std::shared_ptr<RequestViewModel>& viewModel);
};

// The lower pane of the window: "History (n)" over the list of sends and,
// once there is one, the detail of the selected send beside it. It only
// reads the history; the selection belongs to the window.
class RequestHistoryView : public QWidget {
  Q_OBJECT

 public:
  RequestHistoryView(const std::shared_ptr<RequestViewModel>& viewModel, HistorySelection& selection,
                     QWidget* parent = nullptr);
  RequestHistoryView(HistoryFeed feed, HistorySelection& selection, QWidget* parent = nullptr);

  RequestHistoryListView& list() const { return *list_; }
  RequestHistoryDetailView& detail() const { return *detail_; }
  // Whether the detail pane shows (an entry is selected) rather than
  // keeping its place empty.
  bool showsDetail() const;

 private:
  void reload();
  void selectionChanged();

  HistoryFeed feed_;
  HistorySelection& selection_;
  platform::ObservationToken observation_;
  std::vector<std::shared_ptr<RequestHistoryItem>> shown_;
  QLabel* title_;
  RequestHistoryListView* list_;
  QStackedWidget* detailPane_;
  RequestHistoryDetailView* detail_;
};

}  // namespace wendalore

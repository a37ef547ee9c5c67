#include "Wendalore/Views/History/RequestHistoryListView.h"

#include <QLabel>
#include <QListView>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "Wendalore/Views/History/HistoryListModel.h"
#include "Wendalore/Views/History/HistoryRowDelegate.h"
#include "Wendalore/Views/History/HistorySelection.h"
#include "Wendalore/Views/History/HistoryStyle.h"

namespace wendalore {

RequestHistoryListView::RequestHistoryListView(HistorySelection& selection, QWidget* parent)
    : QWidget(parent), selection_(selection), model_(new HistoryListModel(this)), list_(new QListView),
      pages_(new QStackedWidget) {
  auto* empty = new QWidget;
  auto* emptyLayout = new QVBoxLayout(empty);
  emptyLayout->addStretch();
  auto* title = styledLabel(tr("No requests yet"), QFont(), secondaryColor(*this));
  QColor tertiary = secondaryColor(*this);
  tertiary.setAlphaF(0.35f);
  auto* hint = styledLabel(tr("Send a request to see it here"), captionFont(), tertiary);
  for (auto* label : {title, hint}) {
    label->setAlignment(Qt::AlignCenter);
    // A narrow pane breaks the line rather than cutting it.
    label->setWordWrap(true);
    emptyLayout->addWidget(label);
  }
  emptyLayout->addStretch();

  list_->setObjectName("historyList");
  list_->setModel(model_);
  list_->setItemDelegate(new HistoryRowDelegate(*model_, list_));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setFrameShape(QFrame::NoFrame);
  list_->setUniformItemSizes(true);
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { selectionMade(); });
  connect(&selection_, &HistorySelection::changed, this, [this] { selectCurrentEntry(); });

  pages_->addWidget(empty);
  pages_->addWidget(list_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(divider());
  layout->addWidget(pages_, 1);
}

QSize RequestHistoryListView::sizeHint() const {
  return {HistoryRowDelegate::outcomeWidth() + list_->verticalScrollBar()->sizeHint().width(),
          QWidget::sizeHint().height()};
}

bool RequestHistoryListView::showsEmptyState() const { return pages_->currentIndex() == 0; }

void RequestHistoryListView::setHistory(std::vector<std::shared_ptr<RequestHistoryItem>> history) {
  syncing_ = true;
  pages_->setCurrentIndex(history.empty() ? 0 : 1);
  model_->setHistory(std::move(history));
  syncing_ = false;
  selectCurrentEntry();
}

// An entry that left the history stays selected: only the list shows no
// row for it.
void RequestHistoryListView::selectCurrentEntry() {
  syncing_ = true;
  const int row = model_->rowOf(selection_.item());
  if (row < 0) {
    list_->selectionModel()->clearSelection();
  } else {
    list_->selectionModel()->select(model_->index(row), QItemSelectionModel::ClearAndSelect);
    list_->selectionModel()->setCurrentIndex(model_->index(row), QItemSelectionModel::NoUpdate);
  }
  syncing_ = false;
}

void RequestHistoryListView::selectionMade() {
  if (syncing_) return;
  const auto rows = list_->selectionModel()->selectedRows();
  selection_.setItem(rows.isEmpty() ? nullptr : model_->item(rows.front().row()));
}

}  // namespace wendalore

#include "Wendalore/Views/History/RequestHistoryView.h"

#include <QLabel>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "Wendalore/History/HistoryRowText.h"
#include "Wendalore/ViewModel/RequestViewModel.h"
#include "Wendalore/Views/History/HistorySelection.h"
#include "Wendalore/Views/History/HistoryStyle.h"
#include "Wendalore/Views/History/RequestHistoryDetailView.h"
#include "Wendalore/Views/History/RequestHistoryListView.h"

namespace wendalore {
namespace {

constexpr int paneMinimumWidth = 100;

}  // namespace

HistoryFeed HistoryFeed::of(const std::shared_ptr<RequestViewModel>& viewModel) {
  std::weak_ptr<RequestViewModel> weak = viewModel;
  return {[weak]() -> std::vector<std::shared_ptr<RequestHistoryItem>> {
            const auto model = weak.lock();
            return model ? model->requestHistory() : std::vector<std::shared_ptr<RequestHistoryItem>>{};
          },
          [weak](std::function<void()> changed) {
            const auto model = weak.lock();
            return model ? model->observeDidChange([changed = std::move(changed)](std::string_view) { changed(); })
                         : platform::ObservationToken();
          }};
}

RequestHistoryView::RequestHistoryView(const std::shared_ptr<RequestViewModel>& viewModel,
                                       HistorySelection& selection, QWidget* parent)
    : RequestHistoryView(HistoryFeed::of(viewModel), selection, parent) {}

RequestHistoryView::RequestHistoryView(HistoryFeed feed, HistorySelection& selection, QWidget* parent)
    : QWidget(parent), feed_(std::move(feed)), selection_(selection),
      title_(styledLabel({}, caption2Font(QFont::Bold))), list_(new RequestHistoryListView(selection)),
      detailPane_(new QStackedWidget), detail_(new RequestHistoryDetailView) {
  title_->setObjectName("historyTitle");
  title_->setFixedHeight(28);
  title_->setContentsMargins(10, 0, 0, 0);

  detailPane_->addWidget(new QWidget);
  detailPane_->addWidget(detail_);
  auto* split = new QSplitter(Qt::Horizontal);
  split->setChildrenCollapsible(false);
  split->addWidget(list_);
  split->addWidget(detailPane_);
  list_->setMinimumWidth(paneMinimumWidth);
  // The detail pane is never narrower than its tab titles, which would
  // otherwise be drawn over one another; the pane, and the window, keep
  // room for them even before the first send.
  detailPane_->setMinimumWidth(std::max(paneMinimumWidth, detail_->minimumSizeHint().width()));
  setMinimumWidth(list_->minimumWidth() + split->handleWidth() + detailPane_->minimumWidth());
  split->setStretchFactor(1, 1);
  split->setSizes({list_->sizeHint().width(), 400});

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(title_);
  layout->addWidget(divider());
  layout->addWidget(split, 1);

  connect(&selection_, &HistorySelection::changed, this, [this] { selectionChanged(); });
  observation_ = feed_.observe([this] { reload(); });
  reload();
  selectionChanged();
}

bool RequestHistoryView::showsDetail() const { return !detailPane_->isHidden() && detailPane_->currentIndex() == 1; }

void RequestHistoryView::reload() {
  auto history = feed_.history();
  title_->setText(QString::fromStdString(historyTitle(history.size())));
  // An empty history is the list alone, across the whole pane; this holds
  // from the start, when there is nothing yet to reload.
  detailPane_->setVisible(!history.empty());
  if (history == shown_) return;
  // A detail pane that appears anew starts on its first page.
  if (shown_.empty() && !history.empty()) detail_->setSelectedTab(HistoryTab::response);
  shown_ = history;
  list_->setHistory(std::move(history));
}

void RequestHistoryView::selectionChanged() {
  detail_->setItem(selection_.item());
  detailPane_->setCurrentIndex(selection_.item() ? 1 : 0);
}

}  // namespace wendalore

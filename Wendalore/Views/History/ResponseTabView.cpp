#include "Wendalore/Views/History/ResponseTabView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QVBoxLayout>

#include "Wendalore/Views/Common/WrappingLabel.h"
#include "Wendalore/Views/History/HighlightedTextView.h"
#include "Wendalore/Views/History/HistoryStyle.h"

namespace wendalore {

ResponseTabView::ResponseTabView(QWidget* parent)
    : HistoryTabPage(parent),
      // A failure's reason may be long, and hold the lines of a body: it is
      // read whole, in lines as wide as the pane.
      status_(styleLabel(new WrappingLabel, caption2Font(), secondaryColor(*this))),
      searchBar_(new QWidget),
      searchField_(new QLineEdit), searchCount_(styledLabel({}, captionFont(), secondaryColor(*this))),
      text_(new HighlightedTextView) {
  auto* statusBar = new QWidget;
  statusBar->setObjectName("statusBar");
  fillWithControlBackground(*statusBar);
  auto* statusLayout = new QHBoxLayout(statusBar);
  statusLayout->setContentsMargins(8, 8, 8, 8);
  statusLayout->addWidget(status_);
  statusLayout->addStretch();

  searchField_->setObjectName("searchField");
  searchField_->setPlaceholderText(tr("Find"));
  searchField_->setClearButtonEnabled(true);
  auto* searchLayout = new QHBoxLayout(searchBar_);
  searchLayout->setContentsMargins(8, 4, 8, 4);
  searchLayout->addWidget(searchField_);
  searchLayout->addWidget(searchCount_);
  searchBar_->hide();
  connect(searchField_, &QLineEdit::textChanged, this, [this](const QString& search) {
    // Counting a large body takes a moment; the number shows when it is in.
    searchCount_->clear();
    text_->setSearch(search);
  });
  connect(text_, &LargeTextView::searchCounted, this, [this](std::size_t count) {
    if (searchField_->text().isEmpty()) searchCount_->clear();
    else searchCount_->setText(count == 1 ? tr("1 match") : tr("%1 matches").arg(count));
  });

  auto* find = new QShortcut(QKeySequence::Find, this, [this] { openSearch(); });
  find->setContext(Qt::WidgetWithChildrenShortcut);
  auto* close = new QShortcut(Qt::Key_Escape, searchField_, [this] { closeSearch(); });
  close->setContext(Qt::WidgetShortcut);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(statusBar);
  layout->addWidget(divider());
  layout->addWidget(searchBar_);
  layout->addWidget(text_, 1);
}

void ResponseTabView::refresh() {
  const auto& error = item()->error();
  status_->setText(error ? tr("Status: %1 \u2014 Failed: %2").arg(item()->statusCode()).arg(QString::fromStdString(*error))
                         : tr("Status: %1").arg(item()->statusCode()));
  text_->setContent(item());
}

void ResponseTabView::openSearch() {
  searchBar_->show();
  searchField_->setFocus();
  searchField_->selectAll();
}

void ResponseTabView::closeSearch() {
  searchField_->clear();
  searchBar_->hide();
  text_->setFocus();
}

}  // namespace wendalore

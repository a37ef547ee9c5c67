#include "Wendalore/Views/History/RequestHistoryDetailView.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "Wendalore/Views/History/HeadersTabView.h"
#include "Wendalore/Views/History/HistoryStyle.h"
#include "Wendalore/Views/History/MetricsTabView.h"
#include "Wendalore/Views/History/RequestTextTabView.h"
#include "Wendalore/Views/History/ResponseTabView.h"

namespace wendalore {
namespace {

HistoryTabPage* makePage(HistoryTab tab) {
  switch (tab) {
    case HistoryTab::response: return new ResponseTabView;
    case HistoryTab::headers: return new HeadersTabView;
    case HistoryTab::metrics: return new MetricsTabView;
    case HistoryTab::curl: return RequestTextTabView::curl();
    case HistoryTab::rawRequest: return RequestTextTabView::rawRequest();
  }
  return new ResponseTabView;
}

}  // namespace

RequestHistoryDetailView::RequestHistoryDetailView(QWidget* parent) : QWidget(parent), content_(new QVBoxLayout) {
  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(16, 8, 0, 8);
  bar->setSpacing(16);
  for (const auto tab : allHistoryTabs) {
    const QString name = QString::fromUtf8(title(tab).data(), static_cast<qsizetype>(title(tab).size()));
    auto* button = new QPushButton(name);
    button->setObjectName(name);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet("QPushButton { border: none; padding: 0; }");
    // As wide as when selected, so that selecting another tab moves none.
    button->setFont(captionFont(QFont::DemiBold));
    button->setMinimumWidth(button->sizeHint().width());
    connect(button, &QPushButton::clicked, this, [this, tab] { setSelectedTab(tab); });
    bar->addWidget(button);
    buttons_[tab] = button;
  }
  bar->addStretch();
  styleButtons();

  content_->setContentsMargins(0, 0, 0, 0);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addLayout(bar);
  layout->addWidget(divider());
  layout->addLayout(content_, 1);
}

void RequestHistoryDetailView::setItem(std::shared_ptr<RequestHistoryItem> item) {
  item_ = std::move(item);
  if (!item_) {
    delete page_;
    page_ = nullptr;
  } else if (page_) {
    page_->setItem(item_);
  } else {
    showPage();
  }
}

void RequestHistoryDetailView::setSelectedTab(HistoryTab tab) {
  if (tab == selectedTab_) return;
  selectedTab_ = tab;
  styleButtons();
  delete page_;
  page_ = nullptr;
  if (item_) showPage();
}

void RequestHistoryDetailView::showPage() {
  page_ = makePage(selectedTab_);
  // Each page scrolls what does not fit, so that no page, and no text in it,
  // sets how small the window may be, and changing tabs never resizes it.
  page_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  content_->addWidget(page_);
  page_->setItem(item_);
}

void RequestHistoryDetailView::styleButtons() {
  for (const auto& [tab, button] : buttons_) {
    const bool selected = tab == selectedTab_;
    button->setFont(captionFont(selected ? QFont::DemiBold : QFont::Normal));
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, selected ? this->palette().color(QPalette::WindowText) : secondaryColor(*this));
    button->setPalette(palette);
  }
}

}  // namespace wendalore

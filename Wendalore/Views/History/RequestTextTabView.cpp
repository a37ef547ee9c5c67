#include "Wendalore/Views/History/RequestTextTabView.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Wendalore/History/CurlCommand.h"
#include "Wendalore/History/RawRequestText.h"
#include "Wendalore/Views/History/HistoryStyle.h"
#include "Wendalore/Views/History/LargeTextView.h"

namespace wendalore {

RequestTextTabView::RequestTextTabView(const QString& title, TextOf textOf, QWidget* parent)
    : HistoryTabPage(parent), textOf_(std::move(textOf)), text_(new LargeTextView) {
  text_->setObjectName("requestText");
  text_->setWrapping(LargeTextView::Wrapping::none);
  text_->setTextFont(monospacedCaptionFont(), 0);
  text_->setMargin(8);
  text_->setFrameShape(QFrame::NoFrame);

  auto* copy = new QPushButton(tr("Copy to Clipboard"));
  copy->setObjectName("copyButton");
  copy->setFlat(true);
  connect(copy, &QPushButton::clicked, this, [this] { copyToClipboard(); });
  auto* buttons = new QWidget;
  fillWithControlBackground(*buttons);
  auto* buttonLayout = new QHBoxLayout(buttons);
  buttonLayout->setContentsMargins(8, 8, 8, 8);
  buttonLayout->addStretch();
  buttonLayout->addWidget(copy);

  auto* box = new QFrame;
  box->setFrameShape(QFrame::StyledPanel);
  auto* boxLayout = new QVBoxLayout(box);
  boxLayout->setContentsMargins(1, 1, 1, 1);
  boxLayout->setSpacing(0);
  boxLayout->addWidget(text_, 1);
  boxLayout->addWidget(divider());
  boxLayout->addWidget(buttons);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setSpacing(16);
  layout->addWidget(styledLabel(title, captionFont(), secondaryColor(*this)));
  layout->addWidget(box, 1);
}

RequestTextTabView* RequestTextTabView::curl(QWidget* parent) {
  return new RequestTextTabView(tr("Generated cURL command"), curlCommand, parent);
}

RequestTextTabView* RequestTextTabView::rawRequest(QWidget* parent) {
  return new RequestTextTabView(tr("Raw HTTP Request"), rawRequestText, parent);
}

QString RequestTextTabView::text() const { return text_->text(); }

void RequestTextTabView::refresh() { text_->setText(std::make_shared<const std::string>(textOf_(*item()))); }

void RequestTextTabView::copyToClipboard() {
  if (item()) QApplication::clipboard()->setText(QString::fromStdString(textOf_(*item())));
}

}  // namespace wendalore

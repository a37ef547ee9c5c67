#include "Wendalore/Views/History/HeadersTabView.h"

#include <QLabel>
#include <QVBoxLayout>

#include "Wendalore/History/HeaderRows.h"
#include "Wendalore/Views/History/HistoryStyle.h"

namespace wendalore {

HeadersTabView::HeadersTabView(QWidget* parent) : HistoryTabPage(parent) {
  sections_ = makeScrollingColumn();
  sections_->setContentsMargins(0, 0, 0, 0);
  sections_->setSpacing(0);
}

void HeadersTabView::refresh() {
  while (auto* child = sections_->takeAt(0)) {
    delete child->widget();
    delete child;
  }
  sections_->addWidget(section(tr("Request Headers"), item()->requestHeaders()));
  sections_->addWidget(divider());
  sections_->addWidget(section(tr("Response Headers"), item()->responseHeaders()));
  sections_->addStretch();
}

QWidget* HeadersTabView::section(const QString& title, const HeaderDictionary& headers) {
  auto* section = new QWidget;
  auto* layout = new QVBoxLayout(section);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* titleLabel = styledLabel(title, captionFont(QFont::DemiBold));
  titleLabel->setContentsMargins(8, 8, 8, 8);
  fillWithControlBackground(*titleLabel);
  layout->addWidget(titleLabel);
  layout->addWidget(divider());
  if (headers.empty()) {
    auto* none = styledLabel(tr("No headers"), captionFont(), secondaryColor(*this));
    none->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(none);
    return section;
  }
  for (const auto& [name, value] : sortedHeaders(headers)) {
    auto* row = new QWidget;
    row->setObjectName("headerRow");
    auto* rowLayout = new QVBoxLayout(row);
    rowLayout->setContentsMargins(8, 6, 8, 6);
    rowLayout->setSpacing(2);
    rowLayout->addWidget(styledLabel(QString::fromStdString(name), caption2Font(QFont::DemiBold)));
    auto* valueLabel = styledLabel(QString::fromStdString(value), caption2Font(), secondaryColor(*this));
    valueLabel->setWordWrap(true);
    valueLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    rowLayout->addWidget(valueLabel);
    layout->addWidget(row);
  }
  return section;
}

}  // namespace wendalore

#include "Wendalore/Views/History/MetricsTabView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "Wendalore/History/Waterfall.h"
#include "Wendalore/Views/History/HistoryStyle.h"
#include "Wendalore/Views/History/WaterfallBar.h"

namespace wendalore {

MetricsTabView::MetricsTabView(QWidget* parent) : HistoryTabPage(parent) {
  cards_ = makeScrollingColumn();
  cards_->setContentsMargins(12, 12, 12, 12);
  cards_->setSpacing(16);
}

QWidget* MetricsTabView::card(const QString& title, int spacing) {
  auto* card = new QWidget;
  fillWithControlBackground(*card);
  auto* layout = new QVBoxLayout(card);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setSpacing(spacing);
  layout->addWidget(styledLabel(title, captionFont(QFont::DemiBold)));
  cards_->addWidget(card);
  return card;
}

void MetricsTabView::refresh() {
  while (auto* child = cards_->takeAt(0)) {
    delete child->widget();
    delete child;
  }
  const auto* metrics = item()->metrics().get();

  auto* overview = card(tr("Overview"), 6);
  overview->setObjectName("overviewCard");
  for (const auto& row : overviewRows(item()->duration(), timestampText(item()->timestamp()).toStdString(), metrics)) {
    auto* line = new QHBoxLayout;
    line->addWidget(styledLabel(QString::fromStdString(row.label), caption2Font(), secondaryColor(*this)));
    line->addStretch();
    auto* value = styledLabel(QString::fromStdString(row.value), monospacedCaptionFont());
    value->setObjectName(QString::fromStdString(row.label));
    line->addWidget(value);
    static_cast<QVBoxLayout*>(overview->layout())->addLayout(line);
  }

  if (metrics && !metrics->transactionMetrics.empty()) {
    auto* chart = card(tr("Waterfall"), 12);
    chart->setObjectName("waterfallCard");
    const auto phases = waterfall(metrics->transactionMetrics.back(), platform::Date::now());
    auto* rows = new QVBoxLayout;
    rows->setSpacing(8);
    const int lengthWidth = WaterfallBar::lengthColumnWidth(phases.phases);
    for (const auto& phase : phases.phases) rows->addWidget(new WaterfallBar(phase, phases.scale, lengthWidth));
    static_cast<QVBoxLayout*>(chart->layout())->addLayout(rows);
  }
  cards_->addStretch();
}

}  // namespace wendalore

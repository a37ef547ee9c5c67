#include "Wendalore/Views/History/HeadersTabView.h"

#include <QVBoxLayout>

#include "Wendalore/History/RowsAsSent.h"
#include "Wendalore/Views/History/HeaderListView.h"

namespace wendalore {

HeadersTabView::HeadersTabView(QWidget* parent) : HistoryTabPage(parent), list_(new HeaderListView) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(list_);
}

QString HeadersTabView::text() const { return list_->text(); }

void HeadersTabView::refresh() { list_->setSections(rowsAsSent(*item()), item()->responseHeaders()); }

}  // namespace wendalore

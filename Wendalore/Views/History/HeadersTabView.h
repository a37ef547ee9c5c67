#pragma once

#include "Wendalore/Views/History/HistoryTabPage.h"

namespace wendalore {

class HeaderListView;

// The request headers of a send as they went out and the response
// headers, each section ascending by name: a title, then each header's
// name over its value. All of it is one selectable text laid out only
// where it is in view, so that thousands of headers show at once.
class HeadersTabView : public HistoryTabPage {
  Q_OBJECT

 public:
  explicit HeadersTabView(QWidget* parent = nullptr);

  // The page's text, as it is copied.
  QString text() const;

 protected:
  void refresh() override;

 private:
  HeaderListView* list_;
};

}  // namespace wendalore

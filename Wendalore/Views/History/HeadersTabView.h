#pragma once

#include "Wendalore/Views/History/HistoryTabPage.h"

class QVBoxLayout;

namespace wendalore {

// The request and response headers of a send, each ascending by name.
class HeadersTabView : public HistoryTabPage {
  Q_OBJECT

 public:
  explicit HeadersTabView(QWidget* parent = nullptr);

 protected:
  void refresh() override;

 private:
  QWidget* section(const QString& title, const HeaderDictionary& headers);

  QVBoxLayout* sections_;
};

}  // namespace wendalore

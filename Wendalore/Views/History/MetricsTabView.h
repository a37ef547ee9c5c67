#pragma once

#include "Wendalore/Views/History/HistoryTabPage.h"

class QVBoxLayout;

namespace wendalore {

// The timing of a send: an overview card and, once metrics are in, the
// waterfall of the last transaction's phases.
class MetricsTabView : public HistoryTabPage {
  Q_OBJECT

 public:
  explicit MetricsTabView(QWidget* parent = nullptr);

 protected:
  void refresh() override;

 private:
  QWidget* card(const QString& title, int spacing);

  QVBoxLayout* cards_;
};

}  // namespace wendalore

#pragma once

#include <QWidget>

#include <map>
#include <memory>

#include "Wendalore/History/HistoryTab.h"
#include "Wendalore/Model/RequestHistoryItem.h"

class QPushButton;
class QVBoxLayout;

namespace wendalore {

class HistoryTabPage;

// The selected send: a row of tab buttons over the chosen page. Changing the
// entry keeps the page (and its state); changing the tab builds the page
// anew.
class RequestHistoryDetailView : public QWidget {
  Q_OBJECT

 public:
  explicit RequestHistoryDetailView(QWidget* parent = nullptr);

  void setItem(std::shared_ptr<RequestHistoryItem> item);
  HistoryTab selectedTab() const { return selectedTab_; }
  void setSelectedTab(HistoryTab tab);
  // The page shown, or null without an entry.
  HistoryTabPage* page() const { return page_; }

 private:
  void showPage();
  void styleButtons();

  std::shared_ptr<RequestHistoryItem> item_;
  HistoryTab selectedTab_ = HistoryTab::response;
  std::map<HistoryTab, QPushButton*> buttons_;
  QVBoxLayout* content_;
  HistoryTabPage* page_ = nullptr;
};

}  // namespace wendalore

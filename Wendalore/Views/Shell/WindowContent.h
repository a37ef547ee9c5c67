#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "Platform/Store/ObserverList.h"
#include "Wendalore/Content/ContentController.h"
#include "Wendalore/Views/History/HistorySelection.h"
#include "Wendalore/Views/Sidebar/SidebarOutlineView.h"

namespace wendalore {

class MainWindow;

// Puts the sidebar, the editor and the history into the window and keeps
// them in step with the window's state: the sidebar reports to the content
// controller, whose changes reload the tree, replace the editor when
// another request is selected and ask before deleting.
class WindowContent : public QObject {
  Q_OBJECT

 public:
  // The window must already have its view model and outlive this, which
  // puts its widgets into the window's places.
  explicit WindowContent(MainWindow& window);
  ~WindowContent() override;

  ContentController& controller() const { return *controller_; }
  HistorySelection& historySelection() const { return *historySelection_; }
  SidebarOutlineView& sidebar() const { return *sidebar_; }

 private:
  void connectSidebar();
  void follow(ContentController::Change change);
  void refreshSidebar();
  void showSelectedTemplate();

  MainWindow& window_;
  std::unique_ptr<ContentController> controller_;
  HistorySelection* historySelection_;
  QPointer<SidebarOutlineView> sidebar_;
  // The request the editor shows, so that a reselection of the same one
  // keeps its editor and its state.
  std::shared_ptr<RequestTemplate> editedTemplate_;
  platform::ObservationToken observation_;
};

}  // namespace wendalore

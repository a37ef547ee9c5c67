#include "Wendalore/Views/Shell/WindowContent.h"

#include "Wendalore/Views/Editor/RequestEditorView.h"
#include "Wendalore/Views/History/RequestHistoryView.h"
#include "Wendalore/Views/Shell/MainWindow.h"
#include "Wendalore/Views/Sidebar/DeletionAlert.h"
#include "Wendalore/Views/Sidebar/SidebarOutlineView.h"

namespace wendalore {

WindowContent::WindowContent(MainWindow& window)
    : window_(window),
      controller_(std::make_unique<ContentController>(window.modelContext())),
      historySelection_(new HistorySelection(this)),
      sidebar_(new SidebarOutlineView) {
  auto& content = window.contentView();
  content.setSidebar(sidebar_);
  content.setHistory(new RequestHistoryView(window.viewModel(), *historySelection_));
  connectSidebar();
  // The window's state keeps the history entry the list selected.
  connect(historySelection_, &HistorySelection::changed, this,
          [this] { controller_->setSelectedHistoryItem(historySelection_->item()); });
  observation_ = controller_->observe([this](ContentController::Change change) { follow(change); });
  refreshSidebar();
}

// The editor saves as it goes; it must do so while the store still stands.
WindowContent::~WindowContent() { window_.contentView().showPlaceholder(); }

void WindowContent::connectSidebar() {
  auto& controller = *controller_;
  sidebar_->onMove = [&controller](const std::string& payload, const std::shared_ptr<RequestFolder>& target,
                                   std::int64_t index) { controller.moveItem(payload, target, index); };
  sidebar_->onDelete = [&controller](const FileSystemItem& item) { controller.requestDeletion(item); };
  sidebar_->onSelect = [&controller](const std::optional<FileSystemItem>& item) { controller.selectItem(item); };
  sidebar_->onAddFolder = [&controller](const std::shared_ptr<RequestFolder>& parent) { controller.addFolder(parent); };
  sidebar_->onAddRequest = [&controller](const std::shared_ptr<RequestFolder>& parent) {
    controller.addRequest(parent);
  };
  sidebar_->onRename = [&controller](const FileSystemItem& item, const std::string& name) {
    controller.renameItem(item, name);
  };
}

void WindowContent::follow(ContentController::Change change) {
  switch (change) {
    case ContentController::Change::dataVersion:
      refreshSidebar();
      break;
    case ContentController::Change::selectedTemplate:
      showSelectedTemplate();
      refreshSidebar();
      break;
    case ContentController::Change::deletionTarget:
      if (controller_->deletionTarget()) presentDeletionAlert(*controller_, &window_);
      break;
    case ContentController::Change::selectedHistoryItem:
      break;
  }
}

void WindowContent::refreshSidebar() {
  if (!sidebar_) return;
  sidebar_->setContent(controller_->rootItems(), controller_->selectedTemplate(), controller_->dataVersion());
}

void WindowContent::showSelectedTemplate() {
  const auto& selected = controller_->selectedTemplate();
  if (selected == editedTemplate_) return;
  editedTemplate_ = selected;
  auto& content = window_.contentView();
  if (!selected) return content.showPlaceholder();
  content.setEditor(new RequestEditorView(selected, window_.viewModel(), controller_->modelContext(),
                                          [controller = controller_.get()] { controller->renewDataVersion(); }));
}

}  // namespace wendalore

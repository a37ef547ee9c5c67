#include "Wendalore/Views/Sidebar/SidebarOutlineView.h"

#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QMenu>

#include "Wendalore/Views/Sidebar/SidebarItemDelegate.h"

namespace wendalore {

namespace {

std::vector<platform::PersistentIdentifier> identitiesOf(const std::vector<FileSystemItem>& items) {
  std::vector<platform::PersistentIdentifier> identities;
  identities.reserve(items.size());
  for (const auto& item : items) identities.push_back(item.id());
  return identities;
}

}  // namespace

SidebarOutlineView::SidebarOutlineView(QWidget* parent) : QTreeView(parent) {
  setModel(&model_);
  setItemDelegate(new SidebarItemDelegate(this));
  setHeaderHidden(true);
  setUniformRowHeights(true);
  setSelectionMode(SingleSelection);
  // Renaming starts only from the menu.
  setEditTriggers(NoEditTriggers);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(DragDrop);
  setDefaultDropAction(Qt::MoveAction);
  setFrameShape(QFrame::NoFrame);

  model_.onMove = [this](const std::string& payload, const std::shared_ptr<RequestFolder>& target,
                         std::int64_t index) {
    if (onMove) onMove(payload, target, index);
  };
  model_.onRename = [this](const FileSystemItem& item, const std::string& name) {
    if (onRename) onRename(item, name);
  };
  connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) { rememberExpansion(index, true); });
  connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) { rememberExpansion(index, false); });
}

void SidebarOutlineView::setContent(std::vector<FileSystemItem> rootItems, std::shared_ptr<RequestTemplate> selection,
                                    const platform::UUID& reloadToken) {
  // A folder the user highlighted stays highlighted until the tree reloads
  // or another request is selected.
  bool follow = selection != selection_;
  selection_ = std::move(selection);
  auto identities = identitiesOf(rootItems);
  rootItems_ = std::move(rootItems);
  if (lastReloadToken_ != reloadToken || identities != currentRootIDs_) {
    currentRootIDs_ = std::move(identities);
    lastReloadToken_ = reloadToken;
    applyingContent_ = true;
    model_.reload(rootItems_);
    restoreExpansion(rootItems_);
    applyingContent_ = false;
    follow = true;
  }
  if (follow) followSelection();
  // Names are read when rows are drawn; a rename needs no reload.
  viewport()->update();
}

void SidebarOutlineView::restoreExpansion(const std::vector<FileSystemItem>& items) {
  for (const auto& item : items) {
    auto folder = item.folder();
    if (!folder || !folder->isExpanded()) continue;
    // Opened already: a damaged store lists this folder beneath itself.
    const QModelIndex index = model_.indexOf(item);
    if (!index.isValid() || isExpanded(index)) continue;
    expand(index);
    std::vector<FileSystemItem> subfolders;
    if (folder->subfolders()) subfolders.assign(folder->subfolders()->begin(), folder->subfolders()->end());
    restoreExpansion(subfolders);
  }
}

void SidebarOutlineView::followSelection() {
  if (!selection_) return;
  const QModelIndex row = model_.indexOf(FileSystemItem(selection_));
  if (!row.isValid() || selectionModel()->isSelected(row)) return;
  applyingContent_ = true;
  selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
  scrollTo(row);
  applyingContent_ = false;
}

void SidebarOutlineView::rememberExpansion(const QModelIndex& index, bool expanded) {
  if (applyingContent_) return;
  auto item = model_.itemAt(index);
  if (auto folder = item ? item->folder() : nullptr) folder->setIsExpanded(expanded);
}

void SidebarOutlineView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
  QTreeView::selectionChanged(selected, deselected);
  if (applyingContent_ || !onSelect) return;
  const auto rows = selectionModel()->selectedRows();
  onSelect(rows.isEmpty() ? std::nullopt : model_.itemAt(rows.front()));
}

std::unique_ptr<QMenu> SidebarOutlineView::makeContextMenu(const QPoint& position) {
  auto menu = std::make_unique<QMenu>();
  const QModelIndex row = indexAt(position);
  const auto item = model_.itemAt(row);
  if (!item) {
    menu->addAction(tr("New Folder"), this, [this] {
      if (onAddFolder) onAddFolder(nullptr);
    });
    menu->addAction(tr("New Request"), this, [this] {
      if (onAddRequest) onAddRequest(nullptr);
    });
    return menu;
  }
  if (!selectionModel()->isSelected(row)) selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);

  // Rows are looked up again when the action runs: the tree may have been
  // reloaded while the menu was open.
  const auto rename = [this, item = *item] {
    const QModelIndex current = model_.indexOf(item);
    if (!current.isValid()) return;
    model_.setRenaming(item);
    if (!edit(current, AllEditTriggers, nullptr)) model_.setRenaming(std::nullopt);
  };
  const auto remove = [this, item = *item] {
    if (onDelete) onDelete(item);
  };
  if (auto folder = item->folder()) {
    menu->addAction(tr("New Request"), this, [this, folder] {
      if (onAddRequest) onAddRequest(folder);
    });
    menu->addAction(tr("New Subfolder"), this, [this, folder] {
      if (onAddFolder) onAddFolder(folder);
    });
    menu->addSeparator();
    menu->addAction(tr("Rename"), this, rename);
    menu->addSeparator();
    menu->addAction(tr("Delete Folder"), this, remove);
  } else {
    menu->addAction(tr("Rename"), this, rename);
    menu->addSeparator();
    menu->addAction(tr("Delete Request"), this, remove);
  }
  return menu;
}

void SidebarOutlineView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Escape asks to throw the typing away; a rename keeps it all the same.
  if (hint == QAbstractItemDelegate::RevertModelCache) commitData(editor);
  model_.setRenaming(std::nullopt);
  QTreeView::closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void SidebarOutlineView::dragMoveEvent(QDragMoveEvent* event) {
  QTreeView::dragMoveEvent(event);
  if (event->isAccepted() && (event->possibleActions() & Qt::MoveAction)) {
    event->setDropAction(Qt::MoveAction);
    event->accept();
  }
}

void SidebarOutlineView::contextMenuEvent(QContextMenuEvent* event) {
  auto menu = makeContextMenu(event->pos());
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu.release()->popup(event->globalPos());
}

}  // namespace wendalore

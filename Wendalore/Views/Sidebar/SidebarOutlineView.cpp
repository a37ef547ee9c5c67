#include "Wendalore/Views/Sidebar/SidebarOutlineView.h"

#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QMenu>

#include "Wendalore/Views/Sidebar/OpenFolderArrowStyle.h"
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
  auto* arrows = new OpenFolderArrowStyle;
  arrows->setParent(this);
  setStyle(arrows);
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
  connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) { followExpansion(index, true); });
  connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) { followExpansion(index, false); });
}

void SidebarOutlineView::setContent(std::vector<FileSystemItem> rootItems, std::shared_ptr<RequestTemplate> selection,
                                    const platform::UUID& reloadToken) {
  // A folder the user highlighted stays highlighted until the tree reloads
  // or another request is selected.
  const bool newSelection = selection != selection_;
  bool follow = newSelection;
  bool reveal = newSelection;
  selection_ = std::move(selection);
  auto identities = identitiesOf(rootItems);
  rootItems_ = std::move(rootItems);
  if (lastReloadToken_ != reloadToken || identities != currentRootIDs_) {
    // The edited request stays out of sight if the user closed a folder
    // above it; moved or new, it is brought into sight.
    reveal = reveal || !isOutOfSight(selection_);
    currentRootIDs_ = std::move(identities);
    lastReloadToken_ = reloadToken;
    applyingContent_ = true;
    model_.reload(rootItems_);
    restoreExpansion(rootItems_);
    applyingContent_ = false;
    follow = true;
  }
  if (follow) followSelection(reveal);
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
    // Its subfolders follow as it opens.
    expand(index);
  }
}

bool SidebarOutlineView::isOutOfSight(const std::shared_ptr<RequestTemplate>& request) const {
  if (!request) return false;
  const QModelIndex row = model_.indexOf(FileSystemItem(request));
  for (QModelIndex folder = row.parent(); folder.isValid(); folder = folder.parent()) {
    if (!isExpanded(folder)) return true;
  }
  return false;
}

void SidebarOutlineView::followSelection(bool reveal) {
  if (!selection_) return;
  const QModelIndex row = model_.indexOf(FileSystemItem(selection_));
  if (!row.isValid() || selectionModel()->isSelected(row)) return;
  applyingContent_ = true;
  if (reveal) {
    // Scrolling to it opens the folders above it, and their flags follow.
    selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
    scrollTo(row);
  } else {
    // Highlighted for when its folder is opened.
    selectionModel()->select(row, QItemSelectionModel::ClearAndSelect);
  }
  applyingContent_ = false;
}

void SidebarOutlineView::followExpansion(const QModelIndex& index, bool expanded) {
  auto item = model_.itemAt(index);
  auto folder = item ? item->folder() : nullptr;
  if (!folder) return;
  // Whoever opened or closed it, the user or the scrolling to the edited
  // request, the next reload and the next start must show it the same way.
  // Re-applying the stored state is no change to the store.
  if (folder->isExpanded() != expanded) folder->setIsExpanded(expanded);
  // A closed row keeps what the tree last found under it, and an empty
  // folder found open has nothing: laid out again, it has its arrow back.
  if (!expanded) scheduleDelayedItemsLayout();
  if (!expanded || !folder->subfolders()) return;
  // Its subfolders come into sight as they were left: open where their
  // flag says so, as a reload would show them.
  restoreExpansion(std::vector<FileSystemItem>(folder->subfolders()->begin(), folder->subfolders()->end()));
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

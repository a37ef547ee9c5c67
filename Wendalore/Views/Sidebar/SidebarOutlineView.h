#pragma once

#include <QTreeView>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Foundation/UUID.h"
#include "Platform/Store/PersistentIdentifier.h"
#include "Wendalore/Model/FileSystemItem.h"
#include "Wendalore/Views/Sidebar/SidebarOutlineModel.h"

class QMenu;

namespace wendalore {

// The sidebar's tree of folders and requests. It owns no data: its owner
// hands it the top level, the edited request and a reload token, and
// carries out what the six callbacks report (and saves). The tree changes
// the model in one place only: a folder's isExpanded follows whatever opens
// or closes it on screen, unsaved until the owner's next save, so that every
// reload shows the folders as they were last seen.
class SidebarOutlineView : public QTreeView {
  Q_OBJECT

 public:
  explicit SidebarOutlineView(QWidget* parent = nullptr);

  // Called whenever the owner's state changes. The tree is reloaded, and
  // the folders' isExpanded re-applied, only when the token or the identities
  // of the top level differ from the last reload; the first call always
  // reloads. The highlighted row follows a request selected elsewhere, and
  // the folders above it open to show it, unless the user closed one of them
  // before a reload.
  void setContent(std::vector<FileSystemItem> rootItems, std::shared_ptr<RequestTemplate> selection,
                  const platform::UUID& reloadToken);

  const std::vector<FileSystemItem>& rootItems() const { return rootItems_; }
  const std::shared_ptr<RequestTemplate>& selection() const { return selection_; }
  const std::optional<platform::UUID>& reloadToken() const { return lastReloadToken_; }
  SidebarOutlineModel& outlineModel() { return model_; }

  // A drop was taken: the dropped text, the folder dropped into (none: the
  // top level), and the gap's index among its entries or -1 for the folder
  // row itself.
  std::function<void(const std::string& payload, const std::shared_ptr<RequestFolder>& target, std::int64_t index)>
      onMove;
  // "Delete Folder" or "Delete Request".
  std::function<void(const FileSystemItem& item)> onDelete;
  // The selected row changed; none when no row is selected.
  std::function<void(const std::optional<FileSystemItem>& item)> onSelect;
  // "New Folder" (none) or "New Subfolder" (the folder).
  std::function<void(const std::shared_ptr<RequestFolder>& parent)> onAddFolder;
  // "New Request" on the empty area (none) or on a folder.
  std::function<void(const std::shared_ptr<RequestFolder>& parent)> onAddRequest;
  // A rename ended; the text as typed, empty included.
  std::function<void(const FileSystemItem& item, const std::string& name)> onRename;

  // The menu for a place in the viewport, owned by the caller: the empty
  // area's, a folder's or a request's. A row not yet selected is selected
  // first.
  std::unique_ptr<QMenu> makeContextMenu(const QPoint& position);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  // However a rename ends, Escape included, its text is committed and no
  // other row's rename follows (as Tab would otherwise start).
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  // Every drop the tree takes is a move, whatever the source proposes.
  void dragMoveEvent(QDragMoveEvent* event) override;
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

 private:
  void restoreExpansion(const std::vector<FileSystemItem>& items);
  // Beneath a closed folder of the tree shown.
  bool isOutOfSight(const std::shared_ptr<RequestTemplate>& request) const;
  void followSelection(bool reveal);
  void followExpansion(const QModelIndex& index, bool expanded);

  SidebarOutlineModel model_;
  std::vector<FileSystemItem> rootItems_;
  std::shared_ptr<RequestTemplate> selection_;
  std::optional<platform::UUID> lastReloadToken_;
  std::vector<platform::PersistentIdentifier> currentRootIDs_;
  // Set while the tree itself highlights rows, which the owner did not ask
  // for and must not hear about.
  bool applyingContent_ = false;
};

}  // namespace wendalore

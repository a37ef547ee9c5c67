#pragma once

#include <QAbstractItemModel>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Wendalore/Model/FileSystemItem.h"

namespace wendalore {

// The request tree as the sidebar shows it: one column of folders and
// requests, each folder's entries ordered as FileSystemItem::siblings orders
// them. The shape is read when the tree is reloaded and stays until the next
// reload; names and methods are read from the objects whenever a row is
// drawn, so a rename shows without one. Drags carry the node's
// outlineIdentifier as plain text, and a drop hands whatever plain text it
// brings to onMove: the owner decides whether it names anything.
class SidebarOutlineModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  // The request's method for request rows; nothing for folders.
  static constexpr int methodRole = Qt::UserRole + 1;

  explicit SidebarOutlineModel(QObject* parent = nullptr);
  ~SidebarOutlineModel() override;

  // Replaces the whole tree; the top level is shown in the given order.
  void reload(std::vector<FileSystemItem> rootItems);

  // The one row whose name may be edited, while a rename is in progress.
  void setRenaming(std::optional<FileSystemItem> item) { renaming_ = std::move(item); }

  std::optional<FileSystemItem> itemAt(const QModelIndex& index) const;
  // Invalid for a node the tree does not hold.
  QModelIndex indexOf(const FileSystemItem& item) const;

  // A drop was taken: the plain text dropped, the folder dropped into (none:
  // the top level) and the gap among its entries, or -1 for the folder row.
  std::function<void(const std::string& payload, const std::shared_ptr<RequestFolder>& target, std::int64_t index)>
      onMove;
  // The name typed into a row.
  std::function<void(const FileSystemItem& item, const std::string& name)> onRename;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& index) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  // Folders always can be opened, even when empty.
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;
  Qt::DropActions supportedDragActions() const override;
  // Text dragged in from elsewhere usually offers a copy; it moves all the same.
  Qt::DropActions supportedDropActions() const override;

 private:
  struct Node {
    std::optional<FileSystemItem> item;
    Node* parent = nullptr;
    int row = 0;
    std::vector<std::unique_ptr<Node>> children;
  };

  void adopt(Node& parent, const std::vector<FileSystemItem>& items);
  Node* nodeAt(const QModelIndex& index) const;

  Node root_;
  std::unordered_map<FileSystemItem, Node*> nodes_;
  std::optional<FileSystemItem> renaming_;
};

}  // namespace wendalore

#include "Wendalore/Views/Sidebar/SidebarOutlineModel.h"

#include <QMimeData>

#include "Wendalore/Content/TreeEntries.h"

namespace wendalore {

namespace {

const QString plainText = QStringLiteral("text/plain");

}  // namespace

SidebarOutlineModel::SidebarOutlineModel(QObject* parent) : QAbstractItemModel(parent) {}

SidebarOutlineModel::~SidebarOutlineModel() = default;

void SidebarOutlineModel::reload(std::vector<FileSystemItem> rootItems) {
  beginResetModel();
  root_.children.clear();
  nodes_.clear();
  adopt(root_, rootItems);
  endResetModel();
}

void SidebarOutlineModel::adopt(Node& parent, const std::vector<FileSystemItem>& items) {
  parent.children.reserve(items.size());
  for (const auto& item : items) {
    auto node = std::make_unique<Node>(Node{item, &parent, static_cast<int>(parent.children.size()), {}});
    // A folder placed beneath itself by a damaged store would never end.
    if (nodes_.try_emplace(item, node.get()).second) {
      if (auto folder = item.folder()) adopt(*node, shownEntries(*folder));
    }
    parent.children.push_back(std::move(node));
  }
}

SidebarOutlineModel::Node* SidebarOutlineModel::nodeAt(const QModelIndex& index) const {
  return index.isValid() ? static_cast<Node*>(index.internalPointer()) : const_cast<Node*>(&root_);
}

std::optional<FileSystemItem> SidebarOutlineModel::itemAt(const QModelIndex& index) const {
  return index.isValid() ? nodeAt(index)->item : std::nullopt;
}

QModelIndex SidebarOutlineModel::indexOf(const FileSystemItem& item) const {
  auto found = nodes_.find(item);
  return found == nodes_.end() ? QModelIndex() : createIndex(found->second->row, 0, found->second);
}

QModelIndex SidebarOutlineModel::index(int row, int column, const QModelIndex& parent) const {
  if (!hasIndex(row, column, parent)) return {};
  return createIndex(row, column, nodeAt(parent)->children[static_cast<std::size_t>(row)].get());
}

QModelIndex SidebarOutlineModel::parent(const QModelIndex& index) const {
  if (!index.isValid()) return {};
  Node* parent = nodeAt(index)->parent;
  return parent == &root_ ? QModelIndex() : createIndex(parent->row, 0, parent);
}

int SidebarOutlineModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  return static_cast<int>(nodeAt(parent)->children.size());
}

int SidebarOutlineModel::columnCount(const QModelIndex&) const { return 1; }

bool SidebarOutlineModel::hasChildren(const QModelIndex& parent) const {
  if (!parent.isValid()) return !root_.children.empty();
  return parent.column() == 0 && nodeAt(parent)->item->folder() != nullptr;
}

QVariant SidebarOutlineModel::data(const QModelIndex& index, int role) const {
  auto item = itemAt(index);
  if (!item) return {};
  auto folder = item->folder();
  auto request = item->requestTemplate();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole:
      return QString::fromStdString(folder ? folder->name() : request->name());
    case methodRole:
      return request ? QVariant(QString::fromStdString(request->method())) : QVariant();
    default:
      return {};
  }
}

bool SidebarOutlineModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  auto item = itemAt(index);
  if (!item || role != Qt::EditRole) return false;
  // The owner may reload the tree in answer.
  const QPersistentModelIndex renamed(index);
  if (onRename) onRename(*item, value.toString().toStdString());
  if (renamed.isValid()) emit dataChanged(renamed, renamed);
  return true;
}

Qt::ItemFlags SidebarOutlineModel::flags(const QModelIndex& index) const {
  // Request rows take drops too, so that a drop onto one can be refused
  // rather than turned into a drop beside it.
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
  // Nothing ever opens a request.
  if (!hasChildren(index)) flags |= Qt::ItemNeverHasChildren;
  return renaming_ && itemAt(index) == renaming_ ? flags | Qt::ItemIsEditable : flags;
}

QStringList SidebarOutlineModel::mimeTypes() const { return {plainText}; }

QMimeData* SidebarOutlineModel::mimeData(const QModelIndexList& indexes) const {
  if (indexes.isEmpty()) return nullptr;
  auto item = itemAt(indexes.front());
  if (!item) return nullptr;
  auto* data = new QMimeData;
  data->setText(QString::fromStdString(item->outlineIdentifier()));
  return data;
}

bool SidebarOutlineModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                                          const QModelIndex& parent) const {
  if (!data || !data->hasText()) return false;
  auto item = itemAt(parent);
  return !(item && item->requestTemplate() && row < 0);
}

bool SidebarOutlineModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                       const QModelIndex& parent) {
  if (!canDropMimeData(data, action, row, column, parent)) return false;
  auto item = itemAt(parent);
  auto target = item ? item->folder() : nullptr;
  if (onMove) onMove(data->text().toStdString(), target, row < 0 ? -1 : row);
  return true;
}

Qt::DropActions SidebarOutlineModel::supportedDragActions() const { return Qt::MoveAction; }

Qt::DropActions SidebarOutlineModel::supportedDropActions() const { return Qt::MoveAction | Qt::CopyAction; }

}  // namespace wendalore

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "Platform/Store/PersistentIdentifier.h"
#include "Wendalore/Model/ModelList.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Model/RequestTemplate.h"

namespace wendalore {

// A node of the sidebar tree: a reference to one folder or one template.
// Two nodes are equal when they are of the same kind and wrap the same
// object.
class FileSystemItem {
 public:
  FileSystemItem(std::shared_ptr<RequestFolder> folder) : model_(std::move(folder)) {}
  FileSystemItem(std::shared_ptr<RequestTemplate> requestTemplate) : model_(std::move(requestTemplate)) {}

  // Null for the other kind.
  std::shared_ptr<RequestFolder> folder() const;
  std::shared_ptr<RequestTemplate> requestTemplate() const;

  // The store's identifier of the wrapped object.
  platform::PersistentIdentifier id() const;
  std::int64_t sortOrder() const;
  // "folder:" or "template:" followed by the object's UUID text; what a drag
  // carries.
  std::string outlineIdentifier() const;

  // The children of one parent as the tree shows them: the folders, then
  // the templates, stably sorted by ascending sortOrder, so that at equal
  // sortOrder folders come first and each kind keeps the order it was given.
  static std::vector<FileSystemItem> siblings(const OptionalModelList<RequestFolder>& folders,
                                              const OptionalModelList<RequestTemplate>& templates);

  friend bool operator==(const FileSystemItem&, const FileSystemItem&) = default;

 private:
  friend struct std::hash<FileSystemItem>;

  std::variant<std::shared_ptr<RequestFolder>, std::shared_ptr<RequestTemplate>> model_;
};

}  // namespace wendalore

template <>
struct std::hash<wendalore::FileSystemItem> {
  std::size_t operator()(const wendalore::FileSystemItem& item) const;
};

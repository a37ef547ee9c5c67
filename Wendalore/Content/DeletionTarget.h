#pragma once

#include <memory>
#include <string>
#include <variant>

#include "Wendalore/Model/FileSystemItem.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Model/RequestTemplate.h"

namespace wendalore {

// The tree node that waits for the user to confirm its deletion.
class DeletionTarget {
 public:
  explicit DeletionTarget(const FileSystemItem& item);

  // Null for the other kind.
  std::shared_ptr<RequestFolder> folder() const;
  std::shared_ptr<RequestTemplate> requestTemplate() const;

  // "folder-" or "template-" followed by the object's UUID text; the alert
  // is keyed by it.
  std::string id() const;
  // "Delete Folder?" or "Delete Request?".
  std::string title() const;

  friend bool operator==(const DeletionTarget&, const DeletionTarget&) = default;

 private:
  std::variant<std::shared_ptr<RequestFolder>, std::shared_ptr<RequestTemplate>> model_;
};

}  // namespace wendalore

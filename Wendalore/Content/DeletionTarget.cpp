#include "Wendalore/Content/DeletionTarget.h"

namespace wendalore {

namespace {

std::variant<std::shared_ptr<RequestFolder>, std::shared_ptr<RequestTemplate>> modelOf(const FileSystemItem& item) {
  if (auto folder = item.folder()) return folder;
  return item.requestTemplate();
}

}  // namespace

DeletionTarget::DeletionTarget(const FileSystemItem& item) : model_(modelOf(item)) {}

std::shared_ptr<RequestFolder> DeletionTarget::folder() const {
  const auto* folder = std::get_if<std::shared_ptr<RequestFolder>>(&model_);
  return folder ? *folder : nullptr;
}

std::shared_ptr<RequestTemplate> DeletionTarget::requestTemplate() const {
  const auto* requestTemplate = std::get_if<std::shared_ptr<RequestTemplate>>(&model_);
  return requestTemplate ? *requestTemplate : nullptr;
}

std::string DeletionTarget::id() const {
  if (auto folder = this->folder()) return "folder-" + folder->id().uuidString();
  return "template-" + requestTemplate()->id().uuidString();
}

std::string DeletionTarget::title() const { return folder() ? "Delete Folder?" : "Delete Request?"; }

}  // namespace wendalore

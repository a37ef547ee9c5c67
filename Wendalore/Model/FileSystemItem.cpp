#include "Wendalore/Model/FileSystemItem.h"

#include <algorithm>

namespace wendalore {

std::shared_ptr<RequestFolder> FileSystemItem::folder() const {
  const auto* folder = std::get_if<std::shared_ptr<RequestFolder>>(&model_);
  return folder ? *folder : nullptr;
}

std::shared_ptr<RequestTemplate> FileSystemItem::requestTemplate() const {
  const auto* requestTemplate = std::get_if<std::shared_ptr<RequestTemplate>>(&model_);
  return requestTemplate ? *requestTemplate : nullptr;
}

platform::PersistentIdentifier FileSystemItem::id() const {
  return std::visit([](const auto& model) { return model->persistentModelID(); }, model_);
}

std::int64_t FileSystemItem::sortOrder() const {
  return std::visit([](const auto& model) { return model->sortOrder(); }, model_);
}

std::string FileSystemItem::outlineIdentifier() const {
  if (auto folder = this->folder()) return "folder:" + folder->id().uuidString();
  return "template:" + requestTemplate()->id().uuidString();
}

std::vector<FileSystemItem> FileSystemItem::siblings(const OptionalModelList<RequestFolder>& folders,
                                                     const OptionalModelList<RequestTemplate>& templates) {
  std::vector<FileSystemItem> items;
  if (folders) items.insert(items.end(), folders->begin(), folders->end());
  if (templates) items.insert(items.end(), templates->begin(), templates->end());
  std::ranges::stable_sort(items, {}, &FileSystemItem::sortOrder);
  return items;
}

}  // namespace wendalore

std::size_t std::hash<wendalore::FileSystemItem>::operator()(const wendalore::FileSystemItem& item) const {
  const std::size_t kind = item.model_.index();
  const std::size_t object = std::visit(
      [](const auto& model) { return std::hash<const void*>{}(static_cast<const void*>(model.get())); }, item.model_);
  return kind ^ (object + 0x9e3779b97f4a7c15ULL + (kind << 6) + (kind >> 2));
}

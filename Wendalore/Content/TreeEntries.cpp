#include "Wendalore/Content/TreeEntries.h"

#include <unordered_set>

namespace wendalore {

bool isOwnAncestor(const RequestFolder& folder) {
  // A loop that does not pass through this folder ends the walk too.
  std::unordered_set<const RequestFolder*> visited;
  for (auto ancestor = folder.parent(); ancestor; ancestor = ancestor->parent()) {
    if (ancestor.get() == &folder) return true;
    if (!visited.insert(ancestor.get()).second) return false;
  }
  return false;
}

std::vector<FileSystemItem> shownEntries(const RequestFolder& folder) {
  auto subfolders = folder.subfolders();
  if (subfolders) std::erase_if(*subfolders, [](const auto& subfolder) { return isOwnAncestor(*subfolder); });
  return FileSystemItem::siblings(subfolders, folder.templates());
}

}  // namespace wendalore

#include "Wendalore/Content/ContentController.h"

#include <fmt/core.h>

#include <algorithm>
#include <ranges>

#include "Wendalore/Content/TreeEntries.h"

namespace wendalore {

namespace {

struct DragPayload {
  std::string_view kind;
  platform::UUID id;
};

// "kind:UUID"; empty pieces between colons do not count.
std::optional<DragPayload> parsePayload(std::string_view text) {
  std::vector<std::string_view> pieces;
  for (auto piece : std::views::split(text, ':')) {
    if (!piece.empty()) pieces.emplace_back(piece.begin(), piece.end());
  }
  if (pieces.size() != 2) return std::nullopt;
  auto id = platform::UUID::fromString(pieces[1]);
  if (!id) return std::nullopt;
  return DragPayload{pieces[0], *id};
}

void setSortOrder(const FileSystemItem& item, std::int64_t order) {
  if (auto folder = item.folder()) {
    folder->setSortOrder(order);
  } else {
    item.requestTemplate()->setSortOrder(order);
  }
}

template <class Model>
OptionalModelList<Model> fetchAll(const platform::ModelContext& context,
                                  const std::function<bool(const Model&)>& predicate) {
  auto found = context.fetch<Model>(predicate);
  if (found) return std::move(*found);
  fmt::print(stderr, "Could not read the requests: {}\n", found.error()->description());
  return std::nullopt;
}

}  // namespace

ContentController::ContentController(std::shared_ptr<platform::ModelContext> context) : context_(std::move(context)) {}

std::vector<FileSystemItem> ContentController::rootItems() const {
  return FileSystemItem::siblings(
      fetchAll<RequestFolder>(*context_,
                              [](const RequestFolder& folder) { return !folder.parent() || isOwnAncestor(folder); }),
      fetchAll<RequestTemplate>(*context_, [](const RequestTemplate& request) { return !request.folder(); }));
}

std::vector<FileSystemItem> ContentController::entriesOf(const std::shared_ptr<RequestFolder>& parent) const {
  return parent ? shownEntries(*parent) : rootItems();
}

void ContentController::setSelectedHistoryItem(std::shared_ptr<RequestHistoryItem> item) {
  selectedHistoryItem_ = std::move(item);
  changes_.notify(Change::selectedHistoryItem);
}

void ContentController::renewDataVersion() {
  dataVersion_ = platform::UUID();
  changes_.notify(Change::dataVersion);
}

void ContentController::setSelectedTemplate(std::shared_ptr<RequestTemplate> requestTemplate) {
  selectedTemplate_ = std::move(requestTemplate);
  changes_.notify(Change::selectedTemplate);
}

void ContentController::setDeletionTarget(std::optional<DeletionTarget> target) {
  deletionTarget_ = std::move(target);
  changes_.notify(Change::deletionTarget);
}

void ContentController::save() {
  if (auto saved = context_->save(); !saved) {
    fmt::print(stderr, "Could not save the requests: {}\n", saved.error()->description());
  }
}

void ContentController::selectItem(const std::optional<FileSystemItem>& item) {
  if (!item) return;
  if (auto requestTemplate = item->requestTemplate()) setSelectedTemplate(std::move(requestTemplate));
}

void ContentController::addFolder(const std::shared_ptr<RequestFolder>& parent) {
  auto folder = RequestFolder::make("New Folder", parent);
  // A parent lists its new folder as soon as the folder names it, so the
  // folder is left out of the entries it must come after. Numbers left with
  // gaps by moves out of the parent must not put it before the last entry.
  auto entries = entriesOf(parent);
  std::erase(entries, FileSystemItem(folder));
  auto order = static_cast<std::int64_t>(entries.size());
  for (const auto& entry : entries) order = std::max(order, entry.sortOrder() + 1);
  folder->setSortOrder(order);
  context_->insert(folder);
  save();
  openForItsNewEntry(parent);
  renewDataVersion();
}

void ContentController::addRequest(const std::shared_ptr<RequestFolder>& parent) {
  auto request = RequestTemplate::make("New Request", "", "GET", parent, 0);
  context_->insert(request);
  setSelectedTemplate(request);
  save();
  openForItsNewEntry(parent);
  renewDataVersion();
}

void ContentController::openForItsNewEntry(const std::shared_ptr<RequestFolder>& parent) {
  // Before the tree reloads, which shows the folder as its flag says. The
  // flag waits for the next save, as any opening of a folder does.
  if (parent) parent->setIsExpanded(true);
}

void ContentController::renameItem(const FileSystemItem& item, std::string name) {
  if (auto folder = item.folder()) {
    folder->setName(std::move(name));
  } else {
    item.requestTemplate()->setName(std::move(name));
  }
  save();
}

void ContentController::requestDeletion(const FileSystemItem& item) { setDeletionTarget(DeletionTarget(item)); }

void ContentController::cancelDeletion() { setDeletionTarget(std::nullopt); }

void ContentController::confirmDeletion() {
  auto target = std::exchange(deletionTarget_, std::nullopt);
  if (!target) return;
  changes_.notify(Change::deletionTarget);
  if (auto folder = target->folder()) {
    deleteFolder(folder);
  } else {
    deleteTemplate(target->requestTemplate());
  }
}

void ContentController::deleteTemplate(const std::shared_ptr<RequestTemplate>& requestTemplate) {
  if (requestTemplate->isDeleted()) return;
  if (selectedTemplate_ == requestTemplate) setSelectedTemplate(nullptr);
  context_->deleteModel(requestTemplate);
  save();
  renewDataVersion();
}

void ContentController::deleteFolder(const std::shared_ptr<RequestFolder>& folder) {
  if (folder->isDeleted()) return;
  // The cascade takes requests at every depth; the editor must not keep one.
  if (selectedTemplate_) {
    auto holder = selectedTemplate_->folder();
    if (holder && (holder == folder || holder->isDescendant(folder))) setSelectedTemplate(nullptr);
  }
  context_->deleteModel(folder);
  save();
  renewDataVersion();
}

void ContentController::moveItem(std::string_view payload, const std::shared_ptr<RequestFolder>& target,
                                 std::int64_t index) {
  auto parsed = parsePayload(payload);
  if (!parsed) return;
  std::optional<FileSystemItem> moved;
  std::shared_ptr<RequestFolder> formerParent;
  if (parsed->kind == "folder") {
    if (auto folder = findFolder(parsed->id)) {
      if (target && (target == folder || target->isDescendant(folder))) return;
      formerParent = folder->parent();
      moved = folder;
    }
  } else if (parsed->kind == "template") {
    if (auto request = findTemplate(parsed->id)) {
      formerParent = request->folder();
      moved = request;
    }
  }
  if (!moved) return;

  // The tree counts a gap among the entries it shows, the moved one still in
  // its old place; below that place the gap is one entry further down.
  if (index >= 0 && formerParent == target) {
    const auto before = entriesOf(target);
    const auto place = std::ranges::find(before, *moved);
    if (place != before.end() && index > place - before.begin()) --index;
  }

  if (auto folder = moved->folder()) {
    folder->setParent(target);
  } else {
    moved->requestTemplate()->setFolder(target);
  }
  auto entries = entriesOf(target);
  std::erase_if(entries, [&](const FileSystemItem& entry) { return entry.id() == moved->id(); });
  const auto count = static_cast<std::int64_t>(entries.size());
  const auto position = index < 0 ? count : std::min(index, count);
  entries.insert(entries.begin() + position, *moved);
  for (std::size_t order = 0; order < entries.size(); ++order) {
    setSortOrder(entries[order], static_cast<std::int64_t>(order));
  }
  save();
  renewDataVersion();
}

std::shared_ptr<RequestFolder> ContentController::findFolder(const platform::UUID& id) const {
  auto found = fetchAll<RequestFolder>(*context_, [&](const RequestFolder& folder) { return folder.id() == id; });
  return found && !found->empty() ? found->front() : nullptr;
}

std::shared_ptr<RequestTemplate> ContentController::findTemplate(const platform::UUID& id) const {
  auto found =
      fetchAll<RequestTemplate>(*context_, [&](const RequestTemplate& request) { return request.id() == id; });
  return found && !found->empty() ? found->front() : nullptr;
}

}  // namespace wendalore

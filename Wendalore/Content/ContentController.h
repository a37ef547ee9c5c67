#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/UUID.h"
#include "Platform/Store/ModelContext.h"
#include "Platform/Store/ObserverList.h"
#include "Wendalore/Content/DeletionTarget.h"
#include "Wendalore/Model/FileSystemItem.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Model/RequestHistoryItem.h"
#include "Wendalore/Model/RequestTemplate.h"

namespace wendalore {

// The main window's state without its widgets: which request the editor
// shows, which node waits for deletion, which history entry is selected and
// the token that tells the sidebar to reload; and the operations that change
// the tree of folders and requests. Every operation saves the store itself
// (a failed save is reported on standard error and otherwise ignored, the
// changes staying in the context for the next save). Main thread only.
class ContentController {
 public:
  // What changed, so that a widget can follow only what it shows.
  enum class Change { dataVersion, selectedTemplate, deletionTarget, selectedHistoryItem };

  explicit ContentController(std::shared_ptr<platform::ModelContext> context);
  ContentController(const ContentController&) = delete;
  ContentController& operator=(const ContentController&) = delete;

  const std::shared_ptr<platform::ModelContext>& modelContext() const { return context_; }

  // The top level: root folders and folders that are their own ancestors,
  // then root requests, stably by sortOrder.
  std::vector<FileSystemItem> rootItems() const;

  const std::shared_ptr<RequestTemplate>& selectedTemplate() const { return selectedTemplate_; }
  const std::optional<DeletionTarget>& deletionTarget() const { return deletionTarget_; }
  const std::shared_ptr<RequestHistoryItem>& selectedHistoryItem() const { return selectedHistoryItem_; }
  void setSelectedHistoryItem(std::shared_ptr<RequestHistoryItem> item);
  // Renewed whenever the tree's shape or order changes.
  const platform::UUID& dataVersion() const { return dataVersion_; }
  // For the editor, whose name and method changes the sidebar must show.
  void renewDataVersion();

  // A request node becomes the edited request; a folder node or none keeps
  // the one selected before.
  void selectItem(const std::optional<FileSystemItem>& item);

  // "New Folder" after the parent's last entry (none: the top level).
  void addFolder(const std::shared_ptr<RequestFolder>& parent);
  // "New Request", GET, empty URL, sortOrder 0; it becomes the edited one.
  void addRequest(const std::shared_ptr<RequestFolder>& parent);
  // The name is taken as given, empty included; the tree does not reload.
  void renameItem(const FileSystemItem& item, std::string name);

  // Asks for confirmation; nothing is deleted until confirmDeletion.
  void requestDeletion(const FileSystemItem& item);
  // Deletes the target with everything beneath it.
  void confirmDeletion();
  void cancelDeletion();

  // Moves the node named by a drag payload ("folder:<UUID>" or
  // "template:<UUID>") into `target` (none: the top level) at `index` among
  // the target's entries as the tree shows them, or last for -1 or an index
  // past the end; the target's entries are then numbered 0, 1, 2, ... A
  // payload that names nothing, or a folder moved into itself or beneath
  // itself, changes nothing.
  void moveItem(std::string_view payload, const std::shared_ptr<RequestFolder>& target, std::int64_t index);

  std::shared_ptr<RequestFolder> findFolder(const platform::UUID& id) const;
  std::shared_ptr<RequestTemplate> findTemplate(const platform::UUID& id) const;

  [[nodiscard]] platform::ObservationToken observe(std::function<void(Change)> observer) const {
    return changes_.add(std::move(observer));
  }

 private:
  std::vector<FileSystemItem> entriesOf(const std::shared_ptr<RequestFolder>& parent) const;
  // A folder given a new entry shows open (none: the top level).
  void openForItsNewEntry(const std::shared_ptr<RequestFolder>& parent);
  void deleteFolder(const std::shared_ptr<RequestFolder>& folder);
  void deleteTemplate(const std::shared_ptr<RequestTemplate>& requestTemplate);
  void setSelectedTemplate(std::shared_ptr<RequestTemplate> requestTemplate);
  void setDeletionTarget(std::optional<DeletionTarget> target);
  void save();

  std::shared_ptr<platform::ModelContext> context_;
  std::shared_ptr<RequestTemplate> selectedTemplate_;
  std::optional<DeletionTarget> deletionTarget_;
  std::shared_ptr<RequestHistoryItem> selectedHistoryItem_;
  platform::UUID dataVersion_;
  platform::ObserverList<Change> changes_;
};

}  // namespace wendalore

#include "Wendalore/Model/RequestFolder.h"

#include <unordered_set>

#include "Platform/Store/StoredRecord.h"
#include "Wendalore/Model/RequestTemplate.h"

namespace wendalore {

const RequestFolder::Relationship<RequestFolder> RequestFolder::subfolderRelationship{
    &RequestFolder::subfolders_, "subfolders", &RequestFolder::parent_, "parent"};
const RequestFolder::Relationship<RequestTemplate> RequestFolder::templateRelationship{
    &RequestFolder::templates_, "templates", &RequestTemplate::folder_, "folder"};

void RequestFolder::describe(platform::Schema& schema) {
  if (!schema.add({std::string(entityName), "id", [] { return std::make_shared<RequestFolder>(Token{}); }})) return;
  RequestTemplate::describe(schema);
}

std::shared_ptr<RequestFolder> RequestFolder::make(std::string name, const std::shared_ptr<RequestFolder>& parent) {
  auto folder = std::make_shared<RequestFolder>(Token{});
  folder->setName(std::move(name));
  folder->setParent(parent);
  folder->setCreatedAt(platform::Date::now());
  return folder;
}

template <class Child>
void RequestFolder::setOwner(const Relationship<Child>& relationship, Child& child,
                             const std::shared_ptr<RequestFolder>& owner) {
  auto previous = (child.*relationship.owner).lock();
  if (previous && previous != owner) {
    previous->assign(relationship.membersField, previous.get()->*relationship.members,
                     modellist::removing(previous.get()->*relationship.members, &child));
  }
  child.assign(relationship.ownerField, child.*relationship.owner, owner);
  if (owner && !modellist::contains(owner.get()->*relationship.members, &child)) {
    auto self = std::static_pointer_cast<Child>(child.shared_from_this());
    owner->assign(relationship.membersField, owner.get()->*relationship.members,
                  modellist::appending(owner.get()->*relationship.members, std::move(self)));
  }
}

template <class Child>
void RequestFolder::setMembers(const Relationship<Child>& relationship, OptionalModelList<Child> members) {
  auto previous = std::exchange(this->*relationship.members, members);
  withMutation(relationship.membersField, [] {});
  if (previous) {
    for (const auto& child : *previous) {
      if (!modellist::contains(members, child.get()) && (child.get()->*relationship.owner).lock().get() == this) {
        child->assign(relationship.ownerField, child.get()->*relationship.owner, std::weak_ptr<RequestFolder>());
      }
    }
  }
  if (!members) return;
  auto self = std::static_pointer_cast<RequestFolder>(shared_from_this());
  for (const auto& child : *members) {
    auto owner = (child.get()->*relationship.owner).lock();
    if (owner == self) continue;
    if (owner) {
      owner->assign(relationship.membersField, owner.get()->*relationship.members,
                    modellist::removing(owner.get()->*relationship.members, child.get()));
    }
    child->assign(relationship.ownerField, child.get()->*relationship.owner, std::weak_ptr<RequestFolder>(self));
  }
}

void RequestFolder::setParent(const std::shared_ptr<RequestFolder>& parent) {
  setOwner(subfolderRelationship, *this, parent);
}

void RequestFolder::setSubfolders(OptionalModelList<RequestFolder> subfolders) {
  setMembers(subfolderRelationship, std::move(subfolders));
}

void RequestFolder::setTemplates(OptionalModelList<RequestTemplate> templates) {
  setMembers(templateRelationship, std::move(templates));
}

void RequestTemplate::setFolder(const std::shared_ptr<RequestFolder>& folder) {
  RequestFolder::setOwner(RequestFolder::templateRelationship, *this, folder);
}

bool RequestFolder::isDescendant(const std::shared_ptr<RequestFolder>& folder) const {
  // A chain that loops back on itself ends the walk rather than the program.
  std::unordered_set<const RequestFolder*> visited{this};
  for (auto ancestor = parent(); ancestor; ancestor = ancestor->parent()) {
    if (ancestor == folder) return true;
    if (!visited.insert(ancestor.get()).second) return false;
  }
  return false;
}

// The parent is not written: a folder's parent is the folder whose
// `subfolders` list it, so the two ends cannot disagree in the file.
void RequestFolder::encode(platform::RecordWriter& record) const {
  record.write("id", id_);
  record.write("name", name_);
  record.write("createdAt", createdAt_);
  record.write("isExpanded", isExpanded_);
  record.write("sortOrder", sortOrder_);
  record.writeReferences("subfolders", subfolders_);
  record.writeReferences("templates", templates_);
}

void RequestFolder::decode(const platform::RecordReader& record) {
  record.read("id", id_);
  record.read("name", name_);
  record.read("createdAt", createdAt_);
  record.read("isExpanded", isExpanded_);
  record.read("sortOrder", sortOrder_);
  record.readReferences("subfolders", subfolders_);
  record.readReferences("templates", templates_);
  auto self = std::static_pointer_cast<RequestFolder>(shared_from_this());
  for (const auto& subfolder : subfolders_.value_or(ModelList<RequestFolder>{})) subfolder->parent_ = self;
  for (const auto& requestTemplate : templates_.value_or(ModelList<RequestTemplate>{})) requestTemplate->folder_ = self;
}

std::vector<std::shared_ptr<platform::PersistentModel>> RequestFolder::relatedModels() const {
  auto related = cascadedModels();
  if (auto parent = parent_.lock()) related.push_back(std::move(parent));
  return related;
}

std::vector<std::shared_ptr<platform::PersistentModel>> RequestFolder::cascadedModels() const {
  std::vector<std::shared_ptr<platform::PersistentModel>> children;
  if (subfolders_) children.insert(children.end(), subfolders_->begin(), subfolders_->end());
  if (templates_) children.insert(children.end(), templates_->begin(), templates_->end());
  return children;
}

void RequestFolder::detachFromRelatives() {
  if (auto parent = parent_.lock()) {
    parent->assign(subfolderRelationship.membersField, parent->subfolders_,
                   modellist::removing(parent->subfolders_, this));
  }
}

}  // namespace wendalore

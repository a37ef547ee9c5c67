#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/Date.h"
#include "Platform/Foundation/UUID.h"
#include "Platform/Store/PersistentModel.h"
#include "Platform/Store/Schema.h"
#include "Wendalore/Model/ModelList.h"

namespace wendalore {

class RequestTemplate;

// A folder of the request tree. Subfolders and templates belong to it:
// deleting the folder deletes them, and everything beneath them. Setting
// either end of a relationship (a folder's `parent` or its `subfolders`, a
// template's `folder` or a folder's `templates`) updates the other end.
class RequestFolder final : public platform::PersistentModel {
  struct Token {
    explicit Token() = default;
  };

 public:
  static constexpr std::string_view entityName = "RequestFolder";
  static void describe(platform::Schema& schema);

  // Not yet in any store: the caller inserts it.
  static std::shared_ptr<RequestFolder> make(std::string name, const std::shared_ptr<RequestFolder>& parent);
  explicit RequestFolder(Token) {}

  std::string_view entity() const override { return entityName; }

  const platform::UUID& id() const { return id_; }
  void setId(platform::UUID id) { assign("id", id_, id); }
  const std::string& name() const { return name_; }
  void setName(std::string name) { assign("name", name_, std::move(name)); }
  platform::Date createdAt() const { return createdAt_; }
  void setCreatedAt(platform::Date date) { assign("createdAt", createdAt_, date); }
  bool isExpanded() const { return isExpanded_; }
  void setIsExpanded(bool expanded) { assign("isExpanded", isExpanded_, expanded); }
  std::int64_t sortOrder() const { return sortOrder_; }
  void setSortOrder(std::int64_t order) { assign("sortOrder", sortOrder_, order); }

  std::shared_ptr<RequestFolder> parent() const { return parent_.lock(); }
  void setParent(const std::shared_ptr<RequestFolder>& parent);
  const OptionalModelList<RequestFolder>& subfolders() const { return subfolders_; }
  void setSubfolders(OptionalModelList<RequestFolder> subfolders);
  const OptionalModelList<RequestTemplate>& templates() const { return templates_; }
  void setTemplates(OptionalModelList<RequestTemplate> templates);

  // Whether `folder` is one of this folder's ancestors; a folder is not its
  // own ancestor.
  bool isDescendant(const std::shared_ptr<RequestFolder>& folder) const;

 private:
  friend class RequestTemplate;

  // One relationship of a folder to the children it owns, with the child's
  // weak reference back as its inverse.
  template <class Child>
  struct Relationship {
    OptionalModelList<Child> RequestFolder::*members;
    std::string_view membersField;
    std::weak_ptr<RequestFolder> Child::*owner;
    std::string_view ownerField;
  };
  static const Relationship<RequestFolder> subfolderRelationship;
  static const Relationship<RequestTemplate> templateRelationship;

  template <class Child>
  static void setOwner(const Relationship<Child>& relationship, Child& child,
                       const std::shared_ptr<RequestFolder>& owner);
  template <class Child>
  void setMembers(const Relationship<Child>& relationship, OptionalModelList<Child> members);

  void encode(platform::RecordWriter& record) const override;
  void decode(const platform::RecordReader& record) override;
  std::vector<std::shared_ptr<platform::PersistentModel>> relatedModels() const override;
  std::vector<std::shared_ptr<platform::PersistentModel>> cascadedModels() const override;
  void detachFromRelatives() override;

  platform::UUID id_;
  std::string name_;
  platform::Date createdAt_;
  bool isExpanded_ = true;
  std::int64_t sortOrder_ = 0;
  std::weak_ptr<RequestFolder> parent_;
  OptionalModelList<RequestFolder> subfolders_ = ModelList<RequestFolder>{};
  OptionalModelList<RequestTemplate> templates_ = ModelList<RequestTemplate>{};
};

}  // namespace wendalore

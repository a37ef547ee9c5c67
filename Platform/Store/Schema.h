#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class PersistentModel;

struct EntityDescription {
  std::string name;
  // The stored field whose value no two objects of the entity may share.
  std::optional<std::string> uniqueAttribute;
  // An object with every field at its initial value, which a stored record
  // then fills.
  std::function<std::shared_ptr<PersistentModel>()> makeBlank;
};

// The entities a store holds. Models add themselves and the models their
// relationships lead to, so naming the top models is enough.
class Schema {
 public:
  template <class... Models>
  static Schema of() {
    Schema schema;
    (Models::describe(schema), ...);
    return schema;
  }

  // False when an entity of that name is there already, so that models that
  // name each other stop there.
  bool add(EntityDescription entity);
  const EntityDescription* entity(std::string_view name) const;
  const std::vector<EntityDescription>& entities() const { return entities_; }

 private:
  std::vector<EntityDescription> entities_;
};

}  // namespace platform

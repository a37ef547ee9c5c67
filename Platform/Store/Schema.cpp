#include "Platform/Store/Schema.h"

#include <algorithm>

namespace platform {

bool Schema::add(EntityDescription entity) {
  if (this->entity(entity.name) != nullptr) return false;
  entities_.push_back(std::move(entity));
  return true;
}

const EntityDescription* Schema::entity(std::string_view name) const {
  auto found = std::ranges::find(entities_, name, &EntityDescription::name);
  return found == entities_.end() ? nullptr : &*found;
}

}  // namespace platform

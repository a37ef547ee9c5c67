#pragma once

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace wendalore {

// A to-many relationship: the objects in the relationship's order.
template <class Model>
using ModelList = std::vector<std::shared_ptr<Model>>;

// A to-many relationship that may also be absent, which is not the same as
// empty.
template <class Model>
using OptionalModelList = std::optional<ModelList<Model>>;

namespace modellist {

template <class Model>
bool contains(const OptionalModelList<Model>& list, const Model* model) {
  return list && std::ranges::any_of(*list, [&](const auto& member) { return member.get() == model; });
}

// Appends to an absent list by making it a list of one.
template <class Model>
OptionalModelList<Model> appending(OptionalModelList<Model> list, std::shared_ptr<Model> model) {
  if (!list) list.emplace();
  list->push_back(std::move(model));
  return list;
}

template <class Model>
OptionalModelList<Model> removing(OptionalModelList<Model> list, const Model* model) {
  if (list) std::erase_if(*list, [&](const auto& member) { return member.get() == model; });
  return list;
}

}  // namespace modellist
}  // namespace wendalore

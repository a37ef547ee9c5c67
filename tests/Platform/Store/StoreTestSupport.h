#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "Platform/Store/ModelContainer.h"
#include "Platform/Store/SQLiteConnection.h"
#include "ShelfModel.h"

inline std::shared_ptr<platform::ModelContainer> openShelves(const std::filesystem::path& file) {
  auto container = platform::ModelContainer::open(platform::Schema::of<Shelf>(), file);
  if (!container) {
    ADD_FAILURE() << container.error()->description();
    return nullptr;
  }
  return *container;
}

template <class Model>
std::vector<std::shared_ptr<Model>> fetchAll(const platform::ModelContext& context) {
  auto models = context.fetch<Model>();
  if (!models) {
    ADD_FAILURE() << models.error()->description();
    return {};
  }
  return *models;
}

// The document stored in one row, read past the store layer.
inline std::string storedDocument(const std::filesystem::path& file, const std::string& table, std::int64_t key) {
  platform::SQLiteConnection connection(file);
  return connection.text("SELECT document FROM \"" + table + "\" WHERE pk = " + std::to_string(key)).value_or("");
}

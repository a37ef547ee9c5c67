#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Coding/CodingKey.h"
#include "Platform/Foundation/Date.h"
#include "Platform/Foundation/UUID.h"
#include "Platform/Store/PersistentModel.h"

namespace platform {

// A stored object is one JSON document per row. Fields are members under
// their own names; an absent optional is null, so that it stays apart from
// an empty value; dates are seconds since 1970 and UUIDs their text; a
// reference is the row number of the object it names, a to-many
// relationship the list of those numbers in the relationship's order.

class RecordWriter {
 public:
  explicit RecordWriter(nlohmann::json& document) : document_(document) {}

  void write(std::string_view field, const std::string& value) { at(field) = value; }
  void write(std::string_view field, const char* value) { at(field) = value; }
  void write(std::string_view field, bool value) { at(field) = value; }
  void write(std::string_view field, std::int64_t value) { at(field) = value; }
  void write(std::string_view field, int value) { at(field) = value; }
  void write(std::string_view field, double value) { at(field) = value; }
  void write(std::string_view field, Date value) { at(field) = value.timeIntervalSince1970; }
  void write(std::string_view field, const UUID& value) { at(field) = value.uuidString(); }
  template <class T>
  void write(std::string_view field, const std::optional<T>& value) {
    if (value) {
      write(field, *value);
    } else {
      at(field) = nullptr;
    }
  }

  // Null when there is no object or it has been deleted.
  void writeReference(std::string_view field, const std::shared_ptr<PersistentModel>& model) {
    at(field) = model && !model->isDeleted() ? nlohmann::json(rowOf(*model)) : nlohmann::json(nullptr);
  }
  // Deleted members are left out.
  template <class Model>
  void writeReferences(std::string_view field, const std::vector<std::shared_ptr<Model>>& models) {
    auto rows = nlohmann::json::array();
    for (const auto& model : models) {
      if (model && !model->isDeleted()) rows.push_back(rowOf(*model));
    }
    at(field) = std::move(rows);
  }
  template <class Model>
  void writeReferences(std::string_view field, const std::optional<std::vector<std::shared_ptr<Model>>>& models) {
    if (models) {
      writeReferences(field, *models);
    } else {
      at(field) = nullptr;
    }
  }

 private:
  nlohmann::json& at(std::string_view field) { return document_[std::string(field)]; }
  static std::int64_t rowOf(const PersistentModel& model);

  nlohmann::json& document_;
};

class RecordReader {
 public:
  // The object stored in row `key` of `entity`, or null when there is none.
  using Resolver = std::function<std::shared_ptr<PersistentModel>(std::string_view entity, std::int64_t key)>;

  // `name` says which record this is in error messages.
  RecordReader(const nlohmann::json& document, Resolver resolve, std::string name)
      : document_(document), resolve_(std::move(resolve)), name_(std::move(name)) {}

  // Where `field` lies, for decoding errors about its value.
  CodingPath codingPath(std::string_view field) const { return {CodingKey(name_), CodingKey(field)}; }

  // A field the record lacks leaves `value` as it is; a field of another
  // type throws StoreError.
  template <class T>
  void read(std::string_view field, T& value) const {
    if (const auto* stored = find(field)) value = convert<T>(*stored, field);
  }
  template <class T>
  void read(std::string_view field, std::optional<T>& value) const {
    if (const auto* stored = find(field)) {
      value = stored->is_null() ? std::nullopt : std::optional<T>(convert<T>(*stored, field));
    }
  }

  // A reference to a row that no longer exists reads as no object.
  template <class Model>
  std::shared_ptr<Model> reference(const nlohmann::json& stored, std::string_view field) const {
    if (stored.is_null()) return nullptr;
    if (!stored.is_number_integer()) throwWrongType(field, "a row number");
    return std::static_pointer_cast<Model>(resolve_(Model::entityName, stored.get<std::int64_t>()));
  }
  template <class Model>
  void readReferences(std::string_view field, std::vector<std::shared_ptr<Model>>& models) const {
    const auto* stored = find(field);
    if (!stored || stored->is_null()) return;
    if (!stored->is_array()) throwWrongType(field, "a list of row numbers");
    models.clear();
    for (const auto& row : *stored) {
      if (auto model = reference<Model>(row, field)) models.push_back(std::move(model));
    }
  }
  template <class Model>
  void readReferences(std::string_view field, std::optional<std::vector<std::shared_ptr<Model>>>& models) const {
    const auto* stored = find(field);
    if (!stored) return;
    if (stored->is_null()) {
      models.reset();
      return;
    }
    models.emplace();
    readReferences(field, *models);
  }
  template <class Model, class Pointer>
  void readReference(std::string_view field, Pointer& model) const {
    if (const auto* stored = find(field)) model = reference<Model>(*stored, field);
  }

 private:
  const nlohmann::json* find(std::string_view field) const;
  [[noreturn]] void throwWrongType(std::string_view field, std::string_view expected) const;

  template <class T>
  T convert(const nlohmann::json& stored, std::string_view field) const {
    if constexpr (std::same_as<T, std::string>) {
      if (stored.is_string()) return stored.get<std::string>();
      throwWrongType(field, "a text");
    } else if constexpr (std::same_as<T, bool>) {
      if (stored.is_boolean()) return stored.get<bool>();
      throwWrongType(field, "a Boolean");
    } else if constexpr (std::same_as<T, std::int64_t> || std::same_as<T, int>) {
      if (stored.is_number_integer() && std::in_range<T>(stored.get<std::int64_t>())) return stored.get<T>();
      throwWrongType(field, "an integer");
    } else if constexpr (std::same_as<T, double>) {
      if (stored.is_number()) return stored.get<double>();
      throwWrongType(field, "a number");
    } else if constexpr (std::same_as<T, Date>) {
      if (stored.is_number()) return Date{stored.get<double>()};
      throwWrongType(field, "a date");
    } else {
      static_assert(std::same_as<T, UUID>, "a type records do not store");
      if (stored.is_string()) {
        if (auto uuid = UUID::fromString(stored.get_ref<const std::string&>())) return *uuid;
      }
      throwWrongType(field, "a UUID");
    }
  }

  const nlohmann::json& document_;
  Resolver resolve_;
  std::string name_;
};

}  // namespace platform

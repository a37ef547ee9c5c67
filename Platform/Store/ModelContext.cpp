#include "Platform/Store/ModelContext.h"

#include <fmt/format.h>

#include <unordered_set>

#include "Platform/Fatal.h"
#include "Platform/Store/StoreError.h"
#include "Platform/Store/StoredRecord.h"

namespace platform {
namespace {

std::string describeRow(std::string_view entity, std::int64_t key) { return fmt::format("{} row {}", entity, key); }

}  // namespace

std::expected<std::shared_ptr<ModelContext>, AnyError> ModelContext::make(std::shared_ptr<StoreFile> store) {
  auto context = std::make_shared<ModelContext>(std::move(store));
  try {
    context->load();
  } catch (const Error& error) {
    return std::unexpected(error.clone());
  } catch (const nlohmann::json::exception& error) {
    return std::unexpected(makeError(StoreError(error.what())));
  }
  return context;
}

// Two passes: every object first exists blank, so that the records, read in
// the second pass, can refer to any of them.
void ModelContext::load() {
  struct Loaded {
    std::string_view entity;
    std::int64_t key;
    Entry* entry;
  };
  std::vector<Loaded> loaded;
  for (const auto& entity : store_->schema().entities()) {
    auto rows = store_->rows(entity.name);
    if (!rows) throw StoreError(rows.error()->description());
    auto& entries = live_[entity.name];
    for (auto& row : *rows) {
      Entry entry{entity.makeBlank(), {}, std::move(row.document)};
      try {
        entry.document = nlohmann::json::parse(*entry.savedText);
      } catch (const nlohmann::json::parse_error& error) {
        throw StoreError(fmt::format("{} of the store {} is damaged: {}", describeRow(entity.name, row.key),
                                     store_->path().string(), error.what()));
      }
      if (!entry.document.is_object()) {
        throw StoreError(fmt::format("{} of the store {} is damaged", describeRow(entity.name, row.key),
                                     store_->path().string()));
      }
      entry.model->context_ = weak_from_this();
      entry.model->primaryKey_ = row.key;
      auto& placed = entries.emplace(row.key, std::move(entry)).first->second;
      loaded.push_back({entity.name, row.key, &placed});
    }
  }
  const auto resolve = [this](std::string_view entity, std::int64_t key) -> std::shared_ptr<PersistentModel> {
    auto entries = live_.find(entity);
    if (entries == live_.end()) return nullptr;
    auto found = entries->second.find(key);
    return found == entries->second.end() ? nullptr : found->second.model;
  };
  for (const auto& [entity, key, entry] : loaded) {
    entry->model->decode(RecordReader(entry->document, resolve, describeRow(entity, key)));
  }
}

bool ModelContext::holds(const PersistentModel& model) const {
  if (model.context_.lock().get() != this || model.deleted_) return false;
  auto entries = live_.find(model.entity());
  return entries != live_.end() && entries->second.contains(model.primaryKey_);
}

void ModelContext::adopt(const std::shared_ptr<PersistentModel>& model) {
  const auto entity = model->entity();
  if (!store_->schema().entity(entity)) fatal(fmt::format("{} is not in the store's schema", entity));
  if (auto owner = model->context_.lock(); owner && owner.get() != this) {
    fatal(fmt::format("A {} held by one model context cannot be inserted into another", entity));
  }
  model->context_ = weak_from_this();
  if (model->primaryKey_ == 0) model->primaryKey_ = store_->allocateKey(entity);
  live_[std::string(entity)].emplace(model->primaryKey_, Entry{model, nlohmann::json::object(), std::nullopt});
}

void ModelContext::adoptReachable(std::vector<std::shared_ptr<PersistentModel>> starts) {
  std::unordered_set<const PersistentModel*> visited;
  while (!starts.empty()) {
    auto model = std::move(starts.back());
    starts.pop_back();
    if (!model || model->deleted_ || !visited.insert(model.get()).second) continue;
    if (!holds(*model)) adopt(model);
    for (auto& related : model->relatedModels()) starts.push_back(std::move(related));
  }
}

void ModelContext::restore(const std::shared_ptr<PersistentModel>& model) {
  model->deleted_ = false;
  auto entries = deleted_.find(model->entity());
  if (entries == deleted_.end()) return;
  auto found = entries->second.find(model->primaryKey_);
  if (found == entries->second.end()) return;
  live_[entries->first].emplace(found->first, std::move(found->second));
  entries->second.erase(found);
}

void ModelContext::insert(const std::shared_ptr<PersistentModel>& model) {
  if (!model) return;
  if (model->deleted_ && model->context_.lock().get() == this) restore(model);
  adoptReachable({model});
  changes_.notify();
}

void ModelContext::deleteModel(const std::shared_ptr<PersistentModel>& model) {
  if (!model || !holds(*model)) return;
  std::vector<std::shared_ptr<PersistentModel>> pending{model};
  while (!pending.empty()) {
    auto next = std::move(pending.back());
    pending.pop_back();
    if (!next || !holds(*next)) continue;
    for (auto& cascaded : next->cascadedModels()) pending.push_back(std::move(cascaded));
    next->detachFromRelatives();
    next->deleted_ = true;
    auto& entries = live_.find(next->entity())->second;
    auto found = entries.find(next->primaryKey_);
    // A row never written needs no deletion in the file.
    if (found->second.savedText) deleted_[std::string(next->entity())].emplace(found->first, std::move(found->second));
    entries.erase(found);
  }
  changes_.notify();
}

std::vector<StoreFile::Change> ModelContext::pendingChanges(std::map<const PersistentModel*, Written>& written) const {
  std::vector<StoreFile::Change> changes;
  for (const auto& [entity, entries] : deleted_) {
    for (const auto& [key, entry] : entries) changes.push_back({entity, key, std::nullopt, std::nullopt});
  }
  for (const auto& [entity, entries] : live_) {
    const auto& uniqueAttribute = store_->schema().entity(entity)->uniqueAttribute;
    for (const auto& [key, entry] : entries) {
      auto document = entry.document;
      RecordWriter writer(document);
      entry.model->encode(writer);
      std::string text;
      try {
        text = document.dump();
      } catch (const nlohmann::json::type_error& error) {
        throw StoreError(fmt::format("{} could not be saved: {}", describeRow(entity, key), error.what()));
      }
      if (text == entry.savedText) continue;
      std::optional<std::string> uniqueValue;
      if (uniqueAttribute) {
        auto value = document.find(*uniqueAttribute);
        if (value != document.end() && !value->is_null()) uniqueValue = value->dump();
      }
      changes.push_back({entity, key, text, std::move(uniqueValue), !entry.savedText});
      written.emplace(entry.model.get(), Written{std::move(document), std::move(text)});
    }
  }
  return changes;
}

std::expected<void, AnyError> ModelContext::save() {
  auto saved = writeChanges();
  if (saved) {
    saves_.notify();
  } else {
    saveFailures_.notify(*saved.error());
  }
  return saved;
}

std::expected<void, AnyError> ModelContext::writeChanges() {
  std::vector<std::shared_ptr<PersistentModel>> held;
  for (const auto& [entity, entries] : live_) {
    for (const auto& [key, entry] : entries) held.push_back(entry.model);
  }
  adoptReachable(std::move(held));

  std::map<const PersistentModel*, Written> written;
  std::vector<StoreFile::Change> changes;
  try {
    changes = pendingChanges(written);
  } catch (const StoreError& error) {
    return std::unexpected(error.clone());
  }
  if (changes.empty()) return {};
  if (auto applied = store_->apply(changes); !applied) return applied;

  for (auto& [entity, entries] : live_) {
    for (auto& [key, entry] : entries) {
      auto found = written.find(entry.model.get());
      if (found == written.end()) continue;
      entry.document = std::move(found->second.document);
      entry.savedText = std::move(found->second.text);
    }
  }
  deleted_.clear();
  changes_.notify();
  return {};
}

std::expected<std::vector<std::shared_ptr<PersistentModel>>, AnyError> ModelContext::fetchEntity(
    std::string_view entity) const {
  if (!store_->schema().entity(entity)) {
    return std::unexpected(makeError(StoreError(fmt::format("{} is not in the store's schema", entity))));
  }
  std::vector<std::shared_ptr<PersistentModel>> models;
  if (auto entries = live_.find(entity); entries != live_.end()) {
    for (const auto& [key, entry] : entries->second) models.push_back(entry.model);
  }
  return models;
}

}  // namespace platform

#pragma once

#include <cstdint>
#include <expected>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/Error.h"
#include "Platform/Store/ObserverList.h"
#include "Platform/Store/PersistentModel.h"
#include "Platform/Store/StoreFile.h"

namespace platform {

// The objects of one store as the program sees them: one object per stored
// row (fetching twice gives the same objects), objects inserted since the
// last save, and objects deleted since then. Changes reach the file only on
// save. Used on the main thread only.
class ModelContext : public std::enable_shared_from_this<ModelContext> {
 public:
  // Reads every object of the store; fails when one of them cannot be read,
  // leaving the file untouched.
  static std::expected<std::shared_ptr<ModelContext>, AnyError> make(std::shared_ptr<StoreFile> store);

  // Inserts the object and every object it refers to that no context holds
  // yet. Inserting an object deleted since the last save takes it back.
  void insert(const std::shared_ptr<PersistentModel>& model);
  // Deletes the object and, by the cascade rules, the objects beneath it,
  // taking each out of the relationships that hold it. An object this
  // context does not hold is left alone.
  void deleteModel(const std::shared_ptr<PersistentModel>& model);
  // Writes every inserted, changed and deleted object in one transaction.
  // Objects that became reachable from held ones since they were inserted
  // are inserted first. On failure the file stays as it was and the changes
  // stay pending, so a later save can write them.
  [[nodiscard]] std::expected<void, AnyError> save();

  // The held objects of the model's entity that match the predicate, in the
  // order of the store (that is, of insertion). Deleted ones are left out.
  template <class Model>
  std::expected<std::vector<std::shared_ptr<Model>>, AnyError> fetch(
      const std::function<bool(const Model&)>& predicate = nullptr) const {
    auto all = fetchEntity(Model::entityName);
    if (!all) return std::unexpected(all.error());
    std::vector<std::shared_ptr<Model>> matching;
    for (auto& model : *all) {
      auto typed = std::static_pointer_cast<Model>(std::move(model));
      if (!predicate || predicate(*typed)) matching.push_back(std::move(typed));
    }
    return matching;
  }

  // Called after every insert, deletion and save, and after a field of a
  // held object was written: the moment to fetch again.
  [[nodiscard]] ObservationToken observeChanges(std::function<void()> observer) {
    return changes_.add(std::move(observer));
  }

  // Called after every save that failed, with why: whoever saved, the user
  // must learn that their changes are not in the file.
  [[nodiscard]] ObservationToken observeSaveFailures(std::function<void(const Error&)> observer) {
    return saveFailures_.add(std::move(observer));
  }

  // Called after every save that succeeded, with or without changes to
  // write: from then on the file holds everything.
  [[nodiscard]] ObservationToken observeSaves(std::function<void()> observer) { return saves_.add(std::move(observer)); }

  const std::shared_ptr<StoreFile>& store() const { return store_; }

  explicit ModelContext(std::shared_ptr<StoreFile> store) : store_(std::move(store)) {}

 private:
  friend class PersistentModel;

  struct Entry {
    std::shared_ptr<PersistentModel> model;
    // The document last read or written, so that fields unknown to the
    // models survive a rewrite.
    nlohmann::json document = nlohmann::json::object();
    // Its text as the file holds it; absent while the row is not written.
    std::optional<std::string> savedText;
  };
  using EntriesByKey = std::map<std::int64_t, Entry>;
  using EntriesByEntity = std::map<std::string, EntriesByKey, std::less<>>;

  void load();
  std::expected<void, AnyError> writeChanges();
  bool holds(const PersistentModel& model) const;
  void adopt(const std::shared_ptr<PersistentModel>& model);
  void adoptReachable(std::vector<std::shared_ptr<PersistentModel>> starts);
  void restore(const std::shared_ptr<PersistentModel>& model);
  // A document as a save writes it.
  struct Written {
    nlohmann::json document;
    std::string text;
  };
  // The changes to write; `written` receives the new document of each
  // object written. Throws StoreError for an object that cannot be written.
  std::vector<StoreFile::Change> pendingChanges(std::map<const PersistentModel*, Written>& written) const;
  std::expected<std::vector<std::shared_ptr<PersistentModel>>, AnyError> fetchEntity(std::string_view entity) const;
  void modelDidChange() { changes_.notify(); }

  std::shared_ptr<StoreFile> store_;
  EntriesByEntity live_;
  EntriesByEntity deleted_;
  ObserverList<> changes_;
  ObserverList<const Error&> saveFailures_;
  ObserverList<> saves_;
};

}  // namespace platform

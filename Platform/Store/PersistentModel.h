#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "Platform/Store/ObserverList.h"
#include "Platform/Store/PersistentIdentifier.h"

namespace platform {

class ModelContext;
class RecordReader;
class RecordWriter;

// Base of every stored class. A subclass names its entity in a static
// `entityName`, describes itself for the schema in a static
// `describe(Schema&)`, keeps its fields as plain members, writes each field
// through withMutation so that observers hear of it, and tells the context
// how to store it and how its relationships run (the virtual operations
// below). Objects are shared: a context holds each one it knows, and the
// owning side of a relationship holds its members, while back-references are
// weak. Used on the main thread only.
class PersistentModel : public std::enable_shared_from_this<PersistentModel> {
 public:
  virtual ~PersistentModel() = default;
  PersistentModel(const PersistentModel&) = delete;
  PersistentModel& operator=(const PersistentModel&) = delete;

  virtual std::string_view entity() const = 0;

  PersistentIdentifier persistentModelID() const;
  // The context the object was inserted into; null before that.
  std::shared_ptr<ModelContext> modelContext() const { return context_.lock(); }
  // Deleted from its context (the row goes with the next save).
  bool isDeleted() const { return deleted_; }

  // Calls `observer` with the field's name after every write of a field,
  // whether or not the value changed.
  [[nodiscard]] ObservationToken observe(std::function<void(std::string_view field)> observer) const {
    return observers_.add(std::move(observer));
  }

 protected:
  PersistentModel();

  template <class Write>
  void withMutation(std::string_view field, Write&& write) {
    std::forward<Write>(write)();
    didChange(field);
  }
  template <class Member, class Value>
  void assign(std::string_view field, Member& member, Value&& value) {
    withMutation(field, [&] { member = std::forward<Value>(value); });
  }

  // Writes every stored field; references to other objects go through the
  // writer, which turns them into their rows.
  virtual void encode(RecordWriter& record) const = 0;
  // Reads the fields the record holds; a field it lacks keeps its initial
  // value. Throws (DecodingError, StoreError) for a field it cannot read.
  virtual void decode(const RecordReader& record) = 0;
  // Every object this one refers to; they are stored along with it.
  virtual std::vector<std::shared_ptr<PersistentModel>> relatedModels() const = 0;
  // The objects deleted along with this one.
  virtual std::vector<std::shared_ptr<PersistentModel>> cascadedModels() const { return {}; }
  // Takes this object out of the relationships other objects hold it in,
  // before it is deleted.
  virtual void detachFromRelatives() {}

 private:
  friend class ModelContext;
  friend class RecordWriter;

  void didChange(std::string_view field);

  std::weak_ptr<ModelContext> context_;
  std::int64_t primaryKey_ = 0;
  std::int64_t temporaryKey_;
  bool deleted_ = false;
  ObserverList<std::string_view> observers_;
};

}  // namespace platform

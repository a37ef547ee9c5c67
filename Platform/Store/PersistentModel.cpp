#include "Platform/Store/PersistentModel.h"

#include <atomic>

#include "Platform/Store/ModelContext.h"

namespace platform {

PersistentModel::PersistentModel() {
  static std::atomic<std::int64_t> lastTemporaryKey{0};
  temporaryKey_ = ++lastTemporaryKey;
}

PersistentIdentifier PersistentModel::persistentModelID() const {
  if (primaryKey_ != 0) return {std::string(entity()), primaryKey_, false};
  return {std::string(entity()), temporaryKey_, true};
}

void PersistentModel::didChange(std::string_view field) {
  observers_.notify(field);
  if (auto context = context_.lock(); context && context->holds(*this)) context->modelDidChange();
}

}  // namespace platform
